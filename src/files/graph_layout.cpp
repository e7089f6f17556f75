#include "files/graph_layout.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>
#include <set>
#include <string>
#include <utility>

#include "files/graphviz_layout.h"

namespace dorvanix {

namespace {

// A tree: connected, one edge fewer than vertices, no edge twice.
bool isTree(const DualGraph& graph) {
    const std::size_t n = graph.vertices.size();
    if (graph.edges.size() + 1 != n) return false;
    std::vector<std::size_t> part(n);
    for (std::size_t i = 0; i < n; ++i) part[i] = i;
    const auto find = [&](std::size_t v) {
        while (part[v] != v) v = part[v] = part[part[v]];
        return v;
    };
    for (const auto& [i, j] : graph.edges) {
        const std::size_t a = find(static_cast<std::size_t>(i));
        const std::size_t b = find(static_cast<std::size_t>(j));
        if (a == b) return false;
        part[a] = b;
    }
    return true;
}

constexpr double kStep = 64;  // points between neighbours in the plain layout

// Rays from vertex 0: each neighbour of vertex 0 starts a ray, and a vertex stands on its ray as
// far out as it is from vertex 0. Empty when two vertices would share a place (a tree that
// branches away from vertex 0).
std::vector<LayoutPoint> rays(const DualGraph& graph) {
    const std::size_t n = graph.vertices.size();
    std::vector<std::vector<std::size_t>> adjacent(n);
    for (const auto& [i, j] : graph.edges) {
        adjacent[static_cast<std::size_t>(i)].push_back(static_cast<std::size_t>(j));
        adjacent[static_cast<std::size_t>(j)].push_back(static_cast<std::size_t>(i));
    }
    std::vector<int> depth(n, -1);
    std::vector<int> ray(n, -1);
    int rayCount = 0;
    depth[0] = 0;
    std::deque<std::size_t> queue{0};
    while (!queue.empty()) {
        const std::size_t v = queue.front();
        queue.pop_front();
        for (std::size_t u : adjacent[v]) {
            if (depth[u] >= 0) continue;
            depth[u] = depth[v] + 1;
            ray[u] = v == 0 ? rayCount++ : ray[v];
            queue.push_back(u);
        }
    }
    std::vector<LayoutPoint> positions(n);
    std::set<std::pair<int, int>> taken{{0, 0}};
    // The first curves of many rays stand on a circle wide enough to keep them kStep apart.
    const double first = std::max(kStep, kStep * rayCount / (2 * std::numbers::pi));
    for (std::size_t v = 1; v < n; ++v) {
        if (!taken.insert({ray[v], depth[v]}).second) return {};
        const double angle = 2 * std::numbers::pi * ray[v] / rayCount;
        const double radius = first + kStep * (depth[v] - 1);
        positions[v] = {radius * std::cos(angle), radius * std::sin(angle)};
    }
    return positions;
}

std::vector<LayoutPoint> circle(std::size_t n) {
    std::vector<LayoutPoint> positions;
    const double radius = kStep * static_cast<double>(n) / (2 * std::numbers::pi) + kStep;
    for (std::size_t v = 0; v < n; ++v) {
        const double angle = 2 * std::numbers::pi * static_cast<double>(v) / static_cast<double>(n);
        positions.push_back({radius * std::cos(angle), radius * std::sin(angle)});
    }
    return positions;
}

// The width and height of the places of a layout.
std::pair<double, double> span(const GraphLayout& layout) {
    double left = 0, right = 0, bottom = 0, top = 0;
    for (std::size_t i = 0; i < layout.positions.size(); ++i) {
        const LayoutPoint& p = layout.positions[i];
        left = i == 0 ? p.x : std::min(left, p.x);
        right = i == 0 ? p.x : std::max(right, p.x);
        bottom = i == 0 ? p.y : std::min(bottom, p.y);
        top = i == 0 ? p.y : std::max(top, p.y);
    }
    return {right - left, top - bottom};
}

}  // namespace

bool graphvizLayoutAvailable() {
#if DORVANIX_HAVE_GRAPHVIZ
    return true;
#else
    return false;
#endif
}

GraphLayout plainLayout(const DualGraph& graph) {
    GraphLayout layout;
    layout.engine = "plain";
    if (isTree(graph)) layout.positions = rays(graph);
    if (layout.positions.empty()) layout.positions = circle(graph.vertices.size());
    layout.edgePaths.assign(graph.edges.size(), {});
    return layout;
}

GraphLayout layOutDualGraph(const DualGraph& graph, LayoutMethod method) {
    if (method == LayoutMethod::kGraphviz && graph.vertices.size() > kMaxGraphvizCurves &&
        graphvizLayoutAvailable()) {
        GraphLayout layout = plainLayout(graph);
        layout.engine =
            "plain, as Graphviz lays out at most " + std::to_string(kMaxGraphvizCurves) + " curves";
        return layout;
    }
    if (method == LayoutMethod::kGraphviz && !graph.vertices.empty()) {
        const bool tree = isTree(graph);
        auto laidOut = graphvizLayout(graph, tree ? "dot" : "neato");
        // dot sets the branches of a star side by side: with many short ones that is a row too
        // wide for a column of a paper (12 branches of one curve, 891 points against 431), so
        // twopi's rings round the core are taken where they are the smaller picture.
        if (laidOut && tree && span(*laidOut).first > 2 * span(*laidOut).second) {
            auto radial = graphvizLayout(graph, "twopi");
            const auto larger = [](const std::pair<double, double>& s) {
                return std::max(s.first, s.second);
            };
            if (radial && larger(span(*radial)) < larger(span(*laidOut))) laidOut = radial;
        }
        if (laidOut) return *laidOut;
    }
    return plainLayout(graph);
}

}  // namespace dorvanix
