#include "census/partition_count.h"

#include <gtest/gtest.h>

namespace dorvanix {
namespace {

// Non-increasing sequences of `parts` parts from 1 to `cap` that sum to `sum`, one by one.
long long countByHand(long long sum, int parts, int cap) {
    if (parts == 0) return sum == 0 ? 1 : 0;
    long long count = 0;
    for (int part = 1; part <= cap && part <= sum; ++part) {
        count += countByHand(sum - part, parts - 1, part);
    }
    return count;
}

TEST(PartitionCounts, AgreesWithCountingByHandInsideAndAtTheEdgesOfTheTable) {
    const PartitionCounts counts(24, 7, 9);
    ASSERT_TRUE(counts.available());
    for (int sum = -1; sum <= 25; ++sum) {
        for (int parts = 0; parts <= 7; ++parts) {
            for (int cap = 0; cap <= 9; ++cap) {
                const double expected = sum > 24 ? 0 : countByHand(sum, parts, cap);
                EXPECT_EQ(counts.count(sum, parts, cap), expected)
                    << "sum " << sum << ", " << parts << " parts, none above " << cap;
                EXPECT_EQ(partitionCountBound(sum, parts, cap), countByHand(sum, parts, cap))
                    << "bound: sum " << sum << ", " << parts << " parts, none above " << cap;
            }
        }
    }
}

TEST(PartitionCounts, LeavesTooLargeATableUnbuilt) {
    const PartitionCounts counts(1000000, 100, 10000, 1 << 20);
    EXPECT_FALSE(counts.available());
    EXPECT_EQ(counts.count(10, 3, 10), 0.0);
}

}  // namespace
}  // namespace dorvanix
