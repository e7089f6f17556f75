#pragma once

#include <string_view>

#include "analysis/subdivisor_analysis.h"
#include "model/dual_graph.h"
#include "model/progress.h"

namespace dorvanix {

// The dual graph of the analysis divisor R: its curves of nonzero multiplicity reachable from
// the root (vertex 0, the core), with the joining curve J of genus h where h is its genus (else
// none, with the note that says why); the genus chain that draws h is not a curve and is left
// out. Self-intersections are left unknown.
DualGraph analysisDualGraph(const AnalysisResult& result);

// Gives every curve the self-intersection that numerical triviality asks of it (R.C = 0), where
// that is a whole number; elsewhere none, and the curve's note says what it would be.
void fillTrivialSelfIntersections(DualGraph& graph);

// Builds X as the fiber list does and Y from its list line as Select does, analyses Y within the
// bound of an analysis (SubdivisorChoice) and gives the dual graph of R with its
// self-intersections filled in. A cancelled `progress` stops it with Cancelled.
DualGraph analysisDualGraph(const FiberData& x, std::string_view yLine,
                            const Progress* progress = nullptr);

}  // namespace dorvanix
