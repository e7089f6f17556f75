#include "cli/analysis_json.h"

namespace dorvanix::cli {

namespace {

nlohmann::json nodesJson(const AnalysisFigures& figures) {
    nlohmann::json nodes = nlohmann::json::array();
    for (const AnalysisNodeFigures& node : figures.nodes) {
        nodes.push_back({{"serial", node.serial},
                         {"multiplicity", node.multiplicity},
                         {"degree", node.degree},
                         {"marked", node.marked},
                         {"pointCount", node.pointCount}});
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

nlohmann::json analysisJson(const AnalysisFigures& figures) {
    nlohmann::json json = nlohmann::json::object();
    json["analysisChainCount"] = figures.chainCount;
    json["analysisGcd"] = figures.gcd;
    json["joiningCurveGenus"] = figures.joiningCurveGenus;
    json["coreBranches"] = figures.coreBranches;
    json["stubCount"] = figures.stubCount;
    json["insertedCount"] = figures.insertedCount;
    json["supportEulerX"] = figures.supportEulerX;
    json["supportEulerR"] = figures.supportEulerR;
    json["proportionalBranch"] = figures.proportionalBranch;
    json["nodes"] = nodesJson(figures);
    json["chains"] = chainsJson(figures);
    return json;
}

}  // namespace dorvanix::cli
