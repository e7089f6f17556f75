#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "in_process_run.h"

namespace dorvanix::cli {
namespace {

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

CliRun run(const std::vector<std::string>& args) {
    return runInProcess(args);
}

constexpr const char* kX = "((3,2),2,2,2)";
constexpr const char* kY = "(2;(2),(1),(1))";

TEST(PictureCommand, FramesShowTheTreesOfTheirPhase) {
    struct Case {
        const char* label;
        std::vector<std::string> args;
        int paths;
        int labels;
    };
    // X: a core of 3 arms (3 curves) and three chains 2 -> 1 (4 curves each); Y: a core and
    // three ends of two curves each.
    const std::vector<Case> cases{
        {"X alone", {"picture", kX}, 15, 7},
        {"Y flying", {"picture", kX, kY, "--ticks", "30"}, 24, 11},
        {"Y alone", {"picture", kX, kY, "--ticks", "50"}, 9, 4},
        {"no Y: nothing moves", {"picture", kX, "--ticks", "80"}, 15, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const CliRun r = run(c.args);
        ASSERT_EQ(r.status, kDone) << r.err;
        EXPECT_EQ(occurrences(r.out, "<path "), c.paths);
        EXPECT_EQ(occurrences(r.out, "<text "), c.labels);
        EXPECT_NE(r.out.find("width=\"1024\" height=\"768\" fill=\"white\""), std::string::npos);
        EXPECT_TRUE(r.err.empty());
    }
}

TEST(PictureCommand, AnalysisPhaseShowsTheChainDiagramAndTheAnalysisDivisor) {
    struct Case {
        const char* label;
        std::vector<std::string> args;
        int chainPaths;  // pens of width 2
    };
    // A chain of genus 2 is two ends of a back, two walls and a hole (10 curves). A proportional
    // branch leaves no chain diagram.
    const std::vector<Case> cases{
        {"three chains of genus 2",
         {"picture", "((5,2),4,3,3)", "(3;(2,1),(2,1),(2,1))", "--ticks", "80"},
         3 * 10},
        {"proportional branch",
         {"picture", "((4,2),2,2,2,2)", "(2;(1),(1),(1),(1))", "--ticks", "80"},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const CliRun r = run(c.args);
        ASSERT_EQ(r.status, kDone) << r.err;
        EXPECT_EQ(occurrences(r.out, "stroke-width=\"2\""), c.chainPaths);
        EXPECT_GT(occurrences(r.out, "stroke-width=\"3\""), 0) << "the analysis divisor";
    }
}

TEST(PictureCommand, OutputFileHoldsTheFrameAndNothingIsPrinted) {
    const auto path = std::filesystem::temp_directory_path() / "dorvanix_picture_test.svg";
    std::filesystem::remove(path);
    const CliRun printed = run({"picture", kX, kY, "--ticks", "10"});
    const CliRun written = run({"picture", kX, kY, "--ticks", "10", "--output", path.string()});
    ASSERT_EQ(written.status, kDone) << written.err;
    EXPECT_TRUE(written.out.empty());
    std::ifstream file(path);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(text, printed.out);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace dorvanix::cli
