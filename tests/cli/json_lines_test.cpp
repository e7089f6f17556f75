#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "in_process_run.h"

namespace dorvanix::cli {
namespace {

std::vector<nlohmann::json> jsonLines(const std::vector<std::string>& args) {
    const CliRun run = runInProcess(args);
    EXPECT_EQ(run.status, kDone) << run.err;
    std::vector<nlohmann::json> rows;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) rows.push_back(nlohmann::json::parse(line));
    return rows;
}

TEST(JsonLines, FibersCarryEveryFigureOfTheirLine) {
    const auto rows = jsonLines({"fibers", "5", "2", "3", "--jsonl"});
    ASSERT_EQ(rows.size(), 2u);
    const auto& second = rows[1];
    EXPECT_EQ(second["m"], 5);
    EXPECT_EQ(second["r"], 2);
    EXPECT_EQ(second["branches"], nlohmann::json({4, 3, 3}));
    EXPECT_EQ(second["chains"], nlohmann::json({{4, 3, 2, 1}, {3, 1}, {3, 1}}));
    EXPECT_EQ(second["genus"], 2);
    EXPECT_EQ(second["simple_crust_count"], 18);
    EXPECT_EQ(second["line"], "((5,2),4,3,3) : 18 (g=2)");
    EXPECT_EQ(second["notation"], "(5;(4,3,2,1),(3,1),(3,1))");
}

TEST(JsonLines, KnownSubdivisor) {
    const auto rows = jsonLines({"subdivisors", "((3,2),2,2,2)", "--jsonl"});
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[1],
              nlohmann::json::parse(R"({"k":2,"ys":[2,1,1],"ell":1,"types":"CAA",)"
                                    R"("line":"(2;(2),(1),(1)):: ell = 1 :: type = CAA"})"));
}

}  // namespace
}  // namespace dorvanix::cli
