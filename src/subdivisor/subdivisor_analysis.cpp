#include "subdivisor/subdivisor_analysis.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "model/tree_operations.h"
#include "subdivisor/analysis_builder.h"

namespace dorvanix {

namespace {

// A branch on which Y is a multiple of X by the same factor as on the core.
bool hasProportionalBranch(const DivisorNode& x, const DivisorNode& y) {
    for (int j = 0; j < x.degree; ++j) {
        const long long onY = multiplicityOf(y.neighbor(j));
        const long long onX = multiplicityOf(x.neighbor(j));
        if (onY * x.multiplicity == onX * y.multiplicity) return true;
    }
    return false;
}

int clampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// N, d and h from the finished analysis divisor.
void computeCounts(DivisorNode& x, const DivisorNode& y, AnalysisResult& result) {
    const int m = x.multiplicity;
    const int b = x.degree;
    const int ell = y.ell;
    const long long q0 = y.multiplicity / ell;
    long long sumX = 0;
    long long sumY = 0;
    for (int j = 0; j < b; ++j) {
        sumX += multiplicityOf(x.neighbor(j));
        sumY += multiplicityOf(y.neighbor(j));
    }
    const int e = m != 0 && q0 * (sumX / m) < sumY / ell ? 1 : 0;
    const long long d = gcd64(m, q0);
    const long long n = (b - 2 + e) * (d != 0 ? q0 / d : 0);
    result.gcd = clampToInt(d);
    result.chainCount = clampToInt(n);
    result.supportEulerX = supportEulerNumber(x);
    result.supportEulerR = supportEulerNumber(*result.root);
    const long long difference =
        result.insertedCount + result.supportEulerX - result.supportEulerR;
    result.joiningCurveGenus = clampToInt((d * n - difference) / 2);
}

void analyze(DivisorNode& x, DivisorNode& y, int genusX, NodePool& pool,
             AnalysisResult& result) {
    AnalysisBuilder builder(pool, result, y.ell);
    builder.buildRoot(x, y);
    for (int j = 0; j < x.degree; ++j) builder.copyBranch(x, y, j);
    builder.buildJoiningCurve();
    if (hasProportionalBranch(x, y)) {
        // The analysis divisor and J stay; there is no chain diagram and no genus chain.
        result.proportionalBranch = true;
        result.chainCount = result.gcd = -1;
        return;
    }
    computeCounts(x, y, result);
    builder.buildChainDiagram(result.chainCount, result.gcd, genusX);
    if (result.joiningCurveGenus > 0) builder.buildGenusChain(result.joiningCurveGenus);
}

}  // namespace

AnalysisResult analyzeSubdivisor(DivisorNode& x, DivisorNode& y, int genusX, NodePool& pool) {
    if (y.ell < 1) {
        throw std::invalid_argument("the sub-divisor's ell must be at least 1, not " +
                                    std::to_string(y.ell));
    }
    AnalysisResult result;
    try {
        analyze(x, y, genusX, pool, result);
    } catch (...) {
        releaseAnalysis(pool, result);
        throw;
    }
    return result;
}

void releaseAnalysis(NodePool& pool, AnalysisResult& result) {
    for (DivisorNode* node : result.nodes) pool.releaseNode(node);
    result = AnalysisResult{};
}

}  // namespace dorvanix
