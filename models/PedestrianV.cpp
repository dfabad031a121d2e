#include "models/PedestrianV.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "core/Random.h"

namespace {

// The angle constants are the decimal values the model was tuned with, not multiples of pi.
constexpr float quarterTurn = 1.57f;
constexpr float halfTurn = 3.14f;
constexpr float fullTurn = 6.28f;
constexpr float notComputed = 1e9f;
constexpr float maxTurnChange = 0.5f;  // rad per reacting step
constexpr float maxSteeringSpeed = 2.0f;
constexpr float arrivalFactor = 1.3f;

float limit(float value, float low, float high) {
    return std::min(std::max(value, low), high);
}

}  // namespace

PedestrianV::PedestrianV() {
    name = "Vision";
    parameters = {-0.1f, 0.5f, 1.0f, 1.5f};
    reset();
}

void PedestrianV::registerParameters(std::vector<float>& defaults,
                                     std::vector<PDF>& distributions) {
    defaults.insert(defaults.end(), {-0.1f, 0.5f, 1.0f, 1.5f});
    distributions.emplace_back(0.0f, 1.0f, PDF::NORMAL, 0.5f, 0.2f);
    distributions.emplace_back(0.5f, 1.5f, PDF::NORMAL, 1.0f, 0.2f);
    distributions.emplace_back(1.0f, 2.0f, PDF::NORMAL, 1.5f, 0.2f);
    distributions.emplace_back(1.0f, 2.0f, PDF::NORMAL, 1.5f, 0.5f);
}

void PedestrianV::reset() {
    position = newPosition = goal = velocity = Vec2();
    maxAcceleration = defaultAcceleration;
    waitTimer = 0.0f;
    smoothedTurn = 0.0f;
    stuck = false;
    waitToDraw = false;
    radius = bodyRadius;
    if (static_cast<int>(parameters.size()) > SPEED) {
        parameters[SPEED] = 1.5f;
    }
    heading = (goal - position).normalisedIfLong();
    // A run must not depend on the run before it: the decided heading and the remembered
    // bearing rates start afresh as well.
    newHeading = heading;
    for (Neighbour& neighbour : neighbours) {
        neighbour.bearingRate = 0.0f;
        neighbour.rateKnown = true;
        neighbour.bearingDue = false;
    }
    updateGoal();
    steeringVelocity = desiredVelocity;
}

void PedestrianV::joinCrowd(const PedestrianV* members, const std::vector<int>& present, int self) {
    crowd = members;
    presentInCrowd = &present;
    crowdIndex = self;
    neighbours.clear();
}

std::size_t PedestrianV::recordOf(const PedestrianV* other, std::size_t from) {
    // The others come in increasing index order and so, mostly, does the next record; where it
    // does not, the records in between are mostly those of a few who have left, so the next
    // ones are looked at in turn before the rest is searched.
    constexpr int lookedAtInTurn = 4;
    const std::less<const PedestrianV*> before;
    std::size_t place = from;
    for (int k = 0;
         k < lookedAtInTurn && place < neighbours.size() && before(neighbours[place].other, other);
         ++k) {
        ++place;
    }
    auto at = neighbours.begin() + static_cast<std::ptrdiff_t>(place);
    if (at != neighbours.end() && before(at->other, other)) {
        at = std::lower_bound(
            at, neighbours.end(), other,
            [&before](const Neighbour& n, const PedestrianV* p) { return before(n.other, p); });
    }
    if (at != neighbours.end() && at->other == other) {
        return static_cast<std::size_t>(at - neighbours.begin());
    }
    // A new record remembers nothing of the pair, as every record after reset().
    Neighbour record;
    record.other = other;
    const auto made = neighbours.insert(at, record);
    return static_cast<std::size_t>(made - neighbours.begin());
}

void PedestrianV::setGoal(float x, float y) {
    goal = {x, y};
    updateGoal();
    steeringVelocity = desiredVelocity;
}

void PedestrianV::updateGoal() {
    const Vec2 toGoal = goal - position;
    distanceToGoal = toGoal.length();
    goalDirection = toGoal.normalisedIfLong();
    const float speed = static_cast<int>(parameters.size()) > SPEED ? parameters[SPEED] : 0.0f;
    desiredVelocity = goalDirection * speed;
}

float PedestrianV::threshold(float t) const {
    const float tau = parameters[A] + parameters[B] / std::pow(t, parameters[C]);
    // Not-a-number (from hand-edited parameters) counts as no threshold at all.
    if (!(tau > 0.0f)) {
        return 0.0f;
    }
    return std::min(tau, quarterTurn);
}

float PedestrianV::farThreshold() {
    FarThreshold& kept = farThresholdKept;
    const float* const abc = &parameters[A];
    // Compared as bits, so that a value that is no number still matches itself.
    if (!kept.known || std::memcmp(kept.from, abc, sizeof kept.from) != 0) {
        std::memcpy(kept.from, abc, sizeof kept.from);
        kept.value = threshold(notComputed);
        kept.known = true;
    }
    return kept.value;
}

void PedestrianV::think(float stepTime) {
    steeringVelocity = Vec2();
    dt = stepTime;
    updateGoal();
    steer();

    // Arrival: slow down quadratically within max(1.3 × speed, 1) metres of the goal.
    const float aimed = steeringVelocity.length();
    const float reach = arrivalFactor * velocity.length();
    const float ratio = distanceToGoal / (reach > 1.0f ? reach : 1.0f);
    const float factor = ratio * ratio;
    float speed = std::min(aimed, factor * aimed);
    speed = std::min(speed, maxSteeringSpeed);
    steeringVelocity = steeringVelocity.normalisedIfLong() * speed;

    // Acceleration limit; an aimed speed of exactly zero brakes twice as hard.
    Vec2 dv = steeringVelocity - velocity;
    const float steeringSpeed = steeringVelocity.length();
    if (steeringSpeed < 0.05f && dv.length() < 0.1f) {
        newVelocity = Vec2();
    } else {
        const float accelerationLimit =
            steeringSpeed == 0.0f ? 2.0f * maxAcceleration : maxAcceleration;
        if (dv.length() > dt * accelerationLimit) {
            dv = dv.normalisedIfLong() * accelerationLimit * dt;
        }
        newVelocity = velocity + dv;
        if (newVelocity.length() > 0.0f) {
            newHeading = newVelocity.normalisedIfLong();
        }
    }
    newPosition = position + newVelocity * dt;
}

void PedestrianV::finishThinking() {
    if (waitToDraw) {
        waitTimer = 0.1f * static_cast<float>(Random::draw() % 6) + 0.1f;
        waitToDraw = false;
    }
}

void PedestrianV::move(float) {
    heading = newHeading;
    velocity = newVelocity;
    position = newPosition;
}

int PedestrianV::perceive(float& minDistance, float& minTTI) {
    minDistance = 1e29f;
    minTTI = 1e30f;
    int imminent = -1;
    threats.clear();
    const Rotation2 toOwnFrame = Rotation2::byAngle(-heading.angle());
    const Vec2 ownVelocity = toOwnFrame * velocity;
    // Most neighbours are not closing in, and their threshold is the same: worked out once
    // for the parameters, it spares a power function per pair and step.
    const float farTau = farThreshold();
    if (!presentInCrowd) {
        return imminent;
    }
    // Only the others in the scene are seen, in index order, which decides among equally
    // imminent threats. The record of one who is absent keeps what was last perceived.
    std::size_t next = 0;
    for (const int j : *presentInCrowd) {
        if (j == crowdIndex) {
            continue;
        }
        // The next record is mostly the one: taken here, without a call.
        const PedestrianV* const seen = crowd + j;
        const std::size_t i = next < neighbours.size() && neighbours[next].other == seen
                                  ? next
                                  : recordOf(seen, next);
        next = i + 1;
        Neighbour& n = neighbours[i];
        const PedestrianV& other = *n.other;
        const Vec2 relativePosition = toOwnFrame * (other.position - position);
        const Vec2 relativeVelocity = toOwnFrame * other.velocity - ownVelocity;
        n.timeToInteraction = notComputed;
        n.timeToInteractionClamped = notComputed;
        const float distance = relativePosition.length();
        float surface = distance - (other.radius + radius);
        if (!(surface > 0.01f)) {
            surface = 0.01f;
        }
        n.surfaceDistance = surface;
        bool closingNow = false;
        if (relativePosition.x >= -0.2f) {
            // A coincident neighbour has no direction: u stays zero, so it is not closing.
            // (−relativePosition).normalisedIfLong(), with the length already at hand.
            const Vec2 away = -relativePosition;
            const Vec2 u = distance > 1e-8f ? Vec2(away.x / distance, away.y / distance) : away;
            const float closing = u.dot(relativeVelocity);
            if (closing > 0.0f) {
                n.timeToInteraction = surface / closing;
                n.timeToInteractionClamped =
                    n.timeToInteraction > 1e-6f ? n.timeToInteraction : 1e-6f;
                n.closingPosition = relativePosition;
                n.closingVelocity = relativeVelocity;
                n.rateKnown = false;
                closingNow = true;
            }
        }
        minDistance = std::min(minDistance, surface);
        const float tau = closingNow ? threshold(n.timeToInteractionClamped) : farTau;
        n.threshold = tau;
        // A threshold is either zero, which no rate is below, or positive.
        if (tau > 0.0f && !turnsClearlyFaster(n, tau) && std::fabs(bearingRateOf(n)) < tau) {
            // Working out the rate of a neighbour closing in now gave its current bearing.
            n.bearingDue = !closingNow;
            if (!closingNow) {
                n.threatPosition = relativePosition;
            }
            threats.push_back(static_cast<int>(i));
            if (n.timeToInteractionClamped < minTTI) {
                minTTI = n.timeToInteractionClamped;
                imminent = static_cast<int>(i);
            }
        }
    }
    return imminent;
}

bool PedestrianV::turnsClearlyFaster(const Neighbour& n, float tau) {
    if (n.rateKnown) {
        return false;
    }
    // The bearing rate is the angle between the neighbour's place now and a second later,
    // folded into a quarter turn: its sine is |det(p, q)| / (|p| |q|), and an angle is at least
    // its sine. So when that sine reaches tau by a margin wider than the rounding and the
    // model's decimal turn constants (under 0.005 rad together), the rate reaches tau too and
    // the neighbour is no threat, without the two arc tangents. In double precision, where
    // the products of floats are exact.
    constexpr double margin = 0.01;  // rad
    const Vec2 later = n.closingPosition + n.closingVelocity;
    const double px = n.closingPosition.x;
    const double py = n.closingPosition.y;
    const double qx = later.x;
    const double qy = later.y;
    const double sine = px * qy - py * qx;
    const double lengths = (px * px + py * py) * (qx * qx + qy * qy);
    const double bound = static_cast<double>(tau) + margin;
    return lengths > 0.0 && std::isfinite(lengths) && sine * sine >= bound * bound * lengths;
}

float PedestrianV::bearingRateOf(Neighbour& n) {
    if (n.rateKnown) {
        return n.bearingRate;
    }
    n.bearing = n.closingPosition.angle();
    n.bearingDue = false;
    const float futureBearing = (n.closingPosition + n.closingVelocity).angle();
    float rate = futureBearing - n.bearing;
    if (std::fabs(rate) > halfTurn) {
        rate += rate > halfTurn ? -fullTurn : fullTurn;
    }
    if (rate > quarterTurn) {
        rate = halfTurn - rate;
    } else if (rate < -quarterTurn) {
        rate = -halfTurn - rate;
    }
    n.bearingRate = rate;
    n.rateKnown = true;
    return rate;
}

float PedestrianV::bearingOf(Neighbour& n) {
    if (n.bearingDue) {
        n.bearing = n.threatPosition.angle();
        n.bearingDue = false;
    }
    return n.bearing;
}

float PedestrianV::goalBearingChange(float& timeToGoal) {
    const float speed = velocity.length();
    // IEEE division on purpose: a zero denominator gives an infinite or undefined time, and an
    // undefined one fails every later comparison.
    timeToGoal = speed > 0.0f ? distanceToGoal / goalDirection.dot(velocity) : 1e30f;
    const Vec2 toGoal = goal - position;
    const Vec2 walked = heading * parameters[SPEED];
    float angle = (toGoal - walked).angle() - toGoal.angle();
    if (angle < -halfTurn) {
        angle += fullTurn;
    }
    if (angle > halfTurn) {
        angle -= fullTurn;
    }
    if (heading.dot(toGoal) < 0.0f) {
        angle += angle > 0.0f ? quarterTurn : -quarterTurn;
    }
    return angle;
}

void PedestrianV::steer() {
    float minDistance = 0.0f;
    float minTTI = 0.0f;
    const int imminent = perceive(minDistance, minTTI);
    float timeToGoal = 0.0f;
    turnAngle = 0.0f;
    turnAngle = goalBearingChange(timeToGoal);

    if (distanceToGoal < 1.0f && minDistance < 0.1f) {
        return;  // crowded arrival: stand still this step
    }
    if (waitTimer > 0.0f) {
        waitTimer -= dt;
        return;
    }
    if (!(minTTI < 10.0f && timeToGoal > minTTI && imminent >= 0)) {
        steeringVelocity = desiredVelocity;
        smoothedTurn = 0.0f;
        return;
    }
    react(imminent, minTTI, timeToGoal);
}

void PedestrianV::react(int imminent, float minTTI, float timeToGoal) {
    float speed = parameters[SPEED];
    bool upperAllowed = true;
    bool lowerAllowed = true;
    float upper = 0.0f;
    float lower = 0.0f;
    for (const int index : threats) {
        Neighbour& n = neighbours[index];
        const bool close =
            n.timeToInteractionClamped <= 3.0f && bearingOf(n) * n.bearingRate <= 0.0f;
        // perceive held this very neighbour to the threshold of this very time.
        const float tau = n.threshold;
        if (timeToGoal > n.timeToInteractionClamped && std::fabs(n.bearingRate) < tau) {
            const float lo = n.bearingRate - tau;
            const float hi = n.bearingRate + tau;
            if (std::fabs(hi) > std::fabs(lo) && close) {
                lowerAllowed = false;
            }
            if (std::fabs(hi) <= std::fabs(lo) && close) {
                upperAllowed = false;
            }
            lower = std::min(lower, lo);
            upper = std::max(upper, hi);
        }
    }

    const bool upperIsBest = std::fabs(lower) > std::fabs(upper);
    const float best = upperIsBest ? upper : lower;
    const bool bestAllowed = upperIsBest ? upperAllowed : lowerAllowed;
    const float other = upperIsBest ? lower : upper;
    const bool otherAllowed = upperIsBest ? lowerAllowed : upperAllowed;
    const float d1 = std::fabs(best - turnAngle);
    const float d2 = std::fabs(other - turnAngle);
    const bool preferBest = (d1 < 0.01f && d2 < 0.01f) || d2 >= d1;

    float angle = 0.0f;
    if (!stuck) {
        float chosen = 0.0f;
        bool allowed = false;
        if (best * turnAngle > 0.0f && std::fabs(turnAngle) > std::fabs(best)) {
            chosen = turnAngle;
            allowed = bestAllowed;
        } else if (other * turnAngle > 0.0f && std::fabs(turnAngle) > std::fabs(other)) {
            chosen = turnAngle;
            allowed = otherAllowed;
        } else if (preferBest) {
            chosen = best;
            allowed = bestAllowed;
        } else {
            chosen = other;
            allowed = std::fabs(other) > quarterTurn ? otherAllowed : false;
        }
        angle = limit(chosen, -quarterTurn, quarterTurn);

        const Neighbour& threat = neighbours[imminent];
        if (minTTI < 3.0f && !allowed) {
            // Match the threat's speed; surfaceDistance is at least 0.01, so the root is safe.
            const float s1 = threat.other->velocity.length();
            const float s0 = velocity.length();
            speed = s0 + arrivalFactor * (s1 - s0) / std::sqrt(threat.surfaceDistance);
        }
        if (speed == 0.0f && velocity.length() == 0.0f) {
            stuck = true;
            waitToDraw = true;
        } else {
            smoothedTurn += limit(angle - smoothedTurn, -maxTurnChange, maxTurnChange);
            angle = smoothedTurn;
        }
    } else {
        // The first reaction after a wait: turn at once, barely moving.
        angle = preferBest ? best : other;
        speed = 0.001f;
        stuck = false;
    }
    steeringVelocity = (Rotation2::byAngle(angle) * heading).normalisedIfLong() * speed;
}
