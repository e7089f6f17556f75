#include "picture/picture_animation.h"

#include <cmath>

#include "model/pi.h"
#include "model/tree_operations.h"
#include "picture/divisor_drawing.h"

namespace dorvanix {

namespace {

DivisorNode* chainRoot(const Scene& scene, int i) {
    return scene.analysisChains != nullptr ? scene.analysisChains->neighbor(i) : nullptr;
}

}  // namespace

DivisorNode* firstSelected(const DivisorNode* holder) {
    if (holder == nullptr || holder->degree <= 0) return nullptr;
    return holder->neighbor(0);
}

int& PictureAnimation::relaxationFlag(const Scene& scene) {
    return scene.relaxationStarted != nullptr ? *scene.relaxationStarted : ownRelaxationStarted_;
}

void PictureAnimation::tick(const Scene& scene, const RandomSource& random) {
    if (animationPaused_ || scene.subdivisor == nullptr || scene.fiber == nullptr) return;
    if (animationStep_ < kStepOfY) {
        flyOntoFiber(scene, random);
    } else if (animationStep_ < kSettlingStep) {
        flyChainsOut(scene, random);
    } else {
        settle(scene, random);
    }
    if (animationStep_ < kLastStep) ++animationStep_;
}

// Y starts up and to the right of X's core and comes down onto it, ever slower.
void PictureAnimation::flyOntoFiber(const Scene& scene, const RandomSource& random) {
    DivisorNode& x = *scene.fiber;
    DivisorNode& y = *scene.subdivisor;
    relaxStep(&x, random, relaxationFlag(scene));
    const int s = animationStep_;
    const int t = static_cast<int>(std::floor(100.0 - 0.04 * s * s));
    y.x = x.x + t;
    y.y = x.y - t;
    y.movingX = y.x;
    y.movingY = y.y;
    relaxStep(&y, random, relaxationFlag(scene));
}

// The chain roots leave X's core along their spokes, accelerating.
void PictureAnimation::flyChainsOut(const Scene& scene, const RandomSource& random) {
    const DivisorNode& x = *scene.fiber;
    const int n = scene.analysisChainCount;
    const int d = animationStep_ - kStepOfY;
    for (int i = 0; i < n; ++i) {
        DivisorNode* root = chainRoot(scene, i);
        if (root == nullptr) continue;
        const double angle = 2 * i * kPiCut5 / n;
        root->x = x.x + static_cast<int>(std::floor(std::cos(angle) * d * d * 0.5));
        root->y = x.y + static_cast<int>(std::floor(std::sin(angle) * d * d * 0.5));
        relaxStep(root, random, relaxationFlag(scene));
    }
    relaxAnalysisDivisor(scene, random);
}

void PictureAnimation::settle(const Scene& scene, const RandomSource& random) {
    for (int i = 0; i < scene.analysisChainCount; ++i) {
        relaxStep(chainRoot(scene, i), random, relaxationFlag(scene));
    }
    relaxAnalysisDivisor(scene, random);
}

void PictureAnimation::relaxAnalysisDivisor(const Scene& scene, const RandomSource& random) {
    if (scene.analysisDivisor == nullptr) return;
    recentreDivisor(*scene.analysisDivisor);
    relaxStep(scene.analysisDivisor, random, relaxationFlag(scene));
}

DrawList PictureAnimation::paint(const Scene& scene, const View& view) {
    DrawList list;
    const int s = animationStep_;
    if (s < kStepOfY && scene.fiber != nullptr) {
        recentreDivisor(*scene.fiber);
        drawDivisor(list, scene.fiber, view);
    }
    if (s > kStepOfY) {
        for (int i = 0; i < scene.analysisChainCount; ++i) {
            drawChain(list, chainRoot(scene, i), view, scene.genus);
        }
        drawDivisor(list, scene.analysisDivisor, view);
    }
    if (s >= 1 && s <= kStepOfY) {
        if (scene.subdivisor != nullptr) {
            drawDivisor(list, scene.subdivisor, view);
        } else {
            animationStep_ = 0;
        }
    }
    return list;
}

DrawList PictureAnimation::frameAfterTicks(const Scene& scene, int ticks,
                                           const RandomSource& random, const View& view,
                                           const Progress* progress) {
    for (int t = 0; t < ticks; ++t) {
        throwIfCancelled(progress);
        tick(scene, random);
        if (t + 1 < ticks) paint(scene, view);
    }
    return paint(scene, view);
}

}  // namespace dorvanix
