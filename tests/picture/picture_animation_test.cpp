#include "picture/picture_animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/divisor_notation.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"
#include "picture/divisor_drawing.h"
#include "subdivisor/subdivisor_line.h"

namespace dorvanix {
namespace {

const RandomSource kAlwaysStep = [] { return 1; };

// A chain diagram of `count` one-node chains along the spokes 2 pi i / count.
struct ChainDiagram {
    std::vector<DivisorNode> nodes;
    DivisorNode holder;

    explicit ChainDiagram(int count) : nodes(static_cast<std::size_t>(count)) {
        holder.allocateArms(count);
        holder.degree = count;
        for (int i = 0; i < count; ++i) {
            DivisorNode& z = nodes[i];
            z.allocateArms(1);
            z.multiplicity = 1;
            z.selfIntersection = 1;
            z.serial = 1;
            z.armAngle[0] = i * 6.2832 / count;
            z.armLength[0] = 40.0;
            z.handleLength[0] = 40.0;
            holder.neighbors[i] = &z;
        }
    }
};

// X = ((3,2),2,2,2) with Y = (2;(2),(1),(1)) selected, a stand-in analysis divisor and two chains.
struct Trees {
    NodePool pool;
    DivisorNode* x = nullptr;
    DivisorNode* y = nullptr;
    DivisorNode* analysis = nullptr;
    ChainDiagram chains{2};
    int started = 0;

    Trees() {
        x = &pool.take();
        parseFiberLine(pool, *x, "((3,2),2,2,2)");
        y = &pool.take();
        buildSelectedDivisor(pool, *y, "(2;(2),(1),(1)):: ell = 1 :: type = CAA", 3);
        analysis = &pool.take();
        parseDivisorNotation(pool, *analysis, "(1;(1),(1),(1))");
    }

    Scene scene(bool withY = true) {
        return Scene{x, withY ? y : nullptr, analysis, &chains.holder, 2, 1, &started};
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

TEST(PictureAnimation, YFliesDownOntoXsCore) {
    struct Case {
        int step;
        int offset;
    };
    const std::vector<Case> cases{{0, 100}, {1, 99}, {10, 96}, {25, 75}, {49, 3}};
    Trees trees;
    PictureAnimation animation;
    int step = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE("step " + std::to_string(c.step));
        while (step < c.step) {
            animation.tick(trees.scene(), kAlwaysStep);
            ++step;
        }
        animation.tick(trees.scene(), kAlwaysStep);
        ++step;
        EXPECT_EQ(trees.y->x, trees.x->x + c.offset);
        EXPECT_EQ(trees.y->y, trees.x->y - c.offset);
    }
}

TEST(PictureAnimation, ChainsFlyOutAlongTheirSpokes) {
    Trees trees;
    PictureAnimation animation;
    for (int t = 0; t < 50; ++t) animation.tick(trees.scene(), kAlwaysStep);
    for (int s = 50; s < 70; ++s) {
        SCOPED_TRACE("step " + std::to_string(s));
        animation.tick(trees.scene(), kAlwaysStep);
        const int d = s - 50;
        const DivisorNode& right = trees.chains.nodes[0];
        const DivisorNode& left = trees.chains.nodes[1];
        EXPECT_EQ(right.x, trees.x->x + std::floor(d * d * 0.5));
        EXPECT_EQ(left.x, trees.x->x + std::floor(std::cos(3.14159) * d * d * 0.5));
        EXPECT_EQ(left.y, trees.x->y + std::floor(std::sin(3.14159) * d * d * 0.5));
    }
}

// The step runs up to 100 and stays: 0 X alone, 1-49 Y flying onto X, 50 Y alone, then the
// analysis divisor with its chains.
TEST(PictureAnimation, EachPhasePaintsItsOwnTrees) {
    Trees trees;
    const int x = drawnSegments(trees.x);
    const int y = drawnSegments(trees.y);
    const int analysis = drawnSegments(trees.analysis);
    const int chains = 2 * 4;  // two single-node chains of genus 1
    const struct {
        int ticks, step, segments;
    } rows[] = {{0, 0, x},
                {1, 1, x + y},
                {49, 49, x + y},
                {50, 50, y},
                {51, 51, chains + analysis},
                {100, 100, chains + analysis},
                {130, 100, chains + analysis}};
    PictureAnimation animation;
    int ticks = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE("after " + std::to_string(row.ticks) + " ticks");
        for (; ticks < row.ticks; ++ticks) animation.tick(trees.scene(), kAlwaysStep);
        EXPECT_EQ(animation.animationStep(), row.step);
        EXPECT_EQ(animation.paint(trees.scene(), View{}).segmentCount(), row.segments);
    }
}

TEST(PictureAnimation, PaintKeepsXCentredWhileItIsShown) {
    Trees trees;
    PictureAnimation animation;
    for (int t = 0; t < 20; ++t) {
        animation.tick(trees.scene(), kAlwaysStep);
        animation.paint(trees.scene(), View{});
        double sumX = 0.0;
        double sumY = 0.0;
        int count = 0;
        clearVisited(trees.x);
        sumPositions(*trees.x, sumX, sumY, count);
        ASSERT_NEAR(sumX / count, 0.0, 1e-9) << "tick " << t;
        ASSERT_NEAR(sumY / count, 0.0, 1e-9) << "tick " << t;
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
