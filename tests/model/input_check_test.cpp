#include "model/input_check.h"

#include <gtest/gtest.h>

#include <string>

namespace dorvanix {
namespace {

struct RejectRow {
    const char* name;
    std::string text;
    const char* message;  // the whole message
};

void expectRejected(const RejectRow& row, const std::function<void()>& read) {
    SCOPED_TRACE(row.name);
    try {
        read();
        ADD_FAILURE() << "accepted " << row.text;
    } catch (const InputError& error) {
        EXPECT_EQ(std::string(error.what()), row.message);
    }
}

TEST(ParseFiberText, RejectsMalformedFiberLinesSayingWhatAndWhere) {
    const RejectRow rows[] = {
        {"empty", "",
         R"m(fiber "": expected a fiber line "((m,r),a1,...)", divisor notation "(m;(c,...),...)" or a label "G.m.r.a1-...-ab")m"},
        {"unclosed", "((3,2),2,2,2",
         R"m(fiber line "((3,2),2,2,2": at character 13: expected ')' but found the end of the text)m"},
        {"letter for a branch", "((3,2),2,2,x)",
         R"m(fiber line "((3,2),2,2,x)": at character 12: expected a branch multiplicity (a number) but found 'x')m"},
        {"branch value m", "((3,2),2,2,3)",
         R"m(fiber line "((3,2),2,2,3)": at character 12: branch multiplicity 3 is outside 1 ... m-1 = 2)m"},
        {"sum other than m r", "((3,2),2,2,1)",
         R"m(fiber line "((3,2),2,2,1)": at character 13: the branch multiplicities sum to 5, not m*r = 6)m"},
        {"trailing junk", "((3,2),2,2,2)x",
         R"m(fiber line "((3,2),2,2,2)x": at character 14: unexpected text after the end: "x")m"},
        {"cut annotation", "((3,2),2,2,2) : 14",
         R"m(fiber line "((3,2),2,2,2) : 14": at character 19: expected " (g=" of the annotation)m"},
        {"m = 1", "((1,2),1,1)",
         R"m(fiber line "((1,2),1,1)": at character 3: the core multiplicity m must be at least 2, not 1)m"},
        {"r = 1", "((3,1),1,1,1)",
         R"m(fiber line "((3,1),1,1,1)": at character 5: the core self-intersection r must be at least 2, not 1)m"},
        {"two branches", "((2,2),1,1)",
         R"m(fiber line "((2,2),1,1)": at character 11: a fiber needs at least 3 branches)m"},
        {"huge m", "((99999,2),1,1,1)",
         R"m(fiber line "((99999,2),1,1,1)": at character 3: m is too large (at most 10000))m"},
        {"blank inside", "((3,2), 2,2,2)",
         R"m(fiber line "((3,2), 2,2,2)": at character 8: expected a branch multiplicity (a number) but found ' ')m"},
        {"control byte", std::string("((3,2),2,2,2)\n"),
         R"m(fiber line "((3,2),2,2,2)\x0a": at character 14: unexpected text after the end: "\x0a")m"},
        {"chain broken", "(3;(2,1),(2,1),(2))",
         R"m(divisor notation "(3;(2,1),(2,1),(2))": at character 16: branch 3 does not follow the continued-fraction rule: for m = 3 it reads (2,1))m"},
        {"sum not a multiple of m", "(3;(2,1),(2,1),(1))",
         R"m(divisor notation "(3;(2,1),(2,1),(1))": at character 19: the first multiplicities sum to 5, which is not a multiple of m = 3)m"},
        {"notation r = 1", "(3;(1),(1),(1))",
         R"m(divisor notation "(3;(1),(1),(1))": at character 15: the first multiplicities sum to 3 = m*r with r = 1, but the core self-intersection r must be at least 2)m"},
        {"trailing comma", "(2;(1),(1),(1),(1),)",
         R"m(divisor notation "(2;(1),(1),(1),(1),)": at character 20: expected '(' but found ')')m"},
        {"leading zero", "((05,2),4,3,3)",
         R"m(fiber line "((05,2),4,3,3)": at character 3: m has a leading zero)m"},
        // The two below once got through, under the fuzzers.
        {"leading zero in a branch", "(3;(2,1),(02,1),(2,1))",
         R"m(divisor notation "(3;(2,1),(02,1),(2,1))": at character 11: a branch multiplicity has a leading zero)m"},
        {"zero for a branch", "(3;(2,1),(2,1),(0))",
         R"m(divisor notation "(3;(2,1),(2,1),(0))": at character 17: branch multiplicity 0 is outside 1 ... m-1 = 2)m"},
        {"branch value 0", "((3,2),0,2,2)",
         R"m(fiber line "((3,2),0,2,2)": at character 8: branch multiplicity 0 is outside 1 ... m-1 = 2)m"},
        {"sub-divisor suffix", "(3;(2,1),(2,1),(2,1)):: ell = 1",
         R"m(divisor notation "(3;(2,1),(2,1),(2,1)):: ell = 1": at character 22: unexpected text after the end: ":: ell = 1")m"},
        {"label with branches not largest first", "2.5.2.4-2-4",
         R"m(label "2.5.2.4-2-4": at character 11: the branch multiplicities of a label come largest first)m"},
        {"label with another genus", "3.5.2.4-4-2",
         R"m(label "3.5.2.4-4-2": at character 1: the fiber has genus 2, not 3 (its label is 2.5.2.4-4-2))m"},
        {"label with another r", "2.5.3.4-4-2",
         R"m(label "2.5.3.4-4-2": at character 5: the branch multiplicities sum to 10, not m*r = 15)m"},
        {"label of two branches", "1.2.1.1-1",
         R"m(label "1.2.1.1-1": at character 5: the core self-intersection r must be at least 2, not 1)m"},
        {"label cut short", "2.5.2",
         R"m(label "2.5.2": at character 6: a fiber needs at least 3 branches)m"},
        {"label in fiber-line commas", "2.5.2.4,4,2",
         R"m(label "2.5.2.4,4,2": at character 8: unexpected text after the end: ",4,2")m"},
    };
    for (const RejectRow& row : rows) {
        expectRejected(row, [&] { parseFiberText(row.text); });
    }
}

TEST(ParseFiberText, AcceptsBothFormsWithOrWithoutAnnotation) {
    const FiberData expected = fiberFromParts(5, 2, {4, 3, 3});
    const struct {
        const char* name;
        const char* text;
    } rows[] = {
        {"fiber line", "((5,2),4,3,3)"},
        {"annotated", "((5,2),4,3,3) : 18 (g=2)"},
        {"annotated with asterisks", "((5,2),4,3,3) : 2 (g=2)*********************"},
        {"negative genus in annotation", "((5,2),4,3,3) : 18 (g=-1)"},
        {"notation", "(5;(4,3,2,1),(3,1),(3,1))"},
        {"label", "2.5.2.4-3-3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(parseFiberText(row.text), expected);
    }
}

TEST(ParseFiberText, LongTextIsReadWholeAndQuotedShort) {
    // A fiber of 2000 branches: (2; (1) x 2000) has m r = 2000, so r = 1000.
    std::string line = "((2,1000)";
    for (int i = 0; i < 2000; ++i) line += ",1";
    line += ")";
    const FiberData fiber = parseFiberText(line);
    EXPECT_EQ(fiber.branchCount(), 2000);
    EXPECT_EQ(fiber.r, 1000);
    try {
        parseFiberText(line + "x");
        FAIL() << "accepted";
    } catch (const InputError& error) {
        const std::string message = error.what();
        EXPECT_LT(message.size(), 200u) << "the quote is cut, not the reading";
        EXPECT_NE(message.find("at character " + std::to_string(line.size() + 1)),
                  std::string::npos)
            << message;
    }
}

TEST(ParseInputNumber, ReadsOneSignedDecimalNumber) {
    const struct {
        const char* name;
        const char* text;
        int expected;
    } good[] = {{"plus", "+7", 7},
                {"minus", "-100", -100},
                {"zero", "0", 0},
                {"limit", "10000", 10000},
                {"fullwidth", "\uFF11\uFF12", 12},
                {"Devanagari", "\u096B", 5},
                {"minus sign", "\u22123", -3},
                {"mathematical bold", "\U0001D7CF\U0001D7CE", 10}};
    for (const auto& row : good) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(parseInputNumber(row.text, "n"), row.expected);
    }
    const RejectRow bad[] = {
        {"empty", "",
         R"m(n "": at character 1: expected n (a number) but found the end of the text)m"},
        {"junk after", "12x", R"m(n "12x": at character 3: unexpected text after the end: "x")m"},
        {"too large", "10001", R"m(n "10001": at character 1: n is too large (at most 10000))m"},
        {"far too large", "99999999999999999999",
         R"m(n "99999999999999999999": at character 1: n is too large (at most 10000))m"},
        {"two signs", "--3", R"m(n "--3": at character 2: expected n (a number) but found '-')m"},
    };
    for (const RejectRow& row : bad) {
        expectRejected(row, [&] { parseInputNumber(row.text, "n"); });
    }
}

}  // namespace
}  // namespace dorvanix
