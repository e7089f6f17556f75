// The fast listing and count against the exhaustive walk over every vector of the odometer, beyond
// 64 bits, and cancelled; the fiber list's progress and cancel with them.
#include "census/subdivisor_listing.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <climits>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "census/fiber_enumeration.h"
#include "census/genus_census.h"
#include "census/subdivisor_count.h"
#include "model/fiber_label.h"
#include "oracle/exhaustive_subdivisors.h"
#include "oracle/fiber_sweep.h"

namespace dorvanix {
namespace {

// One PrefixTally per (m, r, b) and options, fed the swept fibers in the sweep's order, which
// shares first parts as the fiber list does.
using Walks =
    std::map<std::tuple<int, int, std::size_t, int, bool, bool>, std::unique_ptr<PrefixTally>>;

// Counts under every ell filter that can select something on these fibers (ell is at most 8) and
// the extremes, both flags each way, by runs, by the gcd table and, for fibers of the fiber list,
// after the fibers before them; whole listings under a few of them.
void expectSameAsTheWalk(const std::string& label, const FiberData& x, Walks* walks = nullptr) {
    std::vector<std::tuple<std::string, long long, std::string, std::string>> all;
    oracle::listSubdivisors(x, {0, false, false}, [&](const Subdivisor& y) {
        const nlohmann::ordered_json record = {
            {"k", y.k},       {"ys", std::vector<int>(y.ys.begin(), y.ys.end())},
            {"ell", y.ell},   {"types", y.types},
            {"line", y.line},
        };
        all.emplace_back(y.line, y.ell, y.types, record.dump());
    });
    std::vector<int> ellFilters{100, -100};
    for (int ell = -9; ell <= 9; ++ell) ellFilters.push_back(ell);
    for (int ell : ellFilters) {
        for (bool exceptOnlyAB : {false, true}) {
            for (bool onlyABC : {false, true}) {
                const SubdivisorOptions options{ell, exceptOnlyAB, onlyABC};
                const std::string where = label + " with ell filter " + std::to_string(ell) +
                                          (exceptOnlyAB ? ", except only AB" : "") +
                                          (onlyABC ? ", only ABC" : "");
                std::vector<std::string> expected;
                std::string expectedText[2];  // lines, then JSON records
                for (const auto& [line, lineEll, types, record] : all) {
                    if (!oracle::passesOptions(options, lineEll, types)) continue;
                    expected.push_back(line);
                    expectedText[0] += line + "\n\r";
                    expectedText[1] += record + "\n\r";
                }
                const auto size = static_cast<long long>(expected.size());
                ASSERT_EQ(countSubdivisors(x, options), size) << where;
                ASSERT_EQ(tallySubdivisorsByGcdTable(x, options).clamped(), size) << where;
                if (walks != nullptr) {
                    const std::vector<int> parts = x.firstMultiplicities();
                    auto& walk = (*walks)[{x.m, x.r, parts.size(), ell, exceptOnlyAB, onlyABC}];
                    if (!walk) {
                        walk = std::make_unique<PrefixTally>(
                            x.m, x.r, static_cast<int>(parts.size()), options);
                    }
                    ASSERT_EQ(walk->count(parts, nullptr).clamped(), size) << where << " in a list";
                }
                if (ell >= -1 && ell <= 3) {
                    ASSERT_EQ(subdivisorLines(x, options), expected) << where;
                    for (const int depth : {1, 3}) {
                        if (ell != 0 && ell != 2) break;
                        std::vector<std::string> joined;
                        for (const ListingPrefix& part : listingPrefixes(x, depth)) {
                            listSubdivisorPart(x, options, part, [&](const Subdivisor& y) {
                                joined.emplace_back(y.line);
                            });
                        }
                        ASSERT_EQ(joined, expected) << where << ", parts of depth " << depth;
                    }
                    // Batches of one byte hold one line each, as short as a batch gets.
                    for (const auto form :
                         {SubdivisorTextForm::Line, SubdivisorTextForm::JsonRecord}) {
                        for (const std::size_t batchBytes :
                             {kSubdivisorTextBatch, std::size_t{1}}) {
                            std::string text;
                            const long long lines = writeSubdivisorText(
                                x, options, form, "\n\r",
                                [&](std::string_view batch) {
                                    text += batch;
                                    return true;
                                },
                                nullptr, batchBytes);
                            ASSERT_EQ(lines, size) << where;
                            ASSERT_EQ(text, expectedText[form == SubdivisorTextForm::JsonRecord])
                                << where
                                << (form == SubdivisorTextForm::Line ? " as text" : " as JSON")
                                << ", batches of " << batchBytes << " bytes";
                        }
                    }
                }
            }
        }
    }
}

TEST(FastSubdivisors, ListAndCountAsTheExhaustiveWalkOnEverySmallFiber) {
    // The sanitizers make the exhaustive walk some fifteen times slower; the smaller fibers
    // still take every path of the listing through them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const auto fibers = oracle::sweepFibers(8, 3, 5);
#else
    const auto fibers = oracle::sweepFibers(9, 3, 6);
#endif
    EXPECT_GT(fibers.size(), 100u);
    Walks walks;
    for (const auto& swept : fibers) expectSameAsTheWalk(swept.label, swept.fiber, &walks);
}

// Fibers read off a tree need not come from the fiber list: empty branches, chains that stop
// early, and chains that are not the continued-fraction chain of their first multiplicity.
TEST(FastSubdivisors, ListAndCountAsTheExhaustiveWalkOnIrregularFibers) {
    const std::vector<oracle::SweptFiber> fibers = {
        {"a branch left empty", FiberData{5, 2, {{4, 3, 2, 1}, {3, 1}, {}}}},
        {"empty first branch", FiberData{4, 2, {{}, {3, 2, 1}, {3, 2, 1}}}},
        {"two empty branches", FiberData{4, 2, {{}, {}, {3, 2, 1}}}},
        {"chains cut short", FiberData{7, 2, {{6, 5, 4}, {3}, {2, 1}, {5, 3, 1}}}},
        {"six branches, two alike",
         FiberData{6, 3, {{5, 4, 3, 2, 1}, {5, 4, 3, 2, 1}, {4, 2}, {2}, {1}, {3}}}},
        {"r = 1", FiberData{5, 1, {{4, 3, 2, 1}, {2, 1}, {3, 1}}}},
        {"sum out of reach", FiberData{5, 9, {{4, 3, 2, 1}, {2, 1}, {3, 1}}}},
    };
    for (const auto& [label, x] : fibers) expectSameAsTheWalk(label, x);
}

// Work far too long to finish stops soon after it is cancelled; work left alone reports a growing
// fraction that ends whole and counts its results; a count cancelled before it starts answers -1.
TEST(FastSubdivisors, StopSoonAfterCancelAndEndOnTheWholeFraction) {
    const FiberData thirtyBranches{3, 2, std::vector<std::vector<int>>(30, {2, 1})};
    const FiberData largeCore = fiberFromParts(10000, 2, {9999, 9999, 2});  // seconds of work
    using Run = std::function<bool(Progress*, const std::function<void()>&)>;
    const struct {
        const char* label;
        Run endless, finite;  // false when they stopped early; the callback runs per result
    } rows[] = {
        {"listing",
         [&](Progress* p, const std::function<void()>&) {
             return listSubdivisors(
                 thirtyBranches, {0, false, false}, [](const Subdivisor&) {}, p);
         },
         [](Progress* p, const std::function<void()>& seen) {
             return listSubdivisors(
                 fiberFromParts(9, 3, {8, 7, 5, 4, 3}), {0, false, false},
                 [&](const Subdivisor&) { seen(); }, p);
         }},
        {"count",
         [&](Progress* p, const std::function<void()>&) {
             return !tallySubdivisors(largeCore, kSimpleCrustOptions, p).cancelled;
         },
         [](Progress* p, const std::function<void()>&) {
             return countSimpleCrusts(fiberFromParts(9, 2, {8, 5, 4, 1}), p) >= 0;
         }},
        {"fiber list",
         [](Progress* p, const std::function<void()>&) {
             return enumerateFibers(
                 120, 2, 6, {}, [](const FiberEntry&) {}, p);
         },
         [](Progress* p, const std::function<void()>& seen) {
             return enumerateFibers(
                 12, 2, 4, {}, [&](const FiberEntry&) { seen(); }, p);
         }},
        {"census",
         [](Progress* p, const std::function<void()>&) {
             return censusByGenus(
                 400, [](const CensusFiber&) {}, p);
         },
         [](Progress* p, const std::function<void()>& seen) {
             return censusByGenus(
                 9, [&](const CensusFiber&) { seen(); }, p, CensusOptions{3});
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        Progress progress;
        bool finished = true;
        std::thread worker([&] { finished = row.endless(&progress, [] {}); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        progress.cancel();
        worker.join();
        EXPECT_FALSE(finished);
        EXPECT_LT(progress.fraction(), 1.0);

        Progress whole;
        double last = 0;
        bool grows = true;
        std::uint64_t seen = 0;
        EXPECT_TRUE(row.finite(&whole, [&] {
            grows = grows && whole.fraction() >= last && whole.fraction() <= 1.0;
            last = whole.fraction();
            ++seen;
        }));
        EXPECT_TRUE(grows);
        EXPECT_EQ(whole.results(), seen);
        EXPECT_DOUBLE_EQ(whole.fraction(), 1.0);
    }
    Progress cancelled;
    cancelled.cancel();
    EXPECT_EQ(countSubdivisors(thirtyBranches, kSimpleCrustOptions, &cancelled), -1);
    EXPECT_EQ(countSimpleCrusts(thirtyBranches, &cancelled), -1);
    int lines = 0;
    EXPECT_FALSE(enumerateFibers(
        5, 2, 3, {}, [&](const FiberEntry&) { ++lines; }, &cancelled));
    EXPECT_EQ(lines, 0) << "a fiber list cancelled before the start";
}

// n branches (2,1) under a core of multiplicity 3 with r = 2: every vector is admitted once its
// sum reaches 2k, so the count of all types is 3^n + 2^n minus the vectors of small sums.
TEST(SubdivisorCount, CountsExactlyPastSixtyFourAndPast128Bits) {
    const struct {
        const char* label;
        int branches;
        const char* text;
        long long clamped;
    } rows[] = {
        // k = 2: sums 0..3 give 1 + 39 + (741 + 39) + (9139 + 1482); k = 1: sums 0, 1 give 1 + 39.
        {"39 branches: between 2^62 and 2^63", 39, "4052555702774778674", 4052555702774778674LL},
        // 3^50 + 2^50 - 23427, worked out the same way.
        {"50 branches: past 64 bits", 50, "717897988817752495589446", LLONG_MAX},
        // 3^100 + 2^100 - (1 + 100 + (4950 + 100) + (161700 + 9900)) - (1 + 100).
        {"100 branches: past 128 bits", 100, "515377520732011332304111729993850674198810550525",
         LLONG_MAX},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const FiberData x{3, 2, std::vector<std::vector<int>>(row.branches, {2, 1})};
        const SubdivisorTally tally = tallySubdivisors(x, SubdivisorOptions{0, false, false});
        EXPECT_EQ(tally.wide, row.branches == 100);
        EXPECT_FALSE(tally.cancelled);
        EXPECT_EQ(tallyText(tally), row.text);
        EXPECT_EQ(countSubdivisors(x, SubdivisorOptions{0, false, false}), row.clamped);
    }
    EXPECT_EQ(wideCountText(static_cast<WideCount>(ULLONG_MAX) + 1), "18446744073709551616");
    EXPECT_EQ(addSaturating(kWideCountMax - 1, 5), kWideCountMax);
    EXPECT_EQ(addSaturating(7, 5), WideCount{12});
}

// The fibers of small m in a census have many branches: their counts run past 64 bits, and many
// more fibers have more vectors than 64 bits hold while their count is small. A list's walk keeps
// its counts in 64 bits where a fiber's bounds allow it and in 128 bits otherwise, switching from
// one fiber to the next; each count must be the one counted on its own.
TEST(SubdivisorCount, AListsWalkCountsBelowAndPast64BitsInTurn) {
    int past64 = 0;       // counts of at least 2^64
    int manyVectors = 0;  // fibers with at least 2^62 vectors by the product of their choices
    for (const SubdivisorOptions options :
         {kSimpleCrustOptions, SubdivisorOptions{0, true, false}}) {
        std::map<std::tuple<int, int, std::size_t>, std::unique_ptr<PrefixTally>> walks;
        // The walk stops at the first shape of m = 6: the census is in m order.
        forEachGenusShape(40, [&](const CensusShape& shape) {
            if (shape.m > 5) return false;
            const FiberData x = fiberFromParts(shape.m, shape.r, shape.parts);
            auto& walk = walks[{shape.m, shape.r, shape.parts.size()}];
            if (!walk) {
                walk = std::make_unique<PrefixTally>(shape.m, shape.r,
                                                     static_cast<int>(shape.parts.size()), options);
            }
            const SubdivisorTally own = tallySubdivisors(x, options);
            EXPECT_EQ(tallyText(walk->count(shape.parts, nullptr)), tallyText(own))
                << fiberLabel(x) << (options.exceptOnlyAB ? " except only AB" : "");
            past64 += own.wide || own.count > std::numeric_limits<std::uint64_t>::max();
            double product = 1;
            for (const int a : shape.parts) product *= a + 1;
            manyVectors += product >= 0x1p62;
            return true;
        });
    }
    EXPECT_GT(past64, 0);
    EXPECT_GT(manyVectors, 2 * past64);
}

}  // namespace
}  // namespace dorvanix
