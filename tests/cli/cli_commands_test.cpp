// The tool's commands run inside the test: what analyze, the JSON lines and picture print. The
// processes, their files and their bad input are in cli_tool_test.cpp.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "in_process_run.h"

namespace dorvanix::cli {
namespace {

constexpr const char* kSmall = "(3;(2,1),(2,1),(2,1))";
constexpr const char* kFive = "(5;(4,3,2,1),(3,1),(3,1))";
constexpr const char* kCAA = "(2;(2),(1),(1)):: ell = 1 :: type = CAA";

std::vector<nlohmann::json> jsonLines(const std::vector<std::string>& args) {
    const CliRun run = runInProcess(args);
    EXPECT_EQ(run.status, kDone) << run.err;
    std::vector<nlohmann::json> rows;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) rows.push_back(nlohmann::json::parse(line));
    return rows;
}

TEST(AnalyzeCommand, PrintsTheCountsAndTheAnalysisDivisor) {
    const CliRun run = runInProcess({"analyze", kSmall, kCAA});
    ASSERT_EQ(run.status, kDone) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "X = (3;(2,1),(2,1),(2,1)), g = 1\n"
              "Y = (2;(2),(1),(1)):: ell = 1 :: type = CAA\n"
              "N = 2 (chain count)\n"
              "d = 1 (gcd)\n"
              "h = 0 (genus of the joining curve)\n"
              "genus numerator d N - (a + chi(X) - chi(R)) = 0\n"
              "proportional branch: no\n"
              "kc = 0 core branches, 4 stubs, a = 0 inserted nodes, chi(X) = 8, chi(R) = 6\n"
              "analysis divisor R (serial: multiplicity, self-intersection, the curves of R it "
              "meets; children indented):\n"
              "  1: multiplicity 1, self-intersection -2, meets 4, 6 (the core)\n"
              "    4: multiplicity 1, self-intersection -2, meets 1, 5\n"
              "      5: multiplicity 1, self-intersection -2, meets 4, 1000\n"
              "        1000: multiplicity 1, self-intersection -2, meets 5, 7 (J, the joining "
              "curve)\n"
              "    6: multiplicity 1, self-intersection -2, meets 1, 7\n"
              "      7: multiplicity 1, self-intersection -2, meets 6, 1000\n"
              "drawn but not curves of R: 2 (multiplicity 0)\n"
              "chain diagram (2 chains, * = flagged):\n"
              "  1*\n"
              "  1*\n");
}

// The figures themselves are checked in the analysis tests, and the module's against these over a
// sweep; here what the JSON makes of them: null for what a proportional branch leaves undefined,
// the marked nodes of the genus chain, the chain diagram.
TEST(AnalyzeCommand, JsonCarriesTheFiguresNodesAndChains) {
    const auto abb = nlohmann::json::parse(
        runInProcess({"analyze", kFive, "(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB", "--json"})
            .out);
    EXPECT_EQ(abb.at("chain_count"), 3);
    EXPECT_EQ(abb.at("joining_curve_genus"), 1);
    EXPECT_EQ(abb.at("proportional_branch"), false);
    // The curves of R are those of `graph`: each its multiplicity, self-intersection and the
    // multiplicities of the curves it meets; the genus chain is drawn but no curve of R.
    using Curve = std::tuple<int, nlohmann::json, std::multiset<int>>;
    const auto graph = nlohmann::json::parse(
        runInProcess({"graph", kFive, "(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB"}).out);
    std::multiset<Curve> inGraph, inAnalysis;
    for (const auto& v : graph.at("vertices")) {
        std::multiset<int> met;
        for (const auto& e : graph.at("edges")) {
            for (int end = 0; end < 2; ++end) {
                if (e[end] == v.at("id"))
                    met.insert(
                        graph.at("vertices")[e[1 - end].get<int>()].at("multiplicity").get<int>());
            }
        }
        inGraph.emplace(v.at("multiplicity"), v.at("self_intersection"), met);
    }
    int genusChain = 0;
    const auto& nodes = abb.at("nodes");
    for (const auto& node : nodes) {
        genusChain += node.at("genus_chain").get<bool>() ? 1 : 0;
        if (!node.at("in_r").get<bool>()) continue;
        std::multiset<int> met;
        for (const auto& id : node.at("neighbours_in_r"))
            met.insert(nodes[id.get<int>()].at("multiplicity").get<int>());
        inAnalysis.emplace(node.at("multiplicity"), node.at("self_intersection"), met);
    }
    EXPECT_EQ(inAnalysis, inGraph);
    EXPECT_EQ(genusChain, 1);
    EXPECT_EQ(nodes.size(), inGraph.size() + 1);
    EXPECT_EQ(abb.at("chains"), nlohmann::json::parse(R"([[{"multiplicity":1,"flagged":true},)"
                                                      R"({"multiplicity":2,"flagged":false}],)"
                                                      R"([{"multiplicity":1,"flagged":true},)"
                                                      R"({"multiplicity":2,"flagged":false}],)"
                                                      R"([{"multiplicity":1,"flagged":true},)"
                                                      R"({"multiplicity":2,"flagged":false}]])"));
    const auto proportional = nlohmann::json::parse(
        runInProcess({"analyze", "((4,2),3,3,2)", "(2;(2,2),(1),(1))", "--json"}).out);
    for (const char* undefined : {"chain_count", "gcd", "genus_numerator", "joining_curve_genus"})
        EXPECT_TRUE(proportional.at(undefined).is_null()) << undefined;
    EXPECT_EQ(proportional.at("support_euler_x"), 9) << "8 curves of X, 7 meeting points";
    EXPECT_EQ(proportional.at("proportional_branch"), true);
    EXPECT_TRUE(proportional.at("chains").empty());
    // J meets the core three times: the count, -2 / 2, is kept as its numerator and is no genus.
    const auto thrice = nlohmann::json::parse(
        runInProcess({"analyze", "((2,3),1,1,1,1,1,1)", "(1;(1),(1),(1),(1),(1),(1))", "--json"})
            .out);
    EXPECT_EQ(thrice.at("genus_numerator"), -2);
    EXPECT_TRUE(thrice.at("joining_curve_genus").is_null());
    EXPECT_EQ(thrice.at("joining_curve_genus_note")
                  .get<std::string>()
                  .rfind("the formula gives -1, "
                         "which is no genus",
                         0),
              0u);
    EXPECT_EQ(abb.at("joining_curve_genus_note"), nullptr);
}

// A census table shows a count that is no genus for what it is, never as a negative or cut
// genus.
TEST(CensusCommand, TablesShowACountThatIsNoGenusApart) {
    const CliRun run = runInProcess({"census", "--genus", "3", "--analyze"});
    ASSERT_EQ(run.status, kDone) << run.err;
    EXPECT_NE(run.out.find(", h none (the formula gives -1/2): "), std::string::npos);
    EXPECT_NE(run.out.find(", h none (the formula gives -1): "), std::string::npos);
    EXPECT_EQ(run.out.find("h = -"), std::string::npos);
    // What the census covers is said where it is asked for: the fibers with r = 1 exist
    // (((6,1),3,2,1) has genus 1) and are left out. The list of --help gives it one line.
    CliRun help = runInProcess({"census", "--help"});
    std::replace(help.out.begin(), help.out.end(), '\n', ' ');
    EXPECT_NE(help.out.find("m >= 2, r >= 2 and b >= 3 (fibers with r = 1, such as"),
              std::string::npos)
        << help.out;
    const CliRun list = runInProcess({"--help"});
    const std::size_t from = list.out.find("Subcommands:\n");
    ASSERT_NE(from, std::string::npos) << list.out;
    std::istringstream lines(list.out.substr(from, list.out.find("\n\n", from) - from));
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 120u) << line;
    EXPECT_NE(list.out.find("\n  census    "), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find("fibers with r = 1"), std::string::npos) << list.out;
}

// Y as "-": --json gives one array of what each line gives alone; an analysis too large stops
// with the number of its line (read errors: CliAnalyze in cli_tool_test.cpp).
TEST(AnalyzeCommand, LinesFromStandardInputGiveOneArrayOrStopWithTheirNumber) {
    const std::string abb = "(3;(2,1),(2,1),(2,1))", small = "(2000;(2000),(1000),(1000))";
    const struct {
        std::string x, input;
        std::vector<std::string> ys;  // the lines expected among the records
        std::string message;          // part of the one line on standard error
    } rows[] = {
        {kFive, abb + "\n\n" + abb, {abb, abb}, ""},
        {kFive, "", {}, ""},
        {"((2001,2),2000,1001,1001)",
         small + "\n(2000;(2000),(1001),(1001))\n",
         {small},
         "line 2 of standard input: the chain diagram would have N * g = 4000 * 1000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        std::istringstream in(row.input);
        const CliRun run = runInProcess({"analyze", row.x, "-", "--json"}, &in);
        EXPECT_EQ(run.status, row.message.empty() ? kDone : kBadInput) << run.err;
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
        nlohmann::json expected = nlohmann::json::array();
        for (const std::string& y : row.ys) {
            expected.push_back(
                nlohmann::json::parse(runInProcess({"analyze", row.x, y, "--json"}).out));
        }
        // A run stopped halfway leaves its array open.
        EXPECT_EQ(nlohmann::json::parse(run.out + (row.message.empty() ? "" : "]")), expected);
    }
}

TEST(JsonLines, FibersAndSubdivisorsCarryEveryFigureOfTheirLine) {
    const auto fibers = jsonLines({"fibers", "5", "2", "3", "--jsonl"});
    ASSERT_EQ(fibers.size(), 2u);
    EXPECT_EQ(
        fibers[1],
        nlohmann::json::parse(
            R"j({"label":"2.5.2.4-3-3","m":5,"r":2,"branches":[4,3,3],"chains":[[4,3,2,1],[3,1],[3,1]],
                                 "genus":2,"simple_crust_count":18,
                                 "line":"((5,2),4,3,3) : 18 (g=2)",
                                 "notation":"(5;(4,3,2,1),(3,1),(3,1))"})j"));
    const auto subdivisors = jsonLines({"subdivisors", "((3,2),2,2,2)", "--jsonl"});
    ASSERT_EQ(subdivisors.size(), 14u);
    EXPECT_EQ(subdivisors[1],
              nlohmann::json(
                  {{"k", 2}, {"ys", {2, 1, 1}}, {"ell", 1}, {"types", "CAA"}, {"line", kCAA}}));
}

// Without Y nothing moves; with Y the ticks move the picture; --output holds the printed frame.
TEST(PictureCommand, TicksMoveOnlyWithASubdivisorAndTheFileHoldsTheFrame) {
    const std::string x = "((3,2),2,2,2)", y = "(2;(2),(1),(1))";
    const CliRun still = runInProcess({"picture", x});
    ASSERT_EQ(still.status, kDone) << still.err;
    EXPECT_EQ(runInProcess({"picture", x, "--ticks", "80"}).out, still.out);
    const CliRun moving = runInProcess({"picture", x, y, "--ticks", "10"});
    EXPECT_NE(moving.out, runInProcess({"picture", x, y}).out);
    EXPECT_NE(moving.out.find("</svg>"), std::string::npos);

    const auto path = std::filesystem::temp_directory_path() / "dorvanix_picture_test.svg";
    std::filesystem::remove(path);
    const CliRun written =
        runInProcess({"picture", x, y, "--ticks", "10", "--output", path.string()});
    ASSERT_EQ(written.status, kDone) << written.err;
    EXPECT_TRUE(written.out.empty());
    std::ifstream file(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), moving.out);
    std::filesystem::remove(path);
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
