#pragma once

#include <algorithm>

#include "data/Experiment.h"
#include "models/Simulation.h"
#include "run/Record.h"

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
    /// ever read past the recorded samples. When pedestrians come and go, every agent's
    /// recording must instead start at its first present frame and cover its presence.
    bool hasFrames(int frames) const {
        if (n > experiment.pedestrianCount || n > simulation.agentCount() ||
            frames > experiment.frameCount) {
            return false;
        }
        for (int i = 0; i < n; ++i) {
            const int needed = partial ? presentFrames(i) : frames;
            if (static_cast<int>(simulation.recordedX()[i].size()) < needed ||
                recordedFrom(i) != (partial ? first(i) : 0)) {
                return false;
            }
        }
        return true;
    }

    /// The frames on which agent i's pedestrian is present (the whole run for everybody, unless
    /// pedestrians come and go): first(i) to last(i).
    int first(int i) const { return experiment.presentFirst[static_cast<size_t>(i)]; }
    int last(int i) const { return experiment.presentLast[static_cast<size_t>(i)]; }
    int presentFrames(int i) const { return last(i) - first(i) + 1; }
    /// Agent-frames compared in all when pedestrians come and go: Σ presentFrames(i).
    long long presentSamples() const {
        long long total = 0;
        for (int i = 0; i < n; ++i) {
            total += presentFrames(i);
        }
        return total;
    }

    /// True when the experiment holds measured positions and velocities of the n pedestrians
    /// for at least `frames` frames, whatever the simulation recorded.
    bool hasMeasured(int frames) const {
        if (n > experiment.pedestrianCount || frames > experiment.frameCount) {
            return false;
        }
        size_t samples = static_cast<size_t>(n) * static_cast<size_t>(experiment.frameCount);
        if (partial) {
            samples = 0;
            for (int p = 0; p < n; ++p) {
                samples =
                    std::max(samples, static_cast<size_t>(experiment.sampleIndex(p, last(p)) + 1));
            }
        }
        return experiment.posX.size() >= samples && experiment.posY.size() >= samples &&
               experiment.velX.size() >= samples && experiment.velY.size() >= samples;
    }

    // Samples at frame k, measured (pedestrian p) and simulated (agent i); k within the presence.
    float xe(int p, int k) const { return experiment.posX[experiment.sampleIndex(p, k)]; }
    float ye(int p, int k) const { return experiment.posY[experiment.sampleIndex(p, k)]; }
    float vxe(int p, int k) const { return experiment.velX[experiment.sampleIndex(p, k)]; }
    float vye(int p, int k) const { return experiment.velY[experiment.sampleIndex(p, k)]; }
    float xs(int i, int k) const { return simulation.recordedX()[i][k - recordedFrom(i)]; }
    float ys(int i, int k) const { return simulation.recordedY()[i][k - recordedFrom(i)]; }
    float vxs(int i, int k) const { return simulation.recordedVX()[i][k - recordedFrom(i)]; }
    float vys(int i, int k) const { return simulation.recordedVY()[i][k - recordedFrom(i)]; }

    const Experiment& experiment;
    const Simulation& simulation;
    const int n;  ///< simulated agents; agent i stands for pedestrian i
    const int F;  ///< frames of the run
    /// Some pedestrian is missing from some frame: every sum runs over presence windows only.
    const bool partial = experiment.hasPartialPresence();

private:
    int recordedFrom(int i) const {
        return simulation.recordedFrom().empty() ? 0 : simulation.recordedFrom()[i];
    }
};
