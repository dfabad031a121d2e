#pragma once

#include "calibration/Genetic.h"
#include "calibration/Greedy.h"

/// The genetic algorithm, then the greedy search from its result.
class GeneticGreedy : public Genetic, public Greedy {
public:
    GeneticGreedy() { name = "GeneticGreedy"; }
    void calibrate() override {
        Genetic::calibrate();
        if (failure.empty()) {
            Greedy::calibrate();
        }
    }
};
