#include "files/analysis_records.h"

#include "files/fiber_records.h"

namespace dorvanix {

namespace {

// -1 stands for "none" in the core (no parent, or an analysis ended by a proportional branch).
nlohmann::json countOrNull(long long value) {
    return value < 0 ? nlohmann::json(nullptr) : nlohmann::json(value);
}

template <typename Json, typename Number>
Json valueOrNull(const std::optional<Number>& value) {
    return value ? Json(*value) : Json(nullptr);
}

}  // namespace

nlohmann::json analysisNodesJson(const AnalysisFigures& figures) {
    nlohmann::json nodes = nlohmann::json::array();
    for (std::size_t id = 0; id < figures.nodes.size(); ++id) {
        const AnalysisNodeFigures& node = figures.nodes[id];
        nodes.push_back({{"id", id},
                         {"parent", countOrNull(node.parent)},
                         {"depth", node.depth},
                         {"serial", node.serial},
                         {"multiplicity", node.multiplicity},
                         {"in_r", node.inR},
                         {"self_intersection", valueOrNull<nlohmann::json>(node.selfIntersection)},
                         {"neighbours_in_r", node.neighboursInR},
                         {"drawing_points", node.drawingPoints},
                         {"genus_chain", node.genusChain},
                         {"joining_curve_points", node.joiningCurvePoints}});
    }
    return nodes;
}

nlohmann::json analysisChainsJson(const AnalysisFigures& figures) {
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

nlohmann::json analysisJson(const AnalysisFigures& figures, const std::string& subdivisor) {
    nlohmann::json json = nlohmann::json::object();
    json["subdivisor"] = subdivisor;
    json["chain_count"] = countOrNull(figures.chainCount);
    json["gcd"] = countOrNull(figures.gcd);
    json["genus_numerator"] = valueOrNull<nlohmann::json>(figures.genusNumerator);
    json["joining_curve_genus"] = valueOrNull<nlohmann::json>(figures.joiningCurveGenus);
    json["joining_curve_genus_note"] =
        figures.genusNote.empty() ? nlohmann::json(nullptr) : nlohmann::json(figures.genusNote);
    json["core_branches"] = figures.coreBranches;
    json["stub_count"] = figures.stubCount;
    json["inserted_count"] = figures.insertedCount;
    json["support_euler_x"] = figures.supportEulerX;
    json["support_euler_r"] = figures.supportEulerR;
    json["proportional_branch"] = figures.proportionalBranch;
    json["nodes"] = analysisNodesJson(figures);
    json["chains"] = analysisChainsJson(figures);
    return json;
}

nlohmann::ordered_json analysisTableJson(const AnalysisTable& table) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const AnalysisTally& row : table) {
        const auto orNull = [](int value) {
            return value < 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(value);
        };
        rows.push_back(
            {{"chain_count", orNull(row.chainCount)},
             {"gcd", orNull(row.gcd)},
             {"genus_numerator", valueOrNull<nlohmann::ordered_json>(row.genusNumerator)},
             {"joining_curve_genus", valueOrNull<nlohmann::ordered_json>(row.joiningCurveGenus)},
             {"count", row.count}});
    }
    return rows;
}

std::string censusAnalysisJsonLine(const CensusFiber& fiber, const AnalysisTable& table) {
    return withJsonMember(censusFiberJson(fiber), "analysis_table", analysisTableJson(table));
}

}  // namespace dorvanix
