#include "subdivisor/subdivisor_listing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "oracle/exhaustive_subdivisors.h"
#include "oracle/fiber_sweep.h"

namespace dorvanix {
namespace {

struct Listed {
    std::string line;
    long long ell;
    std::string types;
};

std::vector<Listed> admittedByOracle(const FiberData& x) {
    std::vector<Listed> all;
    oracle::listSubdivisors(x, SubdivisorOptions{0, false, false}, [&](const Subdivisor& y) {
        all.push_back({std::string(y.line), y.ell, std::string(y.types)});
    });
    return all;
}

std::vector<std::string> expectedLines(const std::vector<Listed>& all,
                                       const SubdivisorOptions& options) {
    std::vector<std::string> lines;
    for (const Listed& a : all) {
        if (passesFilters(options, a.ell, a.types)) lines.push_back(a.line);
    }
    return lines;
}

const std::vector<SubdivisorOptions> kCombinations = {
    {0, false, true}, {0, false, false}, {2, true, false}, {-1, true, true}, {3, false, true}};

std::string describe(const SubdivisorOptions& o) {
    return "ell filter " + std::to_string(o.ellFilter) +
           (o.exceptOnlyAB ? ", except only AB" : "") + (o.onlyABC ? ", only ABC" : "");
}

void expectSameLines(const std::string& label, const FiberData& x) {
    const std::vector<Listed> all = admittedByOracle(x);
    for (const SubdivisorOptions& options : kCombinations) {
        const std::vector<std::string> fast = subdivisorLines(x, options);
        const std::vector<std::string> expected = expectedLines(all, options);
        ASSERT_EQ(fast.size(), expected.size()) << label << " with " << describe(options);
        for (std::size_t i = 0; i < fast.size(); ++i) {
            ASSERT_EQ(fast[i], expected[i])
                << label << " with " << describe(options) << ", line " << i + 1;
        }
    }
}

TEST(SubdivisorListing, ListsTheExhaustiveLinesOnEverySmallFiber) {
    for (const auto& swept : oracle::sweepFibers(9, 3, 6))
        expectSameLines(swept.label, swept.fiber);
}

TEST(SubdivisorListing, ListsTheExhaustiveLinesOnIrregularFibers) {
    const std::vector<oracle::SweptFiber> fibers = {
        {"a branch left empty", FiberData{5, 2, {{4, 3, 2, 1}, {3, 1}, {}}}},
        {"empty first branch", FiberData{4, 2, {{}, {3, 2, 1}, {3, 2, 1}}}},
        {"chains cut short", FiberData{7, 2, {{6, 5, 4}, {3}, {2, 1}, {5, 3, 1}}}},
        {"r = 1", FiberData{5, 1, {{4, 3, 2, 1}, {2, 1}, {3, 1}}}},
        {"sum out of reach", FiberData{5, 9, {{4, 3, 2, 1}, {2, 1}, {3, 1}}}},
    };
    for (const auto& [label, x] : fibers) expectSameLines(label, x);
}

TEST(SubdivisorListing, HandsTheSinkTheNumbersOfItsLine) {
    const FiberData x = fiberFromParts(7, 2, {6, 5, 3});
    listSubdivisors(x, SubdivisorOptions{0, false, false}, [&](const Subdivisor& y) {
        const std::string line(y.line);
        SCOPED_TRACE(line);
        EXPECT_EQ(line.rfind("(" + std::to_string(y.k) + ";", 0), 0u);
        EXPECT_NE(
            line.find(":: ell = " + std::to_string(y.ell) + " :: type = " + std::string(y.types)),
            std::string::npos);
        ASSERT_EQ(y.ys.size(), 3u);
        long long sum = 0;
        for (int value : y.ys) sum += value;
        EXPECT_GE(sum, 2LL * y.k);
    });
}

// A listing far too long to finish (30 branches) stops soon after it is cancelled.
TEST(SubdivisorListing, StopsSoonAfterCancel) {
    const FiberData x{3, 2, std::vector<std::vector<int>>(30, {2, 1})};
    Progress progress;
    bool finished = true;
    std::thread worker([&] {
        finished = listSubdivisors(
            x, SubdivisorOptions{0, false, false}, [](const Subdivisor&) {}, &progress);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto asked = std::chrono::steady_clock::now();
    progress.cancel();
    worker.join();
    const auto waited = std::chrono::steady_clock::now() - asked;
    EXPECT_FALSE(finished);
    EXPECT_GT(progress.results(), 0u);
    // Generous for a busy machine; the walk looks at the flag every few thousand steps.
    EXPECT_LT(waited, std::chrono::milliseconds(500));
}

TEST(SubdivisorListing, FractionGrowsToOne) {
    const FiberData x = fiberFromParts(9, 3, {8, 7, 5, 4, 3});
    Progress progress;
    double last = 0;
    bool grows = true;
    listSubdivisors(
        x, SubdivisorOptions{0, false, false},
        [&](const Subdivisor&) {
            const double now = progress.fraction();
            grows = grows && now >= last && now <= 1.0;
            last = now;
        },
        &progress);
    EXPECT_TRUE(grows);
    EXPECT_GT(last, 0.0);
    EXPECT_DOUBLE_EQ(progress.fraction(), 1.0);
}

}  // namespace
}  // namespace dorvanix
