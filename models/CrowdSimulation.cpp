#include "models/CrowdSimulation.h"

CrowdSimulation::CrowdSimulation() {
    addAgentParameter("Radius", defaultRadius, PDF(0.2f, 0.8f, PDF::NORMAL, 0.5f, 0.25f));
    addAgentParameter("Speed", defaultSpeed, PDF(1.0f, 2.0f, PDF::NORMAL, 1.5f, 0.5f));
}

void CrowdSimulation::createCrowd(CrowdEngine::Rule rule, int neighbourCount) {
    crowd = std::make_unique<CrowdEngine>(agentCount(), static_cast<int>(obstacles().size()), rule,
                                          neighbourCount);
    goalX.assign(static_cast<size_t>(agentCount()), 0.0f);
    goalY.assign(static_cast<size_t>(agentCount()), 0.0f);
}

void CrowdSimulation::applyParameters() {
    assert(crowd);
    for (int i = 0; i < agentCount(); ++i) {
        crowd->agent(i).radius =
            agentParameters()[static_cast<size_t>(i) * agentParameterCount() + RADIUS];
    }
}

void CrowdSimulation::registerObstacle(float x1, float y1, float x2, float y2) {
    assert(crowd);
    crowd->addObstacle(x1, y1, x2, y2);
}

void CrowdSimulation::setPosition(int agent, float x, float y) {
    crowd->agent(agent).position = {x, y};
}

void CrowdSimulation::setVelocity(int agent, float vx, float vy) {
    crowd->agent(agent).velocity = {vx, vy};
}

void CrowdSimulation::setGoal(int agent, float x, float y) {
    goalX[agent] = x;
    goalY[agent] = y;
}

void CrowdSimulation::setPresent(int agent, bool present) {
    Simulation::setPresent(agent, present);
    if (crowd) {
        crowd->setPresent(agent, present);
    }
}

void CrowdSimulation::step(float dt) {
    if (!crowd) {
        return;
    }
    // An absent agent's desired velocity waits until it is back: it is worked out afresh
    // before every step it takes part in.
    const std::vector<int>& present = presentAgents();
    updateDesiredVelocities(present);
    crowd->crowdStep(dt, threadsForStep());
    storeAgentStates(present);
}

void CrowdSimulation::updateDesiredVelocities(const std::vector<int>& present) {
    for (const int i : present) {
        CrowdAgent& agent = crowd->agent(i);
        const float speed =
            agentParameters()[static_cast<size_t>(i) * agentParameterCount() + SPEED];
        // Within `speed` metres of the goal the agent wants to cover the rest in one second,
        // so it slows down as it arrives instead of overshooting.
        agent.desiredVelocity = (Vec2(goalX[i], goalY[i]) - agent.position).limitedTo(speed);
    }
}

void CrowdSimulation::storeAgentStates(const std::vector<int>& present) {
    for (const int i : present) {
        const CrowdAgent& agent = crowd->agent(i);
        setAgentState(i, agent.position.x, agent.position.y, agent.velocity.x, agent.velocity.y);
    }
}
