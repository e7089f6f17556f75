#include "census/fiber_enumeration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "census/genus_census.h"
#include "census/subdivisor_count.h"
#include "model/divisor_notation.h"
#include "model/dual_graph.h"
#include "model/fiber_data.h"
#include "model/input_check.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"
#include "oracle/exhaustive_fibers.h"
#include "support/small_stack.h"

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
    // Up to m = 9 against the exhaustive walk; past it, each fiber's count against the gcd table
    // counting that fiber alone (the list keeps the work on shared first parts between fibers).
    for (int m = 2; m <= 14; ++m) {
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
                    SCOPED_TRACE(::testing::Message()
                                 << "m = " << m << ", r = " << r << ", b = " << b << ", " << label);
                    if (m > 9) {
                        enumerateFibers(m, r, b, options, [&](const FiberEntry& f) {
                            const FiberData x =
                                fiberFromParts(m, r, {f.parts.begin(), f.parts.end()});
                            EXPECT_EQ(f.simpleCrusts,
                                      tallySubdivisorsByGcdTable(x, kSimpleCrustOptions).clamped())
                                << f.line;
                        });
                        continue;
                    }
                    const std::vector<std::string> expected = oracle::fiberLines(m, r, b, options);
                    EXPECT_EQ(fiberLines(m, r, b, options), expected);
                    nonEmpty += expected.empty() ? 0 : 1;
                    // The bound before listing: exact when a genus or multiplicity is required.
                    const double bound = fiberCountBound(m, r, b, options);
                    EXPECT_GE(bound, static_cast<double>(expected.size()));
                    if ((options.requiredGenus != 0 || options.multiplicityOption) &&
                        !options.atMostTwoSimpleCrusts) {
                        EXPECT_EQ(bound, static_cast<double>(expected.size()));
                    }
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

// Ten thousand branches of 1 (m = 2, r = 5000, genus 4999): the walk keeps its place in arrays
// of its own, so it runs on a stack where a recursion along the branches would overflow.
TEST(FiberEnumeration, TenThousandBranchesNeedNoDeepStack) {
    double bound = 0;
    testing::runOnSmallStack(
        [&] { bound = fiberCountBound(2, 5000, 10000, FiberOptions{.requiredGenus = 4999}); });
    EXPECT_EQ(bound, 1.0) << "the one partition into ones";
}

// The census of a genus is the fiber lists of every (m, r, b) under the genus filter, joined in
// census order, whatever the number of threads; the walk runs a little past the bounds, to catch
// a fiber of that genus outside them.
TEST(GenusCensus, IsTheFiberListsOfEveryShapeFilteredByGenus) {
    for (int genus = 1; genus <= 6; ++genus) {
        SCOPED_TRACE("genus " + std::to_string(genus));
        const GenusBounds bounds = genusBounds(genus);
        FiberOptions options;
        options.requiredGenus = genus;
        std::vector<std::string> expected;
        for (int m = 2; m <= bounds.maxM + 3; ++m) {
            for (int r = 2; r <= bounds.maxR + 2; ++r) {
                for (int b = 3; b <= bounds.maxB + 2; ++b) {
                    for (std::string& line : fiberLines(m, r, b, options)) {
                        expected.push_back(std::move(line));
                    }
                }
            }
        }
        for (int threads : {1, 3}) {
            std::vector<std::string> census;
            EXPECT_TRUE(censusByGenus(
                genus, [&](const CensusFiber& f) { census.emplace_back(f.line); }, nullptr,
                CensusOptions{threads}));
            EXPECT_EQ(census, expected) << threads << " threads";
        }
    }
}

// The census counts fibers with the work kept between fibers of one (m, r, b), by shortfall or by
// summed tables; each count must be the fiber's own. Genus 28 has fibers of more than 2^62
// vectors (m = 4 with 30 branches), which the kept work holds in 128 bits.
TEST(GenusCensus, CountsEachFiberAsItsOwnCount) {
    for (int genus : {7, 28}) {
        SCOPED_TRACE("genus " + std::to_string(genus));
        long long fibers = 0;
        EXPECT_TRUE(censusByGenus(genus, [&](const CensusFiber& f) {
            ++fibers;
            const FiberData x = fiberFromParts(f.shape.m, f.shape.r, f.shape.parts);
            ASSERT_EQ(f.simpleCrusts.exact(), tallySubdivisors(x, kSimpleCrustOptions).exact())
                << f.line;
        }));
        EXPECT_GT(fibers, 100);
    }
}

// ((2,r),1,...,1) with b branches: each branch takes y = 0 or 1 for k = 1, and the vectors that
// reach r are the sum over j >= r of C(b, j). Past 2^128 these are counted exactly by powers of
// one branch's polynomial, summed below r or (r past b / 2) turned round by shortfall.
TEST(SimpleCrusts, CountOfManyEqualBranchesIsASumOfBinomials) {
    const struct { int r, b; } cases[] = {{3, 6}, {100, 200}, {200, 300}, {40, 300}, {5000, 10000}};
    for (const auto& c : cases) {
        SCOPED_TRACE("r = " + std::to_string(c.r) + ", b = " + std::to_string(c.b));
        BigCount binomial = 1;  // C(b, j)
        BigCount expected = 0;
        for (int j = 0; j <= c.b; ++j) {
            if (j >= c.r) expected += binomial;
            binomial = binomial * (c.b - j) / (j + 1);
        }
        const FiberData x = fiberFromParts(2, c.r, std::vector<int>(c.b, 1));
        const SubdivisorTally tally = tallySubdivisors(x, kSimpleCrustOptions);
        EXPECT_EQ(tally.exact(), expected);
        EXPECT_EQ(tally.wide, c.b > 6);
    }
}

// The walk keeps its positions off the stack: a census of genus 3000, whose first fiber has 6002
// branches, starts on a thread of 128 KiB.
TEST(GenusCensus, WalksALargeGenusOnASmallStack) {
    std::vector<int> first;
    testing::runOnSmallStack(
        [&] {
            forEachGenusShape(3000, [&](const CensusShape& shape) {
                first = shape.parts;
                return false;
            });
        },
        std::size_t{128} << 10);
    EXPECT_EQ(first, std::vector<int>(6002, 1));
}

// Every census line is read back whole, annotation and all, by the reader of typed text (the
// tool, the module) and by the one the desktop program's fiber list uses: the annotation is a
// note, so neither its count (past 10000 from genus 7, past any fixed width in principle), nor
// its asterisks, nor a genus that does not fit may stop the reading.
TEST(GenusCensus, EveryLineIsReadBackByEveryReader) {
    NodePool pool;
    long long largeCounts = 0, asterisks = 0;
    const auto readBack = [&](std::string_view line, const CensusShape& shape) {
        SCOPED_TRACE(line);
        const FiberData expected = fiberFromParts(shape.m, shape.r, shape.parts);
        EXPECT_EQ(parseFiberText(line), expected);
        DivisorNode& root = pool.take();
        parseFiberLine(pool, root, line);
        EXPECT_EQ(fiberDataOf(root), expected);
        releaseSubtree(pool, &root);
    };
    for (int genus = 1; genus <= 7; ++genus) {
        censusByGenus(genus, [&](const CensusFiber& f) {
            largeCounts += f.simpleCrusts.clamped() > kMaxInputNumber;
            asterisks += f.line.ends_with('*');
            readBack(f.line, f.shape);
            // The same fiber noted with a count past 2^128 and a genus it does not have.
            readBack(fiberLineWithCount(f.shape.m, f.shape.r, f.shape.parts,
                                        "3" + std::string(60, '1'), 3, genus + 1000),
                     f.shape);
        });
    }
    EXPECT_GT(largeCounts, 0);
    EXPECT_GT(asterisks, 0);
}

// On every fiber of the census of small genera the dual graph is a tree, numerically trivial
// (m_i s_i + the multiplicities of its neighbours = 0 at each curve), and adjunction over the
// rational curves, K.F = sum_i m_i (-2 - s_i) = 2g - 2, gives back the fiber's genus.
TEST(DualGraph, IsANumericallyTrivialTreeOfTheFibersGenus) {
    for (int genus = 1; genus <= 4; ++genus) {
        for (const CensusShape& shape : genusShapes(genus)) {
            const FiberData x = fiberFromParts(shape.m, shape.r, shape.parts);
            SCOPED_TRACE(fiberNotation(x));
            const DualGraph graph = fiberDualGraph(x);
            const std::vector<std::vector<int>> matrix = intersectionMatrix(graph);
            const std::size_t n = graph.vertices.size();
            ASSERT_EQ(graph.edges.size() + 1, n);
            std::vector<bool> reached(n, false);
            reached[0] = true;
            for (const auto& [i, j] : graph.edges) {  // chains are listed outward from the core
                EXPECT_TRUE(reached[static_cast<std::size_t>(i)]);
                reached[static_cast<std::size_t>(j)] = true;
            }
            long long canonical = 0;
            for (std::size_t i = 0; i < n; ++i) {
                long long dot = 0;
                for (std::size_t j = 0; j < n; ++j)
                    dot += matrix[i][j] * graph.vertices[j].multiplicity;
                EXPECT_EQ(dot, 0) << "curve " << i;
                canonical += graph.vertices[i].multiplicity * (-2LL - matrix[i][i]);
            }
            EXPECT_EQ(canonical, 2LL * genus - 2);
        }
    }
}

}  // namespace
}  // namespace dorvanix
