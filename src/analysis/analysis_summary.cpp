#include "analysis/analysis_summary.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "analysis/analysis_dual_graph.h"
#include "analysis/fiber_adjunction.h"

namespace dorvanix {

namespace {

// The neighbour of a chain node that lies further out: the one with a larger serial.
const DivisorNode* outward(const DivisorNode& node) {
    for (int k = 0; k < node.degree; ++k) {
        const DivisorNode* next = node.neighbor(k);
        if (next != nullptr && next->serial > node.serial) return next;
    }
    return nullptr;
}

}  // namespace

std::vector<std::pair<const DivisorNode*, int>> nodesByChildRule(const DivisorNode& root) {
    // Depth first with an explicit stack (a genus chain can be long): children are pushed in
    // reverse so that they come off in neighbour order, and a node met again is skipped.
    std::unordered_set<const DivisorNode*> seen;
    std::vector<std::pair<const DivisorNode*, int>> out;
    std::vector<std::pair<const DivisorNode*, int>> stack{{&root, 0}};
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        if (!seen.insert(node).second) continue;
        out.emplace_back(node, depth);
        for (int k = node->degree - 1; k >= 0; --k) {
            const DivisorNode* next = node->neighbor(k);
            if (next != nullptr && next->serial > node->serial) stack.emplace_back(next, depth + 1);
        }
    }
    return out;
}

std::vector<const DivisorNode*> chainNodes(const DivisorNode* first) {
    std::vector<const DivisorNode*> chain;
    for (const DivisorNode* node = first; node != nullptr; node = outward(*node)) {
        chain.push_back(node);
    }
    return chain;
}

AnalysisFigures analysisFigures(const AnalysisResult& result, const Progress* progress) {
    AnalysisFigures figures;
    figures.chainCount = result.chainCount;
    figures.gcd = result.gcd;
    figures.genusNumerator = result.genusNumerator;
    figures.joiningCurveGenus = result.joiningCurveGenus;
    figures.genusNote = result.genusNote;
    figures.coreBranches = result.coreBranches;
    figures.stubCount = result.stubCount;
    figures.insertedCount = result.insertedCount;
    figures.supportEulerX = result.supportEulerX;
    figures.supportEulerR = result.supportEulerR;
    figures.proportionalBranch = result.proportionalBranch;
    if (result.root != nullptr) {
        // Depth first, so a node's parent is the last node met one level up.
        std::vector<int> lastAtDepth;
        std::vector<int> curveNodes;  // the position of each vertex of R's dual graph
        for (const auto& [node, depth] : nodesByChildRule(*result.root)) {
            if (figures.nodes.size() % 4096 == 0) throwIfCancelled(progress);
            const auto level = static_cast<std::size_t>(depth);
            const int parent = level == 0 ? -1 : lastAtDepth[level - 1];
            lastAtDepth.resize(level + 1);
            lastAtDepth[level] = static_cast<int>(figures.nodes.size());
            AnalysisNodeFigures& figure = figures.nodes.emplace_back();
            figure.serial = node->serial;
            figure.multiplicity = node->multiplicity;
            figure.inR = node->multiplicity != 0 && node->marked == 0;
            figure.joiningCurve = node == result.joiningCurve;
            figure.drawingPoints = node->degree;
            figure.genusChain = node->marked != 0;
            figure.joiningCurvePoints = node->pointCount;
            figure.depth = depth;
            figure.parent = parent;
            if (figure.inR) curveNodes.push_back(static_cast<int>(figures.nodes.size() - 1));
        }
        // R's dual graph takes its curves in the same walk, so its vertex k is curveNodes[k].
        const DualGraph graph = analysisDualGraph(result);
        const std::vector<Fraction> selfs = trivialSelfIntersections(graph);
        for (std::size_t k = 0; k < selfs.size() && k < curveNodes.size(); ++k) {
            AnalysisNodeFigures& curve = figures.nodes[static_cast<std::size_t>(curveNodes[k])];
            if (selfs[k].whole()) curve.selfIntersection = static_cast<int>(selfs[k].numerator);
            curve.selfIntersectionText = fractionText(selfs[k]);
        }
        for (const auto& [i, j] : graph.edges) {
            const int a = curveNodes[static_cast<std::size_t>(i)];
            const int b = curveNodes[static_cast<std::size_t>(j)];
            figures.nodes[static_cast<std::size_t>(a)].neighboursInR.push_back(b);
            figures.nodes[static_cast<std::size_t>(b)].neighboursInR.push_back(a);
        }
        for (AnalysisNodeFigures& node : figures.nodes) {
            std::sort(node.neighboursInR.begin(), node.neighboursInR.end(), [&](int a, int b) {
                return figures.nodes[static_cast<std::size_t>(a)].serial <
                       figures.nodes[static_cast<std::size_t>(b)].serial;
            });
        }
    }
    if (result.chains != nullptr) {
        for (int i = 0; i < result.chains->degree; ++i) {
            throwIfCancelled(progress);
            auto& chain = figures.chains.emplace_back();
            for (const DivisorNode* node : chainNodes(result.chains->neighbor(i))) {
                chain.push_back({node->multiplicity, node->selfIntersection == 1});
            }
        }
    }
    return figures;
}

}  // namespace dorvanix
