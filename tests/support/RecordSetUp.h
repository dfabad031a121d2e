#pragma once

#include "run/Record.h"

class Experiment;
class Simulation;

// Binds `record` to `experiment` and `simulation` and sets the simulation up for it, as most
// tests of a run start.
inline void bindAndPrepare(Record& record, const Experiment* experiment, Simulation* simulation) {
    record.setExperiment(experiment);
    record.bindSimulation(simulation);
    record.prepare();
}
