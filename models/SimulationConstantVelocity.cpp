#include "models/SimulationConstantVelocity.h"

void SimulationConstantVelocity::createAgents() {
    const std::size_t count = static_cast<std::size_t>(agentCount());
    x.assign(count, 0.0f);
    y.assign(count, 0.0f);
    vx.assign(count, 0.0f);
    vy.assign(count, 0.0f);
}

void SimulationConstantVelocity::setPosition(int agent, float px, float py) {
    x[agent] = px;
    y[agent] = py;
    setAgentState(agent, px, py, vx[agent], vy[agent]);
}

void SimulationConstantVelocity::setVelocity(int agent, float velocityX, float velocityY) {
    vx[agent] = velocityX;
    vy[agent] = velocityY;
    setAgentState(agent, x[agent], y[agent], velocityX, velocityY);
}

void SimulationConstantVelocity::step(float dt) {
    for (const int i : presentAgents()) {
        x[i] += vx[i] * dt;
        y[i] += vy[i] * dt;
        setAgentState(i, x[i], y[i], vx[i], vy[i]);
    }
}
