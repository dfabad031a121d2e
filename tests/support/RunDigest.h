#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "models/Simulation.h"

// A 64-bit FNV-1a hash over the bits of floats and integers: two runs with the same digest
// recorded the same numbers, bit for bit, in the same order.
class RunDigest {
public:
    void add(std::uint32_t word) {
        for (int byte = 0; byte < 4; ++byte) {
            hash ^= (word >> (8 * byte)) & 0xffu;
            hash *= 1099511628211ull;
        }
    }
    void add(float value) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        add(bits);
    }
    void add(int value) { add(static_cast<std::uint32_t>(value)); }
    void add(const std::vector<float>& values) {
        for (const float value : values) {
            add(value);
        }
    }
    /// Every recorded sample of every agent, with where each trajectory starts.
    void addRecords(const Simulation& simulation) {
        add(simulation.frameCount());
        for (int i = 0; i < simulation.agentCount(); ++i) {
            add(simulation.recordedFrom().empty() ? 0 : simulation.recordedFrom()[i]);
            add(simulation.recordedX()[i]);
            add(simulation.recordedY()[i]);
            add(simulation.recordedVX()[i]);
            add(simulation.recordedVY()[i]);
        }
    }
    /// The current state of every agent.
    void addState(const Simulation& simulation) {
        add(simulation.currentX());
        add(simulation.currentY());
        add(simulation.currentVX());
        add(simulation.currentVY());
    }
    std::uint64_t value() const { return hash; }

private:
    std::uint64_t hash = 14695981039346656037ull;
};

// Draws every agent's parameter values from their distributions and applies them.
inline void drawParameters(Simulation& simulation) {
    const size_t columns = simulation.parameterDistributions().size();
    for (size_t row = 0; row < static_cast<size_t>(simulation.agentCount()); ++row) {
        for (size_t k = 0; k < columns; ++k) {
            simulation.parameterTable().values()[row * columns + k] =
                simulation.parameterDistributions()[k].sample();
        }
    }
    simulation.applyParameters();
}

// A square crowd of n agents on a 0.9 m grid, each walking to the point mirrored through the
// centre, among a few short walls. The grid makes many neighbours exactly equally far, so the
// order of ties shows in the run.
// With `drawn`, every agent's parameters are drawn from their distributions first, as a
// calibration does.
inline void placeGridCrowd(Simulation& simulation, int n, bool drawn = false) {
    int side = 1;
    while (side * side < n) {
        ++side;
    }
    const float spacing = 0.9f;
    const float extent = spacing * static_cast<float>(side);
    simulation.setObstacles({});
    for (int s = 0; s < 8; ++s) {
        const float at = extent * static_cast<float>(s) / 8.0f;
        simulation.addObstacle({at, 0.3f * extent, at + 0.7f, 0.3f * extent + 0.4f});
    }
    simulation.initialise(n);
    if (drawn) {
        drawParameters(simulation);
    }
    for (int i = 0; i < n; ++i) {
        const float x = spacing * static_cast<float>(i % side);
        const float y = spacing * static_cast<float>(i / side);
        simulation.setPosition(i, x, y);
        simulation.setVelocity(i, 0.0f, 0.0f);
        simulation.setGoal(i, extent - x, extent - y);
    }
}

// Steps the crowd `steps` times by 0.1 s; every 13th agent leaves after step 5 and comes back
// after step 10. Returns the digest of the state after every step.
inline std::uint64_t digestOfSteps(Simulation& simulation, int steps) {
    RunDigest digest;
    for (int k = 0; k < steps; ++k) {
        for (int i = 0; (k == 5 || k == 10) && i < simulation.agentCount(); i += 13) {
            simulation.setPresent(i, k == 10);
        }
        simulation.step(0.1f);
        digest.addState(simulation);
    }
    return digest.value();
}
