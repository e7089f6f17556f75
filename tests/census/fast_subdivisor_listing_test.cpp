// The fast listing and count: against the exhaustive walk over every vector of the odometer,
// beyond 64 bits, and cancelled.
#include "census/subdivisor_listing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "census/subdivisor_count.h"
#include "oracle/exhaustive_subdivisors.h"
#include "oracle/fiber_sweep.h"

namespace dorvanix {
namespace {

struct Admitted {
    std::string line;
    long long ell;
    std::string types;
};

std::vector<std::string> passing(const std::vector<Admitted>& all,
                                 const SubdivisorOptions& options) {
    std::vector<std::string> lines;
    for (const Admitted& a : all) {
        if (passesFilters(options, a.ell, a.types)) lines.push_back(a.line);
    }
    return lines;
}

// Every ell filter that can select something on these fibers (ell is at most 8), and the
// extremes, with both flags each way.
std::vector<SubdivisorOptions> everyFilterCombination() {
    std::vector<int> ellFilters{100, -100};
    for (int ell = -9; ell <= 9; ++ell) ellFilters.push_back(ell);
    std::vector<SubdivisorOptions> combinations;
    for (int ell : ellFilters) {
        for (bool exceptOnlyAB : {false, true}) {
            for (bool onlyABC : {false, true}) combinations.push_back({ell, exceptOnlyAB, onlyABC});
        }
    }
    return combinations;
}

std::string describe(const SubdivisorOptions& o) {
    return "ell filter " + std::to_string(o.ellFilter) +
           (o.exceptOnlyAB ? ", except only AB" : "") + (o.onlyABC ? ", only ABC" : "");
}

// Counts under every filter combination, whole listings under a few of them.
void expectSameAsTheWalk(const std::string& label, const FiberData& x) {
    std::vector<Admitted> all;
    oracle::listSubdivisors(x, SubdivisorOptions{0, false, false}, [&](const Subdivisor& y) {
        all.push_back({std::string(y.line), y.ell, std::string(y.types)});
    });
    for (const SubdivisorOptions& options : everyFilterCombination()) {
        const auto expected = passing(all, options);
        ASSERT_EQ(countSubdivisors(x, options), static_cast<long long>(expected.size()))
            << label << " with " << describe(options);
        if (options.ellFilter < -1 || options.ellFilter > 3) continue;
        const std::vector<std::string> fast = subdivisorLines(x, options);
        ASSERT_EQ(fast.size(), expected.size()) << label << " with " << describe(options);
        for (std::size_t i = 0; i < fast.size(); ++i) {
            ASSERT_EQ(fast[i], expected[i])
                << label << " with " << describe(options) << ", line " << i + 1;
        }
    }
}

TEST(FastSubdivisors, ListAndCountAsTheExhaustiveWalkOnEverySmallFiber) {
    const auto fibers = oracle::sweepFibers(9, 3, 6);
    EXPECT_GT(fibers.size(), 100u);
    for (const auto& swept : fibers) expectSameAsTheWalk(swept.label, swept.fiber);
}

// Fibers read off a tree need not come from the fiber list: empty branches, chains that stop
// early, and chains that are not the continued-fraction chain of their first multiplicity.
TEST(FastSubdivisors, ListAndCountAsTheExhaustiveWalkOnIrregularFibers) {
    const std::vector<oracle::SweptFiber> fibers = {
        {"a branch left empty", FiberData{5, 2, {{4, 3, 2, 1}, {3, 1}, {}}}},
        {"empty first branch", FiberData{4, 2, {{}, {3, 2, 1}, {3, 2, 1}}}},
        {"two empty branches", FiberData{4, 2, {{}, {}, {3, 2, 1}}}},
        {"chains cut short", FiberData{7, 2, {{6, 5, 4}, {3}, {2, 1}, {5, 3, 1}}}},
        {"six branches, two alike",
         FiberData{6, 3, {{5, 4, 3, 2, 1}, {5, 4, 3, 2, 1}, {4, 2}, {2}, {1}, {3}}}},
        {"r = 1", FiberData{5, 1, {{4, 3, 2, 1}, {2, 1}, {3, 1}}}},
        {"sum out of reach", FiberData{5, 9, {{4, 3, 2, 1}, {2, 1}, {3, 1}}}},
    };
    for (const auto& [label, x] : fibers) expectSameAsTheWalk(label, x);
}

// Work far too long to finish stops soon after it is cancelled, and work left alone ends on the
// whole fraction; a count cancelled before it starts answers -1.
TEST(FastSubdivisors, StopSoonAfterCancelAndEndOnTheWholeFraction) {
    const FiberData thirtyBranches{3, 2, std::vector<std::vector<int>>(30, {2, 1})};
    const FiberData largeCore = fiberFromParts(2000, 2, {1999, 1999, 2});
    const struct {
        const char* label;
        std::function<bool(Progress*)> run;  // false when it stopped early
    } rows[] = {
        {"listing",
         [&](Progress* progress) {
             return listSubdivisors(
                 thirtyBranches, SubdivisorOptions{0, false, false}, [](const Subdivisor&) {},
                 progress);
         }},
        {"count",
         [&](Progress* progress) {
             return !tallySubdivisors(largeCore, kSimpleCrustOptions, progress).cancelled;
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        Progress progress;
        bool finished = true;
        std::thread worker([&] { finished = row.run(&progress); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        progress.cancel();
        worker.join();
        EXPECT_FALSE(finished);
        EXPECT_LT(progress.fraction(), 1.0);
    }

    const FiberData x = fiberFromParts(9, 3, {8, 7, 5, 4, 3});
    Progress progress;
    double last = 0;
    bool grows = true;
    std::uint64_t seen = 0;
    listSubdivisors(
        x, SubdivisorOptions{0, false, false},
        [&](const Subdivisor&) {
            const double now = progress.fraction();
            grows = grows && now >= last && now <= 1.0;
            last = now;
            ++seen;
        },
        &progress);
    EXPECT_TRUE(grows);
    EXPECT_EQ(progress.results(), seen);
    EXPECT_GT(last, 0.0);
    EXPECT_DOUBLE_EQ(progress.fraction(), 1.0);
    Progress whole;
    countSimpleCrusts(fiberFromParts(9, 2, {8, 5, 4, 1}), &whole);
    EXPECT_DOUBLE_EQ(whole.fraction(), 1.0) << "count";

    Progress cancelled;
    cancelled.cancel();
    EXPECT_EQ(countSubdivisors(thirtyBranches, kSimpleCrustOptions, &cancelled), -1);
    EXPECT_EQ(countSimpleCrusts(thirtyBranches, &cancelled), -1);
}

// n branches (2,1) under a core of multiplicity 3 with r = 2: every vector is admitted once its
// sum reaches 2k, so the count of all types is 3^n + 2^n minus the vectors of small sums.
TEST(SubdivisorCount, CountsExactlyPastSixtyFourAndPast128Bits) {
    const struct {
        const char* label;
        int branches;
        const char* text;
        long long clamped;
    } rows[] = {
        // k = 2: sums 0..3 give 1 + 39 + (741 + 39) + (9139 + 1482); k = 1: sums 0, 1 give 1 + 39.
        {"39 branches: between 2^62 and 2^63", 39, "4052555702774778674", 4052555702774778674LL},
        // 3^50 + 2^50 - 23427, worked out the same way.
        {"50 branches: past 64 bits", 50, "717897988817752495589446", LLONG_MAX},
        // 3^100 + 2^100 - (1 + 100 + (4950 + 100) + (161700 + 9900)) - (1 + 100).
        {"100 branches: past 128 bits", 100, "515377520732011332304111729993850674198810550525",
         LLONG_MAX},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const FiberData x{3, 2, std::vector<std::vector<int>>(row.branches, {2, 1})};
        const SubdivisorTally tally = tallySubdivisors(x, SubdivisorOptions{0, false, false});
        EXPECT_EQ(tally.wide, row.branches == 100);
        EXPECT_FALSE(tally.cancelled);
        EXPECT_EQ(tallyText(tally), row.text);
        EXPECT_EQ(countSubdivisors(x, SubdivisorOptions{0, false, false}), row.clamped);
    }
    EXPECT_EQ(wideCountText(static_cast<WideCount>(ULLONG_MAX) + 1), "18446744073709551616");
    EXPECT_EQ(addSaturating(kWideCountMax - 1, 5), kWideCountMax);
    EXPECT_EQ(addSaturating(7, 5), WideCount{12});
}

}  // namespace
}  // namespace dorvanix
