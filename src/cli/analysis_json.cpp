#include "cli/analysis_json.h"

namespace dorvanix::cli {

namespace {

// -1 stands for "none" in the core (no parent, or an analysis ended by a proportional branch).
nlohmann::json countOrNull(int value) {
    return value < 0 ? nlohmann::json(nullptr) : nlohmann::json(value);
}

nlohmann::json nodesJson(const AnalysisFigures& figures) {
    nlohmann::json nodes = nlohmann::json::array();
    for (std::size_t id = 0; id < figures.nodes.size(); ++id) {
        const AnalysisNodeFigures& node = figures.nodes[id];
        nodes.push_back({{"id", id},
                         {"parent", countOrNull(node.parent)},
                         {"depth", node.depth},
                         {"serial", node.serial},
                         {"multiplicity", node.multiplicity},
                         {"degree", node.degree},
                         {"marked", node.marked != 0},
                         {"point_count", node.pointCount}});
    }
    return nodes;
}

nlohmann::json chainsJson(const AnalysisFigures& figures) {
    nlohmann::json chains = nlohmann::json::array();
    for (const auto& chain : figures.chains) {
        nlohmann::json nodes = nlohmann::json::array();
        for (const ChainNodeFigures& node : chain) {
            nodes.push_back({{"multiplicity", node.multiplicity}, {"flagged", node.flagged}});
        }
        chains.push_back(std::move(nodes));
    }
    return chains;
}

}  // namespace

nlohmann::json analysisJson(const AnalysisFigures& figures, const std::string& subdivisor) {
    nlohmann::json json = nlohmann::json::object();
    json["subdivisor"] = subdivisor;
    json["chain_count"] = countOrNull(figures.chainCount);
    json["gcd"] = countOrNull(figures.gcd);
    json["joining_curve_genus"] = figures.joiningCurveGenus;
    json["core_branches"] = figures.coreBranches;
    json["stub_count"] = figures.stubCount;
    json["inserted_count"] = figures.insertedCount;
    json["support_euler_x"] = figures.supportEulerX;
    json["support_euler_r"] = figures.supportEulerR;
    json["proportional_branch"] = figures.proportionalBranch;
    json["nodes"] = nodesJson(figures);
    json["chains"] = chainsJson(figures);
    return json;
}

}  // namespace dorvanix::cli
