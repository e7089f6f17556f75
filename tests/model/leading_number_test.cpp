#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "model/leading_number.h"

namespace dorvanix {
namespace {

TEST(LeadingNumber, ReadsLeadingDigitsAndSaturates) {
    struct Row {
        const char* label;
        std::string text;
        int expected;
    };
    const Row rows[] = {
        {"empty text reads as 0", "", 0},
        {"letters read as 0", "abc", 0},
        {"a lone sign reads as 0", "-", 0},
        {"blanks before the number are skipped", "  \t42", 42},
        {"a minus sign", "-3", -3},
        {"trailing text ends the number", "12abc", 12},
        {"text before the digits reads as 0", "x12", 0},
        {"the largest int", "2147483647", INT_MAX},
        {"one beyond the largest int saturates", "2147483648", INT_MAX},
        {"a huge number saturates", "99999999999999999999999", INT_MAX},
        {"a huge negative number saturates", "-99999999999999999999", INT_MIN},
        {"thousands of digits saturate", std::string(5000, '7'), INT_MAX},
        {"two signs read as 0", "+-5", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(leadingNumber(row.text), row.expected);
    }
}

}  // namespace
}  // namespace dorvanix
