#pragma once

#include <string>
#include <vector>

#include "model/arithmetic.h"
#include "model/divisor_node.h"

namespace dorvanix {

// A fiber as plain numbers: the core multiplicity m, the r of its self-intersection -r, and for
// every branch the multiplicities of its chain from the core outward. The listing, the counts and
// the file writers work on this; the picture and the analysis work on node trees.
struct FiberData {
    int m = 0;
    int r = 0;
    std::vector<std::vector<int>> chains;

    int branchCount() const { return static_cast<int>(chains.size()); }
    // The first-branch multiplicities a1 ... ab.
    std::vector<int> firstMultiplicities() const;
    bool operator==(const FiberData&) const = default;
};

// The chain of a branch with first multiplicity a under a core of multiplicity m: c0 = m, c1 = a
// and chainStep onward, until c_i divides c_{i-1}. Needs 0 < a.
std::vector<int> branchChain(int m, int a);

FiberData fiberFromParts(int m, int r, const std::vector<int>& parts);
// Reads m, r and the chains off a tree built by the parsers; empty branches give empty chains.
FiberData fiberDataOf(const DivisorNode& root);

// "(c1,c2,...)"
std::string chainText(const std::vector<int>& chain);
// "((m,r),a1,...,ab)"
std::string fiberLineText(int m, int r, const std::vector<int>& parts);
// "(m;(c,...),...)"
std::string fiberNotation(const FiberData& fiber);

}  // namespace dorvanix
