#pragma once

#include <string>
#include <string_view>

#include "model/divisor_node.h"
#include "model/node_pool.h"

namespace dorvanix {

// The two text forms of a divisor. The parsers read text this program printed itself and trust
// it; text from a user goes through the checks of input_check.h first.
//
// Fiber line:        ((m,r),a1,...,ab)           every chain follows from m and aj
// Divisor notation:  (k;(c1,c2,...),(...),...)   every multiplicity written out, "()" for none

// Handle spread of the core by its number of branches.
double coreSpreadFactor(int branches);

// Arm k of a core with `branches` branches: evenly spread, `length` long (50 in a fiber, 40 in a
// sub-divisor), its handle spread by coreSpreadFactor.
void setCoreArm(DivisorNode& root, int k, int branches, double length);

// Gives chain node `node` its arrays and geometry, hanging it on arm `arm` of `parent`.
void attachChainNode(DivisorNode& parent, DivisorNode& node, int n, int arm);

// Builds the fiber of a fiber line under `root` with buildFiberTree (any annotation after the
// closing bracket is ignored). Does nothing unless the text starts with "((".
void parseFiberLine(NodePool& pool, DivisorNode& root, std::string_view text);

// Builds the divisor of a divisor-notation text under `root`, returns the core's
// selfIntersection. Builds nothing (and returns the root's current value) unless the text starts
// with "(".
int parseDivisorNotation(NodePool& pool, DivisorNode& root, std::string_view text);

// Prints the tree in divisor notation; a branch that is a lone curve of multiplicity 0 (absent
// from a sub-divisor) is written "()", as the parser reads it.
std::string printDivisorNotation(const DivisorNode& root);
int divisorNotationLength(const DivisorNode& root);

}  // namespace dorvanix
