#include "files/graphviz_layout.h"

#if DORVANIX_HAVE_GRAPHVIZ

#include <graphviz/gvc.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace dorvanix {

namespace {

// Graphviz's library keeps its plugins, its error state and parts of its layouts in globals of
// its own: the one lock of the program stands for them.
std::mutex& graphvizLock() {
    static std::mutex lock;
    return lock;
}

// One Graphviz context for the life of the program, taken under the lock. Its text sizing plugin
// remembers the name of the last font it measured by pointer into the context's font table, so a
// context freed after one layout would leave the next layout comparing against freed memory.
GVC_t* graphvizContext() {
    static GVC_t* const context = gvContext();
    return context;
}

void set(void* object, const char* name, const std::string& value) {
    agsafeset(object, const_cast<char*>(name), const_cast<char*>(value.c_str()),
              const_cast<char*>(""));
}

// The label Graphviz sizes a curve by: the lines TikZ and DOT will write on it.
std::string sizingLabel(const DualVertex& v) {
    std::string label = std::to_string(v.multiplicity) + "\\n" +
                        (v.selfIntersection ? std::to_string(*v.selfIntersection) : "?");
    if (v.kind == "joining_curve") {
        label = "J\\n" + label + "\\ng=" + (v.genus ? std::to_string(*v.genus) : "?");
    } else if (v.genus.value_or(0) != 0) {
        label += "\\ng=" + std::to_string(*v.genus);
    }
    return label;
}

struct GraphvizGraph {
    GVC_t* context = nullptr;
    Agraph_t* graph = nullptr;
    bool laidOut = false;
    ~GraphvizGraph() {
        if (laidOut) gvFreeLayout(context, graph);
        if (graph != nullptr) agclose(graph);
    }
};

LayoutPoint pointOf(const pointf& p) {
    return {p.x, p.y};
}

double distance2(const LayoutPoint& a, const LayoutPoint& b) {
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

}  // namespace

std::optional<GraphLayout> graphvizLayout(const DualGraph& dual, std::string_view engine) {
    const std::scoped_lock hold(graphvizLock());
    agseterr(AGMAX);  // what goes wrong is answered by an empty result, not on stderr
    GraphvizGraph g;
    g.context = graphvizContext();
    if (g.context == nullptr) return std::nullopt;
    char name[] = "dual";
    g.graph = agopen(name, Agundirected, nullptr);
    // Edges routed round the curves, except in twopi's rings of a star, whose straight spokes
    // meet no other curve: routing them costs time cubic in the curves (a minute for 200).
    set(g.graph, "splines", engine == "twopi" ? "line" : "true");
    set(g.graph, "overlap", "false");
    // Room kept round each curve when overlaps are removed: neato's wide margin leaves repeated
    // edges room to part; twopi's rings of a star need only a few points between neighbours
    // (+24 would make a star of 12 branches 5.2 inches across, +6 makes it 3).
    set(g.graph, "sep", engine == "twopi" ? "+6" : "+24");
    set(g.graph, "nodesep", "0.5");
    set(g.graph, "ranksep", "0.55");
    set(g.graph, "root", "v0");  // twopi's centre: the core
    set(g.graph, "start", "1");  // neato's first placement: the same layout on every run
    std::vector<Agnode_t*> nodes;
    for (const DualVertex& v : dual.vertices) {
        std::string id = "v" + std::to_string(v.id);
        Agnode_t* node = agnode(g.graph, id.data(), 1);
        set(node, "shape", v.kind == "joining_curve" ? "box" : "circle");
        set(node, "fontsize", "11");
        set(node, "width", "0.45");
        set(node, "height", "0.45");
        // J's box keeps room around its four lines (TikZ's inner sep of 4pt), so that no edge
        // Graphviz runs to it reaches its text.
        set(node, "margin", v.kind == "joining_curve" ? "0.06" : "0.03");
        set(node, "label", sizingLabel(v));
        nodes.push_back(node);
    }
    std::vector<Agedge_t*> edges;
    for (const auto& [i, j] : dual.edges) {
        // A nameless edge is a new one each time: repeated meetings stay separate edges.
        Agedge_t* edge = agedge(g.graph, nodes[static_cast<std::size_t>(i)],
                                nodes[static_cast<std::size_t>(j)], nullptr, 1);
        set(edge, "len", "1.3");  // inches, neato's edge length: room for repeated edges
        edges.push_back(edge);
    }
    const std::string layoutEngine(engine);
    if (gvLayout(g.context, g.graph, layoutEngine.c_str()) != 0) return std::nullopt;
    g.laidOut = true;

    GraphLayout layout;
    layout.engine = layoutEngine;
    for (Agnode_t* node : nodes) layout.positions.push_back(pointOf(ND_coord(node)));
    for (std::size_t k = 0; k < edges.size(); ++k) {
        std::vector<LayoutPoint> path;
        const splines* curve = ED_spl(edges[k]);
        if (curve != nullptr && curve->size > 0) {
            const bezier& piece = curve->list[0];
            for (int p = 0; p < piece.size; ++p) path.push_back(pointOf(piece.list[p]));
        }
        // Graphviz may run an edge from its second vertex to its first: turn it round.
        const auto from = static_cast<std::size_t>(dual.edges[k].first);
        const auto to = static_cast<std::size_t>(dual.edges[k].second);
        if (path.size() >= 4 && (path.size() - 1) % 3 == 0) {
            if (distance2(path.front(), layout.positions[from]) >
                distance2(path.front(), layout.positions[to])) {
                std::reverse(path.begin(), path.end());
            }
        } else {
            path.clear();
        }
        layout.edgePaths.push_back(std::move(path));
    }
    return layout;
}

}  // namespace dorvanix

#else

namespace dorvanix {

std::optional<GraphLayout> graphvizLayout(const DualGraph&, std::string_view) {
    return std::nullopt;
}

}  // namespace dorvanix

#endif
