#pragma once

#include <vector>

#include "analysis/subdivisor_analysis.h"
#include "model/divisor_node.h"
#include "model/node_links.h"
#include "model/node_pool.h"
#include "model/progress.h"

namespace dorvanix {

// The working state of one analysis: the pool, the result being filled, the stub list and the
// ell of Y. The branch rules, the joining curve and the chain diagram are its members, spread
// over analysis_*.cpp by stage.
class AnalysisBuilder {
  public:
    // `progress` (possibly none) is looked at every few thousand nodes: the chain diagram alone
    // can have tens of millions.
    AnalysisBuilder(NodePool& pool, AnalysisResult& result, int ell, const Progress* progress);

    // Stage 1: the root R with its core stubs, then every branch by its letter.
    void buildRoot(const DivisorNode& x, const DivisorNode& y);
    void copyBranch(const DivisorNode& x, const DivisorNode& y, int j);

    // Stage 2.
    void buildJoiningCurve();
    void buildChainDiagram(int chainCount, int flagged, int genusX);
    void buildGenusChain(int genus);

  private:
    // Where a branch copy stands: the X node being copied, the node the copy hangs on, and the
    // taken node that becomes the copy.
    struct Cursor {
        const DivisorNode* x = nullptr;
        DivisorNode* parent = nullptr;
        DivisorNode* copy = nullptr;
    };
    // The state of rule 'A' on one branch: the Y node on the X node at hand and the one before
    // it, whether a chain has been inserted, and how many nodes the passes inserted.
    struct RuleAState {
        const DivisorNode* yc = nullptr;
        const DivisorNode* yprev = nullptr;
        bool flag = false;
        int inserted = 0;
    };

    DivisorNode& take();
    DivisorNode& copyX(const Cursor& at, int degree, int serial, int multiplicity);
    // Takes the copy of the next X node and hangs it on arm 1 of the current copy; false (and
    // nothing taken) when the X node has no successor.
    bool advance(Cursor& at);
    // Hangs a new stub of multiplicity ell on arm `arm` of `node`, twice the arm's length away.
    DivisorNode& standardStub(DivisorNode& node, int arm);
    // Stubs on arms firstArm ... firstArm + count - 1 of `node`, the i-th (from 1) at angle
    // base + i step, every arm with the given handle and length.
    void fan(DivisorNode& node, int firstArm, int count, Arm lengths, double base, double step);

    // The copy of one branch by its letter, from its first X node to the end of the branch.
    void ruleZero(Cursor at, int mY);
    void ruleA(Cursor at, const DivisorNode& y, const DivisorNode* yc);
    void lastNodeA(Cursor at, const RuleAState& state);
    bool insertionApplies(const Cursor& at, const RuleAState& state) const;
    void insertChain(Cursor& at, RuleAState& state);
    void ruleB(Cursor at, const DivisorNode* yc);
    void ruleC(Cursor at, const DivisorNode* yc);
    // The stubs (and the chain nodes behind them) where Y ends on a branch of type 'C'; answers
    // the X node where the walk stopped, null when it ran past the end of the branch.
    const DivisorNode* tailWalk(const DivisorNode* start, int yMultiplicity);
    DivisorNode& setUpChainNode(DivisorNode& node, DivisorNode* prev, const DivisorNode& w,
                                int acc);

    void dropStubs();

    NodePool& pool_;
    AnalysisResult& result_;
    int ell_;
    const Progress* progress_;
    std::vector<DivisorNode*> stubs_;
    // armAngle[0] of the first and second stub, kept for the genus chain once the stubs are gone.
    std::vector<double> stubAngles_;
};

// Safe readers of a node's arms and neighbours: an arm beyond the arrays reads as zero.
Arm armOf(const DivisorNode& node, int k);
void setArm(DivisorNode& node, int k, Arm arm);
void setNeighbor(DivisorNode& node, int k, DivisorNode* value);
int multiplicityOf(const DivisorNode* node);
// The next node of a chain: neighbours[1] of a node of degree 2 (or more), null otherwise.
const DivisorNode* nextInChain(const DivisorNode* node);

}  // namespace dorvanix
