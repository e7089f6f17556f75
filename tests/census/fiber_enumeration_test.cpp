#include "census/fiber_enumeration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/exhaustive_fibers.h"

namespace dorvanix {
namespace {

FiberOptions required(std::array<int, 4> multiplicities) {
    return {.multiplicityOption = true, .requiredMultiplicities = multiplicities};
}

// Worked by hand: they anchor the exhaustive walk, which the sweep below holds the fast one to.
TEST(EnumerateFibers, ListsTheKnownFibersInOrder) {
    const std::string m7 =
        "((7,2),6,6,2) : 30 (g=3)|((7,2),6,5,3) : 21 (g=3)|"
        "((7,2),6,4,4) : 23 (g=3)";
    const struct {
        const char* name;
        int m, r, b;
        FiberOptions options;
        std::string expected;  // lines joined by '|'
    } rows[] = {
        {"3,2,3", 3, 2, 3, {}, "((3,2),2,2,2) : 14 (g=1)"},
        {"5,2,3", 5, 2, 3, {}, "((5,2),4,4,2) : 22 (g=2)|((5,2),4,3,3) : 18 (g=2)"},
        {"6,2,3: (4,4,4) fails the gcd test",
         6,
         2,
         3,
         {},
         "((6,2),5,5,2) : 20 (g=2)|((6,2),5,4,3) : 9 (g=1)"},
        {"6,2,3 without duplicates",
         6,
         2,
         3,
         {.noDuplicateBranches = true},
         "((6,2),5,4,3) : 9 (g=1)"},
        {"7,2,3", 7, 2, 3, {}, m7 + "|((7,2),5,5,4) : 19 (g=3)"},
        {"7,2,3 with first multiplicity 6", 7, 2, 3, required({6, 0, 0, 0}), m7},
        {"2,2,4: only (1,1,1,1)", 2, 2, 4, {}, "((2,2),1,1,1,1) : 11 (g=1)"},
        {"more branches than m r", 3, 2, 7, {}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string joined;
        for (const std::string& line : fiberLines(row.m, row.r, row.b, row.options)) {
            joined += (joined.empty() ? "" : "|") + line;
        }
        EXPECT_EQ(joined, row.expected);
    }
}

TEST(FiberEnumeration, ListsTheLinesOfTheFullPartitionWalk) {
    struct OptionRow {
        const char* label;
        FiberOptions options;
    };
    int nonEmpty = 0;
    for (int m = 2; m <= 9; ++m) {
        const OptionRow rows[] = {
            {"no options", {}},
            {"no duplicate branches", {.noDuplicateBranches = true}},
            {"genus 1", {.requiredGenus = 1}},
            {"genus 3", {.requiredGenus = 3}},
            {"at most two simple crusts", {.atMostTwoSimpleCrusts = true}},
            {"first multiplicity m - 1", required({m - 1, 0, 0, 0})},
            {"second multiplicity m / 2", required({0, m / 2, 0, 0})},
            {"fourth multiplicity 1", required({0, 0, 0, 1})},
            {"no duplicates, genus 2, at most two crusts",
             {.noDuplicateBranches = true, .requiredGenus = 2, .atMostTwoSimpleCrusts = true}},
        };
        for (int r = 2; r <= 3; ++r) {
            for (int b = 3; b <= 6; ++b) {
                for (const auto& [label, options] : rows) {
                    const std::vector<std::string> expected = oracle::fiberLines(m, r, b, options);
                    EXPECT_EQ(fiberLines(m, r, b, options), expected)
                        << "m = " << m << ", r = " << r << ", b = " << b << ", " << label;
                    nonEmpty += expected.empty() ? 0 : 1;
                }
            }
        }
    }
    EXPECT_GT(nonEmpty, 100);
    // The first size with fibers of at most two simple crusts, where the option keeps lines.
    const FiberOptions atMostTwo{.atMostTwoSimpleCrusts = true};
    const std::vector<std::string> marked = oracle::fiberLines(10, 3, 6, atMostTwo);
    EXPECT_FALSE(marked.empty());
    EXPECT_EQ(fiberLines(10, 3, 6, atMostTwo), marked);
}

}  // namespace
}  // namespace dorvanix
