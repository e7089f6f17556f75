#include "analysis/subdivisor_analysis.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>

#include "analysis/analysis_builder.h"
#include "analysis/analysis_dual_graph.h"
#include "analysis/joining_curve_genus.h"
#include "model/arithmetic.h"
#include "model/tree_operations.h"

namespace dorvanix {

namespace {

int clampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void setGenus(AnalysisResult& result, const JoiningCurveGenus& verdict) {
    result.genusNumerator = verdict.numerator;
    result.joiningCurveGenus = verdict.genus;
    result.genusNote = verdict.note;
}

// h from N, d and the Euler numbers of X and of the finished analysis divisor, taken for the
// genus of J only where R's dual graph bears it out.
void computeGenus(AnalysisResult& result, int genusX) {
    const long long difference =
        static_cast<long long>(result.insertedCount) + result.supportEulerX - result.supportEulerR;
    const long long product = static_cast<long long>(result.gcd) * result.chainCount;
    setGenus(result, judgeJoiningCurveGenus(product - difference, analysisDualGraph(result), genusX,
                                            result.coreBranches));
}

void analyze(DivisorNode& x, DivisorNode& y, int genusX, NodePool& pool, AnalysisResult& result,
             const Progress* progress) {
    AnalysisBuilder builder(pool, result, y.ell, progress);
    builder.buildRoot(x, y);
    for (int j = 0; j < x.degree; ++j) builder.copyBranch(x, y, j);
    builder.buildJoiningCurve();
    const ChainCounts counts = chainCounts(x, y);
    result.proportionalBranch = counts.proportionalBranch;
    result.chainCount = counts.chainCount;
    result.gcd = counts.gcd;
    // The Euler numbers are those of X and of R as built, whatever follows.
    result.supportEulerX = supportEulerNumber(x);
    result.supportEulerR = supportEulerNumber(*result.root);
    // With a proportional branch the analysis divisor and J stay; there is no chain diagram
    // and no genus chain.
    if (counts.proportionalBranch) {
        setGenus(result, genusAfterProportionalBranch());
        return;
    }
    computeGenus(result, genusX);
    builder.buildChainDiagram(result.chainCount, result.gcd, genusX);
    if (result.joiningCurveGenus.value_or(0) > 0)
        builder.buildGenusChain(*result.joiningCurveGenus);
}

}  // namespace

ChainCounts chainCounts(int m, std::span<const int> xFirsts, long long k, long long ell,
                        std::span<const int> yFirsts) {
    const std::size_t b = xFirsts.size();
    // A branch on which Y is a multiple of X by the same factor as on the core.
    for (std::size_t j = 0; j < b; ++j) {
        const long long onY = j < yFirsts.size() ? yFirsts[j] : 0;
        if (onY * m == static_cast<long long>(xFirsts[j]) * k) return {true, -1, -1};
    }
    if (ell < 1) return {};
    const long long q0 = k / ell;
    long long sumX = 0;
    long long sumY = 0;
    for (std::size_t j = 0; j < b; ++j) {
        sumX += xFirsts[j];
        sumY += j < yFirsts.size() ? yFirsts[j] : 0;
    }
    const int e = m != 0 && q0 * (sumX / m) < sumY / ell ? 1 : 0;
    const long long d = gcd64(m, q0);
    const long long n = (static_cast<long long>(b) - 2 + e) * (d != 0 ? q0 / d : 0);
    return {false, clampToInt(n), clampToInt(d)};
}

ChainCounts chainCounts(const DivisorNode& x, const DivisorNode& y) {
    std::vector<int> xFirsts;
    std::vector<int> yFirsts;
    for (int j = 0; j < x.degree; ++j) {
        xFirsts.push_back(multiplicityOf(x.neighbor(j)));
        yFirsts.push_back(multiplicityOf(y.neighbor(j)));
    }
    return chainCounts(x.multiplicity, xFirsts, y.multiplicity, y.ell, yFirsts);
}

AnalysisResult analyzeSubdivisor(DivisorNode& x, DivisorNode& y, int genusX, NodePool& pool,
                                 const Progress* progress) {
    if (y.ell < 1) {
        throw std::invalid_argument("the sub-divisor's ell must be at least 1, not " +
                                    std::to_string(y.ell));
    }
    AnalysisResult result;
    try {
        analyze(x, y, genusX, pool, result, progress);
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
