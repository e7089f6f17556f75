#pragma once

#include <string>
#include <string_view>

#include "model/dual_graph.h"

namespace dorvanix {

// {"vertices": [{"id", "multiplicity", "self_intersection", "genus", "kind"}, ...],
//  "edges": [[i, j], ...]}, with null for an unknown self-intersection.
std::string dualGraphJson(const DualGraph& graph);

// Reads a dual graph as dualGraphJson writes it: the vertices in any order and with any ids,
// "self_intersection" null or left out when unknown, "genus" and "kind" optional. Throws
// InputError saying what is missing or malformed.
DualGraph readDualGraphJson(std::string_view text);

// An undirected Graphviz graph, each vertex labelled "multiplicity / self-intersection".
std::string dualGraphDot(const DualGraph& graph);

// A standalone LaTeX document with one TikZ picture: vertex 0 in the middle and the rest laid
// out as a star, each branch (the path from a neighbour of vertex 0 outward) on a ray of its own.
std::string dualGraphTikz(const DualGraph& graph);

}  // namespace dorvanix
