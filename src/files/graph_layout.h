#pragma once

#include <string>
#include <vector>

#include "model/dual_graph.h"

namespace dorvanix {

// A point of a drawing in PostScript points (1/72 inch, TeX's bp), y growing upward.
struct LayoutPoint {
    double x = 0;
    double y = 0;
};

// Where the curves of a dual graph stand and how its edges run, for DOT and TikZ.
struct GraphLayout {
    // "dot" (a graph without cycles, such as X's star), "twopi" (such a graph in rings round the
    // core, where dot's would be more than twice as wide as high and the rings are smaller),
    // "neato" (a graph with cycles or repeated edges), or "plain" where the program is built
    // without Graphviz.
    std::string engine;
    std::vector<LayoutPoint> positions;  // one per vertex, in the order of graph.vertices
    // One per edge, in the order of graph.edges: the cubic Bezier pieces of its curve, 3n + 1
    // points from the edge's first vertex to its second (the ends on the curves' borders); empty
    // where the edge is drawn straight between the two positions.
    std::vector<std::vector<LayoutPoint>> edgePaths;
};

// How a dual graph is laid out: with Graphviz where the program is built with it (else plainly),
// or plainly in every build, so that the same graph gives the same bytes on every machine and in
// the web page.
enum class LayoutMethod { kGraphviz, kPlain };

// Past this many curves Graphviz is not asked: its layout of 1000 curves takes half a second,
// of 4000 in a star eight seconds, of 10 000 in long chains more than two minutes.
inline constexpr std::size_t kMaxGraphvizCurves = 1000;

// Lays the graph out with Graphviz (dot for a tree, or twopi where that is the smaller picture;
// neato where the graph has a cycle or a repeated edge, the edges as splines around the vertices)
// when the program is built with it and `method` allows it and it has at most kMaxGraphvizCurves
// curves (the engine then says why it is plain), else with a plain layout: a tree as rays from
// vertex 0, anything else on a circle, every vertex at a place of its own. Graphviz's context is
// process-wide, so layouts are taken one at a time; any thread may ask.
GraphLayout layOutDualGraph(const DualGraph& graph, LayoutMethod method = LayoutMethod::kGraphviz);

// The layout of a build without Graphviz: a tree as rays from vertex 0 when no two vertices
// would share a place, anything else on a circle; every edge straight.
GraphLayout plainLayout(const DualGraph& graph);

// Whether layOutDualGraph uses Graphviz in this build.
bool graphvizLayoutAvailable();

}  // namespace dorvanix
