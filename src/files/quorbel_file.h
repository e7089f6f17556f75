#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "census/subdivisor_line.h"
#include "model/fiber_data.h"

namespace dorvanix {

// What the polynomial file is made from: the core multiplicity m and first-branch multiplicities
// of X, and the core multiplicity k, first-branch multiplicities and ell of Y.
struct QuorbelInput {
    long long m = 0;
    std::vector<long long> xFirsts;
    long long k = 0;
    std::vector<long long> yFirsts;
    long long ell = 1;
};

QuorbelInput quorbelInputOf(const FiberData& x, const SubdivisorLine& y);

// The polynomial line "x^a0*...*(x^c0*...-m)^ell-k^ell" (without line end).
std::string quorbelPolynomial(const QuorbelInput& input);
// The branch polynomial line "(1*...-a0^...)*y*(1-y)*..." (without line end).
std::string quorbelBranchPolynomial(const QuorbelInput& input);
// The six lines of the file for the Quorbel program, each ending in CR LF.
std::string quorbelFileText(const QuorbelInput& input);

// Default name: the numbers after the first character and after each "(" of X's notation, run
// together, then "-" and the same for Y's line, then ".qpf" (3222-2211.qpf).
std::string polynomialFileName(std::string_view xNotation, std::string_view yLine);

}  // namespace dorvanix
