#include "picture/layout_relaxation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "model/divisor_notation.h"
#include "model/node_links.h"
#include "model/node_pool.h"

namespace dorvanix {
namespace {

// Every draw lets every velocity step.
const RandomSource kAlwaysStep = [] { return 1; };
// Every draw fails: nothing breathes, only the pulls and the placing act.
const RandomSource kNeverStep = [] { return 0; };

// A fiber as the fiber list builds it, in its initial layout.
struct Fiber {
    NodePool pool;
    DivisorNode* root = &pool.take();

    explicit Fiber(const char* line) { parseFiberLine(pool, *root, line); }
};

// Left without breathing, bent arms settle: the core's arms evenly apart, a chain curve straight
// on.
TEST(RootStep, ArmsSettleEvenlyApartAndChainsStraight) {
    Fiber fiber("((7,2),5,5,4)");  // chains 5, 3, 1
    DivisorNode& root = *fiber.root;
    DivisorNode& middle = *root.neighbors[0];
    root.armAngle[1] = 1.0;
    root.armAngle[2] = 4.5;
    middle.armAngle[1] += 1.0;
    int started = 0;
    for (int t = 0; t < 800; ++t) relaxStep(&root, kNeverStep, started);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(root.armAngle[k], k * 2 * std::numbers::pi / 3, 0.05) << "arm " << k;
    }
    EXPECT_NEAR(middle.armAngle[1] - middle.armAngle[0], std::numbers::pi, 0.05);
    EXPECT_EQ(root.x, 0.0);
    EXPECT_EQ(root.y, 0.0);
}

// Every parent-child link of the tree, as (parent, arm of the parent, child).
std::vector<std::tuple<const DivisorNode*, int, const DivisorNode*>> links(
    const DivisorNode* root) {
    std::vector<std::tuple<const DivisorNode*, int, const DivisorNode*>> result;
    for (std::vector<const DivisorNode*> open{root}; !open.empty();) {
        const DivisorNode* p = open.back();
        open.pop_back();
        for (int i = 0; i < p->degree; ++i) {
            const DivisorNode* q = p->neighbor(i);
            if (q == nullptr || q->serial <= p->serial) continue;
            result.emplace_back(p, i, q);
            open.push_back(q);
        }
    }
    return result;
}

// Children sit at the ends of their parents' arms, facing back, however the arms breathe.
TEST(ChildStep, ChildrenSitAtTheEndsOfTheirParentsArms) {
    Fiber fiber("((7,2),5,5,4)");
    ASSERT_EQ(links(fiber.root).size(), 8u);
    int started = 0;
    for (int t = 0; t < 200; ++t) {
        relaxStep(fiber.root, kAlwaysStep, started);
        for (const auto& [p, i, q] : links(fiber.root)) {
            SCOPED_TRACE("tick " + std::to_string(t) + ", child serial " +
                         std::to_string(q->serial));
            const double d = p->armLength[i] + q->armLength[0];
            ASSERT_NEAR(q->x, p->x + d * std::cos(p->armAngle[i]), 1e-9);
            ASSERT_NEAR(q->y, p->y + d * std::sin(p->armAngle[i]), 1e-9);
            ASSERT_NEAR(q->armAngle[0], p->armAngle[i] - std::numbers::pi, 0.2)
                << "the back arm faces the parent up to its jitter";
        }
    }
}

TEST(ChildStep, ChildOfMultiplicityZeroAndEverythingBehindItStay) {
    Fiber fiber("((3,2),2,2,2)");
    DivisorNode& zero = *fiber.root->neighbors[1];
    zero.multiplicity = 0;
    DivisorNode& behind = *zero.neighbors[1];
    zero.x = 500.0;
    behind.x = 700.0;
    const std::vector<double> zeroAngles = zero.armAngle;
    int started = 0;
    for (int t = 0; t < 20; ++t) relaxStep(fiber.root, kAlwaysStep, started);
    EXPECT_EQ(zero.x, 500.0);
    EXPECT_EQ(behind.x, 700.0);
    EXPECT_EQ(zero.armAngle, zeroAngles);
    EXPECT_EQ(behind.armLength[0], 25.0);
}

TEST(RootStep, EmptySlotsAreDroppedAndAllEmptyKeepsTheDegree) {
    struct Case {
        const char* label;
        std::vector<bool> present;
        int degree;
    };
    const std::vector<Case> cases{{"first empty", {false, true, true}, 2},
                                  {"all empty", {false, false, false}, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Fiber fiber("((3,2),2,2,2)");
        DivisorNode& root = *fiber.root;
        std::vector<DivisorNode*> kept;
        std::vector<double> keptLengths;
        for (int k = 0; k < 3; ++k) {
            root.armLength[k] = 50.0 + k;
            if (c.present[k]) {
                kept.push_back(root.neighbors[k]);
                keptLengths.push_back(root.armLength[k]);
            } else {
                root.neighbors[k] = nullptr;
            }
        }
        int started = 0;
        relaxStep(&root, kNeverStep, started);
        EXPECT_EQ(root.degree, c.degree);
        for (std::size_t k = 0; k < kept.size(); ++k) {
            EXPECT_EQ(root.neighbors[k], kept[k]);
            EXPECT_EQ(root.armLength[k], keptLengths[k]) << "the arm moves with its neighbour";
        }
    }
}

// A root P at the origin with one arm to a joining curve J of six points, of which point 1 meets
// P: J gathers its free points and becomes an ordinary child of P.
TEST(JoiningCurve, GathersItsFreePointsAndCollapsesIntoAnOrdinaryNode) {
    DivisorNode p, j;
    initNode(p, 1, &j, 0.0, 0.0, 1, 3, Arm{40.0, 40.0, 0.0});
    initNode(j, 6, nullptr, 0.0, 0.0, 1000, 1, Arm{10.0, 30.0, 0.0});
    j.neighbors[1] = &p;
    j.pointCount = 6;
    for (int k = 0; k < 6; ++k) {
        j.armAngle[k] = 0.3 * k;
        j.armLength[k] = 30.0;
        j.handleLength[k] = 10.0;
        j.pointX.push_back(60.0 + 7.0 * k);  // free points start away from everything
        j.pointY.push_back(-50.0 + 3.0 * k);
    }
    int started = 0;
    for (int t = 0; t < 200 && j.pointCount != 0; ++t) relaxStep(&p, kNeverStep, started);
    ASSERT_EQ(j.pointCount, 0) << "never collapsed";
    EXPECT_EQ(j.degree, 1);
    EXPECT_EQ(j.neighbors[0], &p);
    EXPECT_EQ(started, 0) << "a single link does not start the relaxation";
}

}  // namespace
}  // namespace dorvanix
