#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/dual_graph.h"

namespace dorvanix {

// A dual graph read as a fiber F = sum m_i C_i of a fibration of genus g, its curves meeting
// transversally, once per edge. Numerical triviality (F.C_i = 0) fixes every self-intersection,
// and adjunction (K.C_i = 2 g_i - 2 - C_i.C_i, K.F = 2g - 2) then gives
//     2g - 2 = sum_i m_i (2 g_i - 2 + deg_i),
// deg_i the number of edges at C_i, whatever the self-intersections and the cycles of the graph.

// A rational number in lowest terms, the denominator positive.
struct Fraction {
    long long numerator = 0;
    long long denominator = 1;
    bool whole() const { return denominator == 1; }
    bool operator==(const Fraction&) const = default;
};
Fraction makeFraction(long long numerator, long long denominator);
// "3", "-7/2".
std::string fractionText(const Fraction& value);

// For each vertex, the self-intersection that numerical triviality asks of its curve:
// C_i.C_i = -(the multiplicities at the other end of its edges, summed) / m_i.
std::vector<Fraction> trivialSelfIntersections(const DualGraph& graph);

// The genus adjunction asks of the curve of vertex v when the graph is a fiber of genus
// fiberGenus and every other curve has the genus of its vertex (rational where none is given):
//     g_v = (2g - 2 - sum_{i != v} m_i (2 g_i - 2 + deg_i)) / (2 m_v) + 1 - deg_v / 2.
Fraction adjunctionGenus(const DualGraph& graph, std::size_t v, int fiberGenus);

}  // namespace dorvanix
