// Counts beyond 64 bits and cancelled counts; the counts of small fibers are compared with the
// exhaustive walk in fast_subdivisor_listing_test.cpp.
#include "subdivisor/subdivisor_count.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "subdivisor/subdivisor_listing.h"

namespace dorvanix {
namespace {

// n branches (2,1) under a core of multiplicity 3 with r = 2: every vector is admitted once its
// sum reaches 2k, so the count of all types is 3^n + 2^n minus the vectors of small sums.
TEST(SubdivisorCount, CountsPastThirtyTwoAndSixtyFourBitsExactlyAndSaturatesPast128) {
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
        {"100 branches: past 128 bits", 100, "at least 340282366920938463463374607431768211455",
         LLONG_MAX},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const FiberData x{3, 2, std::vector<std::vector<int>>(row.branches, {2, 1})};
        const SubdivisorTally tally = tallySubdivisors(x, SubdivisorOptions{0, false, false});
        EXPECT_EQ(tally.saturated, row.branches == 100);
        EXPECT_FALSE(tally.cancelled);
        EXPECT_EQ(tallyText(tally), row.text);
        EXPECT_EQ(countSubdivisors(x, SubdivisorOptions{0, false, false}), row.clamped);
    }
    EXPECT_EQ(wideCountText(static_cast<WideCount>(ULLONG_MAX) + 1), "18446744073709551616");
    EXPECT_EQ(addSaturating(kWideCountMax - 1, 5), kWideCountMax);
    EXPECT_EQ(addSaturating(7, 5), WideCount{12});
}

TEST(SubdivisorCount, AnswersMinusOneWhenCancelledBeforeTheStart) {
    const FiberData x{3, 2, std::vector<std::vector<int>>(10, {2, 1})};
    Progress progress;
    progress.cancel();
    EXPECT_TRUE(tallySubdivisors(x, kSimpleCrustOptions, &progress).cancelled);
    EXPECT_EQ(countSubdivisors(x, kSimpleCrustOptions, &progress), -1);
    EXPECT_EQ(countSimpleCrusts(x, &progress), -1);
}

// A count that would run for minutes (a core of multiplicity 2000) stops soon after cancel; a
// count left alone reports the whole fraction.
TEST(SubdivisorCount, StopsSoonAfterCancelAndEndsOnTheWholeFraction) {
    const FiberData x = fiberFromParts(2000, 2, {1999, 1999, 2});
    Progress progress;
    SubdivisorTally tally;
    std::thread worker([&] { tally = tallySubdivisors(x, kSimpleCrustOptions, &progress); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    progress.cancel();
    worker.join();
    EXPECT_TRUE(tally.cancelled);
    EXPECT_LT(progress.fraction(), 1.0);

    Progress whole;
    countSimpleCrusts(fiberFromParts(9, 2, {8, 5, 4, 1}), &whole);
    EXPECT_DOUBLE_EQ(whole.fraction(), 1.0);
}

}  // namespace
}  // namespace dorvanix
