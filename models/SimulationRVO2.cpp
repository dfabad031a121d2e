#include "models/SimulationRVO2.h"

#include <algorithm>

#include "core/PDF.h"
#include "core/StepThreads.h"
#include "core/Vec2.h"
#include "models/orca/OrcaEngine.h"

namespace {

// The template every engine agent starts from before its parameter row is applied.
constexpr float defaultNeighbourDistance = 15.0f;  // m
constexpr std::size_t defaultMaxNeighbours = 10;   // the same for every agent
constexpr float defaultAgentHorizon = 5.0f;        // s
constexpr float defaultObstacleHorizon = 5.0f;     // s
constexpr float defaultRadius = 0.25f;             // m
constexpr float defaultMaxSpeed = 1.6f;            // m/s

// `value` when it is at least `smallest`, else `smallest`; a value that is not a number (a
// parameter file may hold "nan") is replaced too.
float atLeast(float value, float smallest) {
    return value >= smallest ? value : smallest;
}

}  // namespace

SimulationRVO2::SimulationRVO2() {
    addAgentParameter("Speed", defaultMaxSpeed, PDF(1.0f, 2.0f, PDF::NORMAL, 1.5f, 0.5f));
    addAgentParameter("Neighbor dist", defaultNeighbourDistance,
                      PDF(10.0f, 20.0f, PDF::NORMAL, 15.0f, 5.0f));
    addAgentParameter("Radius", defaultRadius, PDF(0.2f, 0.8f, PDF::NORMAL, 0.5f, 0.25f));
    addAgentParameter("Agent t.h.", defaultAgentHorizon, PDF(0.1f, 5.0f, PDF::NORMAL, 2.0f, 2.0f));
    addAgentParameter("Obstacle t.h.", defaultObstacleHorizon,
                      PDF(0.1f, 5.0f, PDF::NORMAL, 2.0f, 2.0f));
    name = "RVO2";
}

SimulationRVO2::~SimulationRVO2() = default;

void SimulationRVO2::createAgents() {
    engine = std::make_unique<OrcaEngine>();
    const std::size_t count = agentCount() > 0 ? static_cast<std::size_t>(agentCount()) : 0;
    goalX.assign(count, 0.0f);
    goalY.assign(count, 0.0f);
    engine->setDefaults(defaultNeighbourDistance, defaultMaxNeighbours, defaultAgentHorizon,
                        defaultObstacleHorizon, defaultRadius, defaultMaxSpeed, Vec2());
    for (std::size_t i = 0; i < count; ++i) {
        engine->spawnAgent(Vec2());
    }
}

void SimulationRVO2::applyParameters() {
    if (!engine) {
        return;
    }
    const std::size_t columns = static_cast<std::size_t>(agentParameterCount());
    const std::size_t rows = std::min(engine->agentCount(), agentParameters().size() / columns);
    for (std::size_t i = 0; i < rows; ++i) {
        const float* row = &agentParameters()[i * columns];
        engine->setMaxSpeed(i, preferredSpeed(static_cast<int>(i)));
        engine->setNeighbourDistance(i, atLeast(row[neighbourDistanceColumn], 0.0f));
        engine->setRadius(i, atLeast(row[radiusColumn], smallestRadius));
        engine->setAgentHorizon(i, atLeast(row[agentHorizonColumn], smallestHorizon));
        engine->setObstacleHorizon(i, atLeast(row[obstacleHorizonColumn], smallestHorizon));
    }
    engine->indexObstacles();
    engine->prepareObstacleSearch();
}

void SimulationRVO2::registerObstacle(float x1, float y1, float x2, float y2) {
    if (engine) {
        engine->addPolygon({Vec2(x1, y1), Vec2(x2, y2)});
    }
}

void SimulationRVO2::setPosition(int agent, float x, float y) {
    engine->setPosition(static_cast<std::size_t>(agent), Vec2(x, y));
}

void SimulationRVO2::setVelocity(int agent, float vx, float vy) {
    engine->setVelocity(static_cast<std::size_t>(agent), Vec2(vx, vy));
}

void SimulationRVO2::setGoal(int agent, float x, float y) {
    goalX[static_cast<std::size_t>(agent)] = x;
    goalY[static_cast<std::size_t>(agent)] = y;
}

void SimulationRVO2::setPresent(int agent, bool present) {
    Simulation::setPresent(agent, present);
    if (engine) {
        engine->setPresent(static_cast<std::size_t>(agent), present);
    }
}

float SimulationRVO2::preferredSpeed(int agent) const {
    const std::size_t entry =
        static_cast<std::size_t>(agent) * static_cast<std::size_t>(agentParameterCount()) +
        speedColumn;
    return entry < agentParameters().size() ? atLeast(agentParameters()[entry], 0.0f)
                                            : defaultMaxSpeed;
}

void SimulationRVO2::step(float dt) {
    if (!engine) {
        return;
    }
    engine->setTimeStep(dt);
    // Every agent on its own before and after the engine's step, so the threads share these
    // passes too. Only the present agents take part, so a step costs in them alone.
    StepThreads* const threads = threadsForStep();
    const std::vector<int>& present = presentAgents();
    forEachBatch(threads, present.size(), [this, &present](std::size_t begin, std::size_t end) {
        for (std::size_t slot = begin; slot < end; ++slot) {
            const std::size_t i = static_cast<std::size_t>(present[slot]);
            const Vec2 toGoal = Vec2(goalX[i], goalY[i]) - engine->position(i);
            const float speed = preferredSpeed(static_cast<int>(i));
            // Nearer than one second's walk the agent asks only for what is left, so it
            // slows down into its goal instead of overshooting it.
            engine->setPreferredVelocity(i, toGoal.limitedTo(speed));
        }
    });
    engine->advance(threads);
    forEachBatch(threads, present.size(), [this, &present](std::size_t begin, std::size_t end) {
        for (std::size_t slot = begin; slot < end; ++slot) {
            const std::size_t i = static_cast<std::size_t>(present[slot]);
            const Vec2& p = engine->position(i);
            const Vec2& v = engine->velocity(i);
            setAgentState(static_cast<int>(i), p.x, p.y, v.x, v.y);
        }
    });
}
