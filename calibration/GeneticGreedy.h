#pragma once

#include "calibration/Genetic.h"
#include "calibration/Greedy.h"

/// The genetic algorithm, then the greedy search from its result.
class GeneticGreedy : public Genetic, public Greedy {
public:
    GeneticGreedy() { name = "GeneticGreedy"; }
    /// The genetic stage evaluates a generation at once, the greedy stage an entry's trials.
    bool evaluatesInParallel() const override { return true; }
    /// A generation or an entry's samples, whichever is more.
    int mostEvaluationsAtOnce() const override {
        return std::max(Genetic::mostEvaluationsAtOnce(), Greedy::mostEvaluationsAtOnce());
    }
    void calibrate() override {
        Genetic::calibrate();
        if (failure.empty() && !cancelled()) {
            Greedy::calibrate();
        }
    }
};
