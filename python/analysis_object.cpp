#include "analysis_object.h"

#include "analysis/subdivisor_analysis.h"
#include "model/divisor_notation.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"

namespace dorvanix::python {

AnalysisFigures analyzeLine(const FiberData& x, const SubdivisorLine& y, const Progress& progress) {
    const std::vector<int> parts = x.firstMultiplicities();
    NodePool pool;
    DivisorNode& xRoot = pool.take();
    parseFiberLine(pool, xRoot, fiberLineText(x.m, x.r, parts));
    DivisorNode& yRoot = pool.take();
    buildSelectedDivisor(pool, yRoot, y.line, x.branchCount());
    // Cancelled, the pool frees every node as it goes.
    AnalysisResult result =
        analyzeSubdivisor(xRoot, yRoot, fiberGenus(x.m, parts), pool, &progress);
    AnalysisFigures figures = analysisFigures(result, &progress);
    releaseAnalysis(pool, result);
    releaseSubtree(pool, &yRoot);
    releaseSubtree(pool, &xRoot);
    return figures;
}

}  // namespace dorvanix::python
