#pragma once

#include <string>
#include <vector>

/// An agent of the generic simulation: holds its own state, knows the others as its class's
/// perception says, decides its next move in think() and carries it out in move(). Splitting
/// the step this way makes every decision depend only on the state before the step.
class Pedestrian {
public:
    /// How the generic simulation makes the pedestrians of a class known to each other.
    enum class Perception {
        /// addNeighbour with every other pedestrian, once, when the agents are built.
        everyOther,
        /// joinCrowd once, when the agents are built; the pedestrian then looks up the present
        /// ones itself, so that nothing costs in the square of all pedestrians.
        presentCrowd,
        /// Neither: the pedestrian takes no notice of the others.
        nobody
    };
    /// A class that perceives the others differently declares its own `perception`.
    static constexpr Perception perception = Perception::everyOther;

    Pedestrian() = default;
    virtual ~Pedestrian() = default;
    Pedestrian(const Pedestrian&) = delete;
    Pedestrian& operator=(const Pedestrian&) = delete;

    /// Returns to the initial internal state before a run.
    virtual void reset() = 0;
    /// Remembers another pedestrian of the same simulation; called for classes whose
    /// perception is everyOther only.
    virtual void addNeighbour(Pedestrian*) {}
    virtual void addObstacle(float x1, float y1, float x2, float y2) = 0;
    virtual void setPosition(float x, float y) = 0;
    virtual void setVelocity(float vx, float vy) = 0;
    virtual void setGoal(float x, float y) = 0;
    /// Decides the next velocity from the current state of itself and all others.
    virtual void think(float dt) = 0;
    /// Makes the random draws that the last think() asked for. Pedestrians may think on
    /// several threads at once; the simulation then calls this for each of them in order on
    /// one thread, so that the sequence of draws is the same for any number of threads.
    virtual void finishThinking() {}
    /// Makes the decided velocity and position current.
    virtual void move(float dt) = 0;
    virtual float getX() const = 0;
    virtual float getY() const = 0;
    virtual float getVX() const = 0;
    virtual float getVY() const = 0;

    /// Sizes the parameter array to the owning simulation's agent parameter count.
    void setParameterCount(int count) { parameters.assign(count > 0 ? count : 0, 0.0f); }
    int parameterCount() const { return static_cast<int>(parameters.size()); }

    /// In the scene: an absent pedestrian is nobody's neighbour and is not stepped.
    bool present = true;
    /// Distance to the point the pedestrian walks to, at its last computation. Written while
    /// thinking, so kept off the cache line of `present`, which the others read meanwhile.
    alignas(64) float distanceToGoal = 0.0f;
    /// The agent's parameter values, in the order its simulation declares them.
    std::vector<float> parameters;
    /// The model name shown for the simulation.
    std::string name;
};
