#include "analysis/analysis_summary.h"

#include <unordered_set>
#include <utility>

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
        for (const auto& [node, depth] : nodesByChildRule(*result.root)) {
            if (figures.nodes.size() % 4096 == 0) throwIfCancelled(progress);
            const auto level = static_cast<std::size_t>(depth);
            const int parent = level == 0 ? -1 : lastAtDepth[level - 1];
            lastAtDepth.resize(level + 1);
            lastAtDepth[level] = static_cast<int>(figures.nodes.size());
            figures.nodes.push_back({node->serial, node->multiplicity, node->degree, node->marked,
                                     node->pointCount, depth, parent});
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
