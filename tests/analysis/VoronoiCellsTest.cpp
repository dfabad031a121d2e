#include "analysis/VoronoiCells.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/MeasurementArea.h"
#include "tests/analysis/CrowdTestScenes.h"

namespace {

struct Corner {
    double x, y;
};
using Ring = std::vector<Corner>;

// The part of `ring` where (p − m)·n ≥ 0: one Sutherland–Hodgman pass.
Ring keepSide(const Ring& ring, Corner m, Corner n) {
    const auto level = [&](Corner p) { return (p.x - m.x) * n.x + (p.y - m.y) * n.y; };
    Ring out;
    for (size_t i = 0; i < ring.size(); ++i) {
        const Corner a = ring[i], b = ring[(i + 1) % ring.size()];
        const double la = level(a), lb = level(b);
        if (la >= 0) {
            out.push_back(a);
        }
        if ((la >= 0) != (lb >= 0)) {
            const double s = la / (la - lb);
            out.push_back({a.x + s * (b.x - a.x), a.y + s * (b.y - a.y)});
        }
    }
    return out;
}

double shoelace(const Ring& ring) {
    double twice = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        const Corner a = ring[i], b = ring[(i + 1) % ring.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::fabs(twice) / 2;
}

// Pedestrian i's cell: the rectangle cut by the bisector with every other pedestrian.
Ring referenceCell(const std::vector<PlanePoint>& crowd, size_t i, Ring cell) {
    for (size_t j = 0; j < crowd.size(); ++j) {
        if (j != i) {
            const Corner m{(crowd[i].x() + crowd[j].x()) / 2, (crowd[i].y() + crowd[j].y()) / 2};
            cell = keepSide(cell, m, {crowd[i].x() - crowd[j].x(), crowd[i].y() - crowd[j].y()});
        }
    }
    return cell;
}

MeasurementArea rectangle(double x0, double y0, double x1, double y1) {
    std::string error;
    return *MeasurementArea::rectangle(x0, y0, x1, y1, error);
}

std::vector<VoronoiCell> cellsOf(const std::vector<PlanePoint>& crowd,
                                 const MeasurementArea& walkable,
                                 const VoronoiSettings& settings = {}) {
    VoronoiCells cells;
    std::string error;
    EXPECT_TRUE(cells.build(crowd, walkable, settings, error)) << error;
    return cells.cells();
}

struct CutoffCase {
    double radius, area;
};

class TwoPedestriansInABox : public testing::TestWithParam<CutoffCase> {};

// Pedestrians at (0, 0) and (2, 0) in [−1, 3] × [−1, 1]: the bisector x = 1 and the box leave
// each a 2 × 2 square. A 12-gon of radius R inside it has area 12 · R²/2 · sin 30° = 3R²; one
// of radius 1.5 holds the square (its inner radius 1.5 cos 15° = 1.449 > √2).
TEST_P(TwoPedestriansInABox, CellsAreCutByTheWalkableAreaAndTheCutoff) {
    VoronoiSettings settings;
    settings.cutoffRadius = GetParam().radius;
    const auto cells = cellsOf({{0, 0}, {2, 0}}, rectangle(-1, -1, 3, 1), settings);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_NEAR(cells[0].area(), GetParam().area, 4 * geometryPrecision);
    EXPECT_NEAR(cells[1].area(), GetParam().area, 4 * geometryPrecision);
}

INSTANTIATE_TEST_SUITE_P(Cutoffs, TwoPedestriansInABox,
                         testing::Values(CutoffCase{0, 4}, CutoffCase{0.5, 0.75},
                                         CutoffCase{0.9, 3 * 0.81}, CutoffCase{1.5, 4}));

TEST(VoronoiCells, CoincidentPedestriansShareTheirCell) {
    const auto cells = cellsOf({{0, 0}, {2, 0}, {0, 0}}, rectangle(-1, -1, 3, 1));
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0].sharedBy, 2);
    EXPECT_NEAR(cells[0].area(), 2.0, 2 * geometryPrecision);
    EXPECT_NEAR(cells[2].areaWithin(rectangle(-1, -1, 0, 1).polygon()), 1.0, geometryPrecision);
    EXPECT_NEAR(cells[1].area(), 4.0, 4 * geometryPrecision);
}

TEST(VoronoiCells, OnePedestrianOwnsTheWholeWalkableArea) {
    std::string error;
    const auto triangle = MeasurementArea::fromText("0 0 4 0 0 3", error);
    EXPECT_NEAR(cellsOf({{1, 1}}, *triangle)[0].area(), 6.0, 6 * geometryPrecision);
}

TEST(VoronoiCells, ANonConvexWalkableAreaBoundsTheCells) {
    // A U of a 5 × 1 base and two 1 × 2 arms. The bisectors x = y, x + y = 5 and x = 2.5 give
    // the pedestrian in the base the base less two half-unit triangles (4), and each pedestrian
    // in an arm its arm and one triangle (2.5).
    std::string error;
    const auto walkable = MeasurementArea::fromText("0 0 5 0 5 3 4 3 4 1 1 1 1 3 0 3", error);
    const auto cells = cellsOf({{2.5, 0.5}, {0.5, 2.5}, {4.5, 2.5}}, *walkable);
    EXPECT_NEAR(cells[0].area(), 4.0, 4 * geometryPrecision);
    EXPECT_NEAR(cells[1].area(), 2.5, 3 * geometryPrecision);
    EXPECT_NEAR(cells[2].area(), 2.5, 3 * geometryPrecision);
}

TEST(VoronoiCells, ACornerOnTheAreaEdgeDoesNotCountACellTwice) {
    // The cell of (3, 9) has its corner (3.5, 8) on the area's edge from (5, 9) to (2, 7) and
    // lies outside otherwise; the cells fill the area, whose pentagon is 6 × 5 + 6 × 2 / 2 = 36.
    std::string error;
    const auto pentagon = MeasurementArea::fromText("2 2 8 2 8 7 5 9 2 7", error);
    double total = 0;
    for (const VoronoiCell& cell :
         cellsOf({{2, 8}, {1, 9}, {4, 9}, {3, 7}, {3, 9}}, rectangle(-1, -1, 11, 11))) {
        total += cell.areaWithin(pentagon->polygon());
    }
    EXPECT_NEAR(total, 36.0, 36 * geometryPrecision);
}

TEST(VoronoiCells, ABisectorThroughACornerKeepsTheCell) {
    // The cell of (1, 7) has its corner (3, 11) where its bisector with (5, 7) meets the top
    // edge, and its bisector with (7, 9), 3x + y = 20, passes through that corner too.
    double total = 0;
    for (const VoronoiCell& cell :
         cellsOf({{1, 7}, {3, 4}, {5, 7}, {7, 9}}, rectangle(-1, -1, 11, 11))) {
        EXPECT_GT(cell.area(), 1.0);
        total += cell.area();
    }
    EXPECT_NEAR(total, 144.0, 144 * geometryPrecision);
}

TEST(VoronoiCells, RandomCrowdMatchesHalfPlaneClipping) {
    const Ring room{{0, 0}, {10, 0}, {10, 8}, {0, 8}};
    const Ring measured{{3, 2}, {7, 2}, {7, 6}, {3, 6}};
    for (const unsigned seed : {1u, 2u, 3u}) {
        const auto crowd = randomCrowd(seed, 60, 10, 8);
        const auto cells = cellsOf(crowd, rectangle(0, 0, 10, 8));
        double total = 0;
        for (size_t i = 0; i < crowd.size(); ++i) {
            const Ring cell = referenceCell(crowd, i, room);
            EXPECT_NEAR(cells[i].area(), shoelace(cell), 2 * geometryPrecision)
                << "seed " << seed << ", " << i;
            Ring inside = cell;
            for (size_t e = 0; e < 4; ++e) {  // the square's inward normals, edge by edge
                const Corner a = measured[e], b = measured[(e + 1) % 4];
                inside = keepSide(inside, a, {-(b.y - a.y), b.x - a.x});
            }
            EXPECT_NEAR(cells[i].areaWithin(rectangle(3, 2, 7, 6).polygon()), shoelace(inside),
                        2 * geometryPrecision);
            total += cells[i].area();
        }
        EXPECT_NEAR(total, 80.0, 80 * geometryPrecision);
    }
}

TEST(VoronoiCells, ResolutionDoesNotMoveTheCells) {
    const auto crowd = randomCrowd(11, 80, 12, 5);
    VoronoiSettings coarse, fine;
    coarse.resolution = 1e-3;
    fine.resolution = 1e-5;
    coarse.cutoffRadius = fine.cutoffRadius = 0.8;
    const auto a = cellsOf(crowd, rectangle(-1, -1, 13, 6), coarse);
    const auto b = cellsOf(crowd, rectangle(-1, -1, 13, 6), fine);
    for (size_t i = 0; i < crowd.size(); ++i) {
        EXPECT_NEAR(a[i].area(), b[i].area(), 1e-6) << i;
    }
}

}  // namespace
