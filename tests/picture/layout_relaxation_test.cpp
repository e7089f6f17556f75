#include "picture/layout_relaxation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "model/divisor_notation.h"
#include "model/node_links.h"
#include "model/node_pool.h"

namespace dorvanix {
namespace {

// Every draw passes both the 3-in-4 and the 4-in-5 test.
const RandomSource kAlwaysStep = [] { return 1; };
// Every draw fails: nothing breathes, only the pulls and the placing act.
const RandomSource kNeverStep = [] { return 0; };

TEST(VelocityCycle, RunsThroughThirteenValuesThatSumToZeroAndLeavesOtherValues) {
    for (const double scale : {0.05, 1.0, 2.0}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        const std::vector<double> expected{-0.3, -0.5, -1.0, -0.9, -0.4, -0.2, 0.2,
                                           0.4,  0.9,  1.0,  0.5,  0.3,  0.0};
        double v = 0.0;
        double sum = 0.0;
        double lowest = 0.0;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            v = advanceOnCycle(v, scale);
            EXPECT_DOUBLE_EQ(v, scale * expected[i]) << "value " << i;
            sum += v;
            lowest = std::min(lowest, sum);
        }
        EXPECT_NEAR(sum, 0.0, 1e-12);
        EXPECT_NEAR(lowest, -3.3 * scale, 1e-12);
        EXPECT_DOUBLE_EQ(advanceOnCycle(v, scale), scale * -0.3) << "the cycle repeats";
    }
    const struct {
        const char* label;
        double velocity, scale;
    } offCycle[] = {{"between values", 0.123, 1.0},
                    {"child value at root scale", 0.3, 2.0},
                    {"beyond the cycle", 5.0, 0.05}};
    for (const auto& row : offCycle) {
        EXPECT_EQ(advanceOnCycle(row.velocity, row.scale), row.velocity) << row.label;
    }
}

TEST(Pull, MovesOneStepTowardTheBandAndRestsInside) {
    struct Case {
        double value;
        double expected;
    };
    const std::vector<Case> cases{
        {10.0, 10.0}, {10.025, 10.025}, {9.9, 9.95}, {10.2, 10.15}, {9.975, 9.975}};
    for (const Case& c : cases) {
        SCOPED_TRACE("from " + std::to_string(c.value));
        double v = c.value;
        pullToward(v, 10.0, 0.025, 0.05);
        EXPECT_DOUBLE_EQ(v, c.expected);
    }
}

// A fiber as the fiber list builds it, in its initial layout.
struct Fiber {
    NodePool pool;
    DivisorNode* root = &pool.take();

    explicit Fiber(const char* line) { parseFiberLine(pool, *root, line); }
};

TEST(RootStep, ArmsArePulledEvenlyApartAndHandlesIntoProportion) {
    Fiber fiber("((3,2),2,2,2)");
    DivisorNode& root = *fiber.root;
    root.armAngle[1] = 1.0;
    root.armAngle[2] = 4.5;
    root.handleLength[0] = 10.0;
    int started = 0;
    relaxStep(&root, kNeverStep, started);
    EXPECT_DOUBLE_EQ(root.armAngle[1], 1.05);
    EXPECT_DOUBLE_EQ(root.armAngle[2], 4.45);
    EXPECT_DOUBLE_EQ(root.handleLength[0], 10.05);
    for (int t = 0; t < 800; ++t) relaxStep(&root, kNeverStep, started);
    const double handle = std::tan(3.14159 / 3) * 50.0 * 0.5;
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("arm " + std::to_string(k));
        EXPECT_NEAR(root.armAngle[k], k * 6.28318 / 3, 0.05);
        EXPECT_NEAR(root.handleLength[k], handle, 0.05);
        EXPECT_DOUBLE_EQ(root.armLength[k], 50.0) << "the root's arms are not pulled";
    }
    EXPECT_EQ(root.x, 0.0);
    EXPECT_EQ(root.y, 0.0);
}

TEST(RootStep, ArmsAndMovingPointSwingBelowTheirStart) {
    Fiber fiber("((3,2),2,2,2)");
    DivisorNode& root = *fiber.root;
    int started = 0;
    double lowestLength = 50.0;
    double lowestMoving = 0.0;
    for (int t = 0; t < 26; ++t) {
        relaxStep(&root, kAlwaysStep, started);
        lowestLength = std::min(lowestLength, root.armLength[0]);
        lowestMoving = std::min(lowestMoving, root.movingX);
        EXPECT_LE(root.armLength[0], 50.0 + 1e-9) << "tick " << t;
    }
    EXPECT_NEAR(lowestLength, 50.0 - 6.6, 1e-9);
    EXPECT_NEAR(lowestMoving, -6.6, 1e-9);
    EXPECT_NEAR(root.armLength[0], 50.0, 1e-9) << "two full cycles come back";
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

// Children sit at the ends of their parents' arms, facing back; their arms are held near 30.
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
            ASSERT_NEAR(q->armAngle[0], p->armAngle[i] - 3.1415926535, 0.05 * 3.3 + 1e-9)
                << "the back arm faces the parent up to its jitter";
            ASSERT_NEAR(q->movingX, q->x, 3.3 + 1e-9);
            if (t < 20) continue;  // from 25 the arms climb a pixel a step
            for (int j = 0; j < q->degree; ++j) {
                ASSERT_GE(q->armLength[j], 29.5 - 3.3 - 1.0);
                ASSERT_LE(q->armLength[j], 30.5 + 1.0);
            }
        }
    }
}

TEST(ChildStep, ChainNodeSettlesStraightOn) {
    Fiber fiber("((7,2),5,5,4)");  // chains 5, 3, 1
    DivisorNode& middle = *fiber.root->neighbors[0];
    ASSERT_EQ(middle.degree, 2);
    middle.armAngle[1] += 1.0;  // bent away from straight
    int started = 0;
    for (int t = 0; t < 100; ++t) relaxStep(fiber.root, kNeverStep, started);
    EXPECT_DOUBLE_EQ(middle.armAngle[0], fiber.root->armAngle[0] - 3.1415926535);
    EXPECT_NEAR(middle.armAngle[1] - middle.armAngle[0], 6.28318 / 2, 0.05);
    // With breathing on it wobbles around the straight line, within the swing of one cycle.
    for (int t = 0; t < 100; ++t) {
        relaxStep(fiber.root, kAlwaysStep, started);
        ASSERT_NEAR(middle.armAngle[1] - middle.armAngle[0], 3.14159, 0.2) << "tick " << t;
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
    const std::vector<Case> cases{{"none empty", {true, true, true}, 3},
                                  {"middle empty", {true, false, true}, 2},
                                  {"first empty", {false, true, true}, 2},
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

// A root P at the origin and a joining curve J with three points per stub; `links` lists the
// points of J that meet P, each on its own arm of P pointing along `angles`.
struct CurveScene {
    DivisorNode p;
    DivisorNode j;

    CurveScene(int points, const std::vector<int>& links, const std::vector<double>& angles) {
        const int arms = static_cast<int>(links.size());
        initNode(p, arms, nullptr, 0.0, 0.0, 1, 3, Arm{40.0, 40.0, angles[0]});
        for (int a = 0; a < arms; ++a) {
            p.neighbors[a] = &j;
            p.armAngle[a] = angles[a];
            p.armLength[a] = 40.0;
            p.handleLength[a] = 40.0;
        }
        initNode(j, points, nullptr, 0.0, 0.0, 1000, 1, Arm{10.0, 30.0, 0.0});
        j.pointCount = points;
        j.pointX.assign(points, 0.0);
        j.pointY.assign(points, 0.0);
        for (int k = 0; k < points; ++k) {
            j.armLength[k] = 30.0;
            j.handleLength[k] = 10.0;
            j.armAngle[k] = 0.3 * k;
            j.pointX[k] = 60.0 + 7.0 * k;  // free points start away from everything
            j.pointY[k] = -50.0 + 3.0 * k;
        }
        for (const int link : links) j.neighbors[link] = &p;
    }
};

TEST(JoiningCurve, GathersItsFreePointsAndCollapsesIntoAnOrdinaryNode) {
    CurveScene scene(6, {1}, {0.0});
    int started = 0;
    relaxStep(&scene.p, kNeverStep, started);
    // The linked point sits at the end of P's arm, facing P.
    EXPECT_DOUBLE_EQ(scene.j.pointX[1], 70.0);
    EXPECT_DOUBLE_EQ(scene.j.pointY[1], 0.0);
    EXPECT_DOUBLE_EQ(scene.j.armAngle[1], 3.14159);
    EXPECT_EQ(scene.j.movingX, 70.0);
    EXPECT_DOUBLE_EQ(scene.j.pointX[0], 62.0) << "free points move 2 pixels toward it";
    int ticks = 1;
    while (scene.j.pointCount != 0 && ticks < 200) {
        relaxStep(&scene.p, kNeverStep, started);
        ++ticks;
    }
    ASSERT_EQ(scene.j.pointCount, 0) << "never collapsed";
    EXPECT_EQ(scene.j.degree, 1);
    EXPECT_EQ(scene.j.neighbors[0], &scene.p);
    EXPECT_DOUBLE_EQ(scene.j.x, 70.0);
    EXPECT_EQ(started, 0) << "a single link does not start the relaxation";
    // From now on J is placed as an ordinary child.
    relaxStep(&scene.p, kNeverStep, started);
    EXPECT_NEAR(scene.j.x, 40.0 + scene.j.armLength[0], 1e-9);
}

TEST(JoiningCurve, SeveralLinksCollapseOnceWhileTheRelaxationHasNotStarted) {
    // With two or more links J gathers toward twice the mean of its linked points.
    CurveScene gathering(6, {1, 4}, {0.0, 1.0});
    int notStarted = 0;
    relaxStep(&gathering.p, kNeverStep, notStarted);
    EXPECT_DOUBLE_EQ(gathering.j.movingX, gathering.j.pointX[1] + gathering.j.pointX[4]);
    EXPECT_DOUBLE_EQ(gathering.j.movingY, gathering.j.pointY[1] + gathering.j.pointY[4]);

    struct Case {
        const char* label;
        int startedBefore;
        int degreeAfter;
        int startedAfter;
    };
    // Arms 0 . 1 P . 2 . 3 . 4 P . 5 .: the run 2, 3 shrinks to 3; 0 and 5 stay.
    const std::vector<Case> cases{{"not started", 0, 5, 1}, {"already started", 1, 6, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CurveScene scene(6, {1, 4}, {0.0, 3.1415926535});
        int started = c.startedBefore;
        for (int t = 0; t < 200 && scene.j.degree == 6; ++t) {
            relaxStep(&scene.p, kNeverStep, started);
        }
        EXPECT_EQ(scene.j.degree, c.degreeAfter);
        EXPECT_EQ(scene.j.pointCount, c.degreeAfter);
        EXPECT_EQ(started, c.startedAfter);
        if (c.degreeAfter == 5) {
            EXPECT_EQ(scene.j.neighbors[0], nullptr);
            EXPECT_EQ(scene.j.neighbors[2], nullptr);
            EXPECT_EQ(scene.j.neighbors[4], nullptr);
            EXPECT_EQ((scene.j.neighbors[1] == &scene.p) + (scene.j.neighbors[3] == &scene.p), 2);
            EXPECT_LT(scene.j.handleLength[1] * scene.j.handleLength[0], 0.0)
                << "arms toward the divisor turn their handles over";
        }
    }
}

}  // namespace
}  // namespace dorvanix
