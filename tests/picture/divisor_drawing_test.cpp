#include "picture/divisor_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "model/divisor_notation.h"
#include "model/node_links.h"
#include "model/node_pool.h"

namespace dorvanix {
namespace {

std::vector<CubicSegment> segmentsOf(const DrawList& list) {
    std::vector<CubicSegment> result;
    for (const DrawItem& item : list.items) {
        if (const auto* segment = std::get_if<CubicSegment>(&item)) result.push_back(*segment);
    }
    return result;
}

constexpr View kAtZero{0.0, 0.0, 1.0};  // pixels are the picture's own coordinates

std::vector<CubicSegment> divisorSegments(const DivisorNode& node, View view = kAtZero) {
    DrawList list;
    drawDivisor(list, &node, view);
    return segmentsOf(list);
}

std::vector<CubicSegment> chainSegments(const DivisorNode& first, int genus) {
    DrawList list;
    drawChain(list, &first, kAtZero, genus);
    return segmentsOf(list);
}

std::vector<TextLabel> labelsOf(const DrawList& list) {
    std::vector<TextLabel> result;
    for (const DrawItem& item : list.items) {
        if (const auto* label = std::get_if<TextLabel>(&item)) result.push_back(*label);
    }
    return result;
}

using Points = std::array<PixelPoint, 4>;

// A lone component of `degree` arms at the drawing's origin.
DivisorNode lonelyNode(int degree, std::vector<double> angles, double length, double handle) {
    DivisorNode node;
    node.allocateArms(degree);
    node.degree = degree;
    node.multiplicity = 1;
    node.serial = 1;
    for (int k = 0; k < degree; ++k) {
        node.armAngle[k] = angles[k];
        node.armLength[k] = length;
        node.handleLength[k] = handle;
    }
    return node;
}

// At the origin (0, 0) the handle point of the arm at pi lies at x = -25 - 2.4e-15: it must floor
// to -26, where a truncating conversion would give -25.
TEST(DivisorDrawing, OvalThroughBothTipsOfAComponentWithOppositeArms) {
    const DivisorNode node = lonelyNode(2, {0.0, std::numbers::pi}, 25.0, 20.0);
    const struct {
        const char* label;
        View view;
        Points first, second;
    } rows[] = {
        {"origin (150, 120)",
         View{},
         {{{175, 120}, {175, 140}, {125, 140}, {125, 120}}},
         {{{125, 120}, {125, 100}, {175, 100}, {175, 120}}}},
        {"origin (0, 0): a hair below -25 floors to -26",
         kAtZero,
         {{{25, 0}, {25, 20}, {-25, 20}, {-25, 0}}},
         {{{-25, 0}, {-26, -20}, {25, -20}, {25, 0}}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const auto segments = divisorSegments(node, row.view);
        ASSERT_EQ(segments.size(), 2u);
        EXPECT_EQ(segments[0].points, row.first);
        EXPECT_EQ(segments[1].points, row.second);
        EXPECT_EQ(segments[0].width, kDivisorPenWidth);
        EXPECT_EQ(segments[0].colour, (Rgb{0, 0, 0}));
    }
}

TEST(DivisorDrawing, LabelsSitLeftOfTheMovingPointByTextLength) {
    struct Case {
        int multiplicity;
        std::string text;
        int x;
    };
    const std::vector<Case> cases{{3, "3", 144}, {12, "12", 138}, {100, "100", 138}};
    for (const Case& c : cases) {
        SCOPED_TRACE("multiplicity " + c.text);
        DivisorNode node = lonelyNode(1, {0.0}, 25.0, 30.0);
        node.multiplicity = c.multiplicity;
        node.x = 40.0;  // the label follows the moving point, not the centre
        node.movingX = 0.5;
        node.movingY = -0.5;
        DrawList list;
        drawDivisor(list, &node, View{});
        const auto labels = labelsOf(list);
        ASSERT_EQ(labels.size(), 1u);
        EXPECT_EQ(labels[0].text, c.text);
        EXPECT_EQ(labels[0].topLeft, (PixelPoint{c.x, 107}));
        EXPECT_EQ(labels[0].colour, divisorColour(c.multiplicity));
    }
}

TEST(DivisorDrawing, ColoursRepeatEveryTenMultiplicitiesAndTenIsGrey) {
    const struct {
        int multiplicity;
        Rgb divisor;
        Rgb chain;
    } rows[] = {{0, {160, 160, 160}, {192, 192, 192}},
                {10, {160, 160, 160}, {192, 192, 192}},
                {1, {0, 0, 0}, {128, 128, 128}},
                {17, {208, 0, 208}, {232, 128, 232}}};
    for (const auto& row : rows) {
        SCOPED_TRACE("multiplicity " + std::to_string(row.multiplicity));
        EXPECT_EQ(divisorColour(row.multiplicity), row.divisor);
        EXPECT_EQ(chainColour(row.multiplicity), row.chain);
        DivisorNode node = lonelyNode(1, {0.0}, 25.0, 30.0);
        node.multiplicity = row.multiplicity;
        for (const CubicSegment& segment : divisorSegments(node)) {
            EXPECT_EQ(segment.colour, row.divisor);
        }
    }
}

// Core of degree 3: 3 curves; a chain node of degree 2: 2 curves; an end: an oval of 2.
TEST(DivisorDrawing, CountsOfCurvesAndLabelsFollowTheTree) {
    const struct {
        const char* label;
        const char* notation;
        std::function<void(DivisorNode&)> change;
        int segments, labels;
    } rows[] = {
        {"the small fiber", "(3;(2,1),(2,1),(2,1))", nullptr, 15, 7},
        {"an empty branch", "(2;(2),(2),())", nullptr, 7, 3},
        {"three single curves", "(2;(2),(2),(2))", nullptr, 9, 4},
        {"long chains", "(5;(4,3,2,1),(3,1),(3,1))", nullptr, 3 + 8 + 4 + 4, 9},
        {"multiplicity 0: nothing behind it either", "(3;(2,1),(2,1),(2,1))",
         [](DivisorNode& root) { root.neighbors[0]->multiplicity = 0; }, 11, 5},
        {"no arm length: the core vanishes, its branches stay", "(3;(2,1),(2,1),(2,1))",
         [](DivisorNode& root) { root.armLength[0] = 0.0; }, 12, 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        NodePool pool;
        DivisorNode& root = pool.take();
        parseDivisorNotation(pool, root, row.notation);
        if (row.change) row.change(root);
        DrawList list;
        drawDivisor(list, &root, View{});
        EXPECT_EQ(list.segmentCount(), row.segments);
        EXPECT_EQ(list.labelCount(), row.labels);
    }
    DrawList nothing;
    drawDivisor(nothing, nullptr, View{});
    drawChain(nothing, nullptr, View{}, 2);
    EXPECT_TRUE(nothing.items.empty()) << "null draws nothing";
}

TEST(DivisorDrawing, MarkedEndIsRingedAndOpenTowardItsNeighbour) {
    DivisorNode node = lonelyNode(1, {0.0}, 30.0, 30.0);
    node.marked = 1;
    DrawList list;
    drawDivisor(list, &node, kAtZero);
    EXPECT_EQ(list.labelCount(), 0) << "a marked end has no label";
    const auto s = segmentsOf(list);
    ASSERT_EQ(s.size(), 4u);
    // The U: from beside the tip, one arm length to the side, back toward the centre.
    EXPECT_EQ(s[0].points, (Points{{{30, 30}, {15, 30}, {-30, 30}, {-30, 0}}}));
    EXPECT_EQ(s[1].points, (Points{{{30, -30}, {15, -30}, {-30, -30}, {-30, 0}}}));
    // The ring of radius 15.
    EXPECT_EQ(s[2].points, (Points{{{15, 0}, {15, -15}, {-15, -15}, {-15, 0}}}));
    EXPECT_EQ(s[3].points, (Points{{{15, 0}, {15, 15}, {-15, 15}, {-15, 0}}}));
}

TEST(DivisorDrawing, ArmTowardAMarkedNeighbourIsOpen) {
    DivisorNode node = lonelyNode(2, {0.0, std::numbers::pi / 2}, 20.0, 10.0);
    DivisorNode marked = lonelyNode(1, {0.0}, 20.0, 10.0);
    marked.marked = 1;
    marked.serial = 0;  // not a child: only the arm's shape changes
    node.neighbors[1] = &marked;
    const auto s = divisorSegments(node);
    ASSERT_EQ(s.size(), 2u);
    // Arm 0 closed: through its tip (20, 0). Arm 1 (pointing down) open: beside its tip (0, 20).
    EXPECT_EQ(s[0].points[0], (PixelPoint{20, 0}));
    EXPECT_EQ(s[0].points[3], (PixelPoint{20, 20}));   // arriving: tip - L v, v = (-1, 0)
    EXPECT_EQ(s[0].points[2], (PixelPoint{20, 9}));    // 10 - 20 cos(pi/2) is a hair below 10
    EXPECT_EQ(s[1].points[0], (PixelPoint{-20, 20}));  // leaving: tip + L v
    EXPECT_EQ(s[1].points[1], (PixelPoint{-20, 10}));
    EXPECT_EQ(s[1].points[3], (PixelPoint{20, 0}));
}

TEST(DivisorDrawing, JoiningCurveArmsStartFromItsExtraPoints) {
    DivisorNode curve = lonelyNode(2, {0.0, 0.0}, 10.0, 5.0);
    curve.pointCount = 2;
    curve.pointX = {100.0, -50.0};
    curve.pointY = {0.0, 7.0};
    const auto s = divisorSegments(curve);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].points[0], (PixelPoint{110, 0}));
    EXPECT_EQ(s[0].points[3], (PixelPoint{-40, 7}));
}

// One chain of the chain diagram along angle phi: g nodes 40 apart, the first d flagged.
std::vector<DivisorNode> chainOf(int g, int d, double phi) {
    std::vector<DivisorNode> nodes(static_cast<std::size_t>(g));
    for (int k = 0; k < g; ++k) {
        DivisorNode& z = nodes[k];
        const bool last = k == g - 1;
        const int degree = (k == 0 || last) ? 1 : 2;
        z.allocateArms(2);
        z.neighbors.resize(static_cast<std::size_t>(degree));
        z.degree = degree;
        z.multiplicity = k + 1;
        z.selfIntersection = k < d ? 1 : 0;
        z.serial = k + 1;
        z.x = std::cos(phi) * k * 40.0;
        z.y = std::sin(phi) * k * 40.0;
        const double back = k == 0 ? phi : phi + 3.1415926535;
        z.armAngle = {back, phi};
        z.armLength = {40.0, 40.0};
        z.handleLength = {40.0, 40.0};
    }
    for (int k = 0; k < g; ++k) {
        if (k == 0 && g > 1) nodes[0].neighbors[0] = &nodes[1];
        if (k > 0) nodes[k].neighbors[0] = &nodes[k - 1];
        if (k > 0 && k < g - 1) nodes[k].neighbors[1] = &nodes[k + 1];
    }
    return nodes;
}

TEST(ChainDrawing, SegmentsPerChainByGenus) {
    struct Case {
        int genus;
        int segments;
    };
    // An end: back, then two walls (or one closing curve for genus 1), and a hole of two.
    // A middle node: four walls and a hole.
    const std::vector<Case> cases{{1, 4}, {2, 10}, {3, 16}, {4, 22}};
    for (const Case& c : cases) {
        SCOPED_TRACE("genus " + std::to_string(c.genus));
        auto chain = chainOf(c.genus, 1, 0.0);
        DrawList list;
        drawChain(list, &chain[0], View{}, c.genus);
        EXPECT_EQ(list.segmentCount(), c.segments);
        EXPECT_EQ(list.labelCount(), 0);
        for (const CubicSegment& segment : segmentsOf(list)) EXPECT_EQ(segment.width, 2);
    }
}

TEST(ChainDrawing, GenusOneClosesTheOval) {
    auto single = chainOf(1, 1, 0.0);
    const auto s = chainSegments(single[0], 1);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0].points, (Points{{{0, 44}, {-48, 44}, {-48, -44}, {0, -44}}}));
    EXPECT_EQ(s[1].points, (Points{{{0, 44}, {48, 44}, {48, -44}, {0, -44}}}));
    EXPECT_EQ(s[0].colour, chainColour(1));
}

// Genus 2: a tube from the flagged first node, whose hole is pinched, to an unflagged second node
// at (40, 0), whose hole is a small oval.
TEST(ChainDrawing, LargerGenusOpensATubeAndPinchesTheHoleOfFlaggedNodes) {
    auto pair = chainOf(2, 1, 0.0);
    const auto s = chainSegments(pair[0], 2);
    ASSERT_EQ(s.size(), 10u);
    // The walls reach the arm's end 20 pixels to either side.
    EXPECT_EQ(s[1].points, (Points{{{0, 44}, {20, 44}, {20, 20}, {40, 20}}}));
    EXPECT_EQ(s[2].points, (Points{{{0, -44}, {20, -44}, {20, -20}, {40, -20}}}));
    // Flagged first node: both curves from (0, 44) into the centre.
    EXPECT_EQ(s[3].points, (Points{{{0, 44}, {-24, 44}, {-24, 0}, {0, 0}}}));
    EXPECT_EQ(s[4].points, (Points{{{0, 44}, {24, 44}, {24, 0}, {0, 0}}}));
    // The second node faces back toward the first; its back arm lies a hair off pi.
    EXPECT_EQ(s[5].points[0], (PixelPoint{39, -44}));
    EXPECT_EQ(s[5].colour, chainColour(2));
    EXPECT_EQ(s[8].points[0], (PixelPoint{39, -20}));
    EXPECT_EQ(s[8].points[3], (PixelPoint{40, 20}));
}

TEST(ChainDrawing, MiddleNodeWallsBendAroundBothSides) {
    auto chain = chainOf(3, 0, 0.0);
    const auto s = chainSegments(chain[1], 3);
    ASSERT_GE(s.size(), 6u);
    // Node at (40, 0) with arms at pi and 0: the middle direction is pi/2, straight down.
    EXPECT_EQ(s[0].points[0], (PixelPoint{-1, -20}));  // x a hair below 0
    EXPECT_EQ(s[0].points[3], (PixelPoint{40, 44}));
    EXPECT_EQ(s[1].points[3], (PixelPoint{80, -20}));
    EXPECT_EQ(s[2].points[3], (PixelPoint{39, -44}));
    EXPECT_EQ(s[3].points[3], (PixelPoint{0, 20}));
}

}  // namespace
}  // namespace dorvanix
