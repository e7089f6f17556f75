#include "census/subdivisor_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "census/subdivisor_listing.h"
#include "model/input_check.h"
#include "model/tree_operations.h"

namespace dorvanix {
namespace {

const FiberData kThree = fiberFromParts(3, 2, {2, 2, 2});  // (3;(2,1),(2,1),(2,1))
const FiberData kFive = fiberFromParts(5, 2, {4, 3, 3});   // (5;(4,3,2,1),(3,1),(3,1))

// Without its suffix a line gets the ell and letters the listing would give it.
TEST(ParseSubdivisorLine, ReadsListedLinesWithOrWithoutTheirSuffix) {
    struct Row {
        const char* name;
        const FiberData& x;
        std::string text;
        int k;
        std::vector<int> ys;
        long long ell;
        std::string types;
    };
    const Row rows[] = {
        {"listed line", kThree, "(2;(2),(1),(1)):: ell = 1 :: type = CAA", 2, {2, 1, 1}, 1, "CAA"},
        {"no suffix: ell 2 and 0", kThree, "(2;(2),(2),())", 2, {2, 2, 0}, 2, "BB0"},
        {"typed ?s", kThree, "(2;(2),(1),(1)):: ell = 1 :: type = ???", 2, {2, 1, 1}, 1, "???"},
        {"no suffix: longer chains", kFive, "(2;(2,2,2),(2),())", 2, {2, 2, 0}, 2, "BC0"},
        {"no suffix: '?' derived", kFive, "(4;(4),(3),(1))", 4, {4, 3, 1}, 1, "C?A"},
        {"k = 1: chains run to the end", kThree, "(1;(1,1),(),(1,1))", 1, {1, 0, 1}, 1, "B0B"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const SubdivisorLine y = parseSubdivisorLine(row.x, row.text);
        EXPECT_EQ(y.k, row.k);
        EXPECT_EQ(y.ys, row.ys);
        EXPECT_EQ(y.ell, row.ell);
        EXPECT_EQ(y.types, row.types);
        const std::string notation = row.text.substr(0, row.text.find("::"));
        EXPECT_EQ(y.notation(), notation);
        EXPECT_EQ(y.line,
                  notation + ":: ell = " + std::to_string(row.ell) + " :: type = " + row.types);
    }
}

// A line kept as its numbers only is written out again as the listing wrote it.
TEST(SubdivisorLineOf, WritesEveryListedLineAgainFromItsNumbers) {
    for (const FiberData* x : {&kThree, &kFive}) {
        SCOPED_TRACE(x->m);
        long long lines = 0;
        listSubdivisors(*x, SubdivisorOptions{}, [&](const Subdivisor& y) {
            ++lines;
            EXPECT_EQ(subdivisorLineOf(*x, y.k, {y.ys.begin(), y.ys.end()}), y.line);
        });
        EXPECT_GT(lines, 10);
    }
}

TEST(ParseSubdivisorLine, RejectsLinesThatDoNotFitX) {
    struct Row {
        const char* name;
        const char* text;
        const char* message;  // a part of the message, or all of it
        const FiberData& x = kThree;
    };
    // Its first branch under k = 20 is twenty 20s, under k = 2 thirty-eight 2s: too long to spell
    // out in a message.
    const FiberData longChains = fiberFromParts(40, 2, {39, 39, 2});
    const Row rows[] = {
        {"too few branches", "(2;(2),(2))", "Y has 2 branches but X has 3"},
        {"too many branches", "(2;(2),(2),(),())", "Y has more branches than X"},
        {"k = m", "(3;(2,1),(2,1),(2,1))", "k = 3 is outside 1 ... m-1 = 2"},
        {"value above X's first multiplicity", "(2;(3),(2),(2))", "exceeds min(2, k = 2)"},
        {"zero written instead of ()", "(2;(2),(2),(0))", "starts with 0; write it ()"},
        {"chain too long", "(2;(2,1),(2),(2))", "branch 1 of Y should read (2) for k = 2"},
        {"not admitted", "(2;(1),(1),(1))", "not admitted: y1+...+yb = 3 < k*r = 4"},
        {"wrong ell", "(2;(2),(2),()):: ell = 1 :: type = BB0", "ell = 1 but gcd"},
        {"unknown letter", "(2;(2),(2),()):: ell = 2 :: type = BBX",
         "a type letter must be one of 0, A, B, C, ?"},
        {"too few letters", "(2;(2),(2),()):: ell = 2 :: type = BB", "expected 3 type letters"},
        {"too many letters", "(2;(2),(2),()):: ell = 2 :: type = BB00", "unexpected text"},
        {"broken suffix", "(2;(2),(2),()) ell = 2", "expected \":: ell = \""},
        {"blank inside", "(2; (2),(2),())", "expected '(' but found ' '"},
        {"long branch: its first wrong number",
         "(20;(20,20,20,20,20,20,20,20,20,20,20,20,20,21,20,20,20,20,20,20),(),())",
         "branch 1 of Y: number 14 should be 20, not 21 (20 numbers for k = 20)", longChains},
        {"long branch cut short", "(2;(2),(),())",
         "branch 1 of Y has 1 number but should have 38 for k = 2", longChains},
        {"the whole message: what, where, found", "(2;(2),(2),(x))",
         "sub-divisor line \"(2;(2),(2),(x))\": at character 13: expected a multiplicity (a "
         "number) "
         "but found 'x'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            parseSubdivisorLine(row.x, row.text);
            ADD_FAILURE() << "accepted " << row.text;
        } catch (const InputError& error) {
            EXPECT_NE(std::string(error.what()).find(row.message), std::string::npos)
                << error.what();
            EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos) << "one line";
        }
    }
}

TEST(BuildSelectedDivisor, ParsesTheNotationAndReadsEllAndLetters) {
    struct Row {
        const char* name;
        const char* line;
        int branches;
        int ell;
        std::string letters;
        std::vector<int> firsts;
    };
    const Row rows[] = {
        {"three branches", "(2;(2),(1),(1)):: ell = 1 :: type = CAA", 3, 1, "CAA", {2, 1, 1}},
        {"empty branch", "(2;(2,2,2),(2),()):: ell = 2 :: type = BC0", 3, 2, "BC0", {2, 2, 0}},
        {"four branches", "(1;(1),(),(1),()):: ell = 1 :: type = B0B0", 4, 1, "B0B0", {1, 0, 1, 0}},
        {"no suffix: ell 0, no letters", "(2;(2),(2),())", 3, 0, std::string(3, '\0'), {2, 2, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NodePool pool;
        DivisorNode& root = pool.take();
        buildSelectedDivisor(pool, root, row.line, row.branches);
        EXPECT_EQ(root.ell, row.ell);
        ASSERT_EQ(root.degree, row.branches);
        std::string letters;
        std::vector<int> firsts;
        for (int j = 0; j < row.branches; ++j) {
            letters += root.neighbor(j)->branchType;
            firsts.push_back(root.neighbor(j)->multiplicity);
        }
        EXPECT_EQ(letters, row.letters);
        EXPECT_EQ(firsts, row.firsts);
    }
}

}  // namespace
}  // namespace dorvanix
