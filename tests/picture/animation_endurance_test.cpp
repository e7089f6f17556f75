#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "census/fiber_enumeration.h"
#include "census/subdivisor_listing.h"
#include "model/input_check.h"
#include "picture/picture_session.h"

namespace dorvanix {
namespace {

// No coordinate, length or angle of a settled picture comes anywhere near this.
constexpr double kFar = 5000.0;

// Names the first node reachable from `root` whose position, moving point or extra points are not
// finite or have run away; a runaway arm shows there within a tick.
std::string firstBadValue(const DivisorNode* root) {
    std::set<const DivisorNode*> seen;
    for (std::vector<const DivisorNode*> open{root}; !open.empty();) {
        const DivisorNode* node = open.back();
        open.pop_back();
        if (node == nullptr || !seen.insert(node).second) continue;
        std::vector<double> values{node->x, node->y, node->movingX, node->movingY};
        values.insert(values.end(), node->pointX.begin(), node->pointX.end());
        values.insert(values.end(), node->pointY.begin(), node->pointY.end());
        for (const double v : values) {
            if (!std::isfinite(v) || std::abs(v) > kFar) {
                return "node of serial " + std::to_string(node->serial) + ": " + std::to_string(v);
            }
        }
        for (int k = 0; k < node->degree; ++k) open.push_back(node->neighbor(k));
    }
    return {};
}

struct Case {
    std::string fiber;
    std::string subdivisor;
};

// Small fibers, each with the first and the last few of its listed sub-divisors.
std::vector<Case> cases() {
    std::vector<Case> result;
    const std::vector<std::array<int, 3>> shapes{{3, 2, 3}, {5, 2, 3}, {7, 2, 3}, {6, 3, 3},
                                                 {4, 2, 4}, {5, 2, 4}, {7, 3, 4}};
    for (const auto& [m, r, b] : shapes) {
        for (const std::string& fiber : fiberLines(m, r, b, FiberOptions{})) {
            const std::vector<std::string> lines =
                subdivisorLines(parseFiberText(fiber), SubdivisorOptions{0, false, false});
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (i < 2 || i + 2 >= lines.size()) result.push_back({fiber, lines[i]});
            }
        }
    }
    return result;
}

TEST(AnimationEndurance, EveryPhaseStaysFiniteAndInPlace) {
    const std::vector<Case> all = cases();
    ASSERT_GT(all.size(), 40u);
    std::minstd_rand engine(12345);
    const RandomSource random = [&engine] { return static_cast<int>(engine() >> 1); };
    long long ticks = 0;
    int collapsedToNode = 0;
    int relaxationsStarted = 0;
    for (const Case& c : all) {
        SCOPED_TRACE(c.fiber + " with " + c.subdivisor);
        PictureSession session(parseFiberText(c.fiber));
        session.choose(c.subdivisor);
        const Scene scene = session.scene();
        const AnalysisResult& analysis = session.choice().analysis();
        PictureAnimation& animation = session.animation();
        for (int t = 0; t < 160; ++t) {
            session.frameAfterTicks(1, random, View{});
            ++ticks;
            for (const DivisorNode* tree :
                 {scene.fiber, scene.subdivisor, analysis.root, analysis.chains}) {
                const std::string bad = firstBadValue(tree);
                ASSERT_TRUE(bad.empty()) << "tick " << t << ": " << bad;
            }
        }
        EXPECT_EQ(animation.animationStep(), 100);
        collapsedToNode +=
            analysis.joiningCurve != nullptr && analysis.joiningCurve->pointCount == 0;
        relaxationsStarted += *scene.relaxationStarted;
    }
    EXPECT_GT(ticks, 5000);
    // Both ends of a joining curve's gathering occur among these cases.
    EXPECT_GT(collapsedToNode, 0);
    EXPECT_GT(relaxationsStarted, 0);
}

}  // namespace
}  // namespace dorvanix
