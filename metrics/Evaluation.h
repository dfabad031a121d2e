#pragma once

class Metric;
class Record;
class Simulation;

/// Lets the metric score one run of the reference walker (the value is discarded, so that every
/// metric sees the same sequence of runs before the model's), then binds the record's model
/// again and resets it.
void scoreReferenceFirst(Record& record, Simulation& reference, Metric& metric);

/// One evaluation of the record's bound model, as the desktop program and the command-line tool
/// both run it: scoreReferenceFirst, then a run of the model, whose score is returned. The
/// record is left bound to the model.
float evaluateModel(Record& record, Simulation& reference, Metric& metric);
