#pragma once

#include <memory>
#include <span>
#include <string>

#include "census/subdivisor_options.h"
#include "model/big_count.h"
#include "model/fiber_data.h"
#include "model/progress.h"
#include "model/wide_count.h"

namespace dorvanix {

// The number of sub-divisor lines of a fiber, counted without visiting the vectors.
// Counts below 2^128 stay in 128-bit arithmetic; past it the count is held as a BigCount.
struct SubdivisorTally {
    WideCount count = 0;  // the count, when `wide` is false
    bool wide = false;    // the count is at least 2^128 - 1 and held in `large`
    BigCount large = 0;   // the count, when `wide` is true
    bool cancelled = false;

    // The exact count, whichever way it is held.
    BigCount exact() const;

    // The count as a signed 64-bit number: -1 when cancelled, and 2^63 - 1 when it is at least
    // that large.
    long long clamped() const;
};

// Counts the lines that listSubdivisors lists for X with these options. For each core
// multiplicity k and each ell dividing k, the letter of a branch depends only on k, its y and
// ell, and admission only on the sum of the y's. A count that stays below 2^120 is taken by runs
// of values with the gcd by Moebius inversion (about m^2 log m for a few branches); a larger one
// by tallySubdivisorsByGcdTable.
SubdivisorTally tallySubdivisors(const FiberData& x, const SubdivisorOptions& options,
                                 Progress* progress = nullptr);

// The same count, exact at any size: the vectors whose y's are multiples of ell are counted by
// dynamic programming over the branches on (the running sum capped at the admission sum, the
// running gcd, whether a letter other than 'A', 'B', '0' has been met), and only those whose gcd
// with k is exactly ell are kept. Each (k, ell) is counted in 128 bits first; the additions
// saturate, and a result that reached 2^128 - 1 is counted again as a BigCount. About m^3 log m for
// a few long branches of every type.
SubdivisorTally tallySubdivisorsByGcdTable(const FiberData& x, const SubdivisorOptions& options,
                                           Progress* progress = nullptr);

// The same count for a caller that counts many fibers and reports its own fraction: `progress`
// is only polled for cancellation.
SubdivisorTally tallySubdivisorsQuietly(const FiberData& x, const SubdivisorOptions& options,
                                        Progress* progress);

// The values that a branch with first multiplicity a allows in every (k, ell) under a core of
// multiplicity m, as runs, worked out once per a when a count first meets it. They do not depend
// on r or b, so the PrefixTally of every r and b of one m may share them, from any thread.
class PartRuns {
  public:
    PartRuns(int m, const SubdivisorOptions& options);
    ~PartRuns();
    PartRuns(const PartRuns&) = delete;
    PartRuns& operator=(const PartRuns&) = delete;

    int m() const;
    const SubdivisorOptions& options() const;

    struct Held;
    Held& held() { return *held_; }

  private:
    std::unique_ptr<Held> held_;
};

// Counts the fibers of one core multiplicity m and one r one after another, as the fiber list
// meets them: the work on the first branches is kept, so a fiber that starts with the same parts
// as the one before only adds the parts where it differs, and the last two parts are read off
// that work in one look per pair of runs of their values. Fibers whose count could reach 2^120,
// and lists whose kept work would pass 256 MiB, are counted one by one by tallySubdivisorsQuietly.
class PrefixTally {
  public:
    // b is the number of parts the fibers have, for the size of the kept work; `runs`, when
    // made for this m and these options, is shared instead of making new ones.
    PrefixTally(int m, int r, int b, const SubdivisorOptions& options,
                std::shared_ptr<PartRuns> runs = nullptr);
    ~PrefixTally();
    PrefixTally(const PrefixTally&) = delete;
    PrefixTally& operator=(const PrefixTally&) = delete;

    // The count of the fiber ((m,r),parts...); `progress` is only polled for cancellation.
    SubdivisorTally count(std::span<const int> parts, Progress* progress);

  private:
    struct Walk;
    int m_;
    int r_;
    SubdivisorOptions options_;
    std::unique_ptr<Walk> walk_;
};

// The count in decimal.
std::string tallyText(const SubdivisorTally& tally);

}  // namespace dorvanix
