#pragma once

#include <nlohmann/json.hpp>

#include "analysis/analysis_summary.h"

namespace dorvanix::cli {

// The figures of an analysis as one JSON object: the counts under their names
// ("analysisChainCount", "analysisGcd", "joiningCurveGenus", "coreBranches", "stubCount",
// "insertedCount", "supportEulerX", "supportEulerR", "proportionalBranch"), "nodes" (the
// analysis divisor by the child rule) and "chains" (the chain diagram).
nlohmann::json analysisJson(const AnalysisFigures& figures);

}  // namespace dorvanix::cli
