#include "model/fiber_enumeration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/fiber_data.h"

namespace dorvanix {
namespace {

FiberOptions multiplicities(std::array<int, 4> values) {
    FiberOptions options;
    options.multiplicityOption = true;
    options.requiredMultiplicities = values;
    return options;
}

// The worked examples; the options one at a time are compared with the described walk for
// every small fiber size in fast_fiber_enumeration_test.cpp.
TEST(EnumerateFibers, ListsTheKnownFibersInOrder) {
    FiberOptions noDuplicates;
    noDuplicates.noDuplicateBranches = true;
    const struct {
        const char* name;
        int m, r, b;
        FiberOptions options;
        std::vector<std::string> expected;
    } rows[] = {
        {"3,2,3", 3, 2, 3, {}, {"((3,2),2,2,2) : 14 (g=1)"}},
        {"5,2,3", 5, 2, 3, {}, {"((5,2),4,4,2) : 22 (g=2)", "((5,2),4,3,3) : 18 (g=2)"}},
        {"5,2,3 without duplicate branches", 5, 2, 3, noDuplicates, {}},
        {"6,2,3: (4,4,4) fails the gcd test",
         6,
         2,
         3,
         {},
         {"((6,2),5,5,2) : 20 (g=2)", "((6,2),5,4,3) : 9 (g=1)"}},
        {"6,2,3 without duplicate branches", 6, 2, 3, noDuplicates, {"((6,2),5,4,3) : 9 (g=1)"}},
        {"7,2,3",
         7,
         2,
         3,
         {},
         {"((7,2),6,6,2) : 30 (g=3)", "((7,2),6,5,3) : 21 (g=3)", "((7,2),6,4,4) : 23 (g=3)",
          "((7,2),5,5,4) : 19 (g=3)"}},
        {"7,2,3 with first multiplicity 6",
         7,
         2,
         3,
         multiplicities({6, 0, 0, 0}),
         {"((7,2),6,6,2) : 30 (g=3)", "((7,2),6,5,3) : 21 (g=3)", "((7,2),6,4,4) : 23 (g=3)"}},
        {"2,2,4: only (1,1,1,1)", 2, 2, 4, {}, {"((2,2),1,1,1,1) : 11 (g=1)"}},
        {"two positions required",
         7,
         2,
         3,
         multiplicities({6, 4, 0, 0}),
         {"((7,2),6,4,4) : 23 (g=3)"}},
        {"third position required",
         7,
         2,
         3,
         multiplicities({0, 0, 4, 0}),
         {"((7,2),6,4,4) : 23 (g=3)", "((7,2),5,5,4) : 19 (g=3)"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fiberLines(row.m, row.r, row.b, row.options), row.expected);
    }
}

TEST(FiberListLine, MarksFibersWithAtMostTwoSimpleCrusts) {
    const struct {
        const char* name;
        long long crusts;
        const char* expected;
    } rows[] = {
        {"none", 0, "((5,2),4,4,2) : 0 (g=2)*********************"},
        {"two", 2, "((5,2),4,4,2) : 2 (g=2)*********************"},
        {"three: no mark", 3, "((5,2),4,4,2) : 3 (g=2)"},
        {"beyond 32 bits", 123456789012LL, "((5,2),4,4,2) : 123456789012 (g=2)"},
    };
    const int parts[] = {4, 4, 2};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fiberListLine(5, 2, parts, row.crusts, 2), row.expected);
    }
}

// The described walk uses this test too, so it is checked here on its own.
TEST(AcceptFiber, AppliesGcdDuplicateAndGenusTests) {
    const struct {
        const char* name;
        int m;
        std::vector<int> parts;
        bool noDuplicates;
        int genus;
        bool expected;
    } rows[] = {
        {"coprime parts", 6, {5, 4, 3}, false, 0, true},
        {"common factor 2 with m = 6", 6, {4, 4, 4}, false, 0, false},
        {"common factor 3", 6, {3, 3, 3, 3}, false, 0, false},
        {"one part coprime is enough", 6, {4, 4, 3, 1}, false, 0, true},
        {"duplicates allowed", 5, {4, 3, 3}, false, 0, true},
        {"duplicates refused", 5, {4, 3, 3}, true, 0, false},
        {"distinct parts pass", 7, {6, 5, 3}, true, 0, true},
        {"right genus", 5, {4, 4, 2}, false, 2, true},
        {"wrong genus", 5, {4, 4, 2}, false, 1, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(acceptFiber(row.m, row.parts, row.noDuplicates, row.genus), row.expected);
    }
}

}  // namespace
}  // namespace dorvanix
