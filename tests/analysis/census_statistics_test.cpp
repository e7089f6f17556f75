#include "analysis/census_statistics.h"

#include <gtest/gtest.h>

#include "census/subdivisor_count.h"

namespace dorvanix {
namespace {

// Every listed sub-divisor lands in one row; a row whose count is no genus of J is kept apart
// from the rows of h = 0, and a genus is always half its row's numerator.
TEST(AnalysisTable, CountsEveryListedLineOnceAndKeepsTheRowsWithoutAGenusApart) {
    long long fibers = 0, rowsWithoutGenus = 0, beside = 0;
    censusAnalysis(4, [&](const CensusFiber& fiber, const AnalysisTable& table) {
        SCOPED_TRACE(fiber.line);
        ++fibers;
        long long total = 0;
        for (std::size_t i = 0; i < table.size(); ++i) {
            const AnalysisTally& row = table[i];
            total += row.count;
            EXPECT_GT(row.count, 0);
            EXPECT_EQ(row.genusNumerator.has_value(), row.chainCount >= 0);
            if (i > 0) {
                const AnalysisTally& before = table[i - 1];
                EXPECT_FALSE(before.chainCount == row.chainCount && before.gcd == row.gcd &&
                             before.genusNumerator == row.genusNumerator &&
                             before.joiningCurveGenus == row.joiningCurveGenus)
                    << "two rows for one key";
            }
            if (row.joiningCurveGenus) {
                EXPECT_EQ(2LL * *row.joiningCurveGenus, *row.genusNumerator);
                continue;
            }
            ++rowsWithoutGenus;
            // The same N, d and numerator with a genus would be the row h = 0 of old.
            for (const AnalysisTally& other : table) {
                beside += other.joiningCurveGenus && other.chainCount == row.chainCount &&
                          other.gcd == row.gcd;
            }
        }
        EXPECT_EQ(total, fiber.simpleCrusts.clamped());
        // The tables of the parts of the listing, worked on apart and joined, are the table.
        const FiberData x = fiberFromParts(fiber.shape.m, fiber.shape.r, fiber.shape.parts);
        for (const int depth : {1, 2}) {
            std::vector<AnalysisTable> parts;
            for (const ListingPrefix& part : listingPrefixes(x, depth)) {
                parts.push_back(analysisTable(x, part));
            }
            EXPECT_EQ(joinTables(parts), table) << "parts of depth " << depth;
        }
    });
    EXPECT_GT(fibers, 20);
    EXPECT_GT(rowsWithoutGenus, 10);
    EXPECT_GT(beside, 0);
}

}  // namespace
}  // namespace dorvanix
