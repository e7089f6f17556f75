#include "cli/progress_line.h"

#include <gmpxx.h>
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

namespace dorvanix::cli {
namespace {

using namespace std::chrono_literals;

TEST(ProgressLine, TextShowsWholePercentAndResults) {
    const struct {
        double fraction;
        std::uint64_t results;
        const char* expected;
    } rows[] = {
        {0.0, 0, "dorvanix-cli: fibers 0%"},
        {0.424, 17, "dorvanix-cli: fibers 42% (17 listed)"},
        {0.999, 3, "dorvanix-cli: fibers 99% (3 listed)"},
        {1.7, 0, "dorvanix-cli: fibers 100%"},
        {-0.2, 0, "dorvanix-cli: fibers 0%"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ProgressLine::text("fibers", row.fraction, row.results), row.expected)
            << "fraction " << row.fraction << ", results " << row.results;
    }
}

TEST(ProgressLine, DrawsInPlaceAndWipesWhenTheWorkEnds) {
    Progress progress;
    progress.setFraction(0.5);
    std::ostringstream err;
    {
        const ProgressLine shown(progress, err, "counting", true, 0ms, 5ms);
        std::this_thread::sleep_for(40ms);
    }
    const std::string text = err.str();
    const std::string line = "dorvanix-cli: counting 50%";
    EXPECT_EQ(text.rfind('\r' + line, 0), 0u) << text;
    const std::string wipe = '\r' + std::string(line.size(), ' ') + '\r';
    ASSERT_GE(text.size(), wipe.size());
    EXPECT_EQ(text.substr(text.size() - wipe.size()), wipe);
}

TEST(ProgressLine, StaysSilentForShortWorkOrWithoutTerminal) {
    Progress progress;
    std::ostringstream quick;
    { const ProgressLine shown(progress, quick, "fibers", true, 10s, 5ms); }
    EXPECT_EQ(quick.str(), "");
    std::ostringstream off;
    {
        const ProgressLine shown(progress, off, "fibers", false, 0ms, 1ms);
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(off.str(), "");
}

// Counts of sub-divisors of fibers with many branches of multiplicity 2 or 1. ((3,32),2,...,2)
// with 48 branches: all vectors of k = 2 with sum >= 64 and of k = 1 with sum >= 32, beyond 2^63;
// the numbers were worked out by expanding (1 + x + x^2)^n and (1 + x)^n; for 6000 single curves
// they are the subsets of at least 3000 of them, summed here with GMP.
TEST(CliCount, PrintsCountsBeyondSixtyFourAndBeyond128BitsExactly) {
    mpz_class half = 0;
    for (unsigned long s = 3000; s <= 6000; ++s) {
        mpz_class term;
        mpz_bin_uiui(term.get_mpz_t(), 6000, s);
        half += term;
    }
    const auto fiber = [](const std::string& core, const std::string& part, int branches) {
        std::string text = core;
        for (int i = 0; i < branches; ++i) text += part;
        return text + ")";
    };
    const struct {
        const char* label;
        std::string fiber;
        std::string expected;
    } rows[] = {
        {"48 branches, beyond 64 bits", fiber("((3,32)", ",2", 48), "230176526107470118338\n"},
        {"300 branches, beyond 128 bits", fiber("((3,200)", ",2", 300),
         "80331010099882946618243114895821907136341287332972363297069026445871454317790120311226734"
         "952373910624227871550537389329519056604349\n"},
        {"6000 single curves, about 2^5999 lines", fiber("(2;(1)", ",(1)", 5999),
         half.get_str() + "\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const CliRun run = runInProcess({"subdivisors", row.fiber, "--count", "--all-types"});
        EXPECT_EQ(run.status, kDone);
        EXPECT_EQ(run.out, row.expected);
        EXPECT_EQ(run.err, "");
    }
}

}  // namespace
}  // namespace dorvanix::cli
