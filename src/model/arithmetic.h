#pragma once

#include <span>

namespace dorvanix {

// The integer arithmetic of fibers that every stage uses: the gcd, the genus of a fiber and the
// continued-fraction rule of its branch chains.

// Greatest common divisor of |a| and |b|; gcd(0, 0) = 0.
long long gcd64(long long a, long long b);
int gcd(int a, int b);

// The Riemann-Hurwitz sum s = 2m + sum_j (gcd(m, a_j) - m) of a core of multiplicity m whose
// branches start with the multiplicities a_j.
long long hurwitzSum(int m, std::span<const int> parts);
// Genus of the fiber: g = (2 - s) div 2 with s the Riemann-Hurwitz sum.
int fiberGenus(int m, std::span<const int> parts);

// One step along a branch chain by the Hirzebruch-Jung continued fraction: from the curve before
// (c_{i-1}, the core's m for the first curve) and the current curve c_i > 0, r_i = c_{i-1} div
// c_i + 1 and c_{i+1} = r_i c_i - c_{i-1}. The chain ends at c_i when c_i divides c_{i-1} (the
// rule would give c_{i+1} = c_i); that last curve has self-intersection -(r_i - 1).
struct ChainStep {
    long long next = 0;              // c_{i+1}; meaningless at the last curve
    long long selfIntersection = 0;  // r of the current curve (self-intersection -r)
    bool last = false;               // the current curve ends the chain
};
ChainStep chainStep(long long before, long long current);

}  // namespace dorvanix
