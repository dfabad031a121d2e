#pragma once

#include <iosfwd>
#include <vector>

#include "calibration/EvaluationPool.h"

class Calibration;
class Metric;
class Record;
class Simulation;

/// One calibration of the record's bound model, as the desktop program and the command-line tool
/// both run it: the reference walker is scored first (scoreReferenceFirst), the algorithm is bound
/// afresh and run verbosely, and the best-parameter report goes to `reportOut`. The calibrated
/// cost is in calibration.cost. Returns false, with calibration.failure saying why, when the
/// algorithm refused the run (its working storage, or starting values that cost no finite
/// number) or memory ran out during it: the parameter matrix then holds the
/// values it had before, and no report is written.
///
/// With `jobs` of 2 or more, and an algorithm that has evaluations to run at once, `jobs` worker
/// threads with instances from `instances` evaluate them (see Calibration::pool), but no more than
/// the algorithm runs at once (Calibration::mostEvaluationsAtOnce) nor ThreadGroup::most, and never
/// fewer than 2; otherwise the bound model shares each step of a large crowd among `jobs` threads
/// (Simulation::setStepThreads). Threads the system refuses to start make the run fail before it
/// starts.
bool runCalibration(Record& record, Simulation& reference, Metric& metric, Calibration& calibration,
                    std::ostream& reportOut, int jobs = 1,
                    const EvaluationPool::Factory& instances = {});

/// One recording of a calibration over several: its record, bound to a model of its own, and the
/// reference walker scored before it.
struct CalibratedRecording {
    Record* record = nullptr;
    Simulation* reference = nullptr;
};

/// The same over several recordings in the calibration's scope (which must be shared for more
/// than one): each reference walker is scored first, and a pool is built whenever there is more
/// than one recording and `jobs` is 2 or more, so that the recordings of one evaluation are scored
/// at once. A refused run leaves every record's matrix as it was.
bool runCalibration(const std::vector<CalibratedRecording>& recordings, Metric& metric,
                    Calibration& calibration, std::ostream& reportOut, int jobs = 1,
                    const EvaluationPool::Factory& instances = {});
