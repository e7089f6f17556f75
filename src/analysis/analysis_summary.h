#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/subdivisor_analysis.h"
#include "model/divisor_node.h"
#include "model/progress.h"

namespace dorvanix {

// One node of the analysis divisor as the command line and the scripts show it: a curve of R
// with its self-intersection and the curves of R it meets, as R's dual graph has them, or a node
// of the drawing that is no curve of R (multiplicity 0, or the genus chain that draws h).
struct AnalysisNodeFigures {
    int serial = 0;
    int multiplicity = 0;
    // A curve of R: multiplicity nonzero and not on the genus chain.
    bool inR = false;
    bool joiningCurve = false;
    // A curve of R's self-intersection where numerical triviality makes it whole, and what
    // numerical triviality asks in any case ("-3/2" where it is no whole number).
    std::optional<int> selfIntersection;
    std::string selfIntersectionText;
    // The curves of R it meets, as positions in the list of nodes, once a meeting point.
    std::vector<int> neighboursInR;
    // What the drawing keeps: the node's links to any node, whether it is on the genus chain,
    // and the points it gives J (0 on any other node).
    int drawingPoints = 0;
    bool genusChain = false;
    int joiningCurvePoints = 0;
    int depth = 0;    // links from the root along the child rule
    int parent = -1;  // position of the parent in the list of nodes, -1 for the root
};

// One node of a chain of the chain diagram.
struct ChainNodeFigures {
    int multiplicity = 0;
    bool flagged = false;
};

// The figures of an analysis as plain numbers, free of node pointers.
struct AnalysisFigures {
    int chainCount = -1;
    int gcd = -1;
    std::optional<long long> genusNumerator;  // none after a proportional branch
    std::optional<int> joiningCurveGenus;     // none where the count is no genus of J
    std::string genusNote;                    // why there is no genus
    int coreBranches = 0;
    int stubCount = 0;
    int insertedCount = 0;
    int supportEulerX = 0;
    int supportEulerR = 0;
    bool proportionalBranch = false;
    std::vector<AnalysisNodeFigures> nodes;
    std::vector<std::vector<ChainNodeFigures>> chains;
};

// The nodes reachable from `root` by the child rule (a neighbour with a larger serial), each
// once, depth first in neighbour order, with their depth below the root.
std::vector<std::pair<const DivisorNode*, int>> nodesByChildRule(const DivisorNode& root);

// The chain of the chain diagram that starts at `first`, followed by the child rule.
std::vector<const DivisorNode*> chainNodes(const DivisorNode* first);

// Throws Cancelled when `progress` (possibly none) is cancelled.
AnalysisFigures analysisFigures(const AnalysisResult& result, const Progress* progress = nullptr);

}  // namespace dorvanix
