#pragma once

#include <memory>
#include <string_view>

#include "analysis/analysis_summary.h"
#include "analysis/subdivisor_analysis.h"
#include "census/subdivisor_line.h"
#include "model/divisor_node.h"
#include "model/fiber_data.h"
#include "model/node_pool.h"
#include "model/progress.h"

namespace dorvanix {

// The chain diagram holds N chains of genus(X) nodes. Past this many nodes an analysis is
// refused: building them would take gigabytes, and a listing of them would be unreadable.
inline constexpr long long kMaxChainDiagramNodes = 1'000'000;

// Throws InputError when the chain diagram of Y on X (N * genusX nodes) would hold more than
// kMaxChainDiagramNodes nodes. A proportional branch, which ends the analysis before any
// diagram, passes.
void checkChainDiagramSize(const DivisorNode& x, const DivisorNode& y, int genusX);

// Nodes of the chain diagram of Y on X (N * genus of X) from the numbers alone, before anything
// is built; 0 when a branch of Y is proportional to X's, which ends the analysis before any.
long long chainDiagramNodes(const FiberData& x, const SubdivisorLine& y);

// What Select does once the selected lines are built into trees: X is re-centred (the picture
// starts over from X in the middle), the size of the chain diagram is checked, and Y, the first
// selected sub-divisor, is analysed with nodes from `pool`.
// A cancelled `progress` stops the analysis with Cancelled.
AnalysisResult analyseSelected(NodePool& pool, DivisorNode& x, DivisorNode& y, int genusX,
                               const Progress* progress = nullptr);

// A fiber X built from its numbers (buildFiberTree) and at most one sub-divisor Y chosen from it
// as Select chooses its first line: Y built from its line (buildSelectedDivisor), then
// analyseSelected. The nodes come from a pool of its own or from one handed in; every node goes
// back when the choice ends.
class SubdivisorChoice {
  public:
    explicit SubdivisorChoice(const FiberData& x);
    SubdivisorChoice(const FiberData& x, NodePool& pool);
    SubdivisorChoice(const SubdivisorChoice&) = delete;
    SubdivisorChoice& operator=(const SubdivisorChoice&) = delete;
    ~SubdivisorChoice();

    // Chooses Y by its line as listed ("(k;...):: ell = L :: type = T"); an earlier Y and its
    // analysis go back to the pool first. Throws InputError when the chain diagram would be too
    // large, and whatever building or analysing Y throws; then no Y is chosen.
    void choose(std::string_view line, const Progress* progress = nullptr);
    // Gives Y and its analysis back to the pool; X stays.
    void clearChoice();

    DivisorNode& fiber() { return *x_; }
    int genus() const { return genus_; }
    // Y, null until one is chosen.
    DivisorNode* subdivisor() { return y_; }
    const AnalysisResult& analysis() const { return analysis_; }
    NodePool& pool() { return *pool_; }

  private:
    SubdivisorChoice(const FiberData& x, std::unique_ptr<NodePool> ownPool, NodePool* pool);

    std::unique_ptr<NodePool> ownPool_;
    NodePool* pool_;
    int branches_;
    int genus_;
    DivisorNode* x_;
    DivisorNode* y_ = nullptr;
    AnalysisResult analysis_;
};

// The figures of the analysis of Y on X, both built and Y analysed as Select does, on a pool of
// their own. Throws InputError when the chain diagram would be too large.
AnalysisFigures analysisFigures(const FiberData& x, const SubdivisorLine& y,
                                const Progress* progress = nullptr);

}  // namespace dorvanix
