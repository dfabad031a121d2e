#include "models/orca/OrcaAgent.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "models/orca/FloatLanes.h"
#include "models/orca/LinearPrograms.h"
#include "models/orca/ObstacleVertex.h"
#include "models/orca/OrcaEngine.h"
#include "models/orca/OrcaTolerance.h"
#include "models/orca/SpatialIndex.h"

namespace {

// Below this time step (seconds) overlapping agents resolve their overlap as if the step were
// this long; a zero step (a frame time repeated in a recording) would divide by zero.
constexpr float shortestTimeStep = 1e-6f;

// Below this relative speed (m/s) two overlapping agents give no direction to separate in:
// they stand at one spot and move alike.
constexpr float stillRelativeSpeed = 1e-12f;

const float unbounded = std::numeric_limits<float>::infinity();

// In large crowds the agents no longer fit the caches, and an agent's reads of its own state
// and its neighbours' would stall; loading them while the agent before it computes hides that.
// Without the compiler's hint the loads simply happen when they are needed.
inline void prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    static_cast<void>(address);
#endif
}

// Every cache line of the `size` bytes from `start`; the first even when `size` is zero.
void prefetchBytes(const void* start, std::size_t size) {
    constexpr std::uintptr_t cacheLine = 64;  // bytes
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(start) & ~(cacheLine - 1);
    const std::uintptr_t last = reinterpret_cast<std::uintptr_t>(start) + size;
    for (std::uintptr_t line = first; line == first || line < last; line += cacheLine) {
        prefetch(reinterpret_cast<const void*>(line));
    }
}

// Lanes of the rank count of takeFromGrid: one vector register of floats.
constexpr std::size_t countLanes = 4;

// How many of the `width` distances (a multiple of countLanes) are below d and how many equal
// to it. Counts are exact however they are summed, so the vector form gives the plain loop's.
// Written out in vectors: left to itself, a compiler may spread the loop over the outer one
// instead and end up comparing one pair at a time.
void countNearerAndEqual(const float* distances, std::size_t width, float d, std::uint32_t& nearer,
                         std::uint32_t& equal) {
#if defined(__GNUC__)
    using Floats = float __attribute__((vector_size(countLanes * sizeof(float))));
    using Counts = std::int32_t __attribute__((vector_size(countLanes * sizeof(std::int32_t))));
    const Floats bound = Floats{} + d;
    Counts below{};
    Counts same{};
    for (std::size_t block = 0; block < width; block += countLanes) {
        Floats lane;
        std::memcpy(&lane, distances + block, sizeof(lane));
        // A true comparison is −1 in every bit of its lane.
        below -= lane < bound;
        same -= lane == bound;
    }
    for (std::size_t j = 0; j < countLanes; ++j) {
        nearer += static_cast<std::uint32_t>(below[j]);
        equal += static_cast<std::uint32_t>(same[j]);
    }
#else
    for (std::size_t j = 0; j < width; ++j) {
        nearer += distances[j] < d;
        equal += distances[j] == d;
    }
#endif
}

// Neighbours whose half-planes addAgentPlanes works out at once.
constexpr std::size_t planeLanes = FloatLanes::width;

Vec2 perpendicular(const Vec2& d) {
    return {-d.y, d.x};
}

// Unit tangent of the circle of radius `radius` about the origin, through the point r at
// squared distance d with the tangent length `leg`: the left and the right one.
Vec2 leftLeg(const Vec2& r, float leg, float radius, float d) {
    return Vec2(r.x * leg - r.y * radius, r.x * radius + r.y * leg) / d;
}

Vec2 rightLeg(const Vec2& r, float leg, float radius, float d) {
    return Vec2(r.x * leg + r.y * radius, -r.x * radius + r.y * leg) / d;
}

}  // namespace

void OrcaAgent::findNeighbours() {
    if (!findNeighboursWithoutTree()) {
        findNeighboursInTree();
    }
}

bool OrcaAgent::findNeighboursWithoutTree() {
    const SpatialIndex& index = engine->spatialIndex();
    obstacleNeighbourList.clear();
    const float obstacleRange = obstacleTimeHorizon * speedLimit + discRadius;
    index.queryObstacles(*this, obstacleRange * obstacleRange);

    float range = neighbourRange * neighbourRange;
    bool bounded = false;
    // With the same agents in the tree as at the build before, last step's k neighbours are
    // all still there, so the new kth nearest is no farther than the farthest of them is now.
    // A search just beyond that finds the same list, in the same order, and turns most of the
    // crowd away at once. The distances are computed as the searches compute them. Without
    // a grid (a small crowd) the tree's few leaves are scanned sooner than the bound is found.
    if (index.agentGrid().usable() && index.steady() && listBuild + 1 == index.builds() &&
        maxNeighbourCount > 0 && agentNeighbourList.size() == maxNeighbourCount) {
        float farthest = 0.0f;
        bool finite = true;
        for (const AgentNeighbour& neighbour : agentNeighbourList) {
            const float dx = location.x - neighbour.second->location.x;
            const float dy = location.y - neighbour.second->location.y;
            const float d = dx * dx + dy * dy;
            // A neighbour gone to an infinite or NaN position is nobody's neighbour now.
            finite = finite && d < unbounded;
            farthest = std::max(farthest, d);
        }
        const float bound = std::nextafter(farthest, unbounded);
        bounded = finite && bound < range;
        range = bounded ? bound : range;
    }
    agentNeighbourList.clear();
    listBuild = index.builds();
    if (maxNeighbourCount == 0) {
        return true;
    }
    // A bounded search in the grid looks at few more agents than it keeps, where the tree
    // would descend to several leaves; an unbounded one is the tree's.
    if (bounded && index.agentGrid().usable() && takeFromGrid(range)) {
        return true;
    }
    treeRange = range;
    return false;
}

void OrcaAgent::findNeighboursInTree() {
    engine->spatialIndex().queryAgents(*this, treeRange);
}

bool OrcaAgent::takeFromGrid(float bound) {
    AgentGrid::Hits hits;
    const std::size_t found = engine->spatialIndex().agentGrid().collect(*this, bound, hits);
    // Within the bound the tree would find at least k agents; a grid that finds fewer has gone
    // wrong somewhere, and the tree decides.
    if (found == AgentGrid::noAnswer || found < maxNeighbourCount) {
        return false;
    }
    // Each agent's place in the list is the number of agents found nearer; counting them over
    // whole blocks of lanes, padded with distances beyond any, compares without branching.
    const std::size_t width = (found + countLanes - 1) / countLanes * countLanes;
    std::fill(hits.squaredDistance.begin() + found, hits.squaredDistance.begin() + width,
              unbounded);
    agentNeighbourList.resize(maxNeighbourCount);
    for (std::size_t i = 0; i < found; ++i) {
        const float d = hits.squaredDistance[i];
        std::uint32_t nearer = 0;
        std::uint32_t equal = 0;
        countNearerAndEqual(hits.squaredDistance.data(), width, d, nearer, equal);
        if (nearer < maxNeighbourCount) {
            // The tree keeps, of agents at equal distance, those it visits first, in that
            // order; the grid cannot tell, so a tie that reaches into the list goes to the
            // tree.
            if (equal > 1) {
                agentNeighbourList.clear();
                return false;
            }
            agentNeighbourList[nearer] = {d, hits.agent[i]};
        }
    }
    return true;
}

void OrcaAgent::prefetchOwnState() const {
    prefetchBytes(this, sizeof(OrcaAgent));
    // The lists span several cache lines each: all of what the last step used.
    prefetchBytes(agentNeighbourList.data(), agentNeighbourList.size() * sizeof(AgentNeighbour));
    prefetchBytes(obstacleNeighbourList.data(),
                  obstacleNeighbourList.size() * sizeof(ObstacleNeighbour));
    prefetchBytes(planes.data(), planes.size() * sizeof(HalfPlane));
}

void OrcaAgent::prefetchNeighbours() const {
    for (const AgentNeighbour& neighbour : agentNeighbourList) {
        prefetch(neighbour.second);
    }
}

void OrcaAgent::reserveLists(std::size_t obstacleEdges) {
    agentNeighbourList.reserve(maxNeighbourCount);
    obstacleNeighbourList.reserve(obstacleEdges);
    planes.reserve(obstacleEdges + maxNeighbourCount);
}

void OrcaAgent::considerAgent(const OrcaAgent& other, float& range) {
    keepIfNearer(other, (location - other.location).squaredLength(), range);
}

void OrcaAgent::considerObstacle(const ObstacleVertex& vertex, float range) {
    // An edge of zero length has no direction to build a constraint from; a point has no
    // extent to avoid, so it is left out.
    if (!vertex.hasLength()) {
        return;
    }
    const float d = squaredDistanceToSegment(vertex.point, vertex.next->point, location);
    if (!(d < range)) {
        return;
    }
    obstacleNeighbourList.emplace_back(d, &vertex);
    sinkIntoPlace(obstacleNeighbourList, d, &vertex);
}

void OrcaAgent::chooseVelocity() {
    planes.clear();
    const float inverseObstacleHorizon = 1.0f / obstacleTimeHorizon;
    for (const ObstacleNeighbour& neighbour : obstacleNeighbourList) {
        addObstaclePlane(*neighbour.second, inverseObstacleHorizon);
    }
    obstaclePlanes = planes.size();

    const float inverseAgentHorizon = 1.0f / agentTimeHorizon;
    const float inverseTimeStep = 1.0f / std::max(engine->timeStep(), shortestTimeStep);
    const std::size_t neighbours = agentNeighbourList.size();
    for (std::size_t i = 0; i < neighbours; i += planeLanes) {
        addAgentPlanes(agentNeighbourList.data() + i, std::min(planeLanes, neighbours - i),
                       inverseAgentHorizon, inverseTimeStep);
    }

    const std::size_t failed = solveInDisc(planes, speedLimit, preferred, false, chosenVelocity);
    if (failed < planes.size()) {
        solveProjected(planes, obstaclePlanes, failed, speedLimit, chosenVelocity, projectedPlanes);
    }
}

void OrcaAgent::addObstaclePlane(const ObstacleVertex& near, float h) {
    const ObstacleVertex* vertex1 = &near;
    const ObstacleVertex* vertex2 = near.next;
    if (!vertex1->hasLength()) {
        return;  // see considerObstacle
    }
    const Vec2 r1 = vertex1->point - location;
    const Vec2 r2 = vertex2->point - location;

    // An edge whose whole cut-off region lies outside an earlier half-plane adds nothing new.
    for (const HalfPlane& earlier : planes) {
        if (det(h * r1 - earlier.point, earlier.direction) - h * discRadius >= -orcaEpsilon &&
            det(h * r2 - earlier.point, earlier.direction) - h * discRadius >= -orcaEpsilon) {
            return;
        }
    }

    const float d1 = r1.squaredLength();
    const float d2 = r2.squaredLength();
    const float R = discRadius * discRadius;
    const Vec2 edge = vertex2->point - vertex1->point;
    const float s = -r1.dot(edge) / edge.squaredLength();
    const float dLine = (-r1 - s * edge).squaredLength();

    // Already touching: forbid every velocity towards the edge.
    if (s < 0.0f && d1 <= R) {
        if (vertex1->convex) {
            planes.push_back({Vec2(), Vec2(-r1.y, r1.x).normalised()});
        }
        return;
    }
    if (s > 1.0f && d2 <= R) {
        if (vertex2->convex && det(r2, vertex2->direction) >= 0.0f) {
            planes.push_back({Vec2(), Vec2(-r2.y, r2.x).normalised()});
        }
        return;
    }
    // s = 1 exactly (an agent level with the far end of an axis-aligned wall, say) fits
    // neither vertex case; it counts as touching the edge, or the legs below would take the
    // square root of d2 − R < 0.
    if (s >= 0.0f && s <= 1.0f && dLine <= R) {
        planes.push_back({Vec2(), -vertex1->direction});
        return;
    }

    // The edge's velocity obstacle: two legs from the agent past the ends, cut off at 1/h.
    Vec2 left;
    Vec2 right;
    if (s < 0.0f && dLine <= R) {
        // Seen end-on: the near vertex alone stands for the obstacle.
        if (!vertex1->convex) {
            return;
        }
        vertex2 = vertex1;
        const float leg1 = std::sqrt(d1 - R);
        left = leftLeg(r1, leg1, discRadius, d1);
        right = rightLeg(r1, leg1, discRadius, d1);
    } else if (s > 1.0f && dLine <= R) {
        if (!vertex2->convex) {
            return;
        }
        vertex1 = vertex2;
        const float leg2 = std::sqrt(d2 - R);
        left = leftLeg(r2, leg2, discRadius, d2);
        right = rightLeg(r2, leg2, discRadius, d2);
    } else {
        left =
            vertex1->convex ? leftLeg(r1, std::sqrt(d1 - R), discRadius, d1) : -vertex1->direction;
        right =
            vertex2->convex ? rightLeg(r2, std::sqrt(d2 - R), discRadius, d2) : vertex1->direction;
    }

    // A leg pointing into the neighbouring edge is replaced by that edge; a constraint from
    // it would be the neighbouring edge's own, so it is left to that edge.
    bool leftForeign = false;
    bool rightForeign = false;
    const Vec2 previousBack = -vertex1->previous->direction;
    if (vertex1->convex && det(left, previousBack) >= 0.0f) {
        left = previousBack;
        leftForeign = true;
    }
    if (vertex2->convex && det(right, vertex2->direction) <= 0.0f) {
        right = vertex2->direction;
        rightForeign = true;
    }

    const Vec2 leftCutoff = h * (vertex1->point - location);
    const Vec2 rightCutoff = h * (vertex2->point - location);
    const Vec2 cutoff = rightCutoff - leftCutoff;
    const bool sameVertex = vertex1 == vertex2;
    const float t =
        sameVertex ? 0.5f : (currentVelocity - leftCutoff).dot(cutoff) / cutoff.squaredLength();
    const float tLeft = (currentVelocity - leftCutoff).dot(left);
    const float tRight = (currentVelocity - rightCutoff).dot(right);

    // Nearest to a cut-off end circle: tLeft or tRight < 0 keeps the velocity off its centre.
    if ((t < 0.0f && tLeft < 0.0f) || (sameVertex && tLeft < 0.0f && tRight < 0.0f)) {
        const Vec2 u = (currentVelocity - leftCutoff).normalised();
        planes.push_back({leftCutoff + discRadius * h * u, Vec2(u.y, -u.x)});
        return;
    }
    if (t > 1.0f && tRight < 0.0f) {
        const Vec2 u = (currentVelocity - rightCutoff).normalised();
        planes.push_back({rightCutoff + discRadius * h * u, Vec2(u.y, -u.x)});
        return;
    }

    const float dCut = (t < 0.0f || t > 1.0f || sameVertex)
                           ? unbounded
                           : (currentVelocity - (leftCutoff + t * cutoff)).squaredLength();
    const float dLeft =
        tLeft < 0.0f ? unbounded : (currentVelocity - (leftCutoff + tLeft * left)).squaredLength();
    const float dRight = tRight < 0.0f
                             ? unbounded
                             : (currentVelocity - (rightCutoff + tRight * right)).squaredLength();

    if (dCut <= dLeft && dCut <= dRight) {
        const Vec2 direction = -vertex1->direction;
        planes.push_back({leftCutoff + discRadius * h * perpendicular(direction), direction});
    } else if (dLeft <= dRight) {
        if (!leftForeign) {
            planes.push_back({leftCutoff + discRadius * h * perpendicular(left), left});
        }
    } else if (!rightForeign) {
        const Vec2 direction = -right;
        planes.push_back({rightCutoff + discRadius * h * perpendicular(direction), direction});
    }
}

void OrcaAgent::addAgentPlane(const OrcaAgent& other, float g, float inverseTimeStep) {
    const Vec2 p = other.location - location;
    const Vec2 v = currentVelocity - other.currentVelocity;
    const float d = p.squaredLength();
    const float rho = discRadius + other.discRadius;
    const float rho2 = rho * rho;

    Vec2 direction;
    Vec2 u;
    // Pushes the relative velocity out of the cut-off circle of radius rho·scale about
    // p·scale, along w = v − scale·p.
    const auto outOfCircle = [&](float scale) {
        const Vec2 w = v - scale * p;
        const float wLength = w.length();
        Vec2 unit;
        if (wLength > stillRelativeSpeed) {
            unit = w / wLength;
        } else {
            // w vanishes only for agents at one spot moving alike. A fixed axis, opposite for
            // the two of them, still separates the pair reciprocally: the lower index goes
            // towards +x, the other towards −x.
            unit = place < other.place ? Vec2(1.0f, 0.0f) : Vec2(-1.0f, 0.0f);
        }
        direction = Vec2(unit.y, -unit.x);
        u = (rho * scale - wLength) * unit;
    };

    if (d > rho2) {
        const Vec2 w = v - g * p;
        const float W = w.squaredLength();
        const float q = w.dot(p);
        if (q < 0.0f && q * q > rho2 * W) {
            outOfCircle(g);
        } else {
            const float leg = std::sqrt(d - rho2);
            if (det(p, w) > 0.0f) {
                direction = Vec2(p.x * leg - p.y * rho, p.x * rho + p.y * leg) / d;
            } else {
                direction = -Vec2(p.x * leg + p.y * rho, -p.x * rho + p.y * leg) / d;
            }
            u = v.dot(direction) * direction - v;
        }
    } else {
        outOfCircle(inverseTimeStep);
    }
    planes.push_back({currentVelocity + 0.5f * u, direction});
}

void OrcaAgent::addAgentPlanes(const AgentNeighbour* first, std::size_t count, float g,
                               float inverseTimeStep) {
#if defined(VESTRA_FLOAT_LANES)
    using FloatLanes::select;
    using FloatLanes::squareRoot;
    using PlaneFloats = FloatLanes::Floats;
    using PlaneMask = FloatLanes::Mask;
    // The same operations as addAgentPlane, on up to four neighbours at once, each lane's
    // branches both worked out and the taken one kept: every lane's plane is bit for bit the one
    // addAgentPlane builds, and no branch waits on a comparison that goes either way. A tail
    // shorter than the lanes repeats its last neighbour, whose extra planes are dropped.
    PlaneFloats px, py, vx, vy, rho;
    for (std::size_t lane = 0; lane < planeLanes; ++lane) {
        const OrcaAgent& other = *first[std::min(lane, count - 1)].second;
        px[lane] = other.location.x - location.x;
        py[lane] = other.location.y - location.y;
        vx[lane] = currentVelocity.x - other.currentVelocity.x;
        vy[lane] = currentVelocity.y - other.currentVelocity.y;
        rho[lane] = discRadius + other.discRadius;
    }
    const PlaneFloats d = px * px + py * py;
    const PlaneFloats rho2 = rho * rho;
    const PlaneMask apart = d > rho2;
    // Apart, w is taken against the time horizon; overlapping, against the time step.
    const PlaneFloats scale = select(apart, PlaneFloats{} + g, PlaneFloats{} + inverseTimeStep);
    const PlaneFloats wx = vx - px * scale;
    const PlaneFloats wy = vy - py * scale;
    const PlaneFloats W = wx * wx + wy * wy;
    const PlaneFloats q = wx * px + wy * py;
    const PlaneMask cutOff = (q < 0.0f) & (q * q > rho2 * W);
    const PlaneMask circle = ~apart | cutOff;

    // Out of the circle of radius rho·scale about p·scale, along w.
    const PlaneFloats wLength = squareRoot(W);
    const PlaneFloats inverseLength = 1.0f / wLength;
    const PlaneFloats unitX = wx * inverseLength;
    const PlaneFloats unitY = wy * inverseLength;
    const PlaneFloats push = rho * scale - wLength;
    // A vanishing w takes addAgentPlane's fixed axis; rare enough to leave to it.
    const PlaneMask still = circle & ~(wLength > stillRelativeSpeed);

    // Along the nearer leg of the cone.
    const PlaneFloats leg = squareRoot(d - rho2);
    const PlaneFloats inverseD = 1.0f / d;
    const PlaneMask left = px * wy - py * wx > 0.0f;
    const PlaneFloats legX =
        select(left, (px * leg - py * rho) * inverseD, -((px * leg + py * rho) * inverseD));
    const PlaneFloats legY =
        select(left, (px * rho + py * leg) * inverseD, -((-px * rho + py * leg) * inverseD));
    const PlaneFloats along = vx * legX + vy * legY;

    const PlaneFloats directionX = select(circle, unitY, legX);
    const PlaneFloats directionY = select(circle, -unitX, legY);
    const PlaneFloats ux = select(circle, unitX * push, legX * along - vx);
    const PlaneFloats uy = select(circle, unitY * push, legY * along - vy);
    const PlaneFloats pointX = currentVelocity.x + ux * 0.5f;
    const PlaneFloats pointY = currentVelocity.y + uy * 0.5f;
    for (std::size_t lane = 0; lane < count; ++lane) {
        if (still[lane] != 0) {
            addAgentPlane(*first[lane].second, g, inverseTimeStep);
        } else {
            planes.push_back({{pointX[lane], pointY[lane]}, {directionX[lane], directionY[lane]}});
        }
    }
#else
    for (std::size_t lane = 0; lane < count; ++lane) {
        addAgentPlane(*first[lane].second, g, inverseTimeStep);
    }
#endif
}

void OrcaAgent::commit() {
    currentVelocity = chosenVelocity;
    location += currentVelocity * engine->timeStep();
}
