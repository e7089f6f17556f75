#pragma once

#include <string_view>

#include "analysis/subdivisor_analysis.h"
#include "model/dual_graph.h"

namespace dorvanix {

// The dual graph of the analysis divisor R: its curves of nonzero multiplicity reachable from
// the root (vertex 0, the core), with the joining curve J of genus h; the genus chain that draws
// h is not a curve and is left out. The analysis does not work out self-intersections, so they
// stay unknown.
DualGraph analysisDualGraph(const AnalysisResult& result);

// Builds X as the fiber list does and Y from its list line as Select does, analyses Y and gives
// the dual graph of R.
DualGraph analysisDualGraph(const FiberData& x, std::string_view yLine);

}  // namespace dorvanix
