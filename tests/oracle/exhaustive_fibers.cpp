#include "oracle/exhaustive_fibers.h"

#include <algorithm>

#include "model/arithmetic.h"
#include "model/fiber_data.h"
#include "oracle/exhaustive_subdivisors.h"

namespace dorvanix::oracle {

namespace {

// The Riemann-Hurwitz sum s = 2m + sum_j (gcd(m, a_j) - m); the genus is (2 - s) div 2.
long long hurwitzSum(int m, std::span<const int> parts) {
    long long s = 2LL * m;
    for (int a : parts) s += gcd(m, a) - m;
    return s;
}

bool meetsRequiredMultiplicities(const FiberOptions& options, std::span<const int> parts) {
    if (!options.multiplicityOption) return true;
    for (std::size_t i = 0; i < options.requiredMultiplicities.size(); ++i) {
        const int required = options.requiredMultiplicities[i];
        const int actual = i < parts.size() ? parts[i] : 0;
        if (required != 0 && actual != required) return false;
    }
    return true;
}

// The partitions of m r into parts of at most m - 1, in decreasing lexicographic order, each
// padded with zeros to m r entries.
class PartitionWalk {
  public:
    PartitionWalk(int m, int r) : parts_(static_cast<std::size_t>(m) * r, 0) {
        long long remaining = static_cast<long long>(m) * r;
        long long part = m - 1;
        for (auto& entry : parts_) {
            remaining -= part;
            entry = static_cast<int>(part);
            if (remaining < part) part = remaining;
        }
    }

    bool last() const { return parts_.back() != 0; }

    void next() {
        const std::size_t n = parts_.size();
        std::size_t j = 0;
        while (parts_[j] > 1) ++j;
        long long ones = 0;
        for (std::size_t t = j; t < n; ++t) ones += parts_[t];
        parts_[j - 1] -= 1;
        ones += 1;
        long long part = std::min<long long>(parts_[j - 1], ones);
        for (std::size_t t = j; t < n; ++t) {
            ones -= part;
            parts_[t] = static_cast<int>(part);
            if (ones < part) part = ones;
        }
    }

    // The leading positive entries.
    std::span<const int> parts() const {
        const auto end = std::find(parts_.begin(), parts_.end(), 0);
        return {parts_.data(), static_cast<std::size_t>(end - parts_.begin())};
    }

  private:
    std::vector<int> parts_;
};

}  // namespace

bool enumerateFibers(int m, int r, int b, const FiberOptions& options, const FiberSink& sink,
                     Progress* progress) {
    if (m < 2 || r < 1 || b < 1) return true;
    PartitionWalk walk(m, r);
    while (true) {
        if (stopRequested(progress)) return false;
        const std::span<const int> parts = walk.parts();
        if (static_cast<int>(parts.size()) == b && meetsRequiredMultiplicities(options, parts) &&
            acceptFiber(m, parts, options.noDuplicateBranches, options.requiredGenus)) {
            const int genus = static_cast<int>((2 - hurwitzSum(m, parts)) / 2);
            const FiberData fiber =
                fiberFromParts(m, r, std::vector<int>(parts.begin(), parts.end()));
            const long long crusts = oracle::countSimpleCrusts(fiber, progress);
            if (crusts < 0) return false;
            if (crusts <= 2 || !options.atMostTwoSimpleCrusts) {
                const std::string line = fiberListLine(m, r, parts, crusts, genus);
                sink(FiberEntry{parts, crusts, genus, line});
                if (progress != nullptr) progress->addResults(1);
            }
        }
        if (walk.last()) return true;
        walk.next();
    }
}

std::vector<std::string> fiberLines(int m, int r, int b, const FiberOptions& options) {
    std::vector<std::string> lines;
    oracle::enumerateFibers(m, r, b, options,
                            [&](const FiberEntry& f) { lines.emplace_back(f.line); });
    return lines;
}

}  // namespace dorvanix::oracle
