#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "census/subdivisor_options.h"
#include "model/fiber_data.h"
#include "model/progress.h"

namespace dorvanix {

// One listed sub-divisor Y, valid only while the sink that receives it runs.
struct Subdivisor {
    int k = 0;                // core multiplicity of Y
    std::span<const int> ys;  // multiplicity of Y on the first node of each branch
    long long ell = 0;        // gcd(k, y1, ..., yb)
    std::string_view types;   // one branch type letter per branch
    std::string_view line;    // "(k;(...),...):: ell = %d :: type = %s"
};

using SubdivisorSink = std::function<void(const Subdivisor&)>;

// Lists the sub-divisors Y of X in list order (k from m-1 down to 1, the first branch turning
// fastest) that are admitted (y1 + ... + yb >= k r) and pass the options. Ranges of vectors that
// cannot reach the admission sum are skipped whole. Answers false when `progress` asked it to
// stop before the end.
bool listSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                     const SubdivisorSink& sink, Progress* progress = nullptr);

// The forms in which writeSubdivisorText gives each listed sub-divisor: its line, or one JSON
// object {"k":..,"ys":[..],"ell":..,"types":"..","line":".."} on one line, keys in that order.
enum class SubdivisorTextForm { Line, JsonRecord };

// Receives a batch of whole lines, each followed by its line end; false stops the listing.
using SubdivisorTextSink = std::function<bool(std::string_view)>;

// Lists as listSubdivisors does, straight into text: each sub-divisor in `form` followed by
// `lineEnd`, handed to `write` in batches of about `batchBytes` (a megabyte unless a reader that
// keeps many listings open asks for less; valid only while `write` runs). Answers the number of
// lines, or -1 when `progress` or `write` stopped the listing.
inline constexpr std::size_t kSubdivisorTextBatch = std::size_t{1} << 20;
long long writeSubdivisorText(const FiberData& x, const SubdivisorOptions& options,
                              SubdivisorTextForm form, std::string_view lineEnd,
                              const SubdivisorTextSink& write, Progress* progress = nullptr,
                              std::size_t batchBytes = kSubdivisorTextBatch);

// A part of a listing: the sub-divisors with core multiplicity k whose slowest branches hold
// given values (`slowest[0]` on the last branch, `slowest[1]` on the one before, ...). The parts
// of listingPrefixes, listed one after the other, give the whole listing in its order, so that
// the work on one fiber can be shared out.
struct ListingPrefix {
    int k = 0;
    std::vector<int> slowest;
    bool operator==(const ListingPrefix&) const = default;
};

// The parts of X's listing fixed on its `depth` slowest branches (all of them when it has fewer),
// in list order, leaving out those whose vectors cannot reach k r.
std::vector<ListingPrefix> listingPrefixes(const FiberData& x, int depth);

// Lists only the part `prefix` of the listing, in list order. Answers false when `progress`
// asked it to stop before the end.
bool listSubdivisorPart(const FiberData& x, const SubdivisorOptions& options,
                        const ListingPrefix& prefix, const SubdivisorSink& sink,
                        Progress* progress = nullptr);

// All listed lines at once, for small fibers and tests.
std::vector<std::string> subdivisorLines(const FiberData& x, const SubdivisorOptions& options);

// The number of lines listSubdivisors would list, counted without visiting the vectors
// (see tallySubdivisors); -1 when cancelled, 2^63 - 1 when the number is at least that large.
long long countSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                           Progress* progress = nullptr);

// Sub-divisors whose branches are all of type 'A', 'B', 'C' or '0'.
long long countSimpleCrusts(const FiberData& x, Progress* progress = nullptr);

}  // namespace dorvanix
