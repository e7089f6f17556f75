#pragma once

#include <string_view>

#include "analysis/subdivisor_analysis.h"
#include "model/dual_graph.h"
#include "model/progress.h"

namespace dorvanix {

// The dual graph of the analysis divisor R: its curves of nonzero multiplicity reachable from
// the root (vertex 0, the core), with the joining curve J of genus h; the genus chain that draws
// h is not a curve and is left out. The analysis does not work out self-intersections, so they
// stay unknown.
DualGraph analysisDualGraph(const AnalysisResult& result);

// Builds X as the fiber list does and Y from its list line as Select does, analyses Y within the
// bound of an analysis (SubdivisorChoice) and gives the dual graph of R. A cancelled `progress`
// stops it with Cancelled.
DualGraph analysisDualGraph(const FiberData& x, std::string_view yLine,
                            const Progress* progress = nullptr);

}  // namespace dorvanix
