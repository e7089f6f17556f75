#include "model/tree_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/arithmetic.h"
#include "model/divisor_notation.h"

namespace dorvanix {
namespace {

TEST(Gcd, TakesAbsoluteValuesAndTreatsZeroAsNeutral) {
    const int rows[][3] = {{-4, 6, 2}, {0, -5, 5}, {0, 0, 0}, {-12, -18, 6}, {9, 28, 1}};
    for (const auto& [a, b, expected] : rows) {
        EXPECT_EQ(gcd(a, b), expected) << a << ", " << b;
        EXPECT_EQ(gcd(b, a), expected) << b << ", " << a;
        EXPECT_EQ(gcd64(a, b), expected) << a << ", " << b;
    }
    EXPECT_EQ(gcd64(6'000'000'000LL, 4'000'000'000LL), 2'000'000'000LL);
}

TEST(SupportEulerNumber, CountsCurvesOfNonzeroMultiplicityHangingOnTheCore) {
    struct Row {
        const char* name;
        const char* divisor;
        int expected;
    };
    const Row rows[] = {
        {"three single curves", "(1;(1),(1),(1))", 5},
        {"one empty branch", "(1;(1),(1),())", 4},
        {"all empty: the core alone", "(1;(),(),())", 2},
        {"the core counts whatever its multiplicity", "(0;(1),(1),(1))", 5},
        {"a zero cuts the chain beyond it", "(2;(2,0,1),(1),(1))", 5},
        {"long chain", "(5;(4,3,2,1),(3,1),(3,1))", 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NodePool pool;
        DivisorNode& root = pool.take();
        parseDivisorNotation(pool, root, row.divisor);
        EXPECT_EQ(supportEulerNumber(root), row.expected);
        EXPECT_EQ(supportEulerNumber(root), row.expected) << "a second walk gives the same";
    }
}

TEST(ReleaseSubtree, FreesTheNodeAndItsChildrenButNeverItsParent) {
    NodePool pool(NodePool::kClassicCapacity, NodePool::Growth::Bounded);
    DivisorNode& root = pool.take();
    parseFiberLine(pool, root, "((3,2),2,2,2)");
    ASSERT_EQ(pool.inUseCount(), 7u);
    DivisorNode* first = root.neighbor(0);
    DivisorNode* second = first->neighbor(1);
    releaseSubtree(pool, first);
    EXPECT_EQ(first->inUse, 0);
    EXPECT_EQ(second->inUse, 0);
    EXPECT_EQ(root.inUse, 1) << "the walk went back up to the core";
    EXPECT_EQ(root.neighbor(1)->inUse, 1) << "a sibling branch was released";
    EXPECT_EQ(pool.inUseCount(), 5u);

    releaseSubtree(pool, nullptr);
    DivisorNode& noArray = pool.take();
    noArray.degree = 3;  // claims neighbours but has no array
    releaseSubtree(pool, &noArray);
    EXPECT_EQ(noArray.inUse, 0);
}

TEST(ReleaseBranches, FreesEveryBranchKeepsTheCoreAndItsDegree) {
    NodePool pool(NodePool::kClassicCapacity, NodePool::Growth::Bounded);
    DivisorNode& root = pool.take();
    parseFiberLine(pool, root, "((6,2),5,4,3)");
    ASSERT_EQ(pool.inUseCount(), 1u + 5 + 2 + 1);
    releaseBranches(pool, root);
    EXPECT_EQ(pool.inUseCount(), 1u);
    EXPECT_EQ(root.inUse, 1);
    EXPECT_EQ(root.degree, 3);
    EXPECT_EQ(root.neighbor(0), nullptr);
    // The freed slots are handed out again, lowest first: the slot right after the core.
    EXPECT_EQ(pool.indexOf(pool.takeNode()), 1);
}

// Walks that leave visited flags set come first, so clearVisited must reset every node.
TEST(RecentreDivisor, PutsTheMeanPositionAtTheOrigin) {
    for (const char* text : {"((6,2),5,4,3)", "((7,3),6,6,5,4)"}) {
        SCOPED_TRACE(text);
        NodePool pool;
        DivisorNode& root = pool.take();
        parseFiberLine(pool, root, text);
        supportEulerNumber(root);
        translateDivisor(root, -130.0, 45.0);
        recentreDivisor(root);
        double sumX = 0.0, sumY = 0.0;
        int count = 0;
        clearVisited(&root);
        sumPositions(root, sumX, sumY, count);
        EXPECT_EQ(count, static_cast<int>(pool.inUseCount())) << "every node is counted once";
        EXPECT_NEAR(sumX / count, 0.0, 1e-9);
        EXPECT_NEAR(sumY / count, 0.0, 1e-9);
        EXPECT_DOUBLE_EQ(root.movingX, root.x) << "the moving point moves along";
    }
}

TEST(RecentreDivisor, UsesTheExtraPointsOfAJoiningCurveInsteadOfItsPosition) {
    NodePool pool;
    DivisorNode& root = pool.take();
    parseDivisorNotation(pool, root, "(1;(1),(1),(1))");
    DivisorNode& curve = *root.neighbor(0);
    curve.x = 1000.0;  // ignored: the points stand for this node
    curve.pointCount = 2;
    curve.pointX = {10.0, 30.0};
    curve.pointY = {-5.0, 5.0};
    const double expectedX = root.x + 10.0 + 30.0 + root.neighbor(1)->x + root.neighbor(2)->x;
    recentreDivisor(root);
    EXPECT_DOUBLE_EQ(curve.pointX[0], 10.0) << "translation leaves the extra points alone";
    EXPECT_DOUBLE_EQ(root.x, -expectedX / 5);
}

}  // namespace
}  // namespace dorvanix
