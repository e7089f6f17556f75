#include "files/fiber_records.h"

#include <gtest/gtest.h>

#include <string>

#include "census/subdivisor_count.h"
#include "files/analysis_records.h"

namespace dorvanix {
namespace {

// A count past 64 bits, and one past 128, keep every digit in a fiber's record, a census line
// and a census --analyze line, whose table is added to the text rather than read back as JSON
// (which would make the count a float).
TEST(FiberRecords, CountsPastSixtyFourAndPast128BitsKeepEveryDigit) {
    const CensusShape shape{3, 2, {2, 2, 2}};
    const std::string line = "((3,2),2,2,2) : n (g=1)";
    const AnalysisTable table{{2, 1, 2, 1, 3}};
    for (const char* digits : {"18446744073709551621", "340282366920938463463374607431768211507"}) {
        SCOPED_TRACE(digits);
        SubdivisorTally tally;
        tally.wide = true;
        tally.large = BigCount(digits);
        ASSERT_EQ(tallyText(tally), digits);
        const CensusFiber fiber{shape, tally, 1, line};
        const std::string member = std::string("\"simple_crust_count\":") + digits + ",";
        const FiberEntry entry{shape.parts, tally.clamped(), 1, line, digits};
        EXPECT_NE(fiberRecordJson(3, 2, entry).find(member), std::string::npos);
        EXPECT_EQ(censusFiberJson(fiber), fiberRecordJson(3, 2, entry));
        const std::string analysed = censusAnalysisJsonLine(fiber, table);
        EXPECT_EQ(analysed, censusFiberJson(fiber).substr(0, censusFiberJson(fiber).size() - 1) +
                                ",\"analysis_table\":" + analysisTableJson(table).dump() + "}");
    }
}

}  // namespace
}  // namespace dorvanix
