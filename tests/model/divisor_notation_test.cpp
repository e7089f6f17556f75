#include "model/divisor_notation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/fiber_data.h"
#include "model/tree_operations.h"

namespace dorvanix {
namespace {

// One branch as (multiplicity, selfIntersection, serial) from the core outward.
struct Curve {
    int multiplicity;
    int selfIntersection;
    int serial;
    bool operator==(const Curve&) const = default;
};

std::vector<Curve> branchOf(const DivisorNode& root, int k) {
    std::vector<Curve> curves;
    for (const DivisorNode* node = root.neighbor(k); node != nullptr;
         node = node->degree == 2 ? node->neighbor(1) : nullptr) {
        curves.push_back({node->multiplicity, node->selfIntersection, node->serial});
    }
    return curves;
}

std::string show(const std::vector<Curve>& curves) {
    std::string text;
    for (const Curve& c : curves) {
        text += "[" + std::to_string(c.multiplicity) + " r" + std::to_string(c.selfIntersection) +
                " #" + std::to_string(c.serial) + "]";
    }
    return text;
}

TEST(ParseFiberLine, BuildsTheChainsOfTheContinuedFraction) {
    struct Row {
        const char* name;
        const char* line;
        int m, r;
        std::vector<std::vector<Curve>> branches;
    };
    const Row rows[] = {
        {"three chains 2,1", "((3,2),2,2,2)", 3, 2,
         {{{2, 2, 2}, {1, 2, 3}}, {{2, 2, 4}, {1, 2, 5}}, {{2, 2, 6}, {1, 2, 7}}}},
        {"chains of different lengths", "((6,2),5,4,3)", 6, 2,
         {{{5, 2, 2}, {4, 2, 3}, {3, 2, 4}, {2, 2, 5}, {1, 2, 6}},
          {{4, 2, 7}, {2, 2, 8}},
          {{3, 2, 9}}}},
        {"annotation is ignored", "((3,2),2,2,2) : 14 (g=1)", 3, 2,
         {{{2, 2, 2}, {1, 2, 3}}, {{2, 2, 4}, {1, 2, 5}}, {{2, 2, 6}, {1, 2, 7}}}},
        {"asterisks are ignored", "((2,2),1,1,1,1) : 2 (g=1)*********************", 2, 2,
         {{{1, 2, 2}}, {{1, 2, 3}}, {{1, 2, 4}}, {{1, 2, 5}}}},
        {"7/5 gives 5,3,1 with 2,2,3", "((7,2),5,5,4)", 7, 2,
         {{{5, 2, 2}, {3, 2, 3}, {1, 3, 4}},
          {{5, 2, 5}, {3, 2, 6}, {1, 3, 7}},
          {{4, 2, 8}, {1, 4, 9}}}},
        {"non-coprime branch ends on the gcd", "((6,2),4,4,3,1)", 6, 2,
         {{{4, 2, 2}, {2, 2, 3}}, {{4, 2, 4}, {2, 2, 5}}, {{3, 2, 6}}, {{1, 6, 7}}}},
        {"multi-digit numbers", "((12,3),11,10,9,6)", 12, 3,
         {{{11, 2, 2}, {10, 2, 3}, {9, 2, 4}, {8, 2, 5}, {7, 2, 6}, {6, 2, 7}, {5, 2, 8},
           {4, 2, 9}, {3, 2, 10}, {2, 2, 11}, {1, 2, 12}},
          {{10, 2, 13}, {8, 2, 14}, {6, 2, 15}, {4, 2, 16}, {2, 2, 17}},
          {{9, 2, 18}, {6, 2, 19}, {3, 2, 20}},
          {{6, 2, 21}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NodePool pool;
        DivisorNode& root = pool.take();
        parseFiberLine(pool, root, row.line);
        EXPECT_EQ(root.multiplicity, row.m);
        EXPECT_EQ(root.selfIntersection, row.r);
        EXPECT_EQ(root.serial, 1);
        ASSERT_EQ(root.degree, static_cast<int>(row.branches.size()));
        for (int k = 0; k < root.degree; ++k) {
            EXPECT_EQ(show(branchOf(root, k)), show(row.branches[k])) << "branch " << k + 1;
        }
    }
}

TEST(ParseFiberLine, EveryChainNodePointsBackToItsParent) {
    NodePool pool;
    DivisorNode& root = pool.take();
    parseFiberLine(pool, root, "((6,2),5,4,3)");
    for (int k = 0; k < root.degree; ++k) {
        const DivisorNode* parent = &root;
        for (const DivisorNode* node = root.neighbor(k); node != nullptr;
             node = node->neighbor(1)) {
            EXPECT_EQ(node->neighbor(0), parent) << "serial " << node->serial;
            EXPECT_EQ(node->neighbors.size(), static_cast<std::size_t>(node->degree));
            EXPECT_EQ(node->armAngle.size(), static_cast<std::size_t>(node->degree));
            parent = node;
        }
        EXPECT_EQ(parent->degree, 1) << "the last curve of branch " << k + 1;
    }
}

TEST(Parsers, LeaveTheRootUntouchedWhenTheTextDoesNotStartRight) {
    struct Row {
        const char* name;
        const char* text;
        bool fiberLine;
    };
    const Row rows[] = {
        {"fiber line with one bracket", "(3,2),2,2,2)", true},
        {"fiber line empty", "", true},
        {"fiber line starting with a blank", " ((3,2),2,2,2)", true},
        {"notation without bracket", "3;(2,1),(2,1),(2,1))", false},
        {"notation empty", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NodePool pool;
        DivisorNode& root = pool.take();
        root.multiplicity = 9;
        root.selfIntersection = 4;
        if (row.fiberLine) {
            parseFiberLine(pool, root, row.text);
        } else {
            EXPECT_EQ(parseDivisorNotation(pool, root, row.text), 4);
        }
        EXPECT_EQ(root.multiplicity, 9);
        EXPECT_EQ(root.selfIntersection, 4);
        EXPECT_EQ(pool.inUseCount(), 1u);
    }
}

TEST(ParseDivisorNotation, BuildsEmptyBranchesAndDerivesSelfIntersections) {
    struct Row {
        const char* name;
        const char* text;
        int k, returned;
        std::vector<std::vector<Curve>> branches;
    };
    const Row rows[] = {
        {"empty last branch", "(2;(2),(2),())", 2, 2,
         {{{2, 1, 2}}, {{2, 1, 3}}, {{0, 0, 4}}}},
        {"fiber in notation", "(3;(2,1),(2,1),(2,1))", 3, 2,
         {{{2, 2, 2}, {1, 2, 3}}, {{2, 2, 4}, {1, 2, 5}}, {{2, 2, 6}, {1, 2, 7}}}},
        {"sub-divisor line with its annotation", "(2;(2,2,2),(2),()):: ell = 2 :: type = BC0", 2,
         2, {{{2, 1, 2}, {2, 1, 3}, {2, 1, 4}}, {{2, 1, 5}}, {{0, 0, 6}}}},
        {"empty first branch", "(1;(),(1,1),(1,1))", 1, 2,
         {{{0, 0, 2}}, {{1, 1, 3}, {1, 1, 4}}, {{1, 1, 5}, {1, 1, 6}}}},
        {"rounded-up quotient", "(5;(4,3,2,1),(3,1),(3,1))", 5, 2,
         {{{4, 2, 2}, {3, 2, 3}, {2, 2, 4}, {1, 2, 5}}, {{3, 2, 6}, {1, 3, 7}},
          {{3, 2, 8}, {1, 3, 9}}}},
        {"truncated core quotient", "(3;(2),(2),(1))", 3, 1, {{{2, 2, 2}}, {{2, 2, 3}}, {{1, 3, 4}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NodePool pool;
        DivisorNode& root = pool.take();
        EXPECT_EQ(parseDivisorNotation(pool, root, row.text), row.returned);
        EXPECT_EQ(root.multiplicity, row.k);
        EXPECT_EQ(root.selfIntersection, row.returned);
        ASSERT_EQ(root.degree, static_cast<int>(row.branches.size()));
        for (int k = 0; k < root.degree; ++k) {
            EXPECT_EQ(show(branchOf(root, k)), show(row.branches[k])) << "branch " << k + 1;
        }
    }
}

TEST(ParseDivisorNotation, EmptyBranchNodeKeepsTheStateOfAFreshNode) {
    NodePool pool(8, NodePool::Growth::Bounded);
    // Dirty every slot first, so that a node that is not reset would show it.
    std::vector<DivisorNode*> dirty;
    for (int i = 0; i < 8; ++i) {
        DivisorNode* node = pool.takeNode();
        node->marked = 1;
        node->pointCount = 2;
        node->degree = 3;
        node->neighbors.assign(3, node);
        dirty.push_back(node);
    }
    for (DivisorNode* node : dirty) pool.releaseNode(node);
    DivisorNode& root = pool.take();
    parseDivisorNotation(pool, root, "(2;(2),(2),())");
    const DivisorNode* empty = root.neighbor(2);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->degree, 1);
    EXPECT_TRUE(empty->neighbors.empty());
    EXPECT_EQ(empty->marked, 0);
    EXPECT_EQ(empty->pointCount, 0);
}

TEST(PrintDivisorNotation, WritesBackWhatWasParsed) {
    struct Row {
        const char* name;
        const char* fiberLine;  // null: parse `notation` itself
        const char* notation;
    };
    const Row rows[] = {
        {"from a fiber line", "((3,2),2,2,2)", "(3;(2,1),(2,1),(2,1))"},
        {"long and short chains", "((5,2),4,3,3)", "(5;(4,3,2,1),(3,1),(3,1))"},
        {"single curves", "((2,2),1,1,1,1)", "(2;(1),(1),(1),(1))"},
        {"multi-digit", "((12,3),11,10,9,6)",
         "(12;(11,10,9,8,7,6,5,4,3,2,1),(10,8,6,4,2),(9,6,3),(6))"},
        {"notation with an empty branch", nullptr, "(2;(2),(2),())"},
        {"notation with an empty first branch", nullptr, "(1;(),(1,1),(1,1))"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NodePool pool;
        DivisorNode& root = pool.take();
        if (row.fiberLine != nullptr) {
            parseFiberLine(pool, root, row.fiberLine);
        } else {
            parseDivisorNotation(pool, root, row.notation);
        }
        const std::string printed = printDivisorNotation(root);
        EXPECT_EQ(printed, row.notation);
        EXPECT_EQ(divisorNotationLength(root), static_cast<int>(printed.size()));
    }
}

TEST(Geometry, CoreArmsSpreadEvenlyAndChainsPointStraightOn) {
    constexpr double kFullTurn = 6.283185307;
    constexpr double kHalfTurn = 3.1415926535;
    struct Row {
        const char* name;
        const char* text;
        bool fiberLine;
        int branches;
        double armLength, spread;
    };
    const Row rows[] = {
        {"fiber line, 3 branches", "((3,2),2,2,2)", true, 3, 50, 0.8},
        {"notation, 3 branches", "(3;(2,1),(2,1),(2,1))", false, 3, 40, 0.8},
        {"fiber line, 4 branches", "((2,2),1,1,1,1)", true, 4, 50, 0.6},
        {"fiber line, 5 branches", "((3,3),2,2,2,2,1)", true, 5, 50, 0.5},
        {"notation, 9 branches", "(1;(1),(1),(1),(1),(1),(1),(1),(1),(1))", false, 9, 40, 0.3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NodePool pool;
        DivisorNode& root = pool.take();
        if (row.fiberLine) {
            parseFiberLine(pool, root, row.text);
        } else {
            parseDivisorNotation(pool, root, row.text);
        }
        ASSERT_EQ(root.degree, row.branches);
        EXPECT_DOUBLE_EQ(root.x, 0.0);
        EXPECT_DOUBLE_EQ(root.y, 0.0);
        for (int k = 0; k < row.branches; ++k) {
            SCOPED_TRACE("arm " + std::to_string(k));
            EXPECT_DOUBLE_EQ(root.armAngle[k], k * kFullTurn / row.branches);
            EXPECT_DOUBLE_EQ(root.armLength[k], row.armLength);
            EXPECT_DOUBLE_EQ(root.handleLength[k], row.armLength * row.spread);
            const DivisorNode& first = *root.neighbor(k);
            EXPECT_DOUBLE_EQ(first.armAngle[0], root.armAngle[k] - kHalfTurn);
            EXPECT_DOUBLE_EQ(first.armLength[0], 25.0);
            EXPECT_DOUBLE_EQ(first.handleLength[0], 25 * 1.3);
            const double distance = row.armLength + 25.0;
            EXPECT_NEAR(first.x, std::cos(root.armAngle[k]) * distance, 1e-9);
            EXPECT_NEAR(first.y, std::sin(root.armAngle[k]) * distance, 1e-9);
            EXPECT_DOUBLE_EQ(first.movingX, first.x);
            if (first.degree == 2) {
                EXPECT_DOUBLE_EQ(first.armAngle[1], first.armAngle[0] + kHalfTurn)
                    << "a middle curve points straight on";
                const DivisorNode& second = *first.neighbor(1);
                EXPECT_NEAR(second.x, first.x + std::cos(first.armAngle[1]) * 50.0, 1e-9);
                EXPECT_NEAR(second.y, first.y + std::sin(first.armAngle[1]) * 50.0, 1e-9);
            }
        }
    }
}

TEST(ParseFiberLine, SameMultiplicitiesAndSelfIntersectionsAsTheNotationOfTheFiber) {
    const char* const lines[] = {"((3,2),2,2,2)", "((5,2),4,4,2)", "((7,2),6,5,3)",
                                 "((9,3),8,8,7,4)", "((6,3),5,5,5,1,1,1)"};
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        NodePool pool;
        DivisorNode& fromLine = pool.take();
        parseFiberLine(pool, fromLine, line);
        DivisorNode& fromNotation = pool.take();
        const int r = parseDivisorNotation(pool, fromNotation, printDivisorNotation(fromLine));
        EXPECT_EQ(r, fromLine.selfIntersection);
        EXPECT_EQ(fiberDataOf(fromNotation), fiberDataOf(fromLine));
        for (int k = 0; k < fromLine.degree; ++k) {
            EXPECT_EQ(show(branchOf(fromNotation, k)), show(branchOf(fromLine, k)))
                << "branch " << k + 1;
        }
    }
}

}  // namespace
}  // namespace dorvanix

namespace dorvanix {
namespace {

TEST(Parsers, BoundedPoolThatRunsOutThrowsInsteadOfHandingOutNull) {
    struct Row {
        const char* name;
        const char* text;
        bool fiberLine;
    };
    // Each needs more than the 6 slots the pool has (the root takes one).
    const Row rows[] = {
        {"fiber line", "((6,2),5,4,3)", true},
        {"divisor notation", "(5;(4,3,2,1),(3,1),(3,1))", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NodePool pool(6, NodePool::Growth::Bounded);
        DivisorNode& root = pool.take();
        if (row.fiberLine) {
            EXPECT_THROW(parseFiberLine(pool, root, row.text), PoolExhausted);
        } else {
            EXPECT_THROW(parseDivisorNotation(pool, root, row.text), PoolExhausted);
        }
        EXPECT_EQ(pool.inUseCount(), 6u);
    }
}

}  // namespace
}  // namespace dorvanix
