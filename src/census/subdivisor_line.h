#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/divisor_node.h"
#include "model/fiber_data.h"
#include "model/node_pool.h"

namespace dorvanix {

// A sub-divisor Y of a fiber X as its list line names it.
struct SubdivisorLine {
    int k = 0;
    std::vector<int> ys;  // first-node multiplicity on every branch, 0 for an empty branch
    long long ell = 0;
    std::string types;  // one letter per branch
    std::string line;   // the line as the listing writes it

    // The notation part of the line, before "::".
    std::string_view notation() const { return std::string_view(line).substr(0, line.find("::")); }
};

// The list line of the sub-divisor (k; y1, ..., yb) of X with the given ell and letters.
std::string subdivisorLineText(const FiberData& x, int k, const std::vector<int>& ys, long long ell,
                               std::string_view types);

// The type letters the listing gives the sub-divisor (k; y1, ..., yb) of X.
std::string subdivisorTypes(const FiberData& x, int k, const std::vector<int>& ys, long long ell);

// The list line of the sub-divisor (k; y1, ..., yb) of X, its ell = gcd(k, y1, ..., yb) and its
// letters derived: a line kept as its numbers only (as long lists are) written out again.
std::string subdivisorLineOf(const FiberData& x, int k, const std::vector<int>& ys);

// Reads a sub-divisor line typed by a user and checks it against X: the same number of branches,
// 1 <= k <= m-1, every y_i within X's first multiplicity and k, each branch's chain as the
// listing derives it, admitted (y1 + ... + yb >= k r), and ell = gcd(k, y1, ..., yb). The suffix
// ":: ell = L :: type = T" may be left out, and then ell and the letters are derived; given
// letters may be any of '0', 'A', 'B', 'C', '?'. Throws InputError.
SubdivisorLine parseSubdivisorLine(const FiberData& x, std::string_view text);

// What Select does with one line of the selected list: parses its notation into `root`, sets the
// root's `ell` from the number after the first "ell = ", and gives the first node of each of the
// `branches` branches the letter at its position after the first "type = ".
void buildSelectedDivisor(NodePool& pool, DivisorNode& root, std::string_view line, int branches);

}  // namespace dorvanix
