#include "picture_render.h"

#include <cstdlib>
#include <memory>
#include <mutex>

#include "analysis/subdivisor_analysis.h"
#include "model/divisor_notation.h"
#include "model/input_check.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"
#include "picture/picture_animation.h"
#include "picture/svg_export.h"

namespace dorvanix::python {

namespace {

constexpr int kMaxTicks = 1000;

// The library's random sequence is one for the process: one picture draws from it at a time.
std::mutex randomSequence;

// The trees the picture window holds after choosing X and selecting Y.
struct PictureTrees {
    NodePool pool;
    Scene scene;
    AnalysisResult analysis;
    int relaxationStarted = 0;

    explicit PictureTrees(const FiberData& x) {
        const std::vector<int> parts = x.firstMultiplicities();
        DivisorNode& root = pool.take();
        parseFiberLine(pool, root, fiberLineText(x.m, x.r, parts));
        scene.fiber = &root;
        scene.genus = fiberGenus(x.m, parts);
        scene.relaxationStarted = &relaxationStarted;
    }

    // What Select does with a single line: Y is built, X re-centred and Y analysed.
    void select(const FiberData& x, const SubdivisorLine& y, const Progress& progress) {
        DivisorNode& root = pool.take();
        buildSelectedDivisor(pool, root, y.line, x.branchCount());
        scene.subdivisor = &root;
        recentreDivisor(*scene.fiber);
        analysis = analyzeSubdivisor(*scene.fiber, root, scene.genus, pool, &progress);
        relaxationStarted = 0;
        scene.analysisDivisor = analysis.root;
        scene.analysisChains = analysis.chains;
        scene.analysisChainCount = analysis.chainCount;
    }
};

}  // namespace

std::string pictureSvg(const FiberData& x, const std::optional<SubdivisorLine>& y, int ticks,
                       const Progress& progress) {
    if (ticks < 0 || ticks > kMaxTicks) {
        throw InputError("ticks must lie in 0 ... " + std::to_string(kMaxTicks) + ", not " +
                         std::to_string(ticks));
    }
    auto trees = std::make_unique<PictureTrees>(x);
    if (y) trees->select(x, *y, progress);
    std::lock_guard lock(randomSequence);
    std::srand(1);
    const RandomSource random = standardRandom();
    PictureAnimation animation;
    for (int t = 0; t < ticks; ++t) {
        throwIfCancelled(&progress);
        animation.tick(trees->scene, random);
    }
    const View view{kPictureWidth / 2, kPictureHeight / 2, 1.0};
    return svgDocument(animation.paint(trees->scene, view));
}

}  // namespace dorvanix::python
