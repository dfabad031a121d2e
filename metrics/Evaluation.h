#pragma once

class Metric;
class Record;
class Simulation;

/// One evaluation of the record's bound model, as the desktop program and the command-line tool
/// both run it: the metric first scores a run of the reference walker (the value is discarded,
/// so every metric sees the same sequence of runs), then a run of the model, whose score is
/// returned. The record is left bound to the model.
float evaluateModel(Record& record, Simulation& reference, Metric& metric);
