// What a careless or hostile caller can hand the tool: each row is rejected with one line on
// stderr and status 2, or, where the input is valid but large, answered.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace dorvanix::cli {
namespace {

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

// "(2;(1),(1),...,(1))" with the given number of branches.
std::string singleCurveBranches(int branches) {
    return "(2;" + repeated("(1),", branches - 1) + "(1))";
}

struct HostileRow {
    const char* what;
    std::vector<std::string> args;
    const char* complaint;  // part of the one line on stderr
};

TEST(HostileInput, EveryRowIsRejectedInOneLineWithStatusTwo) {
    const std::vector<HostileRow> rows = {
        {"m with twenty digits", {"fibers", "99999999999999999999", "2", "3"}, "m is too large"},
        {"negative m", {"fibers", "-3", "2", "3"}, "m must be at least 2"},
        {"negative b", {"fibers", "3", "2", "-5"}, "b must be at least 3"},
        {"empty m", {"fibers", "", "2", "3"}, "expected m"},
        {"m with a tail", {"fibers", "3x", "2", "3"}, "unexpected text"},
        {"genus with twenty digits",
         {"fibers", "3", "2", "3", "--genus", "99999999999999999999"},
         "too large"},
        {"five required multiplicities",
         {"fibers", "3", "2", "3", "--multiplicities", "1,2,3,4,5"},
         "at most 4"},
        {"a letter among the multiplicities",
         {"fibers", "3", "2", "3", "--multiplicities", "1,x"},
         "expected a required multiplicity"},
        {"ell beyond 100", {"subdivisors", "((3,2),2,2,2)", "--ell", "101"}, "-100 to 100"},
        {"ell with eleven digits",
         {"subdivisors", "((3,2),2,2,2)", "--ell", "99999999999"},
         "too large"},
        {"bytes that are not UTF-8", {"subdivisors", "\xff\xfe\x80"}, "expected a fiber line"},
        {"a hundred kilobytes of brackets",
         {"subdivisors", std::string(100000, '(')},
         "expected m"},
        {"more branches than supported",
         {"subdivisors", singleCurveBranches(10001), "--count"},
         "more than 10000 branches"},
        {"branch sum that is not a multiple of m",
         {"subdivisors", singleCurveBranches(5001), "--count"},
         "not a multiple of m"},
        {"multiplicity beyond m", {"subdivisors", "((3,2),4,1,1)"}, "outside 1 ... m-1"},
        {"chain off the continued fraction", {"subdivisors", "(3;(2,2),(2,1),(2,1))"},
         "continued-fraction rule"},
        {"ell with fourteen digits",
         {"quorbel", "((3,2),2,2,2)", "(2;(2),(1),(1)):: ell = 99999999999999 :: type = CAA"},
         "ell is too large"},
        {"ell that is not the gcd",
         {"quorbel", "((3,2),2,2,2)", "(2;(2),(1),(1)):: ell = 2 :: type = CAA"},
         "gcd"},
        {"Y with the wrong number of branches",
         {"quorbel", "((3,2),2,2,2)", "(2;(2),(1))"},
         "branches"},
        {"Y not admitted", {"quorbel", "((3,2),2,2,2)", "(2;(1),(1),())"}, "not admitted"},
        {"a type letter outside 0 A B C ?",
         {"quorbel", "((3,2),2,2,2)", "(2;(2),(1),(1)):: ell = 1 :: type = CAZ"},
         "type letter"},
        {"unknown option", {"fibers", "3", "2", "3", "--frobnicate"}, "--frobnicate"},
        {"unknown command", {"frobnicate"}, "frobnicate"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::ostringstream out, err;
        EXPECT_EQ(runCli(row.args, out, err), kBadInput);
        const std::string message = err.str();
        EXPECT_NE(message.find(row.complaint), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), message.size() - 1) << "one line: " << message;
        EXPECT_EQ(out.str(), "");
    }
}

TEST(HostileInput, ValidButLargeInputIsAnswered) {
    struct Row {
        const char* what;
        std::vector<std::string> args;
        std::string expected;
    };
    const std::vector<Row> rows = {
        // Three parts of at most 9999 can never sum to 10^8: the list is empty, at once.
        {"m r beyond any three parts", {"fibers", "10000", "10000", "3"}, ""},
        // 2^6000 sub-divisors, far beyond any integer type: the count says how far it got.
        {"six thousand branches", {"subdivisors", singleCurveBranches(6000), "--count"},
         "at least "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::ostringstream out, err;
        EXPECT_EQ(runCli(row.args, out, err), kDone) << err.str();
        EXPECT_EQ(out.str().substr(0, row.expected.size()), row.expected);
    }
}

}  // namespace
}  // namespace dorvanix::cli
