#pragma once

#include "calibration/Genetic.h"
#include "calibration/SimulatedAnnealing.h"

/// The genetic algorithm, then simulated annealing from its result. The genetic algorithm is this
/// calibration's part and parameter list, which the annealing stage adds its K to; annealing
/// runs on that same part, so it starts from the values and best values the genetic search
/// left, and the evaluations count on.
class GeneticAnnealing : public Genetic {
public:
    GeneticAnnealing() { name = "GeneticAnnealing"; }
    /// The genetic stage evaluates a generation at once; annealing stays one step after another.
    bool evaluatesInParallel() const override { return true; }
    /// A generation; annealing evaluates one run at a time.
    int mostEvaluationsAtOnce() const override { return Genetic::mostEvaluationsAtOnce(); }
    void calibrate() override {
        Genetic::calibrate();
        if (failure.empty() && !cancelled()) {
            annealing.run();
        }
    }

    /// Trials per value in each annealing pass, and the passes without a new best that end it.
    int K = 20;

protected:
    void clampSettings() override {
        Genetic::clampSettings();
        annealing.clampTrials();
    }

private:
    SimulatedAnnealing::Stage annealing{*this, K};
};
