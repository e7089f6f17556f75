#include "app/shared_state.h"

#include <exception>
#include <utility>

#include "analysis/subdivisor_choice.h"
#include "app/analysis_text.h"
#include "model/tree_operations.h"

namespace dorvanix {

SharedState::~SharedState() {
    // The pool frees its blocks by itself; nothing else holds nodes.
}

FiberOptions SharedState::fiberOptions() const {
    FiberOptions options;
    options.noDuplicateBranches = noDuplicateBranches != 0;
    options.requiredGenus = requiredGenus;
    options.multiplicityOption = multiplicityOption != 0;
    options.requiredMultiplicities = requiredMultiplicities;
    options.atMostTwoSimpleCrusts = atMostTwoSimpleCrusts != 0;
    return options;
}

DivisorNode& SharedState::startFiber(int m, int r, int b) {
    if (currentFiber != nullptr) releaseSubtree(pool, currentFiber);
    DivisorNode& core = pool.take();
    core.multiplicity = m;
    core.selfIntersection = r;
    core.degree = b;
    currentFiber = &core;
    return core;
}

void SharedState::releaseFiberBranches() {
    if (currentFiber != nullptr) releaseBranches(pool, *currentFiber);
}

void SharedState::releaseSelected() {
    if (selectedDivisors == nullptr) return;
    for (DivisorNode* root : selectedDivisors->neighbors) {
        if (root != nullptr) releaseSubtree(pool, root);
    }
    selectedDivisors->neighbors.clear();
    selectedDivisors->degree = 0;
}

void DetachedAnalysis::run(const Progress* progress) {
    try {
        // Re-centres X and refuses a chain diagram past the core's node limit.
        result = analyseSelected(*pool, *x, *y, genus, progress);
    } catch (const Cancelled&) {
        throw;
    } catch (const std::exception& error) {
        summary = std::string("The analysis failed: ") + error.what();
        return;
    }
    summary = analysisText(result);
}

Scene DetachedAnalysis::scene() {
    Scene scene;
    scene.fiber = x;
    scene.subdivisor = y;
    scene.analysisDivisor = result.root;
    scene.analysisChains = result.chains;
    scene.analysisChainCount = result.chainCount;
    scene.genus = genus;
    scene.relaxationStarted = &relaxationStarted;
    return scene;
}

void SharedState::releaseAnalysis() {
    // Every node of the analysis belongs to its pool, which goes with the last holder.
    analysis.reset();
    analysisDivisor = nullptr;
    analysisChains = nullptr;
    analysisChainCount = -1;
    analysisGcd = -1;
    analysisSummary.clear();
}

std::unique_ptr<DetachedAnalysis> SharedState::detachAnalysis() const {
    const DivisorNode* y = selectedDivisors != nullptr ? selectedDivisors->neighbor(0) : nullptr;
    if (y == nullptr || !fiberBuilt()) return nullptr;
    auto detached = std::make_unique<DetachedAnalysis>();
    detached->x = &copyTree(*detached->pool, *currentFiber);
    detached->y = &copyTree(*detached->pool, *y);
    detached->genus = currentGenus;
    return detached;
}

void SharedState::adoptAnalysis(std::shared_ptr<DetachedAnalysis> done) {
    releaseAnalysis();
    analysis = std::move(done);
    analysisDivisor = analysis->result.root;
    analysisChains = analysis->result.chains;
    analysisChainCount = analysis->result.chainCount;
    analysisGcd = analysis->result.gcd;
    analysisSummary = analysis->summary;
}

bool SharedState::fiberBuilt() const {
    return currentFiber != nullptr && currentFiber->degree > 0 &&
           currentFiber->neighbors.size() == static_cast<std::size_t>(currentFiber->degree);
}

}  // namespace dorvanix
