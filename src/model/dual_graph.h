#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/fiber_data.h"

namespace dorvanix {

// One curve of a divisor as a vertex of its dual graph.
struct DualVertex {
    int id = 0;
    int multiplicity = 0;
    std::optional<int> selfIntersection;  // none where it is not a whole number
    std::optional<int> genus;             // none where nothing determines it
    std::string kind;                     // "core", "branch", "joining_curve"
    std::string note;                     // why a number is missing; empty when none is
};

// The dual graph: a vertex per curve, an edge per intersection point (two curves may meet more
// than once).
struct DualGraph {
    std::vector<DualVertex> vertices;
    std::vector<std::pair<int, int>> edges;
};

// The self-intersections -r_1, ..., -r_n of the branch with first multiplicity a under a core of
// multiplicity m, from the Hirzebruch-Jung continued fraction m/a = r_1 - 1/(r_2 - ...).
std::vector<int> branchSelfIntersections(int m, int a);

// Past this many curves a dual graph is declined, as a picture is past kMaxPictureCurves: each
// curve holds about 350 bytes while the graph is built and written, and the JSON of 200 000
// curves is already 24 MB. X of the largest numbers typed has 10^8 curves.
inline constexpr long long kMaxGraphCurves = 200'000;
// The curves of X's dual graph: the core and every curve of its chains.
long long dualGraphCurves(const FiberData& x);
// Throws InputError, saying how many curves the graph of X would have, past kMaxGraphCurves.
void checkDualGraphSize(const FiberData& x);

// The dual graph of X: the core (vertex 0, self-intersection -r) and every branch chain in
// order, each curve rational. Calls checkDualGraphSize first.
DualGraph fiberDualGraph(const FiberData& x);

// The fiber whose dual graph this is, whatever the order and numbering of its vertices: a tree
// of rational curves with one core meeting at least three branch chains, each chain the one m and
// its first multiplicity give, self-intersections (where given) those of that fiber. The
// branches come largest first. Throws InputError saying why the graph is no such fiber.
FiberData fiberOfDualGraph(const DualGraph& graph);

// Past this many curves the intersection matrix is declined: its million entries already take
// tens of megabytes as Python lists, and a matrix of X's 10^8 curves could never be held.
inline constexpr std::size_t kMaxMatrixCurves = 1000;

// The intersection matrix of a graph whose self-intersections are all known: E_i . E_j is the
// number of edges between i and j, E_i . E_i its self-intersection. Throws InputError for a
// graph of more than kMaxMatrixCurves curves.
std::vector<std::vector<int>> intersectionMatrix(const DualGraph& graph);

}  // namespace dorvanix
