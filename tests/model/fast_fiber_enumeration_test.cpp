#include "model/fiber_enumeration.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "oracle/exhaustive_fibers.h"

namespace dorvanix {
namespace {

struct OptionRow {
    const char* label;
    FiberOptions options;
};

// The option sets of the sweep; the required multiplicities are put in per fiber size below.
std::vector<OptionRow> optionRows(int m) {
    FiberOptions largestFirst;
    largestFirst.multiplicityOption = true;
    largestFirst.requiredMultiplicities = {m - 1, 0, 0, 0};
    FiberOptions secondFixed;
    secondFixed.multiplicityOption = true;
    secondFixed.requiredMultiplicities = {0, m / 2, 0, 0};
    FiberOptions fourthFixed;
    fourthFixed.multiplicityOption = true;
    fourthFixed.requiredMultiplicities = {0, 0, 0, 1};
    FiberOptions allOn;
    allOn.noDuplicateBranches = true;
    allOn.requiredGenus = 2;
    allOn.atMostTwoSimpleCrusts = true;
    return {
        {"no options", FiberOptions{}},
        {"no duplicate branches", FiberOptions{true, 0, false, {}, false}},
        {"genus 1", FiberOptions{false, 1, false, {}, false}},
        {"genus 3", FiberOptions{false, 3, false, {}, false}},
        {"at most two simple crusts", FiberOptions{false, 0, false, {}, true}},
        {"first multiplicity m - 1", largestFirst},
        {"second multiplicity m / 2", secondFixed},
        {"fourth multiplicity 1", fourthFixed},
        {"no duplicates, genus 2, at most two crusts", allOn},
    };
}

TEST(FiberEnumeration, ListsTheLinesOfTheFullPartitionWalk) {
    int nonEmpty = 0;
    for (int m = 2; m <= 9; ++m) {
        for (int r = 2; r <= 3; ++r) {
            for (int b = 3; b <= 6; ++b) {
                for (const auto& [label, options] : optionRows(m)) {
                    const std::vector<std::string> expected = oracle::fiberLines(m, r, b, options);
                    EXPECT_EQ(fiberLines(m, r, b, options), expected)
                        << "m = " << m << ", r = " << r << ", b = " << b << ", " << label;
                    nonEmpty += expected.empty() ? 0 : 1;
                }
            }
        }
    }
    EXPECT_GT(nonEmpty, 100);
}

TEST(FiberEnumeration, ListsNothingForImpossibleSizes) {
    const struct {
        const char* label;
        int m, r, b;
    } rows[] = {
        {"more branches than m r", 3, 2, 7},
        {"too few branches to reach m r", 4, 3, 3},
        {"m below 2", 1, 2, 3},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(fiberLines(row.m, row.r, row.b, FiberOptions{}).empty()) << row.label;
    }
}

TEST(FiberEnumeration, StopsAtOnceOrSoonAfterCancel) {
    Progress cancelled;
    cancelled.cancel();
    int lines = 0;
    EXPECT_FALSE(enumerateFibers(
        5, 2, 3, {}, [&](const FiberEntry&) { ++lines; }, &cancelled));
    EXPECT_EQ(lines, 0) << "cancelled before the start";

    Progress progress;
    bool finished = true;
    std::thread worker([&] {
        finished = enumerateFibers(
            60, 2, 6, FiberOptions{}, [](const FiberEntry&) {}, &progress);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    progress.cancel();
    worker.join();
    EXPECT_FALSE(finished);
    EXPECT_LT(progress.fraction(), 1.0);
}

TEST(FiberEnumeration, FractionGrowsAndResultsAreCounted) {
    Progress progress;
    double last = 0;
    bool grows = true;
    int seen = 0;
    EXPECT_TRUE(enumerateFibers(
        12, 2, 4, FiberOptions{},
        [&](const FiberEntry&) {
            grows = grows && progress.fraction() >= last && progress.fraction() < 1.0;
            last = progress.fraction();
            ++seen;
        },
        &progress));
    EXPECT_TRUE(grows);
    EXPECT_GT(seen, 3);
    EXPECT_EQ(progress.results(), static_cast<std::uint64_t>(seen));
    EXPECT_DOUBLE_EQ(progress.fraction(), 1.0);
}

}  // namespace
}  // namespace dorvanix
