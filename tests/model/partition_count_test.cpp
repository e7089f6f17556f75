#include "model/partition_count.h"

#include <gtest/gtest.h>

#include <string>

namespace dorvanix {
namespace {

// Non-increasing sequences of `parts` parts from 1 to `cap` that sum to `sum`, one by one.
long long countByHand(int sum, int parts, int cap) {
    if (parts == 0) return sum == 0 ? 1 : 0;
    long long count = 0;
    for (int part = 1; part <= cap && part <= sum; ++part) {
        count += countByHand(sum - part, parts - 1, part);
    }
    return count;
}

TEST(PartitionCounts, AgreesWithCountingByHand) {
    const PartitionCounts counts(24, 7, 9);
    ASSERT_TRUE(counts.available());
    for (int sum = 0; sum <= 24; ++sum) {
        for (int parts = 0; parts <= 7; ++parts) {
            for (int cap = 0; cap <= 9; ++cap) {
                EXPECT_EQ(counts.count(sum, parts, cap), countByHand(sum, parts, cap))
                    << "sum " << sum << ", " << parts << " parts, none above " << cap;
            }
        }
    }
}

TEST(PartitionCounts, KnownValuesAndTheEdgesOfTheTable) {
    const PartitionCounts counts(60, 5, 29);
    const struct {
        const char* label;
        long long sum;
        int parts, cap;
        double expected;
    } rows[] = {
        {"10 into 3 parts", 10, 3, 10, 8},      {"10 into 3 parts up to 4", 10, 3, 4, 2},
        {"nothing into nothing", 0, 0, 29, 1},  {"more parts than the sum", 3, 4, 29, 0},
        {"sum beyond the table", 61, 5, 29, 0}, {"negative sum", -1, 1, 3, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(counts.count(row.sum, row.parts, row.cap), row.expected) << row.label;
    }
}

TEST(PartitionCounts, LeavesTooLargeATableUnbuilt) {
    const PartitionCounts counts(1000000, 100, 10000, 1 << 20);
    EXPECT_FALSE(counts.available());
    EXPECT_EQ(counts.count(10, 3, 10), 0.0);
}

}  // namespace
}  // namespace dorvanix
