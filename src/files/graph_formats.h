#pragma once

#include <string>
#include <string_view>

#include "files/graph_layout.h"
#include "model/dual_graph.h"

namespace dorvanix {

// {"vertices": [{"id", "multiplicity", "self_intersection", "genus", "kind", "note"}, ...],
//  "edges": [[i, j], ...]}, with null for a number that is not known and the note saying why.
std::string dualGraphJson(const DualGraph& graph);

// The most text a dual graph is read from: about 500 000 curves as dualGraphJson writes them,
// while kMaxGraphCurves bounds what is built from it. The graph is built as the text is read, so
// reading holds at most about the text again (its strings) besides the curves.
inline constexpr std::size_t kMaxGraphJsonBytes = 64'000'000;

// Reads a dual graph as dualGraphJson writes it: the vertices in any order, each id a whole
// number that fits 32 bits (-2147483648 ... 2147483647), "self_intersection" null or left out
// when unknown, "genus", "kind" and "note" optional; fields of other names are passed over.
// Throws InputError saying what is missing or malformed, quoting at most 60 characters of what
// was typed: for text of more than kMaxGraphJsonBytes, more than kMaxGraphCurves curves or edges,
// or nesting deeper than any graph needs. Running out of memory throws std::bad_alloc with
// nothing held.
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
