#include "census/fiber_enumeration.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "census/genus_census.h"
#include "model/dual_graph.h"
#include "model/fiber_data.h"
#include "oracle/exhaustive_fibers.h"

namespace dorvanix {
namespace {

FiberOptions multiplicities(std::array<int, 4> values) {
    FiberOptions options;
    options.multiplicityOption = true;
    options.requiredMultiplicities = values;
    return options;
}

// The worked examples; the options one at a time are compared with the described walk for
// every small fiber size below.
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
        {"more branches than m r", 3, 2, 7, {}, {}},
        {"too few branches to reach m r", 4, 3, 3, {}, {}},
        {"m below 2", 1, 2, 3, {}, {}},
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

struct OptionRow {
    const char* label;
    FiberOptions options;
};

// The option sets of the sweep; the required multiplicities are put in per fiber size below.
std::vector<OptionRow> optionRows(int m) {
    FiberOptions largestFirst;
    largestFirst.multiplicityOption = true;
    largestFirst.requiredMultiplicities = {m - 1, 0, 0, 0};
    FiberOptions secondFixed;
    secondFixed.multiplicityOption = true;
    secondFixed.requiredMultiplicities = {0, m / 2, 0, 0};
    FiberOptions fourthFixed;
    fourthFixed.multiplicityOption = true;
    fourthFixed.requiredMultiplicities = {0, 0, 0, 1};
    FiberOptions allOn;
    allOn.noDuplicateBranches = true;
    allOn.requiredGenus = 2;
    allOn.atMostTwoSimpleCrusts = true;
    return {
        {"no options", FiberOptions{}},
        {"no duplicate branches", FiberOptions{true, 0, false, {}, false}},
        {"genus 1", FiberOptions{false, 1, false, {}, false}},
        {"genus 3", FiberOptions{false, 3, false, {}, false}},
        {"at most two simple crusts", FiberOptions{false, 0, false, {}, true}},
        {"first multiplicity m - 1", largestFirst},
        {"second multiplicity m / 2", secondFixed},
        {"fourth multiplicity 1", fourthFixed},
        {"no duplicates, genus 2, at most two crusts", allOn},
    };
}

TEST(FiberEnumeration, ListsTheLinesOfTheFullPartitionWalk) {
    int nonEmpty = 0;
    for (int m = 2; m <= 9; ++m) {
        for (int r = 2; r <= 3; ++r) {
            for (int b = 3; b <= 6; ++b) {
                for (const auto& [label, options] : optionRows(m)) {
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
    FiberOptions atMostTwo;
    atMostTwo.atMostTwoSimpleCrusts = true;
    const std::vector<std::string> marked = oracle::fiberLines(10, 3, 6, atMostTwo);
    EXPECT_FALSE(marked.empty());
    EXPECT_EQ(fiberLines(10, 3, 6, atMostTwo), marked);
}

TEST(FiberEnumeration, StopsAtOnceOrSoonAfterCancel) {
    Progress cancelled;
    cancelled.cancel();
    int lines = 0;
    EXPECT_FALSE(enumerateFibers(
        5, 2, 3, {}, [&](const FiberEntry&) { ++lines; }, &cancelled));
    EXPECT_EQ(lines, 0) << "cancelled before the start";

    Progress progress;
    bool finished = true;
    std::thread worker([&] {
        finished = enumerateFibers(
            60, 2, 6, FiberOptions{}, [](const FiberEntry&) {}, &progress);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    progress.cancel();
    worker.join();
    EXPECT_FALSE(finished);
    EXPECT_LT(progress.fraction(), 1.0);
}

TEST(FiberEnumeration, FractionGrowsAndResultsAreCounted) {
    Progress progress;
    double last = 0;
    bool grows = true;
    int seen = 0;
    EXPECT_TRUE(enumerateFibers(
        12, 2, 4, FiberOptions{},
        [&](const FiberEntry&) {
            grows = grows && progress.fraction() >= last && progress.fraction() < 1.0;
            last = progress.fraction();
            ++seen;
        },
        &progress));
    EXPECT_TRUE(grows);
    EXPECT_GT(seen, 3);
    EXPECT_EQ(progress.results(), static_cast<std::uint64_t>(seen));
    EXPECT_DOUBLE_EQ(progress.fraction(), 1.0);
}

// The census of a genus is the fiber lists of every (m, r, b) under the genus filter, joined in
// census order, whatever the number of threads; the walk runs a little past the bounds, to catch
// a fiber of that genus outside them. (The filtered fiber lists walk every partition, so genera
// above 3 take minutes this way.)
TEST(GenusCensus, IsTheFiberListsOfEveryShapeFilteredByGenus) {
    for (int genus = 1; genus <= 3; ++genus) {
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
                genus, [&](const CensusFiber& f) { census.push_back(f.line); }, nullptr,
                CensusOptions{threads}));
            EXPECT_EQ(census, expected) << threads << " threads";
        }
    }
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
