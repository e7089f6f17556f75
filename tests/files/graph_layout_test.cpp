#include "files/graph_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "analysis/analysis_dual_graph.h"
#include "census/genus_census.h"
#include "census/subdivisor_listing.h"
#include "model/fiber_data.h"

namespace dorvanix {
namespace {

// The dual graphs of every fiber of genus 2 and of the analysis divisors of its first listed
// sub-divisors: trees, cycles, curves met two and three times.
std::vector<DualGraph> sampleGraphs() {
    std::vector<DualGraph> graphs;
    for (const CensusShape& shape : genusShapes(2)) {
        const FiberData x = fiberFromParts(shape.m, shape.r, shape.parts);
        graphs.push_back(fiberDualGraph(x));
        const std::vector<std::string> lines = subdivisorLines(x, kSimpleCrustOptions);
        for (std::size_t i = 0; i < lines.size(); i += 7) {
            graphs.push_back(analysisDualGraph(x, lines[i]));
        }
    }
    return graphs;
}

double distance(const LayoutPoint& a, const LayoutPoint& b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Every curve stands apart from every other (a drawn curve is at least 0.45 inch across), and an
// edge's spline runs from near its first curve to near its second.
void checkLayout(const DualGraph& graph, const GraphLayout& layout, double apart) {
    ASSERT_EQ(layout.positions.size(), graph.vertices.size());
    ASSERT_EQ(layout.edgePaths.size(), graph.edges.size());
    for (std::size_t a = 0; a < layout.positions.size(); ++a) {
        for (std::size_t b = 0; b < a; ++b) {
            EXPECT_GE(distance(layout.positions[a], layout.positions[b]), apart)
                << "curves " << a << " and " << b;
        }
    }
    for (std::size_t k = 0; k < graph.edges.size(); ++k) {
        const std::vector<LayoutPoint>& path = layout.edgePaths[k];
        if (path.empty()) continue;
        const auto [i, j] = graph.edges[k];
        EXPECT_EQ((path.size() - 1) % 3, 0u);
        EXPECT_LT(distance(path.front(), layout.positions[static_cast<std::size_t>(i)]),
                  distance(path.front(), layout.positions[static_cast<std::size_t>(j)]))
            << "edge " << k << " starts at its second curve";
    }
}

TEST(GraphLayout, PutsEveryCurveInAPlaceOfItsOwnWithAndWithoutGraphviz) {
    const std::vector<DualGraph> graphs = sampleGraphs();
    ASSERT_GT(graphs.size(), 30u);
    int withCycles = 0;
    for (std::size_t g = 0; g < graphs.size(); ++g) {
        SCOPED_TRACE("graph " + std::to_string(g));
        const GraphLayout layout = layOutDualGraph(graphs[g]);
        const bool tree = graphs[g].edges.size() + 1 == graphs[g].vertices.size();
        if (graphvizLayoutAvailable()) {
            // A tree by dot, or by twopi's rings where dot's row of branches is the wider.
            EXPECT_TRUE(tree ? layout.engine == "dot" || layout.engine == "twopi"
                             : layout.engine == "neato")
                << layout.engine;
            withCycles += !tree;
        }
        checkLayout(graphs[g], layout, 20);
        const GraphLayout plain = layOutDualGraph(graphs[g], LayoutMethod::kPlain);
        EXPECT_EQ(plain.engine, "plain");
        checkLayout(graphs[g], plain, 20);
    }
    if (graphvizLayoutAvailable()) {
        EXPECT_GT(withCycles, 3);
    }
}

// Graphviz takes seconds for a few thousand curves and minutes for ten thousand; past
// kMaxGraphvizCurves the layout is plain and says why.
TEST(GraphLayout, PastItsBoundGraphvizIsNotAskedAndTheLayoutSaysSo) {
    const struct {
        int r;  // ((2,r),1,...,1): a star of 2r branches, 2r + 1 curves
        bool plain;
    } rows[] = {{499, !graphvizLayoutAvailable()}, {500, true}, {5000, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE("r = " + std::to_string(row.r));
        const DualGraph graph =
            fiberDualGraph(fiberFromParts(2, row.r, std::vector<int>(2 * row.r, 1)));
        const GraphLayout layout = layOutDualGraph(graph);
        EXPECT_EQ(layout.engine.rfind("plain", 0) == 0, row.plain) << layout.engine;
        if (row.plain && graphvizLayoutAvailable()) {
            EXPECT_EQ(layout.engine, "plain, as Graphviz lays out at most 1000 curves");
        }
        if (row.r < 1000) checkLayout(graph, layout, 20);
    }
}

// Graphviz keeps state of its own for the whole process: layouts asked for from several threads
// at once come out as they do one at a time.
TEST(GraphLayout, LayoutsFromSeveralThreadsAtOnceAreThoseOfOneAtATime) {
    const std::vector<DualGraph> graphs = sampleGraphs();
    std::vector<GraphLayout> alone;
    for (const DualGraph& graph : graphs) alone.push_back(layOutDualGraph(graph));
    std::vector<std::vector<GraphLayout>> together(3);
    std::vector<std::thread> threads;
    for (auto& out : together) {
        threads.emplace_back([&] {
            for (const DualGraph& graph : graphs) out.push_back(layOutDualGraph(graph));
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const auto& out : together) {
        ASSERT_EQ(out.size(), alone.size());
        for (std::size_t g = 0; g < out.size(); ++g) {
            for (std::size_t v = 0; v < out[g].positions.size(); ++v) {
                EXPECT_DOUBLE_EQ(out[g].positions[v].x, alone[g].positions[v].x) << g;
                EXPECT_DOUBLE_EQ(out[g].positions[v].y, alone[g].positions[v].y) << g;
            }
        }
    }
}

}  // namespace
}  // namespace dorvanix
