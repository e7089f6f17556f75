#include "analysis/subdivisor_choice.h"

#include <string>

#include "model/arithmetic.h"
#include "model/fiber_tree.h"
#include "model/input_check.h"
#include "model/tree_operations.h"

namespace dorvanix {

void checkChainDiagramSize(const DivisorNode& x, const DivisorNode& y, int genusX) {
    const ChainCounts counts = chainCounts(x, y);
    const long long nodes = static_cast<long long>(counts.chainCount) * (genusX > 0 ? genusX : 0);
    if (counts.proportionalBranch || nodes <= kMaxChainDiagramNodes) return;
    throw InputError("the chain diagram would have N * g = " + std::to_string(counts.chainCount) +
                     " * " + std::to_string(genusX) + " = " + std::to_string(nodes) +
                     " nodes, more than the " + std::to_string(kMaxChainDiagramNodes) +
                     " an analysis builds");
}

long long chainDiagramNodes(const FiberData& x, const SubdivisorLine& y) {
    const ChainCounts counts =
        chainCounts(x.m, x.firstMultiplicities(), y.k, y.ell, std::span<const int>(y.ys));
    const int genus = fiberGenus(x.m, x.firstMultiplicities());
    if (counts.proportionalBranch || counts.chainCount < 0 || genus <= 0) return 0;
    return static_cast<long long>(counts.chainCount) * genus;
}

AnalysisResult analyseSelected(NodePool& pool, DivisorNode& x, DivisorNode& y, int genusX,
                               const Progress* progress) {
    recentreDivisor(x);
    checkChainDiagramSize(x, y, genusX);
    return analyzeSubdivisor(x, y, genusX, pool, progress);
}

SubdivisorChoice::SubdivisorChoice(const FiberData& x)
    : SubdivisorChoice(x, std::make_unique<NodePool>(), nullptr) {}

SubdivisorChoice::SubdivisorChoice(const FiberData& x, NodePool& pool)
    : SubdivisorChoice(x, nullptr, &pool) {}

SubdivisorChoice::SubdivisorChoice(const FiberData& x, std::unique_ptr<NodePool> ownPool,
                                   NodePool* pool)
    : ownPool_(std::move(ownPool)),
      pool_(pool != nullptr ? pool : ownPool_.get()),
      branches_(x.branchCount()),
      genus_(fiberGenus(x.m, x.firstMultiplicities())),
      x_(&pool_->take()) {
    try {
        buildFiberTree(*pool_, *x_, x);
    } catch (...) {
        releaseSubtree(*pool_, x_);
        throw;
    }
}

SubdivisorChoice::~SubdivisorChoice() {
    clearChoice();
    releaseSubtree(*pool_, x_);
}

void SubdivisorChoice::clearChoice() {
    releaseAnalysis(*pool_, analysis_);
    if (y_ != nullptr) releaseSubtree(*pool_, y_);
    y_ = nullptr;
}

void SubdivisorChoice::choose(std::string_view line, const Progress* progress) {
    clearChoice();
    y_ = &pool_->take();
    try {
        buildSelectedDivisor(*pool_, *y_, line, branches_);
        analysis_ = analyseSelected(*pool_, *x_, *y_, genus_, progress);
    } catch (...) {
        clearChoice();
        throw;
    }
}

AnalysisFigures analysisFigures(const FiberData& x, const SubdivisorLine& y,
                                const Progress* progress) {
    SubdivisorChoice choice(x);
    choice.choose(y.line, progress);
    return analysisFigures(choice.analysis(), progress);
}

}  // namespace dorvanix
