#include "model/divisor_notation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/tree_operations.h"

namespace dorvanix {
namespace {

// The curves of every branch from the core outward as multiplicity r self-intersection #serial,
// branches apart by " | ". Also checks that every curve of a chain points back to the one before.
std::string curvesOf(const DivisorNode& root) {
    std::string text;
    for (int k = 0; k < root.degree; ++k) {
        text += k > 0 ? " |" : "";
        const DivisorNode* parent = &root;
        for (const DivisorNode* node = root.neighbor(k); node != nullptr;
             node = node->degree == 2 ? node->neighbor(1) : nullptr) {
            text += (text.empty() ? "" : " ") + std::to_string(node->multiplicity) + "r" +
                    std::to_string(node->selfIntersection) + "#" + std::to_string(node->serial);
            if (node->multiplicity == 0) continue;  // an empty branch has no links
            EXPECT_EQ(node->neighbor(0), parent) << "serial " << node->serial;
            EXPECT_EQ(node->neighbors.size(), static_cast<std::size_t>(node->degree));
            EXPECT_EQ(node->armAngle.size(), static_cast<std::size_t>(node->degree));
            parent = node;
        }
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
    const struct {
        const char* name;
        const char* text;
        int m, r;
        const char* printed;
        const char* curves;  // empty: not compared
    } rows[] = {
        {"fiber line, chains of different lengths", "((6,2),5,4,3)", 6, 2,
         "(6;(5,4,3,2,1),(4,2),(3))", "5r2#2 4r2#3 3r2#4 2r2#5 1r2#6 | 4r2#7 2r2#8 | 3r2#9"},
        {"notation, sub-divisor line with its annotation",
         "(2;(2,2,2),(2),()):: ell = 2 :: type = BC0", 2, 2, "(2;(2,2,2),(2),())",
         "2r1#2 2r1#3 2r1#4 | 2r1#5 | 0r0#6"},
        {"notation, empty first branch", "(1;(),(1,1),(1,1))", 1, 2, "(1;(),(1,1),(1,1))",
         "0r0#2 | 1r1#3 1r1#4 | 1r1#5 1r1#6"},
        {"notation, truncated core quotient", "(3;(2),(2),(1))", 3, 1, "(3;(2),(2),(1))",
         "2r2#2 | 2r2#3 | 1r3#4"},
        {"multi-digit fiber line", "((12,3),11,10,9,6)", 12, 3,
         "(12;(11,10,9,8,7,6,5,4,3,2,1),(10,8,6,4,2),(9,6,3),(6))", ""},
    };
    for (const auto& row : rows) {
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
        if (*row.curves != 0) {
            EXPECT_EQ(curvesOf(root), row.curves);
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
