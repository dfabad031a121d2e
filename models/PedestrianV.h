#pragma once

#include <vector>

#include "core/PDF.h"
#include "core/Vec2.h"
#include "models/Pedestrian.h"
#include "models/Rotation2.h"

/// Vision-based pedestrian: walks to its goal at its preferred speed, perceives every other
/// pedestrian in its own frame (heading = +x), and treats one whose bearing hardly changes while
/// it approaches as a threat. When threats are imminent it turns by an angle chosen from their
/// bearing ranges and its goal's direction and adapts its speed. Obstacles are not perceived.
class PedestrianV : public Pedestrian {
public:
    /// Rows of the agent parameter array.
    enum Parameter { A = 0, B = 1, C = 2, SPEED = 3 };

    static constexpr float bodyRadius = 0.2f;           ///< m
    static constexpr float defaultAcceleration = 0.9f;  ///< m/s²
    /// Looks the present others up in its crowd at every step.
    static constexpr Perception perception = Perception::presentCrowd;

    PedestrianV();

    /// Declares "a", "b", "c" and "Speed" with their defaults and distributions.
    static void registerParameters(std::vector<float>& defaults, std::vector<PDF>& distributions);

    void reset() override;
    /// Makes this pedestrian number `self` of `members`, of which the pedestrians listed in
    /// `present` (in increasing index order) are in the scene; both must outlive it. A
    /// pedestrian that has joined no crowd sees nobody.
    void joinCrowd(const PedestrianV* members, const std::vector<int>& present, int self);
    void addObstacle(float, float, float, float) override {}
    void setPosition(float x, float y) override { position = {x, y}; }
    void setVelocity(float vx, float vy) override { velocity = {vx, vy}; }
    void setGoal(float x, float y) override;
    void think(float dt) override;
    void finishThinking() override;
    void move(float dt) override;
    float getX() const override { return position.x; }
    float getY() const override { return position.y; }
    float getVX() const override { return velocity.x; }
    float getVY() const override { return velocity.y; }

    /// The threat threshold for a time to interaction t: a + b / t^c, limited to [0, 1.57].
    float threshold(float t) const;

    const Vec2& currentHeading() const { return heading; }
    float waitingTime() const { return waitTimer; }
    bool isStuck() const { return stuck; }
    float appliedTurn() const { return smoothedTurn; }
    float goalTurnAngle() const { return turnAngle; }

    /// What this pedestrian perceives of one other pedestrian, in its own frame.
    struct Neighbour {
        const PedestrianV* other = nullptr;
        /// Of the last step in which the neighbour closed in; valid while rateKnown.
        float bearingRate = 0.0f;
        /// Up to date while the neighbour closes in, and for a threat once a reaction to it has
        /// needed it; kept from before otherwise.
        float bearing = 0.0f;
        /// The threshold its bearing rate was held to in the last step that saw it.
        float threshold = 0.0f;
        float surfaceDistance = 0.0f;
        float timeToInteraction = 1e9f;
        float timeToInteractionClamped = 1e9f;
        /// Relative position and velocity when the neighbour last closed in. The bearing rate
        /// costs two arc tangents, and most are never compared with a threshold above zero, so
        /// it is worked out from these only when a threat test needs it.
        Vec2 closingPosition;
        Vec2 closingVelocity;
        /// Relative position of a threat that is not closing in: its bearing costs an arc
        /// tangent, and only a reaction reads it, so it is worked out from this when one does.
        Vec2 threatPosition;
        bool rateKnown = true;
        /// bearing is still to be worked out from threatPosition.
        bool bearingDue = false;
    };
    /// One record for each other pedestrian that has been in the scene with this one, in the
    /// crowd's index order. A record is made when the two first meet, so a long recording of
    /// pedestrians who come and go holds records for those who meet, not for every pair.
    const std::vector<Neighbour>& neighbourRecords() const { return neighbours; }

private:
    void updateGoal();
    void steer();
    /// Looks at every neighbour; fills the threat list and returns the imminent one (or -1).
    int perceive(float& minDistance, float& minTTI);
    /// The place in `neighbours` of the record of `other`, made now if the two have not met;
    /// records before place `from` are not looked at.
    std::size_t recordOf(const PedestrianV* other, std::size_t from);
    float goalBearingChange(float& timeToGoal);
    /// The neighbour's bearing rate, worked out now if it is not known yet.
    static float bearingRateOf(Neighbour& n);
    /// True when the rate bearingRateOf would work out for a neighbour closing in is surely
    /// not below `tau` (rad/s); false when it may be, or when it is already known.
    static bool turnsClearlyFaster(const Neighbour& n, float tau);
    /// The neighbour's current bearing, worked out now if it is still due.
    static float bearingOf(Neighbour& n);
    /// threshold(t) for a neighbour that is not closing in, whose t is notComputed.
    float farThreshold();
    void react(int imminent, float minTTI, float timeToGoal);

    // What the others read while they think, on a cache line of its own: pedestrians may
    // think on several threads, and a line that one writes while another reads it would pass
    // back and forth between the cores.
    alignas(64) Vec2 position;
    Vec2 velocity;
    float radius = bodyRadius;

    alignas(64) std::vector<Neighbour> neighbours;
    const PedestrianV* crowd = nullptr;                ///< not owned
    const std::vector<int>* presentInCrowd = nullptr;  ///< not owned
    int crowdIndex = -1;                               ///< this pedestrian's number in the crowd
    std::vector<int> threats;  ///< indices into neighbours; reused from step to step
    Vec2 goalDirection;
    float turnAngle = 0.0f;
    float maxAcceleration = defaultAcceleration;
    float dt = 0.0f;
    Vec2 goal;
    Vec2 heading;
    Vec2 newHeading;
    Vec2 newPosition;
    Vec2 desiredVelocity;
    Vec2 steeringVelocity;
    Vec2 newVelocity;
    float waitTimer = 0.0f;
    bool stuck = false;
    /// Stuck in the last think: finishThinking draws the waiting time.
    bool waitToDraw = false;
    float smoothedTurn = 0.0f;

    /// The threshold of a neighbour that is not closing in, which costs a power function, and
    /// the a, b and c it was worked out with: it is the same for every such neighbour and every
    /// step until the parameters change, and is worked out again as soon as one of them does.
    struct FarThreshold {
        float value = 0.0f;
        float from[3] = {0.0f, 0.0f, 0.0f};
        bool known = false;
    };
    FarThreshold farThresholdKept;
};
