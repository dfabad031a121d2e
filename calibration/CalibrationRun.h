#pragma once

#include <iosfwd>

class Calibration;
class Metric;
class Record;
class Simulation;

/// One calibration of the record's bound model, as the desktop program and the command-line tool
/// both run it: the metric first scores a run of the reference walker (value discarded), the
/// model is bound and reset, the algorithm is bound afresh and run verbosely, and the
/// best-parameter report goes to `reportOut`. Returns the calibrated cost.
float runCalibration(Record& record, Simulation& reference, Metric& metric,
                     Calibration& calibration, std::ostream& reportOut);
