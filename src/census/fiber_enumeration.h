#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "census/subdivisor_count.h"
#include "model/progress.h"

namespace dorvanix {

// The restrictions the user may put on the fiber list.
struct FiberOptions {
    bool noDuplicateBranches = false;
    // 0: any genus; otherwise the genus every listed fiber must have.
    int requiredGenus = 0;
    bool multiplicityOption = false;
    // Required first-branch multiplicities of positions 1 to 4 (largest first); 0 = any.
    std::array<int, 4> requiredMultiplicities{};
    bool atMostTwoSimpleCrusts = false;
};

// One fiber of the list, valid only while the sink that receives it runs.
struct FiberEntry {
    std::span<const int> parts;  // first-branch multiplicities, largest first
    long long simpleCrusts = 0;  // at most LLONG_MAX; simpleCrustDigits holds it exactly
    int genus = 0;
    std::string_view line;               // "((m,r),a1,...,ab) : n (g=g)" with asterisks when n <= 2
    std::string_view simpleCrustDigits;  // the simple crust count in decimal, at any size
};

using FiberSink = std::function<void(const FiberEntry&)>;

// Lists every fiber with core multiplicity m, core self-intersection -r and b branches that
// passes the options, in decreasing lexicographic order of its parts. Answers false when
// `progress` asked it to stop before the end.
bool enumerateFibers(int m, int r, int b, const FiberOptions& options, const FiberSink& sink,
                     Progress* progress = nullptr);

std::vector<std::string> fiberLines(int m, int r, int b, const FiberOptions& options);

// At most this many lines in the fiber list of m, r, b with these options, found without counting
// any crusts: with a required genus or required multiplicities the candidates the walk meets are
// counted while that takes at most `steps` of them (the walk prunes by genus, so this is usually
// the exact number before the simple-crust option); otherwise, or past that, the partitions.
// A cancelled `progress` stops the walk early (the answer then means nothing).
double fiberCountBound(int m, int r, int b, const FiberOptions& options,
                       const Progress* progress = nullptr, long long steps = 20'000'000);

// The arithmetic tests on a candidate: gcd(m, a1, ..., ab) = 1, no equal parts when asked, and
// the required genus when one is given.
bool acceptFiber(int m, std::span<const int> parts, bool noDuplicates, int requiredGenus);

// The fiber line with the simple crust count written out in full (it may pass 2^63).
std::string fiberLineWithCount(int m, int r, std::span<const int> parts,
                               const std::string& countText, long long simpleCrusts, int genus);

// The same line written into `text` from `at` on, whose room is kept and grown as needed (a
// census writes millions of lines, each worker its share of a block into one text); answers the
// line's length.
std::size_t writeFiberLine(std::string& text, std::size_t at, int m, int r,
                           std::span<const int> parts, const SubdivisorTally& simpleCrusts,
                           int genus);

// The line of the fiber list for a fiber and its counts.
std::string fiberListLine(int m, int r, std::span<const int> parts, long long simpleCrusts,
                          int genus);

}  // namespace dorvanix
