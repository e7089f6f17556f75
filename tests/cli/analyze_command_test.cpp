#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "in_process_run.h"

namespace dorvanix::cli {
namespace {

CliRun analyze(std::vector<std::string> args) {
    args.insert(args.begin(), "analyze");
    return runInProcess(args);
}

constexpr const char* kSmall = "(3;(2,1),(2,1),(2,1))";
constexpr const char* kFive = "(5;(4,3,2,1),(3,1),(3,1))";

TEST(AnalyzeCommand, PrintsTheCountsAndTheAnalysisDivisor) {
    const CliRun run = analyze({kSmall, "(2;(2),(1),(1)):: ell = 1 :: type = CAA"});
    ASSERT_EQ(run.status, kDone) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "X = (3;(2,1),(2,1),(2,1)), g = 1\n"
              "Y = (2;(2),(1),(1)):: ell = 1 :: type = CAA\n"
              "N = 2 (chain count)\n"
              "d = 1 (gcd)\n"
              "h = 0 (genus of the joining curve)\n"
              "proportional branch: no\n"
              "kc = 0 core branches, 4 stubs, a = 0 inserted nodes, chi(X) = 8, chi(R) = 6\n"
              "analysis divisor (serial: multiplicity, degree; children indented):\n"
              "  1: multiplicity 1, degree 3\n"
              "    2: multiplicity 0, degree 2\n"
              "    4: multiplicity 1, degree 2\n"
              "      5: multiplicity 1, degree 2\n"
              "        1000: multiplicity 1, degree 12 (joining curve, 12 points)\n"
              "    6: multiplicity 1, degree 2\n"
              "      7: multiplicity 1, degree 2\n"
              "chain diagram (2 chains, * = flagged):\n"
              "  1*\n"
              "  1*\n");
}

struct JsonRow {
    const char* label;
    const char* x;
    const char* y;
    int chainCount, gcd, genus, coreBranches, stubs, inserted, eulerX, eulerR;
    bool proportional;
    int chainLength;
};

TEST(AnalyzeCommand, JsonCarriesTheFiguresNodesAndChains) {
    const JsonRow rows[] = {
        {"CAA", kSmall, "(2;(2),(1),(1)):: ell = 1 :: type = CAA", 2, 1, 0, 0, 4, 0, 8, 6, false,
         1},
        {"ABB with a genus chain", kFive, "(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB", 3, 1, 1,
         0, 3, 0, 10, 9, false, 2},
        {"CBA, suffix left out", kFive, "(3;(3,3),(2,1),(1))", 3, 1, 0, 0, 5, 1, 10, 8, false, 2},
        {"fiber line and a core stub", "((3,2),2,2,2)", "(2;(2),(2),(1))", 4, 1, 0, 1, 6, 0, 8, 4,
         false, 1},
        {"proportional", "((4,2),3,3,2)", "(2;(2,2),(1),(1))", -1, -1, 0, 0, 3, 0, 0, 0, true, 0},
    };
    for (const JsonRow& row : rows) {
        SCOPED_TRACE(row.label);
        const CliRun run = analyze({row.x, row.y, "--json"});
        ASSERT_EQ(run.status, kDone) << run.err;
        const auto json = nlohmann::json::parse(run.out);
        const auto orMinusOne = [&](const char* key) {
            return json.at(key).is_null() ? -1 : json.at(key).get<int>();
        };
        EXPECT_EQ(orMinusOne("chain_count"), row.chainCount);
        EXPECT_EQ(orMinusOne("gcd"), row.gcd);
        EXPECT_EQ(json.at("joining_curve_genus"), row.genus);
        EXPECT_EQ(json.at("core_branches"), row.coreBranches);
        EXPECT_EQ(json.at("stub_count"), row.stubs);
        EXPECT_EQ(json.at("inserted_count"), row.inserted);
        EXPECT_EQ(json.at("support_euler_x"), row.eulerX);
        EXPECT_EQ(json.at("support_euler_r"), row.eulerR);
        EXPECT_EQ(json.at("proportional_branch"), row.proportional);

        const auto& nodes = json.at("nodes");
        ASSERT_FALSE(nodes.empty());
        EXPECT_EQ(nodes[0].at("serial"), 1);
        std::set<int> serials;
        int marked = 0;
        for (const auto& node : nodes) {
            serials.insert(node.at("serial").get<int>());
            marked += node.at("marked").get<bool>() ? 1 : 0;
            if (node.at("parent").is_null()) continue;  // the parent comes before, one level up
            const int parent = node.at("parent").get<int>();
            EXPECT_LT(parent, node.at("id").get<int>());
            EXPECT_EQ(nodes[static_cast<std::size_t>(parent)].at("depth"),
                      node.at("depth").get<int>() - 1);
        }
        EXPECT_EQ(serials.size(), nodes.size()) << "each node once";
        EXPECT_EQ(marked, row.genus);

        const auto& chains = json.at("chains");
        ASSERT_EQ(chains.size(), static_cast<std::size_t>(row.proportional ? 0 : row.chainCount));
        for (const auto& chain : chains) {
            ASSERT_EQ(chain.size(), static_cast<std::size_t>(row.chainLength));
            for (std::size_t k = 0; k < chain.size(); ++k) {
                EXPECT_EQ(chain[k].at("multiplicity"), static_cast<int>(k) + 1);
                EXPECT_EQ(chain[k].at("flagged"), static_cast<int>(k) < row.gcd);
            }
        }
    }
}

TEST(AnalyzeCommand, AnyGivenLettersAreAnalysed) {
    // A line of another origin may carry letters the listing would not give it.
    for (const char* letters : {"000", "AAA", "BBB", "CCC", "???", "0B?"}) {
        SCOPED_TRACE(letters);
        const CliRun run = analyze(
            {kFive, std::string("(3;(3,3),(2,1),(1)):: ell = 1 :: type = ") + letters, "--json"});
        ASSERT_EQ(run.status, kDone) << run.err;
        EXPECT_TRUE(nlohmann::json::parse(run.out).contains("chain_count"));
    }
}

}  // namespace
}  // namespace dorvanix::cli
