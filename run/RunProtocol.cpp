#include "run/RunProtocol.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/Experiment.h"
#include "data/PresenceTimeline.h"
#include "models/Simulation.h"

namespace {

// Longest run through waypoints, in steps; a pedestrian that never arrives ends it here.
constexpr int maxWaypointSteps = 100000;
// Starting velocity of a waypoint run: sqrt(2) / 2 in both directions.
constexpr float waypointStartSpeed = 0.70710677f;

// Waypoints of pedestrian p that have both coordinates and a radius.
int usableWaypoints(const Experiment& e, int p) {
    const size_t stored =
        std::min({e.waypointX[p].size(), e.waypointY[p].size(), e.waypointRadius[p].size()});
    return std::min(e.waypointCount[p], static_cast<int>(stored));
}

int agentsOf(const Simulation& s, const Experiment& e) {
    return std::min(e.pedestrianCount, s.agentCount());
}

// Every pedestrian on every frame, from the measured states of frame 0.
void runTimeDriven(Simulation& simulation, const Experiment& e) {
    const int F = e.frameCount;
    const int agents = agentsOf(simulation, e);
    simulation.clearRecords();
    if (F > 0) {
        for (int p = 0; p < agents; ++p) {
            simulation.reserveRecords(p, F);
            const int first = p * F;
            simulation.recordSample(p, e.posX[first], e.posY[first], e.velX[first], e.velY[first]);
            simulation.setPosition(p, e.posX[first], e.posY[first]);
            simulation.setVelocity(p, e.velX[first], e.velY[first]);
        }
    }
    for (int k = 0; k + 1 < F; ++k) {
        simulation.step(e.times[k + 1] - e.times[k]);
        for (int p = 0; p < agents; ++p) {
            simulation.recordCurrentState(p);
        }
    }
    simulation.finishRecords();
}

void runWaypoints(Simulation& simulation, const Experiment& e) {
    const int agents = agentsOf(simulation, e);
    const float dt = e.frameCount > 1 ? e.times[1] : 0.0f;
    std::vector<int> current(static_cast<size_t>(agents), 1);
    simulation.clearRecords();
    for (int p = 0; p < agents; ++p) {
        const std::vector<float>& wx = e.waypointX[p];
        const std::vector<float>& wy = e.waypointY[p];
        if (wx.empty()) {
            // A pedestrian without waypoints stays where it is, but is sampled like the others,
            // so every trajectory has one sample per frame.
            simulation.recordCurrentState(p);
            continue;
        }
        const size_t next = wx.size() > 1 ? 1 : 0;
        simulation.recordSample(p, wx[0], wy[0], waypointStartSpeed, waypointStartSpeed);
        simulation.setPosition(p, wx[0], wy[0]);
        simulation.setVelocity(p, waypointStartSpeed, waypointStartSpeed);
        simulation.setGoal(p, wx[next], wy[next]);
    }
    for (int stepIndex = 0; stepIndex < maxWaypointSteps; ++stepIndex) {
        simulation.step(dt);
        bool travelling = false;
        for (int p = 0; p < agents; ++p) {
            const float x = simulation.currentX()[p];
            const float y = simulation.currentY()[p];
            const int count = usableWaypoints(e, p);
            if (current[p] < count) {
                travelling = true;
                const int w = current[p];
                const float dx = x - e.waypointX[p][w];
                const float dy = y - e.waypointY[p][w];
                // The radius counts in whole units, truncated toward zero; squared in float,
                // as an int square overflows from 46341 on.
                const float radius = std::trunc(e.waypointRadius[p][w]);
                if (dx * dx + dy * dy <= radius * radius) {
                    ++current[p];
                    if (current[p] < count) {
                        simulation.setGoal(p, e.waypointX[p][current[p]],
                                           e.waypointY[p][current[p]]);
                    }
                }
            }
            simulation.recordSample(p, x, y, simulation.currentVX()[p], simulation.currentVY()[p]);
        }
        if (!travelling) {
            break;
        }
    }
    simulation.finishRecords();
}

}  // namespace

namespace RunProtocol {

void prepare(Simulation& simulation, const Experiment& experiment) {
    // The simulation may have been set up for another experiment before: it must end up with
    // exactly this scene, or a score would belong to walls that are not there. Only a scene that
    // differs is replaced, so set-ups keep the segments the model was given first (equal as
    // floats, they may still differ in the sign of a zero).
    if (simulation.obstacles() != experiment.obstacles) {
        simulation.setObstacles(experiment.obstacles);
    }
    simulation.initialise(experiment.pedestrianCount);
}

void placeAtStart(Simulation& simulation, const Experiment& e) {
    const int agents = agentsOf(simulation, e);
    if (e.timeDriven) {
        // Without frames there is no first or last sample to start from. A pedestrian who
        // enters later waits out of the scene at its first measured position.
        if (e.frameCount > 0) {
            for (int i = 0; i < agents; ++i) {
                const std::ptrdiff_t first = e.sampleIndex(i, e.presentFirst[i]);
                const std::ptrdiff_t last = e.sampleIndex(i, e.presentLast[i]);
                simulation.setPosition(i, e.posX[first], e.posY[first]);
                simulation.setVelocity(i, e.velX[first], e.velY[first]);
                simulation.setGoal(i, e.posX[last], e.posY[last]);
                if (e.hasPartialPresence()) {
                    simulation.setPresent(i, e.presentFirst[i] == 0);
                }
            }
        }
        return;
    }
    for (int i = 0; i < agents; ++i) {
        const std::vector<float>& wx = e.waypointX[i];
        const std::vector<float>& wy = e.waypointY[i];
        if (wx.empty()) {
            continue;
        }
        const size_t next = wx.size() > 1 ? 1 : 0;
        simulation.setPosition(i, wx[0], wy[0]);
        simulation.setVelocity(i, 0.0f, 0.0f);
        simulation.setGoal(i, wx[next], wy[next]);
    }
}

void runWhole(Simulation& simulation, const Experiment& experiment) {
    if (experiment.timeDriven && experiment.hasPartialPresence()) {
        runWindow(simulation, experiment, 0, experiment.frameCount - 1);
    } else if (experiment.timeDriven) {
        runTimeDriven(simulation, experiment);
    } else {
        runWaypoints(simulation, experiment);
    }
}

void runWindow(Simulation& simulation, const Experiment& e, int first, int last) {
    const int agents = agentsOf(simulation, e);
    last = std::min(last, e.frameCount - 1);
    simulation.clearRecords();
    std::vector<int> recordedFrom(static_cast<size_t>(agents));
    for (int p = 0; p < agents; ++p) {
        recordedFrom[static_cast<size_t>(p)] = std::max(e.presentFirst[p], first);
    }
    simulation.setRecordedFrom(std::move(recordedFrom));
    // Each frame looks at those who come, go or are present, never at all pedestrians, so that
    // a long recording costs in its samples.
    const PresenceTimeline timeline(e, agents);
    // An agent enters at its first measured frame in its measured state, and is recorded from
    // there on; before and after its presence it is out of the scene and records nothing.
    const auto enter = [&](int p, int k) {
        const std::ptrdiff_t i = e.sampleIndex(p, k);
        simulation.setPresent(p, true);
        simulation.setPosition(p, e.posX[i], e.posY[i]);
        simulation.setVelocity(p, e.velX[i], e.velY[i]);
        simulation.recordSample(p, e.posX[i], e.posY[i], e.velX[i], e.velY[i]);
    };
    for (int p = 0; p < agents; ++p) {
        // Within the window, as a presence may reach past it.
        simulation.reserveRecords(
            p, std::min(e.presentLast[p], last) - std::max(e.presentFirst[p], first) + 1);
        if (first <= last && e.presentFirst[p] <= first && first <= e.presentLast[p]) {
            enter(p, first);
        } else {
            simulation.setPresent(p, false);
        }
    }
    for (int k = first; k < last; ++k) {
        for (const int p : timeline.leaving(k)) {
            simulation.setPresent(p, false);
        }
        simulation.step(e.times[k + 1] - e.times[k]);
        // Who stepped and is still measured is recorded; samples of different agents go to
        // different lists, so those entering may follow.
        for (const int p : simulation.presentAgents()) {
            if (p < agents && e.isPresent(p, k + 1)) {
                simulation.recordCurrentState(p);
            }
        }
        for (const int p : timeline.entering(k + 1)) {
            enter(p, k + 1);
        }
    }
    simulation.finishRecords();
}

}  // namespace RunProtocol
