#pragma once

#include <cstddef>
#include <vector>

namespace dorvanix {

// How many partitions of a number have exactly a given number of parts, none larger than a
// given part: p(t, j, c) = p(t - 1, j - 1, c) (a part 1 taken off) + p(t - j, j, c - 1) (every
// part lowered by 1). Held as doubles, since only their proportions are wanted (the share of the
// fiber enumeration's work below each first part), and only for tables of moderate size.
class PartitionCounts {
  public:
    // Tables for sums up to maxSum, up to maxParts parts and parts up to maxPart; left empty
    // (available() false) when that would take more than `cellLimit` numbers.
    PartitionCounts(long long maxSum, int maxParts, int maxPart, std::size_t cellLimit = 1 << 22);

    bool available() const { return !table_.empty(); }

    // Partitions of `sum` into exactly `parts` parts, each from 1 to `maxPart`; 0 outside the
    // table.
    double count(long long sum, int parts, int maxPart) const;

  private:
    std::size_t index(long long sum, int parts, int maxPart) const;

    long long maxSum_;
    int maxParts_;
    int maxPart_;
    std::vector<double> table_;
};

// At most this many partitions of `sum` into exactly `parts` parts, each from 1 to `maxPart`: the
// exact number (as a double) when it takes at most some 10^8 steps, otherwise the number of
// multisets of `parts` values from 1 to `maxPart`, C(maxPart + parts - 1, parts). The fiber list of
// m, r, b has at most partitionCountBound(m r, b, m - 1) lines.
double partitionCountBound(long long sum, int parts, int maxPart);

}  // namespace dorvanix
