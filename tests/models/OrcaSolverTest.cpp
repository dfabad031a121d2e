#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/Vec2.h"
#include "models/orca/HalfPlane.h"
#include "models/orca/LinearPrograms.h"
#include "models/orca/PlaneList.h"

// The three linear programs of velocity selection, checked against a reference that shares no
// code with them: the exact optimum from an enumeration of candidate points in double
// precision, a fine grid over the speed disc, and a grid search with refinement for the
// least-penetration velocity of infeasible sets.

namespace {

struct Point {
    double x = 0.0, y = 0.0;
};

Point operator+(Point a, Point b) {
    return {a.x + b.x, a.y + b.y};
}
Point operator-(Point a, Point b) {
    return {a.x - b.x, a.y - b.y};
}
Point operator*(double s, Point a) {
    return {s * a.x, s * a.y};
}
double dot(Point a, Point b) {
    return a.x * b.x + a.y * b.y;
}
double cross(Point a, Point b) {
    return a.x * b.y - a.y * b.x;
}
double norm(Point a) {
    return std::sqrt(dot(a, a));
}
Point toPoint(const Vec2& v) {
    return {v.x, v.y};
}

// A half-plane in double precision; the boundary is p + t·d, permitted on its left.
struct Line {
    Point p, d;
    double violation(Point v) const { return cross(d, p - v); }
};

std::vector<Line> toLines(const std::vector<HalfPlane>& planes) {
    std::vector<Line> lines;
    for (const HalfPlane& plane : planes) {
        // The float directions are unit only to rounding; the formulas below need |d| = 1.
        const Point d = toPoint(plane.direction);
        lines.push_back({toPoint(plane.point), (1.0 / norm(d)) * d});
    }
    return lines;
}

// Every line moved by `shift` towards its forbidden side: positive shifts loosen the set,
// negative ones tighten it.
std::vector<Line> shifted(std::vector<Line> lines, double shift) {
    for (Line& line : lines) {
        const Point leftNormal{-line.d.y, line.d.x};
        line.p = line.p - shift * leftNormal;
    }
    return lines;
}

bool feasible(const std::vector<Line>& lines, double radius, Point v, double slack) {
    if (norm(v) > radius + slack) {
        return false;
    }
    for (const Line& line : lines) {
        if (line.violation(v) > slack) {
            return false;
        }
    }
    return true;
}

// Points among which the optimum of any objective lies: vertices of the arrangement of the
// lines and the circle, and (for the nearest-point objective) the projections of q.
std::vector<Point> candidates(const std::vector<Line>& lines, double radius, Point q,
                              bool withProjections) {
    std::vector<Point> out;
    if (withProjections) {
        out.push_back(q);
        if (norm(q) > 0.0) {
            out.push_back((radius / norm(q)) * q);
        }
    } else {
        out.push_back(radius * q);
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& a = lines[i];
        if (withProjections) {
            out.push_back(a.p + dot(q - a.p, a.d) * a.d);
        }
        // Line ∩ circle: |p + t d|² = r².
        const double b = dot(a.p, a.d);
        const double disc = b * b - (dot(a.p, a.p) - radius * radius);
        if (disc >= 0.0) {
            out.push_back(a.p + (-b - std::sqrt(disc)) * a.d);
            out.push_back(a.p + (-b + std::sqrt(disc)) * a.d);
        }
        for (size_t j = i + 1; j < lines.size(); ++j) {
            const Line& c = lines[j];
            const double den = cross(a.d, c.d);
            if (std::fabs(den) > 1e-12) {
                out.push_back(a.p + (cross(c.p - a.p, c.d) / den) * a.d);
            }
        }
    }
    return out;
}

// The feasible point nearest to q (or farthest along the unit direction q); false when the
// set has no feasible point.
bool referenceOptimum(const std::vector<Line>& lines, double radius, Point q, bool directional,
                      Point& best) {
    bool found = false;
    double bestScore = std::numeric_limits<double>::infinity();
    for (const Point& c : candidates(lines, radius, q, !directional)) {
        if (!feasible(lines, radius, c, 1e-9)) {
            continue;
        }
        const double score = directional ? -dot(c, q) : norm(c - q);
        if (score < bestScore) {
            bestScore = score;
            best = c;
            found = true;
        }
    }
    return found;
}

enum class Verdict { feasible, infeasible, borderline };

// Clearly feasible: a point remains when every line is tightened by 1e-3 m/s. Clearly
// infeasible: none appears when every line is loosened by 1e-3. Sets in between are left out:
// there the answer depends on rounding.
Verdict classify(const std::vector<Line>& lines, double radius) {
    constexpr double margin = 1e-3;
    Point ignored;
    if (referenceOptimum(shifted(lines, -margin), radius - margin, {0, 0}, false, ignored)) {
        return Verdict::feasible;
    }
    if (!referenceOptimum(shifted(lines, margin), radius + margin, {0, 0}, false, ignored)) {
        return Verdict::infeasible;
    }
    return Verdict::borderline;
}

// Tolerance of the float solvers against the double reference (m/s).
constexpr double tolerance = 1e-4;

Vec2 randomUnit(std::mt19937& random) {
    const float angle = std::uniform_real_distribution<float>(-3.14159265f, 3.14159265f)(random);
    return {std::cos(angle), std::sin(angle)};
}

// Half-planes that all admit x0 with a margin of at least 0.02 m/s.
std::vector<HalfPlane> aroundPoint(std::mt19937& random, const Vec2& x0, int count) {
    std::uniform_real_distribution<float> margin(0.02f, 1.0f);
    std::uniform_real_distribution<float> along(-2.0f, 2.0f);
    std::vector<HalfPlane> planes;
    for (int i = 0; i < count; ++i) {
        const Vec2 d = randomUnit(random);
        const Vec2 leftNormal(-d.y, d.x);
        planes.push_back({x0 - margin(random) * leftNormal + along(random) * d, d});
    }
    return planes;
}

std::vector<HalfPlane> anywhere(std::mt19937& random, int count) {
    std::uniform_real_distribution<float> coordinate(-2.0f, 2.0f);
    std::vector<HalfPlane> planes;
    for (int i = 0; i < count; ++i) {
        planes.push_back({Vec2(coordinate(random), coordinate(random)), randomUnit(random)});
    }
    return planes;
}

Vec2 pointInDisc(std::mt19937& random, float radius) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    while (true) {
        const Vec2 v(unit(random), unit(random));
        if (v.squaredLength() <= 1.0f) {
            return v * radius;
        }
    }
}

// No point of a grid of spacing `spacing` over the disc is feasible and nearer to q than the
// solver's velocity by more than the tolerance.
void expectNoBetterGridPoint(const std::vector<Line>& lines, double radius, Point q, Point solved,
                             double spacing) {
    const double reach = norm(solved - q) - tolerance;
    if (reach <= 0.0) {
        return;
    }
    const double lowX = std::max(-radius, q.x - reach);
    const double highX = std::min(radius, q.x + reach);
    const double lowY = std::max(-radius, q.y - reach);
    const double highY = std::min(radius, q.y + reach);
    for (double x = std::ceil(lowX / spacing) * spacing; x <= highX; x += spacing) {
        for (double y = std::ceil(lowY / spacing) * spacing; y <= highY; y += spacing) {
            const Point g{x, y};
            if (norm(g - q) < reach && feasible(lines, radius, g, 0.0)) {
                ADD_FAILURE() << "grid point (" << x << ", " << y << ") is feasible and "
                              << norm(g - q) << " from the optimum, the solver's "
                              << norm(solved - q);
                return;
            }
        }
    }
}

struct Tally {
    int feasible = 0, infeasible = 0, borderline = 0;
};

// Runs solveInDisc on one set and checks it against the reference; returns the verdict.
Verdict checkSet(const std::vector<HalfPlane>& planes, float radius, const Vec2& optimum,
                 bool directional) {
    const std::vector<Line> lines = toLines(planes);
    const Verdict verdict = classify(lines, radius);
    Vec2 result;
    const size_t failed = solveInDisc(planes, radius, optimum, directional, result);
    EXPECT_TRUE(std::isfinite(result.x) && std::isfinite(result.y));
    if (verdict == Verdict::infeasible) {
        EXPECT_LT(failed, planes.size());
        return verdict;
    }
    if (verdict == Verdict::borderline) {
        return verdict;
    }
    EXPECT_EQ(failed, planes.size());
    const Point solved = toPoint(result);
    EXPECT_TRUE(feasible(lines, radius, solved, tolerance))
        << "(" << solved.x << ", " << solved.y << ") violates a half-plane or the disc";
    Point best;
    Point q = toPoint(optimum);
    if (directional) {
        q = (1.0 / norm(q)) * q;  // unit only to rounding in float
    }
    EXPECT_TRUE(referenceOptimum(lines, radius, q, directional, best));
    if (directional) {
        EXPECT_GE(dot(solved, q), dot(best, q) - tolerance);
    } else {
        EXPECT_LE(norm(solved - q), norm(best - q) + tolerance);
        expectNoBetterGridPoint(lines, radius, q, solved, 0.01);
    }
    return verdict;
}

}  // namespace

TEST(OrcaSolver, FeasibleSetsGiveTheNearestPermittedVelocity) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> count(1, 12);
    std::uniform_real_distribution<float> radius(0.5f, 2.0f);
    std::uniform_real_distribution<float> preferred(-3.0f, 3.0f);
    Tally tally;
    for (int set = 0; set < 2000 && !HasFailure(); ++set) {
        const float r = radius(random);
        const Vec2 x0 = pointInDisc(random, 0.8f * r);
        const std::vector<HalfPlane> planes = aroundPoint(random, x0, count(random));
        const Vec2 q(preferred(random), preferred(random));
        SCOPED_TRACE(set);
        const Verdict verdict = checkSet(planes, r, q, false);
        ++(verdict == Verdict::feasible ? tally.feasible : tally.borderline);
    }
    // Built around a point with a margin, so (almost) every set is clearly feasible.
    EXPECT_GE(tally.feasible, 1990);
}

TEST(OrcaSolver, RandomSetsAreSolvedOrReportedUnsolvable) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> count(1, 8);
    std::uniform_real_distribution<float> radius(0.5f, 2.0f);
    std::uniform_real_distribution<float> preferred(-3.0f, 3.0f);
    Tally tally;
    for (int set = 0; set < 3000 && !HasFailure(); ++set) {
        const std::vector<HalfPlane> planes = anywhere(random, count(random));
        const float r = radius(random);
        const Vec2 q(preferred(random), preferred(random));
        SCOPED_TRACE(set);
        switch (checkSet(planes, r, q, false)) {
            case Verdict::feasible:
                ++tally.feasible;
                break;
            case Verdict::infeasible:
                ++tally.infeasible;
                break;
            case Verdict::borderline:
                ++tally.borderline;
                break;
        }
    }
    // Both kinds occur often enough for the test to mean something.
    EXPECT_GE(tally.feasible, 500);
    EXPECT_GE(tally.infeasible, 500);
    EXPECT_LE(tally.borderline, 30);
}

TEST(OrcaSolver, DirectionalSetsGoFarthestAlongTheDirection) {
    std::mt19937 random(99);
    std::uniform_int_distribution<int> count(1, 10);
    std::uniform_real_distribution<float> radius(0.5f, 2.0f);
    int feasibleSets = 0;
    for (int set = 0; set < 2000 && !HasFailure(); ++set) {
        const float r = radius(random);
        const std::vector<HalfPlane> planes =
            set % 2 == 0 ? aroundPoint(random, pointInDisc(random, 0.8f * r), count(random))
                         : anywhere(random, count(random));
        SCOPED_TRACE(set);
        if (checkSet(planes, r, randomUnit(random), true) == Verdict::feasible) {
            ++feasibleSets;
        }
    }
    EXPECT_GE(feasibleSets, 1000);
}

namespace {

// Largest violation of the half-planes from `first` on (m/s).
double largestViolation(const std::vector<Line>& lines, size_t first, Point v) {
    double worst = -std::numeric_limits<double>::infinity();
    for (size_t i = first; i < lines.size(); ++i) {
        worst = std::max(worst, lines[i].violation(v));
    }
    return worst;
}

// The least largest violation of the half-planes from `hard` on over the velocities in the
// disc that satisfy the first `hard` ones: a grid search refined twice around its best point.
// It is convex, so refining never misses much; the value found is never below the true one.
double leastPenetration(const std::vector<Line>& lines, size_t hard, double radius) {
    const std::vector<Line> obstacles(lines.begin(),
                                      lines.begin() + static_cast<std::ptrdiff_t>(hard));
    double best = std::numeric_limits<double>::infinity();
    Point centre{0, 0};
    double half = radius;
    double spacing = 0.02;
    for (int level = 0; level < 3; ++level) {
        Point levelBest = centre;
        for (double x = centre.x - half; x <= centre.x + half; x += spacing) {
            for (double y = centre.y - half; y <= centre.y + half; y += spacing) {
                const Point g{x, y};
                if (!feasible(obstacles, radius, g, 0.0)) {
                    continue;
                }
                const double value = largestViolation(lines, hard, g);
                if (value < best) {
                    best = value;
                    levelBest = g;
                }
            }
        }
        centre = levelBest;
        half = 2.0 * spacing;
        spacing /= 10.0;
    }
    return best;
}

}  // namespace

TEST(OrcaSolver, InfeasibleSetsMinimiseTheLargestPenetrationKeepingObstaclesHard) {
    std::mt19937 random(31337);
    std::uniform_int_distribution<int> obstacleCount(0, 3);
    std::uniform_int_distribution<int> agentCount(2, 8);
    std::uniform_real_distribution<float> radius(0.5f, 2.0f);
    std::uniform_real_distribution<float> preferred(-3.0f, 3.0f);
    int checked = 0;
    for (int set = 0; checked < 600 && set < 5000 && !HasFailure(); ++set) {
        const float r = radius(random);
        const int m = obstacleCount(random);
        std::vector<HalfPlane> planes = aroundPoint(random, pointInDisc(random, 0.5f * r), m);
        for (const HalfPlane& plane : anywhere(random, agentCount(random))) {
            planes.push_back(plane);
        }
        const std::vector<Line> lines = toLines(planes);
        if (classify(lines, r) != Verdict::infeasible) {
            continue;
        }
        ++checked;
        SCOPED_TRACE(set);
        const Vec2 q(preferred(random), preferred(random));
        Vec2 result;
        const size_t failed = solveInDisc(planes, r, q, false, result);
        ASSERT_LT(failed, planes.size());
        ASSERT_GE(failed, static_cast<size_t>(m)) << "the obstacle half-planes alone are feasible";
        solveProjected(planes, static_cast<size_t>(m), failed, r, result);

        const Point solved = toPoint(result);
        ASSERT_TRUE(std::isfinite(solved.x) && std::isfinite(solved.y));
        EXPECT_LE(norm(solved), r + tolerance);
        for (int i = 0; i < m; ++i) {
            EXPECT_LE(lines[static_cast<size_t>(i)].violation(solved), tolerance)
                << "obstacle half-plane " << i;
        }
        const double reached = largestViolation(lines, static_cast<size_t>(m), solved);
        EXPECT_LE(reached, leastPenetration(lines, static_cast<size_t>(m), r) + 1e-3);
    }
    EXPECT_EQ(checked, 600);
}

TEST(OrcaSolver, ProjectedKeepsItsScratchListBetweenCalls) {
    // Two opposite agent half-planes 1 m/s apart: x ≥ 0.5 and x ≤ −0.5. The least largest
    // violation is 0.5 for both, at x = 0.
    const std::vector<HalfPlane> planes = {{Vec2(0.5f, 0.0f), Vec2(0.0f, -1.0f)},
                                           {Vec2(-0.5f, 0.0f), Vec2(0.0f, 1.0f)}};
    std::vector<HalfPlane> scratch;
    for (int call = 0; call < 3; ++call) {
        Vec2 result;
        const size_t failed = solveInDisc(planes, 2.0f, Vec2(1.0f, 0.3f), false, result);
        ASSERT_EQ(failed, 1u);
        solveProjected(planes, 0, failed, 2.0f, result, scratch);
        EXPECT_NEAR(result.x, 0.0f, 1e-6f);
        EXPECT_NEAR(planes[0].violation(result), 0.5f, 1e-6f);
        EXPECT_NEAR(planes[1].violation(result), 0.5f, 1e-6f);
    }
}

// A set of `count` agent half-planes all around the origin, each 0.5 m/s beyond it: no velocity
// satisfies them, and the least largest violation is 0.5, at the origin.
std::vector<HalfPlane> ringOfHalfPlanes(int count) {
    std::vector<HalfPlane> planes;
    for (int j = 0; j < count; ++j) {
        const float angle = 6.2831853f * static_cast<float>(j) / static_cast<float>(count);
        const Vec2 direction(std::cos(angle), std::sin(angle));
        planes.push_back({0.5f * Vec2(-direction.y, direction.x), direction});
    }
    return planes;
}

class ProjectedRing : public testing::TestWithParam<int> {};

TEST_P(ProjectedRing, IsSolvedOnTheStackOrInTheScratchList) {
    const int count = GetParam();
    const std::vector<HalfPlane> planes = ringOfHalfPlanes(count);
    std::vector<HalfPlane> scratch;
    Vec2 kept;
    Vec2 own;
    const size_t failed = solveInDisc(planes, 2.0f, Vec2(1.0f, 0.3f), false, kept);
    ASSERT_LT(failed, planes.size());
    own = kept;
    solveProjected(planes, 0, failed, 2.0f, kept, scratch);
    solveProjected(planes, 0, failed, 2.0f, own);
    EXPECT_EQ(kept, own);
    EXPECT_NEAR(kept.x, 0.0f, 1e-3f);
    EXPECT_NEAR(kept.y, 0.0f, 1e-3f);
    // Only a set longer than the list on the stack uses the scratch list.
    EXPECT_EQ(scratch.size(), planes.size() > PlaneList::inlineCapacity ? planes.size() : 0u);
}

INSTANTIATE_TEST_SUITE_P(OrcaSolver, ProjectedRing, testing::Values(8, 64, 65, 150));

class PlaneListLength : public testing::TestWithParam<size_t> {};

TEST_P(PlaneListLength, KeepsItsHalfPlanesInOrderInsideOrInTheCallersVector) {
    const size_t n = GetParam();
    std::vector<HalfPlane> overflow;
    PlaneList list(n, overflow);
    for (int round = 0; round < 2; ++round) {
        list.clear();
        for (size_t i = 0; i < n; ++i) {
            list.push_back({Vec2(static_cast<float>(i), static_cast<float>(round)), Vec2(0, 1)});
        }
        ASSERT_EQ(list.size(), n);
        for (size_t i = 0; i < n; ++i) {
            EXPECT_EQ(list.data()[i].point, Vec2(static_cast<float>(i), static_cast<float>(round)));
        }
    }
    EXPECT_EQ(list.isInline(), n <= PlaneList::inlineCapacity);
    EXPECT_EQ(overflow.size(), list.isInline() ? 0u : n);
}

INSTANTIATE_TEST_SUITE_P(OrcaSolver, PlaneListLength, testing::Values(0u, 1u, 64u, 65u, 200u));

struct LineCase {
    const char* name;
    std::vector<HalfPlane> planes;
    size_t k;
    float radius;
    Vec2 optimum;
    bool directional;
    bool solvable;
    Vec2 expected;
};

void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.name;
}

class SolveOnLine : public testing::TestWithParam<LineCase> {};

TEST_P(SolveOnLine, FindsTheBestPointOfTheBoundaryLine) {
    const LineCase& c = GetParam();
    Vec2 result(-7.0f, -7.0f);
    EXPECT_EQ(solveOnLine(c.planes, c.k, c.radius, c.optimum, c.directional, result), c.solvable);
    if (c.solvable) {
        EXPECT_NEAR(result.x, c.expected.x, 1e-6f);
        EXPECT_NEAR(result.y, c.expected.y, 1e-6f);
    } else {
        EXPECT_EQ(result, Vec2(-7.0f, -7.0f));
    }
}

// The line of the last half-plane is y = 1 (point (0, 1), direction (1, 0)); in a disc of
// radius 2 it runs from x = −√3 to x = √3 (1.7320508).
const HalfPlane yIsOne{Vec2(0.0f, 1.0f), Vec2(1.0f, 0.0f)};
// Permits x ≤ 0.5: point (0.5, 0), direction (0, 1).
const HalfPlane xAtMostHalf{Vec2(0.5f, 0.0f), Vec2(0.0f, 1.0f)};
// Permits y ≤ 0.5: the line y = 0.5 traversed towards −x; parallel to y = 1, excludes it.
const HalfPlane yAtMostHalf{Vec2(0.0f, 0.5f), Vec2(-1.0f, 0.0f)};
// Permits y ≥ 0.5: parallel, admits all of y = 1.
const HalfPlane yAtLeastHalf{Vec2(0.0f, 0.5f), Vec2(1.0f, 0.0f)};
// Permit x ≤ a and x ≥ a.
HalfPlane xAtMost(float a) {
    return {Vec2(a, 0.0f), Vec2(0.0f, 1.0f)};
}
HalfPlane xAtLeast(float a) {
    return {Vec2(a, 0.0f), Vec2(0.0f, -1.0f)};
}

INSTANTIATE_TEST_SUITE_P(
    Orca, SolveOnLine,
    testing::Values(
        LineCase{"ProjectionOfTheOptimum",
                 {yIsOne},
                 0,
                 2.0f,
                 Vec2(0.3f, 5.0f),
                 false,
                 true,
                 Vec2(0.3f, 1.0f)},
        LineCase{"ClampedToTheDisc",
                 {yIsOne},
                 0,
                 2.0f,
                 Vec2(5.0f, 0.0f),
                 false,
                 true,
                 Vec2(1.7320508f, 1.0f)},
        LineCase{"LineMissesTheDisc", {yIsOne}, 0, 0.9f, Vec2(), false, false, Vec2()},
        LineCase{"ClampedByAnEarlierHalfPlane",
                 {xAtMostHalf, yIsOne},
                 1,
                 2.0f,
                 Vec2(1.5f, 0.0f),
                 false,
                 true,
                 Vec2(0.5f, 1.0f)},
        LineCase{
            "ParallelAndExcluded", {yAtMostHalf, yIsOne}, 1, 2.0f, Vec2(), false, false, Vec2()},
        LineCase{"ParallelAndAdmitted",
                 {yAtLeastHalf, yIsOne},
                 1,
                 2.0f,
                 Vec2(0.25f, 0.0f),
                 false,
                 true,
                 Vec2(0.25f, 1.0f)},
        LineCase{"DirectionalGoesToTheFarEnd",
                 {xAtMostHalf, yIsOne},
                 1,
                 2.0f,
                 Vec2(1.0f, 0.0f),
                 true,
                 true,
                 Vec2(0.5f, 1.0f)},
        LineCase{"DirectionalBackwards",
                 {xAtMostHalf, yIsOne},
                 1,
                 2.0f,
                 Vec2(-1.0f, 0.0f),
                 true,
                 true,
                 Vec2(-1.7320508f, 1.0f)},
        // Earlier planes are read several at a time: the bounds come from any place, and a
        // short last group or an excluding plane in it counts as much as a full one.
        LineCase{"NarrowedFromBothSidesBySevenPlanes",
                 {xAtMost(1.5f), xAtLeast(-1.2f), xAtMost(0.9f), xAtLeast(-0.4f), xAtMost(1.1f),
                  xAtLeast(-1.0f), xAtMost(1.3f), yIsOne},
                 7,
                 2.0f,
                 Vec2(2.0f, 0.0f),
                 false,
                 true,
                 Vec2(0.9f, 1.0f)},
        LineCase{"NarrowedOnTheLeftByTheSixthPlane",
                 {xAtMost(1.5f), xAtLeast(-1.2f), xAtMost(0.9f), xAtLeast(-0.4f), xAtMost(1.1f),
                  xAtLeast(0.2f), yIsOne},
                 6,
                 2.0f,
                 Vec2(-2.0f, 0.0f),
                 false,
                 true,
                 Vec2(0.2f, 1.0f)},
        LineCase{"ExcludedByAParallelPlaneInTheLastGroup",
                 {xAtMost(1.5f), xAtLeast(-1.2f), xAtMost(0.9f), xAtLeast(-0.4f), xAtMost(1.1f),
                  yAtMostHalf, yIsOne},
                 6,
                 2.0f,
                 Vec2(),
                 false,
                 false,
                 Vec2()},
        LineCase{
            "EmptiedByBoundsThatCross",
            {xAtMost(1.5f), xAtLeast(-1.2f), xAtMost(0.1f), xAtLeast(0.3f), xAtMost(1.1f), yIsOne},
            5,
            2.0f,
            Vec2(),
            false,
            false,
            Vec2()},
        LineCase{"LaterHalfPlanesAreIgnored",
                 {yIsOne, xAtMostHalf},
                 0,
                 2.0f,
                 Vec2(1.5f, 0.0f),
                 false,
                 true,
                 Vec2(1.5f, 1.0f)}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(OrcaSolver, WithoutHalfPlanesThePreferredVelocityIsShortenedToTheDisc) {
    const std::vector<HalfPlane> none;
    Vec2 result;
    EXPECT_EQ(solveInDisc(none, 1.5f, Vec2(0.3f, -0.4f), false, result), 0u);
    EXPECT_EQ(result, Vec2(0.3f, -0.4f));
    // (3, 4) has length 5: scaled to 1.5 it is (0.9, 1.2).
    EXPECT_EQ(solveInDisc(none, 1.5f, Vec2(3.0f, 4.0f), false, result), 0u);
    EXPECT_NEAR(result.x, 0.9f, 1e-6f);
    EXPECT_NEAR(result.y, 1.2f, 1e-6f);
    EXPECT_EQ(solveInDisc(none, 1.5f, Vec2(0.0f, -1.0f), true, result), 0u);
    EXPECT_EQ(result, Vec2(0.0f, -1.5f));
}
