#include "picture/picture_animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "census/subdivisor_line.h"
#include "model/input_check.h"
#include "model/tree_operations.h"
#include "picture/divisor_drawing.h"
#include "picture/picture_session.h"
#include "support/small_stack.h"

namespace dorvanix {
namespace {

const RandomSource kAlwaysStep = [] { return 1; };

// X = ((3,2),2,2,2) with Y = (2;(2),(1),(1)):: ell = 1 :: type = CAA selected and analysed:
// the analysis divisor and two one-node chains.
struct Trees {
    PictureSession session{parseFiberText("((3,2),2,2,2)")};
    DivisorNode* x = &session.choice().fiber();
    DivisorNode* y = nullptr;
    const AnalysisResult& analysis = session.choice().analysis();

    Trees() {
        session.choose("(2;(2),(1),(1)):: ell = 1 :: type = CAA");
        y = session.choice().subdivisor();
    }

    Scene scene(bool withY = true) {
        Scene scene = session.scene();
        if (!withY) scene.subdivisor = nullptr;
        return scene;
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

// Branches of 9999 curves and a chain diagram of two chains of 9999 nodes (the genus of X):
// every walk of the picture (re-centring, relaxation, drawing of X, Y and the chains) keeps its
// place on a stack of its own, so a frame of the chains comes on a small stack.
TEST(PictureAnimation, LongBranchesAndChainsNeedNoDeepStack) {
    const FiberData x = parseFiberText("((10000,3),9999,9999,9999,3)");
    PictureSession session(x);
    int segments = 0;
    testing::runOnSmallStack([&] {
        session.choose("(9999;(9999),(9999),(9999),()):: ell = 9999 :: type = BBB0");
        segments = session.frameAfterTicks(PictureAnimation::kStepOfY + 2, kAlwaysStep, View{})
                       .segmentCount();
    });
    ASSERT_EQ(session.choice().analysis().chainCount * session.choice().genus(), 2 * 9999);
    // Every node of a chain draws at least its walls and its hole: five curves.
    EXPECT_GE(segments, 2 * 9999 * 5);
}

// The window's frames of ((5,2),4,3,3) with its ABB line, painted after every tick, byte for
// byte; the files were checked against the desktop program's own paints when they were made.
TEST(PictureAnimation, FramesAfterTicksMatchTheWindowsFrames) {
    const auto golden = std::filesystem::path(DORVANIX_TEST_DIR) / "golden";
    const FiberData x = parseFiberText("((5,2),4,3,3)");
    const SubdivisorLine y = parseSubdivisorLine(x, "(3;(2,1),(2,1),(2,1))");
    for (const int ticks : {0, 1, 2, 25, 60}) {
        SCOPED_TRACE(std::to_string(ticks) + " ticks");
        std::ifstream file(golden / ("abb_" + std::to_string(ticks) + ".svg"), std::ios::binary);
        ASSERT_TRUE(file) << "golden file missing";
        const std::string expected{std::istreambuf_iterator<char>(file), {}};
        EXPECT_EQ(pictureSvg(x, &y, ticks, LibraryRandom()), expected);
    }
}

}  // namespace
}  // namespace dorvanix
