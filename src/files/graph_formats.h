#pragma once

#include <string>
#include <string_view>

#include "files/graph_layout.h"
#include "model/dual_graph.h"

namespace dorvanix {

// {"vertices": [{"id", "multiplicity", "self_intersection", "genus", "kind", "note"}, ...],
//  "edges": [[i, j], ...]}, with null for a number that is not known and the note saying why.
std::string dualGraphJson(const DualGraph& graph);

// Reads a dual graph as dualGraphJson writes it: the vertices in any order and with any ids,
// "self_intersection" null or left out when unknown, "genus", "kind" and "note" optional. Throws
// InputError saying what is missing or malformed.
DualGraph readDualGraphJson(std::string_view text);

// An undirected Graphviz graph laid out by layOutDualGraph, each vertex labelled
// "multiplicity / self-intersection" at its pinned position, each edge with its spline; the
// notes as comments.
std::string dualGraphDot(const DualGraph& graph, LayoutMethod method = LayoutMethod::kGraphviz);

// What dualGraphTikz writes besides the picture.
struct TikzOptions {
    // A whole LaTeX document, its page cut to the picture, instead of the tikzpicture alone.
    bool standalone = false;
    // A line beneath the picture saying what the numbers at a curve are.
    bool legend = true;
};

// One TikZ picture at the coordinates of layOutDualGraph, ready for \input in a paper whose
// preamble loads tikz (a comment at its top says so): each curve its multiplicity over its
// self-intersection, the core doubly circled, the joining curve J boxed apart with its genus ("?"
// where there is none), every edge drawn, a repeated one as separate bent edges; beneath, within
// \linewidth, the legend and the notes on what is not known, numbered as the picture marks them.
// The picture is scaled down to \linewidth where it is wider.
std::string dualGraphTikz(const DualGraph& graph, LayoutMethod method = LayoutMethod::kGraphviz,
                          const TikzOptions& options = {});

}  // namespace dorvanix
