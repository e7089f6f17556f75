#include "cli/progress_line.h"

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

}  // namespace
}  // namespace dorvanix::cli
