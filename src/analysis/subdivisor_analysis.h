#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/divisor_node.h"
#include "model/node_pool.h"
#include "model/progress.h"

namespace dorvanix {

// What the analysis of a sub-divisor Y of a fiber X builds and computes.
struct AnalysisResult {
    DivisorNode* root = nullptr;          // the analysis divisor R (null when none)
    DivisorNode* chains = nullptr;        // holder T of the chain diagram (null when none)
    DivisorNode* joiningCurve = nullptr;  // J, the curve that replaces every stub
    int chainCount = -1;                  // N, -1 when a proportional branch ended the analysis
    int gcd = -1;                         // d = gcd(m, mY div ell), -1 likewise
    // h as the count (d N - (a + chi(X) - chi(R))) / 2 gives it: the numerator, none after a
    // proportional branch; the genus of J where the count is one (joining_curve_genus.h), and
    // otherwise a note that says why there is none.
    std::optional<long long> genusNumerator;
    std::optional<int> joiningCurveGenus;
    std::string genusNote;
    int coreBranches = 0;  // kc, the new branches of the core
    int stubCount = 0;
    int insertedCount = 0;  // a, the nodes inserted on branches of type 'A'
    int supportEulerX = 0;  // chi(X), known however the analysis ends
    int supportEulerR = 0;  // chi(R) with J counted as a rational curve, likewise
    bool proportionalBranch = false;
    // Every node taken for this result, so that releaseAnalysis returns exactly those; some
    // (the inserted nodes numbered 1000 - i) cannot be reached from R by the child rule.
    std::vector<DivisorNode*> nodes;
};

// Analyses the sub-divisor Y (built as Select builds it: `ell` on its root, a branch type letter
// on the first node of each branch) of the fiber X of genus genusX. Builds the analysis divisor
// (X with Y taken off, stubs of multiplicity ell merged into the joining curve J, the genus chain
// of J where h is its genus) and the chain diagram, and computes N, d and h. Every node comes from
// `pool`; when the pool cannot serve, PoolExhausted is thrown and every node taken so far is given
// back. X keeps its shape (only its `visited` flags change). Throws std::invalid_argument when Y's
// ell is below 1, and Cancelled (giving the nodes back likewise) when `progress` is cancelled.
AnalysisResult analyzeSubdivisor(DivisorNode& x, DivisorNode& y, int genusX, NodePool& pool,
                                 const Progress* progress = nullptr);

// The chain count N and the gcd d of the analysis of Y, from the multiplicities of X and Y alone
// (the chain diagram has N chains of genus(X) nodes); both -1 when a branch of Y is
// proportional to X's.
struct ChainCounts {
    bool proportionalBranch = false;
    int chainCount = -1;
    int gcd = -1;
};
ChainCounts chainCounts(const DivisorNode& x, const DivisorNode& y);
// The same from the numbers alone: X's core multiplicity m and the first multiplicity of each of
// its branches, Y's core multiplicity k, its ell and its first multiplicity on each branch.
ChainCounts chainCounts(int m, std::span<const int> xFirsts, long long k, long long ell,
                        std::span<const int> yFirsts);

// Gives every node of the result back to the pool and resets the result.
void releaseAnalysis(NodePool& pool, AnalysisResult& result);

}  // namespace dorvanix
