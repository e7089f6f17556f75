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

// A standalone LaTeX document with one TikZ picture at the coordinates of layOutDualGraph: the
// core doubly circled, the joining curve J boxed apart with its genus ("?" where there is none),
// every edge drawn, a repeated one as separate bent edges, and the notes on what is not known
// numbered beneath.
std::string dualGraphTikz(const DualGraph& graph, LayoutMethod method = LayoutMethod::kGraphviz);

}  // namespace dorvanix
