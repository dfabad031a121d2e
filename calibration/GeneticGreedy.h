#pragma once

#include <algorithm>

#include "calibration/Genetic.h"
#include "calibration/Greedy.h"

/// The genetic algorithm, then the greedy search from its result. The genetic algorithm is this
/// calibration's part and parameter list; the greedy search runs on that same part, so it starts
/// from the values and best values the genetic search left, and the evaluations count on.
class GeneticGreedy : public Genetic {
public:
    GeneticGreedy() { name = "GeneticGreedy"; }
    /// The genetic stage evaluates a generation at once, the greedy stage an entry's trials.
    bool evaluatesInParallel() const override { return true; }
    /// A generation or an entry's samples, whichever is more.
    int mostEvaluationsAtOnce() const override {
        return std::max(Genetic::mostEvaluationsAtOnce(), greedy.mostEvaluationsAtOnce());
    }
    void calibrate() override {
        Genetic::calibrate();
        if (failure.empty() && !cancelled()) {
            greedy.run();
        }
    }

private:
    Greedy::Stage greedy{*this};
};
