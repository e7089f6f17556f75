#include "picture/picture_animation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/subdivisor_analysis.h"
#include "census/subdivisor_line.h"
#include "model/divisor_notation.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"
#include "picture/divisor_drawing.h"

namespace dorvanix {
namespace {

const RandomSource kAlwaysStep = [] { return 1; };

// X = ((3,2),2,2,2) with Y = (2;(2),(1),(1)):: ell = 1 :: type = CAA selected and analysed:
// the analysis divisor and two one-node chains.
struct Trees {
    NodePool pool;
    DivisorNode* x = &pool.take();
    DivisorNode* y = &pool.take();
    AnalysisResult analysis;
    int started = 0;

    Trees() {
        parseFiberLine(pool, *x, "((3,2),2,2,2)");
        buildSelectedDivisor(pool, *y, "(2;(2),(1),(1)):: ell = 1 :: type = CAA", 3);
        analysis = analyzeSubdivisor(*x, *y, 1, pool);
    }

    Scene scene(bool withY = true) {
        return Scene{x, withY ? y : nullptr, analysis.root, analysis.chains, 2, 1, &started};
    }
};

int drawnSegments(const DivisorNode* node) {
    DrawList list;
    drawDivisor(list, node, View{});
    return list.segmentCount();
}

// Without Y only X is shown and nothing moves; losing Y during its flight starts over.
TEST(PictureAnimation, WithoutASubdivisorOnlyXIsShownAndNothingMoves) {
    Trees trees;
    PictureAnimation animation;
    const double armBefore = trees.x->armAngle[1];
    for (int t = 0; t < 5; ++t) animation.tick(trees.scene(false), kAlwaysStep);
    EXPECT_EQ(animation.animationStep(), 0);
    EXPECT_EQ(trees.x->armAngle[1], armBefore);
    EXPECT_EQ(animation.paint(trees.scene(false), View{}).segmentCount(), drawnSegments(trees.x));

    for (int t = 0; t < 30; ++t) animation.tick(trees.scene(), kAlwaysStep);
    ASSERT_EQ(animation.animationStep(), 30);
    const DrawList frame = animation.paint(trees.scene(false), View{});
    EXPECT_EQ(animation.animationStep(), 0);
    EXPECT_EQ(frame.segmentCount(), drawnSegments(trees.x));
}

// The step runs up to 100 and stays: 0 X alone, 1-49 Y flying onto X, 50 Y alone, then the
// analysis divisor (its joining curve gathering as it relaxes) with its chains. X is kept
// centred while it is shown.
TEST(PictureAnimation, EachPhasePaintsItsOwnTrees) {
    Trees trees;
    const struct {
        int ticks, step;
        bool x, y, analysis;
    } rows[] = {{0, 0, true, false, false},     {1, 1, true, true, false},
                {20, 20, true, true, false},    {49, 49, true, true, false},
                {50, 50, false, true, false},   {51, 51, false, false, true},
                {100, 100, false, false, true}, {130, 100, false, false, true}};
    PictureAnimation animation;
    int ticks = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE("after " + std::to_string(row.ticks) + " ticks");
        for (; ticks < row.ticks; ++ticks) animation.tick(trees.scene(), kAlwaysStep);
        EXPECT_EQ(animation.animationStep(), row.step);
        const int painted = animation.paint(trees.scene(), View{}).segmentCount();
        const int chains = 2 * 4;  // two single-node chains of genus 1
        EXPECT_EQ(painted, (row.x ? drawnSegments(trees.x) : 0) +
                               (row.y ? drawnSegments(trees.y) : 0) +
                               (row.analysis ? drawnSegments(trees.analysis.root) + chains : 0));
        if (!row.x) continue;
        double sumX = 0.0, sumY = 0.0;
        int count = 0;
        clearVisited(trees.x);
        sumPositions(*trees.x, sumX, sumY, count);
        EXPECT_NEAR(sumX / count, 0.0, 1e-9) << "X is not centred";
        EXPECT_NEAR(sumY / count, 0.0, 1e-9) << "X is not centred";
    }
}

TEST(PictureAnimation, PauseFreezesAndRestartGoesBackToX) {
    Trees trees;
    PictureAnimation animation;
    for (int t = 0; t < 10; ++t) animation.tick(trees.scene(), kAlwaysStep);
    animation.togglePause();
    EXPECT_TRUE(animation.animationPaused());
    const double yBefore = trees.y->x;
    const double armBefore = trees.x->armAngle[0];
    for (int t = 0; t < 10; ++t) animation.tick(trees.scene(), kAlwaysStep);
    EXPECT_EQ(animation.animationStep(), 10);
    EXPECT_EQ(trees.y->x, yBefore);
    EXPECT_EQ(trees.x->armAngle[0], armBefore);
    animation.togglePause();
    animation.tick(trees.scene(), kAlwaysStep);
    EXPECT_EQ(animation.animationStep(), 11);
    animation.restart();
    EXPECT_EQ(animation.animationStep(), 0);
    animation.tick(trees.scene(), kAlwaysStep);
    EXPECT_EQ(trees.y->x, trees.x->x + 100) << "Y is placed again from the start";
}

}  // namespace
}  // namespace dorvanix
