#pragma once

#include <string>

#include "census/subdivisor_options.h"
#include "model/fiber_data.h"
#include "model/progress.h"
#include "model/wide_count.h"

namespace dorvanix {

// The number of sub-divisor lines of a fiber, counted without visiting the vectors.
struct SubdivisorTally {
    WideCount count = 0;     // exact unless saturated
    bool saturated = false;  // the true number is at least kWideCountMax = 2^128 - 1
    bool cancelled = false;

    // The count as a signed 64-bit number: -1 when cancelled, and 2^63 - 1 when it is at least
    // that large.
    long long clamped() const;
};

// Counts the lines that listSubdivisors lists for X with these options. For each core
// multiplicity k and each ell dividing k, the letter of a branch depends only on k, its y and
// ell, and admission only on the sum of the y's; so the vectors whose y's are multiples of ell
// are counted by dynamic programming over the branches on (the running sum capped at the
// admission sum, the running gcd, whether a letter other than 'A', 'B', '0' has been met), and
// only those whose gcd with k is exactly ell are kept. Every step adds non-negative numbers, so a
// saturated count stays a true lower bound.
SubdivisorTally tallySubdivisors(const FiberData& x, const SubdivisorOptions& options,
                                 Progress* progress = nullptr);

// The same count for a caller that counts many fibers and reports its own fraction: `progress`
// is only polled for cancellation.
SubdivisorTally tallySubdivisorsQuietly(const FiberData& x, const SubdivisorOptions& options,
                                        Progress* progress);

// The count in decimal, "at least 340282366920938463463374607431768211455" when saturated.
std::string tallyText(const SubdivisorTally& tally);

}  // namespace dorvanix
