#pragma once

#include "data/Experiment.h"
#include "data/Record.h"
#include "models/Simulation.h"

/// What a metric reads of a record after a run: n simulated agents over F frames, measured and
/// simulated samples side by side.
class TrajectoryAccess {
public:
    explicit TrajectoryAccess(const Record& record)
        : experiment(*record.boundExperiment()),
          simulation(*record.boundSimulation()),
          n(record.simulatedCount),
          F(record.frameCount) {}

    /// True when every agent's recorded trajectory holds at least `frames` samples and the
    /// experiment holds the n pedestrians. A run that ended early is not scored, so nothing is
    /// ever read past the recorded samples.
    bool hasFrames(int frames) const {
        if (n > experiment.pedestrianCount || n > simulation.agentCount ||
            frames > experiment.frameCount) {
            return false;
        }
        for (int i = 0; i < n; ++i) {
            if (static_cast<int>(simulation.recordedX[i].size()) < frames) {
                return false;
            }
        }
        return true;
    }

    /// True when the experiment holds measured positions and velocities of the n pedestrians
    /// for at least `frames` frames, whatever the simulation recorded.
    bool hasMeasured(int frames) const {
        if (n > experiment.pedestrianCount || frames > experiment.frameCount) {
            return false;
        }
        const size_t samples = static_cast<size_t>(n) * static_cast<size_t>(experiment.frameCount);
        return experiment.posX.size() >= samples && experiment.posY.size() >= samples &&
               experiment.velX.size() >= samples && experiment.velY.size() >= samples;
    }

    float xe(int p, int k) const { return experiment.posX[p * experiment.frameCount + k]; }
    float ye(int p, int k) const { return experiment.posY[p * experiment.frameCount + k]; }
    float vxe(int p, int k) const { return experiment.velX[p * experiment.frameCount + k]; }
    float vye(int p, int k) const { return experiment.velY[p * experiment.frameCount + k]; }
    float xs(int i, int k) const { return simulation.recordedX[i][k]; }
    float ys(int i, int k) const { return simulation.recordedY[i][k]; }
    float vxs(int i, int k) const { return simulation.recordedVX[i][k]; }
    float vys(int i, int k) const { return simulation.recordedVY[i][k]; }

    const Experiment& experiment;
    const Simulation& simulation;
    const int n;  ///< simulated agents; agent i stands for pedestrian i
    const int F;  ///< frames per pedestrian
};
