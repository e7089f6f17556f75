#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "analysis/analysis_summary.h"

namespace dorvanix::cli {

// The figures of an analysis of the sub-divisor line `subdivisor` as one JSON object with the
// keys of the module's Analysis.to_dict() (schema/dorvanix.schema.json): "subdivisor", the counts
// ("chain_count" and "gcd" null after a proportional branch), "nodes" (the analysis divisor by the
// child rule, each with its id, its parent's id and its depth) and "chains" (the chain diagram).
nlohmann::json analysisJson(const AnalysisFigures& figures, const std::string& subdivisor);

}  // namespace dorvanix::cli
