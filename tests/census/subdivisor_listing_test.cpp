#include "census/subdivisor_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "census/subdivisor_line.h"
#include "model/fiber_data.h"
#include "support/listed_fibers.h"
#include "support/small_stack.h"

namespace dorvanix {
namespace {

const FiberData kThree = fiberFromParts(3, 2, {2, 2, 2});   // (3;(2,1),(2,1),(2,1))
const FiberData kFive = fiberFromParts(5, 2, {4, 3, 3});    // (5;(4,3,2,1),(3,1),(3,1))
const FiberData kTwo = fiberFromParts(2, 2, {1, 1, 1, 1});  // (2;(1),(1),(1),(1))

// Every line of (3;(2,1),(2,1),(2,1)) with the opening options, worked out by hand from the
// vectors with y1 + y2 + y3 >= 2k in odometer order.
const std::vector<std::string> kThreeLines = {
    "(2;(2),(2),()):: ell = 2 :: type = BB0",     "(2;(2),(1),(1)):: ell = 1 :: type = CAA",
    "(2;(1),(2),(1)):: ell = 1 :: type = ACA",    "(2;(2),(2),(1)):: ell = 1 :: type = CCA",
    "(2;(2),(),(2)):: ell = 2 :: type = B0B",     "(2;(1),(1),(2)):: ell = 1 :: type = AAC",
    "(2;(2),(1),(2)):: ell = 1 :: type = CAC",    "(2;(),(2),(2)):: ell = 2 :: type = 0BB",
    "(2;(1),(2),(2)):: ell = 1 :: type = ACC",    "(2;(2),(2),(2)):: ell = 2 :: type = BBB",
    "(1;(1,1),(1,1),()):: ell = 1 :: type = BB0", "(1;(1,1),(),(1,1)):: ell = 1 :: type = B0B",
    "(1;(),(1,1),(1,1)):: ell = 1 :: type = 0BB", "(1;(1,1),(1,1),(1,1)):: ell = 1 :: type = BBB",
};

// The worked examples of the options; the sweep holds every combination to the exhaustive walk.
TEST(ListSubdivisors, FiltersBehaveOnTheSmallFiber) {
    const auto pick = [](std::initializer_list<int> at) {
        std::vector<std::string> lines;
        for (int i : at) lines.push_back(kThreeLines[i]);
        return lines;
    };
    const struct {
        const char* name;
        SubdivisorOptions options;
        std::vector<std::string> expected;
    } rows[] = {
        {"opening options", SubdivisorOptions{}, kThreeLines},
        {"all types, only ell = 2", {2, false, false}, pick({0, 4, 7, 9})},
        {"all types, every ell but 1", {-1, false, false}, pick({0, 4, 7, 9})},
        {"except only AB", {0, true, true}, pick({1, 2, 3, 5, 6, 8})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(subdivisorLines(kThree, row.options), row.expected);
        EXPECT_EQ(countSubdivisors(kThree, row.options),
                  static_cast<long long>(row.expected.size()));
    }
}

TEST(ListSubdivisors, LongChainFiberDropsTheQuestionMarks) {
    const std::vector<std::string> all = subdivisorLines(kFive, {0, false, false});
    ASSERT_EQ(all.size(), 44u);
    EXPECT_EQ(all.front(), "(4;(4),(3),(1)):: ell = 1 :: type = C?A");
    long long withQuestion = 0;
    for (const std::string& line : all) withQuestion += line.find('?') != std::string::npos;
    EXPECT_EQ(withQuestion, 26);

    const std::vector<std::string> listed = subdivisorLines(kFive, SubdivisorOptions{});
    EXPECT_EQ(listed.size(), 18u);
    EXPECT_NE(std::find(listed.begin(), listed.end(), "(2;(2,2,2),(2),()):: ell = 2 :: type = BC0"),
              listed.end());
    EXPECT_EQ(std::find(listed.begin(), listed.end(), all.front()), listed.end());
    EXPECT_EQ(countSimpleCrusts(kFive), 18);
}

TEST(ListSubdivisors, FourSingleCurvesGiveElevenLines) {
    const std::vector<std::string> lines = subdivisorLines(kTwo, SubdivisorOptions{});
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "(1;(1),(1),(),()):: ell = 1 :: type = BB00");
    EXPECT_EQ(lines[1], "(1;(1),(),(1),()):: ell = 1 :: type = B0B0");
    EXPECT_EQ(lines[10], "(1;(1),(1),(1),(1)):: ell = 1 :: type = BBBB");
}

// Every listed line, of every small fiber and with every type letter, reads back to itself and
// to the numbers the sink was given.
TEST(ListSubdivisors, EveryLineOfEverySmallFiberParsesBackToItself) {
    long long lines = 0;
    for (const auto& fiber : testing::listedFibers(9, 3, 5)) {
        const FiberData x = fiberFromParts(fiber.m, fiber.r, fiber.parts);
        listSubdivisors(x, {0, false, false}, [&](const Subdivisor& y) {
            ++lines;
            const SubdivisorLine parsed = parseSubdivisorLine(x, y.line);
            ASSERT_EQ(parsed.line, std::string(y.line)) << fiber.line;
            ASSERT_EQ(parsed.k, y.k) << y.line;
            ASSERT_EQ(parsed.ys, std::vector<int>(y.ys.begin(), y.ys.end())) << y.line;
            ASSERT_EQ(parsed.ell, y.ell) << y.line;
            ASSERT_EQ(parsed.types, std::string(y.types)) << y.line;
        });
    }
    EXPECT_GT(lines, 100000);
}

// Chains of up to 199 curves make lines far beyond 511 characters; every one is listed whole.
TEST(ListSubdivisors, LongLinesAreListedWhole) {
    const FiberData x = fiberFromParts(200, 2, {199, 199, 2});
    std::size_t longest = 0;
    long long count = 0;
    listSubdivisors(x, SubdivisorOptions{0, false, false}, [&](const Subdivisor& y) {
        ++count;
        longest = std::max(longest, y.line.size());
        if (y.line.size() > 1000) {
            EXPECT_EQ(parseSubdivisorLine(x, y.line).line, std::string(y.line));
        }
    });
    EXPECT_GT(longest, 1000u);
    EXPECT_EQ(count, countSubdivisors(x, SubdivisorOptions{0, false, false}));
}

// Ten thousand single curves: the odometer keeps each branch's place in arrays, not in a
// recursion, so the first line (the first 5000 branches taken, the smallest odometer value
// with the admission sum) comes on a small stack.
TEST(ListSubdivisors, TenThousandBranchesNeedNoDeepStack) {
    const FiberData x = fiberFromParts(2, 5000, std::vector<int>(10000, 1));
    std::string first;
    testing::runOnSmallStack([&] {
        Progress progress;
        listSubdivisors(
            x, SubdivisorOptions{},
            [&](const Subdivisor& y) {
                first = y.line;
                progress.cancel();
            },
            &progress);
    });
    std::string taken = "(1;";
    for (int i = 0; i < 10000; ++i) taken += i < 5000 ? "(1)," : i < 9999 ? "()," : "())";
    EXPECT_EQ(first,
              taken + ":: ell = 1 :: type = " + std::string(5000, 'B') + std::string(5000, '0'));
}

}  // namespace
}  // namespace dorvanix
