#pragma once

#include <array>
#include <memory>
#include <string>

#include "analysis/subdivisor_analysis.h"
#include "app/picture_content.h"
#include "census/fiber_enumeration.h"
#include "model/divisor_node.h"
#include "model/node_pool.h"
#include "picture/picture_animation.h"

namespace dorvanix {

// An analysis of the first selected sub-divisor that shares no node with the trees of the
// dialogs: X as it stands and Y are copied into a pool of the analysis's own, so that the
// analysis can run on a worker thread. Once done it is what the picture shows: X, Y flying onto
// it, the chain diagram and the analysis divisor, moved by the picture's frame workers only.
struct DetachedAnalysis : PictureContent {
    std::unique_ptr<NodePool> pool = std::make_unique<NodePool>();
    DivisorNode* x = nullptr;
    DivisorNode* y = nullptr;
    int genus = 0;
    AnalysisResult result;
    std::string summary;
    int relaxationStarted = 0;

    // Analyses Y on X; a failure (a chain diagram too large to build) becomes the summary.
    // Throws Cancelled when `progress` is cancelled.
    void run(const Progress* progress);
    Scene scene() override;
};

// What the dialogs of one run share: the trees in the node pool, the options of the fiber list,
// which of the modeless windows are open, the analysis results and the picture's animation state.
// There is one instance for the whole run; every dialog is handed a reference to it.
class SharedState {
  public:
    SharedState() = default;
    SharedState(const SharedState&) = delete;
    SharedState& operator=(const SharedState&) = delete;
    ~SharedState();

    // The default pool grows, so a long session never runs out of nodes.
    NodePool pool;

    // X of the sub-divisor dialog: only choosing a fiber in the fiber list replaces it.
    DivisorNode* currentFiber = nullptr;
    // m, r and b of the fiber list, as "OK >" gave them.
    int listM = 0;
    int listR = 0;
    int listB = 0;
    // The genus of a whole-genus list (all m, r and b); 0 when the list is that of listM, listR,
    // listB.
    int listGenus = 0;
    // The options the fiber list was asked with.
    FiberOptions listOptions;
    // Holder whose neighbours are the parsed lines of the selected list, in list order.
    DivisorNode* selectedDivisors = nullptr;
    DivisorNode* analysisDivisor = nullptr;
    DivisorNode* analysisChains = nullptr;

    int currentGenus = 0;
    int noDuplicateBranches = 0;
    int atMostTwoSimpleCrusts = 0;
    int requiredGenus = 0;
    int multiplicityOption = 0;
    std::array<int, 4> requiredMultiplicities{};

    int fiberListOpen = 0;
    int subdivisorDialogOpen = 0;
    int pictureOpen = 0;

    // The analysis of the first selected sub-divisor, with the copies of X and Y it was made on;
    // its root and chain holder are also analysisDivisor and analysisChains. The picture shares
    // it and moves its trees; the dialogs read only its numbers.
    std::shared_ptr<DetachedAnalysis> analysis;
    int analysisChainCount = -1;
    int analysisGcd = -1;
    // The figures of the first selected sub-divisor in words; empty while there is no analysis.
    std::string analysisSummary;

    // The options of the fiber list as the enumeration takes them.
    FiberOptions fiberOptions() const;

    // A fresh core node with m, r and b as the current fiber; the earlier fiber goes back to the
    // pool first.
    DivisorNode& startFiber(int m, int r, int b);
    // The current fiber's branches go back to the pool; the core stays.
    void releaseFiberBranches();
    // Every parsed selected sub-divisor goes back to the pool; the holder stays, now empty.
    void releaseSelected();
    // The analysis divisor and the chain diagram go, with their pool; the figures are reset.
    void releaseAnalysis();
    // The current fiber and the first selected sub-divisor, copied to be analysed away from the
    // user-interface thread; null when there is no fiber or nothing is selected.
    std::unique_ptr<DetachedAnalysis> detachAnalysis() const;
    // Takes over a finished analysis in place of the earlier one.
    void adoptAnalysis(std::shared_ptr<DetachedAnalysis> done);
    // True when the current fiber has all its branches built (a fiber has been chosen).
    bool fiberBuilt() const;
};

}  // namespace dorvanix
