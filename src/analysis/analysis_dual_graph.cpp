#include "analysis/analysis_dual_graph.h"

#include <unordered_map>

#include "analysis/analysis_summary.h"
#include "analysis/fiber_adjunction.h"
#include "analysis/subdivisor_choice.h"
#include "census/subdivisor_line.h"
#include "model/divisor_notation.h"
#include "model/node_pool.h"

namespace dorvanix {

DualGraph analysisDualGraph(const AnalysisResult& result) {
    DualGraph graph;
    if (result.root == nullptr) return graph;
    std::unordered_map<const DivisorNode*, int> ids;
    std::vector<const DivisorNode*> curves;
    for (const auto& [node, depth] : nodesByChildRule(*result.root)) {
        if (node->multiplicity == 0 || node->marked != 0) continue;
        const int id = static_cast<int>(curves.size());
        ids.emplace(node, id);
        curves.push_back(node);
        const bool joining = node == result.joiningCurve;
        graph.vertices.push_back({id, node->multiplicity, std::nullopt,
                                  joining ? result.joiningCurveGenus : 0,
                                  node == result.root ? "core"
                                  : joining           ? "joining_curve"
                                                      : "branch",
                                  joining ? result.genusNote : std::string()});
    }
    // Every meeting point is a link on both curves; it is counted on the curve listed first.
    for (std::size_t i = 0; i < curves.size(); ++i) {
        for (int k = 0; k < curves[i]->degree; ++k) {
            const auto found = ids.find(curves[i]->neighbor(k));
            if (found != ids.end() && found->second > static_cast<int>(i)) {
                graph.edges.emplace_back(static_cast<int>(i), found->second);
            }
        }
    }
    return graph;
}

void fillTrivialSelfIntersections(DualGraph& graph) {
    const std::vector<Fraction> selfs = trivialSelfIntersections(graph);
    for (std::size_t i = 0; i < selfs.size(); ++i) {
        DualVertex& curve = graph.vertices[i];
        if (selfs[i].whole()) {
            curve.selfIntersection = static_cast<int>(selfs[i].numerator);
            continue;
        }
        curve.selfIntersection.reset();
        const std::string note = "numerical triviality asks self-intersection " +
                                 fractionText(selfs[i]) + ", which is no whole number";
        curve.note = curve.note.empty() ? note : curve.note + "; " + note;
    }
}

DualGraph analysisDualGraph(const FiberData& x, std::string_view yLine, const Progress* progress) {
    // Declined as X's own graph is, before X's trees are built.
    checkDualGraphSize(x);
    SubdivisorChoice choice(x);
    choice.choose(yLine, progress);
    DualGraph graph = analysisDualGraph(choice.analysis());
    fillTrivialSelfIntersections(graph);
    return graph;
}

}  // namespace dorvanix
