#include "model/divisor_notation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// Also checks that every curve of a chain points back to the curve before it.
std::vector<Curve> branchOf(const DivisorNode& root, int k) {
    std::vector<Curve> curves;
    const DivisorNode* parent = &root;
    for (const DivisorNode* node = root.neighbor(k); node != nullptr;
         node = node->degree == 2 ? node->neighbor(1) : nullptr) {
        curves.push_back({node->multiplicity, node->selfIntersection, node->serial});
        if (node->multiplicity == 0) continue;  // an empty branch has no links
        EXPECT_EQ(node->neighbor(0), parent) << "serial " << node->serial;
        EXPECT_EQ(node->neighbors.size(), static_cast<std::size_t>(node->degree));
        EXPECT_EQ(node->armAngle.size(), static_cast<std::size_t>(node->degree));
        parent = node;
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

// Reads a fiber line "((m,r),...)" or divisor notation "(m;...)", as the text starts.
void parse(NodePool& pool, DivisorNode& root, const char* text) {
    if (text[1] == '(') {
        parseFiberLine(pool, root, text);
    } else {
        parseDivisorNotation(pool, root, text);
    }
}

// Curves as (multiplicity, self-intersection, serial) from the core outward; the printed
// notation. Every listed fiber of small m, r, b is read and printed in fiber_invariants_test.cpp;
// here the serials, numbers of more than one digit and the empty branches only sub-divisors have.
TEST(Parsers, BuildTheChainsWithTheirSelfIntersectionsAndSerials) {
    struct Row {
        const char* name;
        const char* text;
        int m, r;
        const char* printed;
        std::vector<std::vector<Curve>> branches;
    };
    const Row rows[] = {
        {"fiber line, chains of different lengths",
         "((6,2),5,4,3)",
         6,
         2,
         "(6;(5,4,3,2,1),(4,2),(3))",
         {{{5, 2, 2}, {4, 2, 3}, {3, 2, 4}, {2, 2, 5}, {1, 2, 6}},
          {{4, 2, 7}, {2, 2, 8}},
          {{3, 2, 9}}}},
        {"notation, sub-divisor line with its annotation",
         "(2;(2,2,2),(2),()):: ell = 2 :: type = BC0",
         2,
         2,
         "(2;(2,2,2),(2),())",
         {{{2, 1, 2}, {2, 1, 3}, {2, 1, 4}}, {{2, 1, 5}}, {{0, 0, 6}}}},
        {"notation, empty first branch",
         "(1;(),(1,1),(1,1))",
         1,
         2,
         "(1;(),(1,1),(1,1))",
         {{{0, 0, 2}}, {{1, 1, 3}, {1, 1, 4}}, {{1, 1, 5}, {1, 1, 6}}}},
        {"notation, truncated core quotient",
         "(3;(2),(2),(1))",
         3,
         1,
         "(3;(2),(2),(1))",
         {{{2, 2, 2}}, {{2, 2, 3}}, {{1, 3, 4}}}},
        {"multi-digit fiber line",
         "((12,3),11,10,9,6)",
         12,
         3,
         "(12;(11,10,9,8,7,6,5,4,3,2,1),(10,8,6,4,2),(9,6,3),(6))",
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NodePool pool;
        DivisorNode& root = pool.take();
        if (row.text[1] == '(') {
            parseFiberLine(pool, root, row.text);
        } else {
            EXPECT_EQ(parseDivisorNotation(pool, root, row.text), row.r) << "the returned r";
        }
        EXPECT_EQ(root.multiplicity, row.m);
        EXPECT_EQ(root.selfIntersection, row.r);
        EXPECT_EQ(root.serial, 1);
        const std::string printed = printDivisorNotation(root);
        EXPECT_EQ(printed, row.printed);
        EXPECT_EQ(divisorNotationLength(root), static_cast<int>(printed.size()));
        for (std::size_t k = 0; k < row.branches.size(); ++k) {
            EXPECT_EQ(show(branchOf(root, static_cast<int>(k))), show(row.branches[k]))
                << "branch " << k + 1;
        }
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
        {"notation without bracket", "3;(2,1),(2,1),(2,1))", false},
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

TEST(Parsers, BoundedPoolThatRunsOutThrowsInsteadOfHandingOutNull) {
    struct Row {
        const char* name;
        const char* text;
    };
    // Each needs more than the 6 slots the pool has (the root takes one).
    const Row rows[] = {
        {"fiber line", "((6,2),5,4,3)"},
        {"divisor notation", "(5;(4,3,2,1),(3,1),(3,1))"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NodePool pool(6, NodePool::Growth::Bounded);
        DivisorNode& root = pool.take();
        EXPECT_THROW(parse(pool, root, row.text), PoolExhausted);
        EXPECT_EQ(pool.inUseCount(), 6u);
    }
}

}  // namespace
}  // namespace dorvanix
