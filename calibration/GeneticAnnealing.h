#pragma once

#include "calibration/Genetic.h"
#include "calibration/SimulatedAnnealing.h"

/// The genetic algorithm, then simulated annealing from its result.
class GeneticAnnealing : public Genetic, public SimulatedAnnealing {
public:
    GeneticAnnealing() { name = "GeneticAnnealing"; }
    /// The genetic stage evaluates a generation at once; annealing stays one step after another.
    bool evaluatesInParallel() const override { return true; }
    /// A generation; annealing evaluates one run at a time.
    int mostEvaluationsAtOnce() const override { return Genetic::mostEvaluationsAtOnce(); }
    void calibrate() override {
        Genetic::calibrate();
        if (failure.empty() && !cancelled()) {
            SimulatedAnnealing::calibrate();
        }
    }

protected:
    void clampSettings() override {
        Genetic::clampSettings();
        SimulatedAnnealing::clampSettings();
    }
};
