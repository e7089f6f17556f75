#include "app/shared_state.h"

#include <exception>

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

void SharedState::releaseAnalysis() {
    dorvanix::releaseAnalysis(pool, analysis);
    analysisDivisor = nullptr;
    analysisChains = nullptr;
    analysisChainCount = -1;
    analysisGcd = -1;
    analysisSummary.clear();
}

void SharedState::analyseFirstSelected() {
    releaseAnalysis();
    relaxationStarted = 0;
    DivisorNode* y = selectedDivisors != nullptr ? selectedDivisors->neighbor(0) : nullptr;
    if (y == nullptr || !fiberBuilt()) return;
    try {
        // Re-centres X and refuses a chain diagram past the core's node limit.
        analysis = analyseSelected(pool, *currentFiber, *y, currentGenus);
    } catch (const std::exception& error) {
        analysisSummary = std::string("The analysis failed: ") + error.what();
        return;
    }
    analysisDivisor = analysis.root;
    analysisChains = analysis.chains;
    analysisChainCount = analysis.chainCount;
    analysisGcd = analysis.gcd;
    analysisSummary = analysisText(analysis);
}

Scene SharedState::scene() {
    Scene scene;
    scene.fiber = fiberBuilt() ? currentFiber : nullptr;
    scene.subdivisor = firstSelected(selectedDivisors);
    scene.analysisDivisor = analysisDivisor;
    scene.analysisChains = analysisChains;
    scene.analysisChainCount = analysisChainCount;
    scene.genus = currentGenus;
    scene.relaxationStarted = &relaxationStarted;
    return scene;
}

bool SharedState::fiberBuilt() const {
    return currentFiber != nullptr && currentFiber->degree > 0 &&
           currentFiber->neighbors.size() == static_cast<std::size_t>(currentFiber->degree);
}

}  // namespace dorvanix
