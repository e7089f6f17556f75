#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/divisor_notation.h"
#include "model/fiber_data.h"
#include "model/fiber_enumeration.h"
#include "model/input_check.h"
#include "model/node_pool.h"
#include "picture/picture_animation.h"
#include "subdivisor/subdivisor_line.h"
#include "subdivisor/subdivisor_listing.h"

namespace dorvanix {
namespace {

// No coordinate, length or angle of a settled picture comes anywhere near this.
constexpr double kFar = 5000.0;

// Checks every value the layout moves, for every node reachable from `root`; names the first
// value that is not finite or has run away.
std::string firstBadValue(const DivisorNode* root) {
    std::set<const DivisorNode*> seen;
    std::vector<const DivisorNode*> open{root};
    while (!open.empty()) {
        const DivisorNode* node = open.back();
        open.pop_back();
        if (node == nullptr || !seen.insert(node).second) continue;
        const auto bad = [](double v) { return !std::isfinite(v) || std::abs(v) > kFar; };
        const std::string where = "node of serial " + std::to_string(node->serial) + ": ";
        for (const double v : {node->x, node->y, node->movingX, node->movingY}) {
            if (bad(v)) return where + "position " + std::to_string(v);
        }
        for (const auto* arms : {&node->armAngle, &node->armLength, &node->handleLength}) {
            for (const double v : *arms) {
                if (bad(v)) return where + "arm value " + std::to_string(v);
            }
        }
        for (const auto* points : {&node->pointX, &node->pointY}) {
            for (const double v : *points) {
                if (bad(v)) return where + "extra point " + std::to_string(v);
            }
        }
        for (int k = 0; k < node->degree; ++k) open.push_back(node->neighbor(k));
    }
    return {};
}

// Chains of g nodes 40 apart on count spokes, the first d flagged, as the chain diagram has them.
DivisorNode* buildChainDiagram(NodePool& pool, int count, int g, int d) {
    DivisorNode& holder = pool.take();
    holder.allocateArms(count);
    holder.degree = count;
    for (int i = 0; i < count; ++i) {
        const double phi = i * 6.2832 / count;
        DivisorNode* previous = nullptr;
        for (int k = 0; k < g; ++k) {
            DivisorNode& z = pool.take();
            const int degree = (k == 0 || k == g - 1) ? 1 : 2;
            z.allocateArms(2);
            z.neighbors.resize(static_cast<std::size_t>(degree));
            z.degree = degree;
            z.multiplicity = k + 1;
            z.selfIntersection = k < d ? 1 : 0;
            z.serial = k + 1;
            z.x = z.movingX = std::cos(phi) * k * 40.0;
            z.y = z.movingY = std::sin(phi) * k * 40.0;
            z.armAngle = {k == 0 ? phi : phi + 3.1415926535, phi};
            z.armLength = {40.0, 40.0};
            z.handleLength = {40.0, 40.0};
            if (k == 0) holder.neighbors[i] = &z;
            if (previous != nullptr) {
                z.neighbors[0] = previous;
                previous->neighbors[previous->degree == 1 ? 0 : 1] = &z;
            }
            previous = &z;
        }
    }
    return &holder;
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
    for (const Case& c : all) {
        SCOPED_TRACE(c.fiber + " with " + c.subdivisor);
        const FiberData data = parseFiberText(c.fiber);
        NodePool pool;
        DivisorNode& x = pool.take();
        parseFiberLine(pool, x, c.fiber);
        DivisorNode& y = pool.take();
        buildSelectedDivisor(pool, y, c.subdivisor, data.branchCount());
        DivisorNode& analysis = pool.take();
        parseDivisorNotation(pool, analysis, c.subdivisor);
        const int genus = std::max(1, fiberGenus(data.m, data.firstMultiplicities()));
        int started = 0;
        const Scene scene{&x, &y,    &analysis, buildChainDiagram(pool, 3, genus, 1),
                          3,  genus, &started};
        PictureAnimation animation;
        for (int t = 0; t < 160; ++t) {
            animation.tick(scene, random);
            animation.paint(scene, View{});
            ++ticks;
            for (const DivisorNode* tree : {&x, &y, &analysis, scene.analysisChains}) {
                const std::string bad = firstBadValue(tree);
                ASSERT_TRUE(bad.empty()) << "tick " << t << ": " << bad;
            }
        }
        EXPECT_EQ(animation.animationStep(), 100);
    }
    EXPECT_GT(ticks, 5000);
}

}  // namespace
}  // namespace dorvanix
