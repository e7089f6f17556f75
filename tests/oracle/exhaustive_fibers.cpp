#include "oracle/exhaustive_fibers.h"

#include <algorithm>
#include <numeric>

#include "oracle/exhaustive_subdivisors.h"

// The acceptance tests, the chains and the line are read from the rules of the fiber list here,
// not taken from the census stage, so that a fault there shows up as a difference.
namespace dorvanix::oracle {

namespace {

// The Riemann-Hurwitz sum s = 2m + sum_j (gcd(m, a_j) - m); the genus is (2 - s) div 2.
long long hurwitzSum(int m, std::span<const int> parts) {
    long long s = 2LL * m;
    for (int a : parts) s += std::gcd(m, a) - m;
    return s;
}

// gcd(m, a1, ..., ab) = 1, no two parts equal when asked (the parts come largest first, so equal
// parts stand side by side), and the genus when one is required.
bool accepted(int m, std::span<const int> parts, const FiberOptions& options) {
    int common = m;
    for (int a : parts) common = std::gcd(common, a);
    if (common != 1) return false;
    if (options.noDuplicateBranches &&
        std::adjacent_find(parts.begin(), parts.end()) != parts.end()) {
        return false;
    }
    return options.requiredGenus == 0 || 2 - 2LL * options.requiredGenus == hurwitzSum(m, parts);
}

// The chain c0 = m, c1 = a, c(i+1) = c(i) - (c(i-1) mod c(i)), until c(i) divides c(i-1).
std::vector<int> chainOf(int m, int a) {
    std::vector<int> chain{a};
    for (int before = m; before % chain.back() != 0;) {
        const int c = chain.back();
        chain.push_back(c - before % c);
        before = c;
    }
    return chain;
}

std::string lineOf(int m, int r, std::span<const int> parts, long long crusts, int genus) {
    std::string line = "((" + std::to_string(m) + "," + std::to_string(r) + ")";
    for (int a : parts) line += "," + std::to_string(a);
    line += ") : " + std::to_string(crusts) + " (g=" + std::to_string(genus) + ")";
    return crusts <= 2 ? line + std::string(21, '*') : line;
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
            accepted(m, parts, options)) {
            const int genus = static_cast<int>((2 - hurwitzSum(m, parts)) / 2);
            FiberData fiber{m, r, {}};
            for (int a : parts) fiber.chains.push_back(chainOf(m, a));
            const long long crusts = oracle::countSimpleCrusts(fiber, progress);
            if (crusts < 0) return false;
            if (crusts <= 2 || !options.atMostTwoSimpleCrusts) {
                const std::string line = lineOf(m, r, parts, crusts, genus);
                sink(FiberEntry{parts, crusts, genus, line, std::to_string(crusts)});
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
