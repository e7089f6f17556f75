#include "census/partition_count.h"

#include <algorithm>
#include <cmath>

namespace dorvanix {

PartitionCounts::PartitionCounts(long long maxSum, int maxParts, int maxPart, std::size_t cellLimit)
    : maxSum_(maxSum), maxParts_(maxParts), maxPart_(maxPart) {
    if (maxSum < 0 || maxParts < 0 || maxPart < 0) return;
    const double cells = (maxSum + 1.0) * (maxParts + 1.0) * (maxPart + 1.0);
    if (cells > static_cast<double>(cellLimit)) return;
    table_.assign(static_cast<std::size_t>(cells), 0.0);
    for (int c = 0; c <= maxPart; ++c) {
        table_[index(0, 0, c)] = 1.0;
        for (int j = 1; j <= maxParts && c > 0; ++j) {
            for (long long t = j; t <= maxSum; ++t) {
                table_[index(t, j, c)] =
                    table_[index(t - 1, j - 1, c)] + table_[index(t - j, j, c - 1)];
            }
        }
    }
}

std::size_t PartitionCounts::index(long long sum, int parts, int maxPart) const {
    return (static_cast<std::size_t>(maxPart) * static_cast<std::size_t>(maxParts_ + 1) +
            static_cast<std::size_t>(parts)) *
               static_cast<std::size_t>(maxSum_ + 1) +
           static_cast<std::size_t>(sum);
}

double PartitionCounts::count(long long sum, int parts, int maxPart) const {
    if (!available() || sum < 0 || parts < 0 || maxPart < 0) return 0.0;
    if (sum > maxSum_ || parts > maxParts_ || maxPart > maxPart_) return 0.0;
    return table_[index(sum, parts, maxPart)];
}

namespace {

// With 1 taken off every part, the partitions of `sum` into exactly `parts` parts from 1 to
// maxPart are those of sum - parts into at most `parts` parts of at most maxPart - 1: the
// coefficient of q^(sum - parts) in the Gaussian binomial prod_{i=1..parts} (1 - q^(maxPart - 1 +
// i)) / (1 - q^i), worked out as power series cut at that degree. Its coefficients read the same
// from both ends, so the lower of the two degrees is taken. Negative when that costs more than
// `budget` steps.
double boxedPartitions(long long sum, int parts, int maxPart, double budget) {
    const long long top = maxPart - 1;
    const long long degree = std::min(sum - parts, parts * top - (sum - parts));
    if (static_cast<double>(parts) * static_cast<double>(degree + 1) > budget) return -1.0;
    std::vector<double> series(static_cast<std::size_t>(degree + 1), 0.0);
    series[0] = 1.0;
    for (long long i = 1; i <= parts; ++i) {
        for (long long t = degree; t >= top + i; --t) series[t] -= series[t - top - i];
        for (long long t = i; t <= degree; ++t) series[t] += series[t - i];
    }
    return std::max(0.0, std::round(series[static_cast<std::size_t>(degree)]));
}

}  // namespace

double partitionCountBound(long long sum, int parts, int maxPart) {
    if (sum < 0 || parts < 0 || maxPart < 0) return 0.0;
    if (parts == 0) return sum == 0 ? 1.0 : 0.0;
    if (sum < parts || sum > static_cast<long long>(parts) * maxPart) return 0.0;
    const double exact = boxedPartitions(sum, parts, maxPart, 1 << 26);
    if (exact >= 0) return exact;
    const double n = static_cast<double>(maxPart) + parts - 1.0;
    return std::ceil(
        std::exp(std::lgamma(n + 1.0) - std::lgamma(parts + 1.0) - std::lgamma(n - parts + 1.0)));
}

}  // namespace dorvanix
