#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "analysis/analysis_summary.h"
#include "analysis/census_statistics.h"

namespace dorvanix {

// The JSON records of analyses (schema/dorvanix.schema.json), the one source of their keys for
// the tool's output and the module's to_dict(). -1 in the figures, "none", is written null.

// The figures of an analysis of the sub-divisor line `subdivisor` as one JSON object: "subdivisor",
// the counts ("chain_count", "gcd" and "genus_numerator" null after a proportional branch;
// "joining_curve_genus" null where the count is no genus of J, "joining_curve_genus_note" then
// saying why), "nodes" (the analysis divisor by the child rule, each with its id, its parent's id
// and its depth; whether it is a curve of R, and if so its self-intersection and the ids of the
// curves of R it meets; its links and points in the drawing) and "chains" (the chain diagram).
nlohmann::json analysisJson(const AnalysisFigures& figures, const std::string& subdivisor);

// Its "nodes" and its "chains".
nlohmann::json analysisNodesJson(const AnalysisFigures& figures);
nlohmann::json analysisChainsJson(const AnalysisFigures& figures);

// The (N, d, h) table of a fiber: one object of chain_count, gcd, genus_numerator,
// joining_curve_genus and count per row, in that order.
nlohmann::ordered_json analysisTableJson(const AnalysisTable& table);

// One line of `census --analyze --jsonl`: the fiber's record (censusFiberJson) with its table
// as "analysis_table".
std::string censusAnalysisJsonLine(const CensusFiber& fiber, const AnalysisTable& table);

}  // namespace dorvanix
