#pragma once

#include <vector>

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
/// With `parts`, also each pedestrian's part of the score, for a metric that is a sum over
/// pedestrians (Metric::evaluateParts).
float evaluateModel(Record& record, Simulation& reference, Metric& metric,
                    std::vector<float>* parts = nullptr);

/// The score of several recordings together: the mean of theirs, summed in double in their
/// order; not a number for none.
float meanScore(const std::vector<float>& scores);
