#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace dorvanix::cli {
namespace {

std::vector<nlohmann::json> jsonLines(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    EXPECT_EQ(runCli(args, out, err), kDone) << err.str();
    std::vector<nlohmann::json> rows;
    std::istringstream lines(out.str());
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

TEST(JsonLines, SubdivisorsFollowThePlainListing) {
    struct Case {
        const char* label;
        std::vector<std::string> options;
    };
    const Case cases[] = {
        {"default", {}},
        {"all types", {"--all-types"}},
        {"ell 2 except only AB", {"--ell", "2", "--except-only-ab"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<std::string> plainArgs{"subdivisors", "(5;(4,3,2,1),(3,1),(3,1))"};
        plainArgs.insert(plainArgs.end(), c.options.begin(), c.options.end());
        std::vector<std::string> jsonArgs = plainArgs;
        jsonArgs.push_back("--jsonl");
        std::ostringstream plain, err;
        ASSERT_EQ(runCli(plainArgs, plain, err), kDone);
        std::istringstream lines(plain.str());
        for (const nlohmann::json& row : jsonLines(jsonArgs)) {
            std::string line;
            ASSERT_TRUE(std::getline(lines, line));
            EXPECT_EQ(row["line"], line);
            const std::string types = row["types"];
            EXPECT_NE(line.find(":: ell = " + std::to_string(row["ell"].get<long long>()) +
                                " :: type = " + types),
                      std::string::npos);
            EXPECT_EQ(line.substr(0, line.find(';')), "(" + std::to_string(row["k"].get<int>()));
            EXPECT_EQ(row["ys"].size(), 3u);
        }
        std::string extra;
        EXPECT_FALSE(std::getline(lines, extra)) << "plain listing is longer: " << extra;
    }
}

TEST(JsonLines, KnownSubdivisor) {
    const auto rows = jsonLines({"subdivisors", "((3,2),2,2,2)", "--jsonl"});
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[1], nlohmann::json::parse(
                           R"({"k":2,"ys":[2,1,1],"ell":1,"types":"CAA",)"
                           R"("line":"(2;(2),(1),(1)):: ell = 1 :: type = CAA"})"));
}

TEST(JsonLines, CannotBeCombinedWithFilesOrCounts) {
    const std::vector<std::vector<std::string>> cases = {
        {"fibers", "3", "2", "3", "--jsonl", "--save"},
        {"fibers", "3", "2", "3", "--jsonl", "--output", "f.doc"},
        {"subdivisors", "((3,2),2,2,2)", "--jsonl", "--count"},
        {"subdivisors", "((3,2),2,2,2)", "--jsonl", "--output", "f.doc"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.back());
        std::ostringstream out, err;
        EXPECT_EQ(runCli(args, out, err), kBadInput);
        EXPECT_EQ(out.str(), "");
    }
}

}  // namespace
}  // namespace dorvanix::cli
