#include "subdivisor/subdivisor_count.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "oracle/exhaustive_subdivisors.h"
#include "oracle/fiber_sweep.h"
#include "subdivisor/subdivisor_listing.h"

namespace dorvanix {
namespace {

// ell and type of every admitted vector, as the exhaustive walk finds them.
struct Admitted {
    long long ell;
    std::string types;
};

std::vector<Admitted> admittedByOracle(const FiberData& x) {
    std::vector<Admitted> all;
    oracle::listSubdivisors(x, SubdivisorOptions{0, false, false}, [&](const Subdivisor& y) {
        all.push_back({y.ell, std::string(y.types)});
    });
    return all;
}

long long expectedCount(const std::vector<Admitted>& all, const SubdivisorOptions& options) {
    long long count = 0;
    for (const Admitted& a : all) count += passesFilters(options, a.ell, a.types) ? 1 : 0;
    return count;
}

// Every ell filter that can select something on these fibers (ell is at most 8), and the
// extremes, with both flags each way.
std::vector<SubdivisorOptions> everyFilterCombination() {
    std::vector<int> ellFilters{100, -100};
    for (int ell = -9; ell <= 9; ++ell) ellFilters.push_back(ell);
    std::vector<SubdivisorOptions> combinations;
    for (int ell : ellFilters) {
        for (bool exceptOnlyAB : {false, true}) {
            for (bool onlyABC : {false, true}) {
                combinations.push_back({ell, exceptOnlyAB, onlyABC});
            }
        }
    }
    return combinations;
}

std::string describe(const SubdivisorOptions& o) {
    return "ell filter " + std::to_string(o.ellFilter) +
           (o.exceptOnlyAB ? ", except only AB" : "") + (o.onlyABC ? ", only ABC" : "");
}

TEST(SubdivisorCount, EqualsTheExhaustiveCountOnEverySmallFiberAndFilter) {
    const auto fibers = oracle::sweepFibers(9, 3, 6);
    const auto combinations = everyFilterCombination();
    int compared = 0;
    for (const auto& swept : fibers) {
        const std::vector<Admitted> all = admittedByOracle(swept.fiber);
        for (const SubdivisorOptions& options : combinations) {
            const long long fast = countSubdivisors(swept.fiber, options);
            ASSERT_EQ(fast, expectedCount(all, options))
                << swept.label << " with " << describe(options);
            ++compared;
        }
    }
    EXPECT_GT(compared, 1000);
}

// Fibers read off a tree need not come from the fiber list: empty branches, chains that stop
// early, and chains that are not the continued-fraction chain of their first multiplicity.
std::vector<oracle::SweptFiber> irregularFibers() {
    return {
        {"a branch left empty", FiberData{5, 2, {{4, 3, 2, 1}, {3, 1}, {}}}},
        {"chains cut short", FiberData{7, 2, {{6, 5, 4}, {3}, {2, 1}, {5, 3, 1}}}},
        {"six branches, two alike",
         FiberData{6, 3, {{5, 4, 3, 2, 1}, {5, 4, 3, 2, 1}, {4, 2}, {2}, {1}, {3}}}},
        {"two empty branches", FiberData{4, 2, {{}, {}, {3, 2, 1}}}},
        {"r = 1", FiberData{5, 1, {{4, 3, 2, 1}, {2, 1}, {3, 1}}}},
    };
}

TEST(SubdivisorCount, EqualsTheExhaustiveCountOnIrregularFibers) {
    for (const auto& [label, x] : irregularFibers()) {
        const std::vector<Admitted> all = admittedByOracle(x);
        for (const SubdivisorOptions& options : everyFilterCombination()) {
            EXPECT_EQ(countSubdivisors(x, options), expectedCount(all, options))
                << label << " with " << describe(options);
        }
    }
}

// 50 branches (2,1) under a core of multiplicity 3 with r = 2: every vector is admitted once its
// sum reaches 2k, so the count of all types is 3^50 + 2^50 minus the vectors of small sums:
// k = 2: sums 0..3 give 1 + 50 + (1225 + 50) + (19600 + 2450); k = 1: sums 0, 1 give 1 + 50.
TEST(SubdivisorCount, CountsPast64BitsExactly) {
    const FiberData x{3, 2, std::vector<std::vector<int>>(50, {2, 1})};
    const SubdivisorTally tally = tallySubdivisors(x, SubdivisorOptions{0, false, false});
    EXPECT_FALSE(tally.saturated);
    EXPECT_FALSE(tally.cancelled);
    EXPECT_EQ(tallyText(tally), "717897988817752495589446");  // 3^50 + 2^50 - 23427
    EXPECT_EQ(tally.clamped(), LLONG_MAX);
    EXPECT_EQ(countSubdivisors(x, SubdivisorOptions{0, false, false}), LLONG_MAX);
}

TEST(SubdivisorCount, SaturatesPast128Bits) {
    const FiberData x{3, 2, std::vector<std::vector<int>>(100, {2, 1})};
    const SubdivisorTally tally = tallySubdivisors(x, SubdivisorOptions{0, false, false});
    EXPECT_TRUE(tally.saturated);
    EXPECT_EQ(tally.count, kWideCountMax);
    EXPECT_EQ(tallyText(tally), "at least 340282366920938463463374607431768211455");
    EXPECT_EQ(tally.clamped(), LLONG_MAX);
}

TEST(SubdivisorCount, StaysExactJustBelowTheSignedLimit) {
    // As above with 39 branches: 3^39 + 2^39 - (1 + 39 + 780 + 39 + 9139 + 1482) - (1 + 39),
    // between 2^62 and 2^63.
    const FiberData x{3, 2, std::vector<std::vector<int>>(39, {2, 1})};
    EXPECT_EQ(countSubdivisors(x, SubdivisorOptions{0, false, false}), 4052555702774778674LL);
}

TEST(SubdivisorCount, AnswersMinusOneWhenCancelled) {
    const FiberData x{3, 2, std::vector<std::vector<int>>(10, {2, 1})};
    Progress progress;
    progress.cancel();
    EXPECT_TRUE(tallySubdivisors(x, kSimpleCrustOptions, &progress).cancelled);
    EXPECT_EQ(countSubdivisors(x, kSimpleCrustOptions, &progress), -1);
    EXPECT_EQ(countSimpleCrusts(x, &progress), -1);
}

// A count that would run for minutes (a core of multiplicity 2000) stops soon after cancel.
TEST(SubdivisorCount, StopsSoonAfterCancel) {
    const FiberData x = fiberFromParts(2000, 2, {1999, 1999, 2});
    Progress progress;
    SubdivisorTally tally;
    std::thread worker([&] { tally = tallySubdivisors(x, kSimpleCrustOptions, &progress); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto asked = std::chrono::steady_clock::now();
    progress.cancel();
    worker.join();
    EXPECT_TRUE(tally.cancelled);
    EXPECT_LT(progress.fraction(), 1.0);
    // Generous for a busy machine; the count looks at the flag once per pass over the sums.
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(500));
}

TEST(SubdivisorCount, ReportsTheWholeFractionWhenDone) {
    const FiberData x = fiberFromParts(9, 2, {8, 5, 4, 1});
    Progress progress;
    countSimpleCrusts(x, &progress);
    EXPECT_DOUBLE_EQ(progress.fraction(), 1.0);
}

TEST(WideCount, WritesEveryDigit) {
    const std::array<std::pair<WideCount, const char*>, 4> rows = {{
        {0, "0"},
        {9, "9"},
        {static_cast<WideCount>(ULLONG_MAX) + 1, "18446744073709551616"},
        {kWideCountMax, "340282366920938463463374607431768211455"},
    }};
    for (const auto& [value, text] : rows) EXPECT_EQ(wideCountText(value), text) << text;
    EXPECT_EQ(addSaturating(kWideCountMax - 1, 5), kWideCountMax);
    EXPECT_EQ(addSaturating(kWideCountMax - 5, 5), kWideCountMax);
    EXPECT_EQ(addSaturating(7, 5), WideCount{12});
}

}  // namespace
}  // namespace dorvanix
