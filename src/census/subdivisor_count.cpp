#include "census/subdivisor_count.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "census/branch_shape.h"
#include "census/subdivisor_listing.h"
#include "model/tree_operations.h"

namespace dorvanix {

namespace {

std::vector<long long> divisorsOf(long long n) {
    std::vector<long long> small;
    std::vector<long long> large;
    for (long long d = 1; d * d <= n; ++d) {
        if (n % d != 0) continue;
        small.push_back(d);
        if (d != n / d) large.push_back(n / d);
    }
    small.insert(small.end(), large.rbegin(), large.rend());
    return small;
}

// An allowed value z = y / ell of one branch, and whether its letter is one of 'C', '?' (the
// letters that make a type other than "only AB").
struct BranchStep {
    long long z = 0;
    bool marks = false;
};

// The sub-divisor count of one core multiplicity k, by dynamic programming per ell.
class CoreCount {
  public:
    CoreCount(const std::vector<BranchShape>& shapes, int k, long long r,
              const SubdivisorOptions& options)
        : k_(k), r_(r), options_(options) {
        for (const BranchShape& shape : shapes) {
            const int bound = std::min(shape.firstMultiplicity(), k);
            std::vector<BranchEnd> ends;
            for (int y = 0; y <= std::max(bound, 0); ++y) ends.push_back(shape.follow(k, y));
            ends_.push_back(std::move(ends));
        }
    }

    // Largest reachable sum of the y's, to skip a k that admits nothing.
    long long largestSum() const {
        long long sum = 0;
        for (const auto& ends : ends_) sum += static_cast<long long>(ends.size()) - 1;
        return sum;
    }

    // Adds the count of every ell that passes the ell filter to `tally`; false when cancelled.
    bool addTo(SubdivisorTally& tally, Progress* progress) {
        if (largestSum() < k_ * r_) return true;
        for (long long ell : divisorsOf(k_)) {
            if (!passesEllFilter(options_.ellFilter, ell)) continue;
            if (!countForEll(ell, tally, progress)) return false;
        }
        return true;
    }

  private:
    std::vector<BranchStep> stepsOf(std::size_t branch, long long ell) const {
        std::vector<BranchStep> steps;
        const auto& ends = ends_[branch];
        for (std::size_t y = 0; y < ends.size(); y += static_cast<std::size_t>(ell)) {
            const char letter = branchLetter(static_cast<long long>(y), ends[y], ell);
            if (options_.onlyABC && letter == '?') continue;
            steps.push_back({static_cast<long long>(y) / ell, letter == 'C' || letter == '?'});
        }
        return steps;
    }

    bool countForEll(long long ell, SubdivisorTally& tally, Progress* progress) {
        WideCount found = 0;
        if (!countForEllIn<WideCount>(ell, found, progress)) return false;
        if (!tally.wide && found != kWideCountMax && found < kWideCountMax - tally.count) {
            tally.count += found;
            return true;
        }
        if (!tally.wide) {
            tally.large = wideToGmp(tally.count);
            tally.wide = true;
        }
        if (found != kWideCountMax) {
            tally.large += wideToGmp(found);
            return true;
        }
        mpz_class exact = 0;
        if (!countForEllIn<mpz_class>(ell, exact, progress)) return false;
        tally.large += exact;
        return true;
    }

    // States: index ((flag * gcds + g) * (cap + 1) + sum), where g indexes the divisors of
    // k / ell (the running gcd of k / ell and the z's) and the sum is capped at cap. In 128 bits
    // a cell that overflows stays at kWideCountMax, and so does every cell it feeds.
    template <typename Number>
    bool countForEllIn(long long ell, Number& found, Progress* progress) {
        const long long reduced = k_ / ell;
        const std::vector<long long> gcds = divisorsOf(reduced);
        const std::size_t gcdCount = gcds.size();
        const long long cap = std::max(0LL, reduced * r_);
        const std::size_t row = static_cast<std::size_t>(cap) + 1;
        const std::size_t flags = options_.exceptOnlyAB ? 2 : 1;
        std::vector<Number> current(flags * gcdCount * row, Number(0));
        std::vector<Number> next(current.size(), Number(0));
        current[(gcdCount - 1) * row] = 1;  // gcd k / ell, sum 0, nothing marked
        std::vector<std::size_t> gcdAfter;
        for (std::size_t branch = 0; branch < ends_.size(); ++branch) {
            const std::vector<BranchStep> steps = stepsOf(branch, ell);
            gcdAfter.assign(gcdCount * steps.size(), 0);
            for (std::size_t g = 0; g < gcdCount; ++g) {
                for (std::size_t s = 0; s < steps.size(); ++s) {
                    const long long value = gcd64(gcds[g], steps[s].z);
                    gcdAfter[g * steps.size() + s] = static_cast<std::size_t>(
                        std::lower_bound(gcds.begin(), gcds.end(), value) - gcds.begin());
                }
            }
            for (Number& cell : next) cell = 0;
            for (std::size_t flag = 0; flag < flags; ++flag) {
                for (std::size_t g = 0; g < gcdCount; ++g) {
                    const Number* from = &current[(flag * gcdCount + g) * row];
                    for (std::size_t s = 0; s < steps.size(); ++s) {
                        // One look per pass over the sums keeps a stop within milliseconds
                        // even when the admission sum runs into the tens of thousands.
                        if (stopRequested(progress)) return false;
                        const std::size_t toFlag = steps[s].marks && flags == 2 ? 1 : flag;
                        Number* to =
                            &next[(toFlag * gcdCount + gcdAfter[g * steps.size() + s]) * row];
                        spread(from, to, cap, steps[s].z);
                    }
                }
            }
            current.swap(next);
        }
        const std::size_t lastFlag = flags - 1;
        found = current[(lastFlag * gcdCount + 0) * row + cap];
        return true;
    }

    static void add(WideCount& to, const WideCount& from) { to = addSaturating(to, from); }
    static void add(mpz_class& to, const mpz_class& from) {
        if (from != 0) to += from;
    }

    // to[min(cap, sum + z)] += from[sum] for every sum.
    template <typename Number>
    static void spread(const Number* from, Number* to, long long cap, long long z) {
        const long long shift = std::min(z, cap);
        for (long long sum = 0; sum + shift < cap; ++sum) add(to[sum + shift], from[sum]);
        Number& top = to[cap];
        for (long long sum = std::max(0LL, cap - shift); sum <= cap; ++sum) add(top, from[sum]);
    }

    long long k_;
    long long r_;
    SubdivisorOptions options_;
    std::vector<std::vector<BranchEnd>> ends_;
};

}  // namespace

mpz_class wideToGmp(WideCount value) {
    mpz_class high = static_cast<unsigned long>(static_cast<std::uint64_t>(value >> 64));
    mpz_class low = static_cast<unsigned long>(static_cast<std::uint64_t>(value));
    return (high << 64) + low;
}

mpz_class SubdivisorTally::exact() const {
    return wide ? large : wideToGmp(count);
}

long long SubdivisorTally::clamped() const {
    if (cancelled) return -1;
    if (wide || count >= static_cast<WideCount>(LLONG_MAX)) return LLONG_MAX;
    return static_cast<long long>(count);
}

namespace {

SubdivisorTally tally(const FiberData& x, const SubdivisorOptions& options, Progress* progress,
                      bool reportFraction) {
    SubdivisorTally result;
    std::vector<BranchShape> shapes;
    for (const auto& chain : x.chains) shapes.emplace_back(x.m, chain);
    if (shapes.empty()) return result;
    // The work of a core multiplicity k grows about as k squared.
    double total = 0;
    for (long long k = 1; k < x.m; ++k) total += static_cast<double>(k * k);
    double done = 0;
    for (int k = x.m - 1; k >= 1; --k) {
        CoreCount core(shapes, k, x.r, options);
        if (!core.addTo(result, progress)) {
            result.cancelled = true;
            return result;
        }
        done += static_cast<double>(k) * k;
        if (progress != nullptr && reportFraction) progress->setFraction(done / total);
    }
    return result;
}

}  // namespace

SubdivisorTally tallySubdivisors(const FiberData& x, const SubdivisorOptions& options,
                                 Progress* progress) {
    return tally(x, options, progress, true);
}

SubdivisorTally tallySubdivisorsQuietly(const FiberData& x, const SubdivisorOptions& options,
                                        Progress* progress) {
    return tally(x, options, progress, false);
}

std::string tallyText(const SubdivisorTally& tally) {
    return tally.wide ? tally.large.get_str() : wideCountText(tally.count);
}

long long countSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                           Progress* progress) {
    return tallySubdivisors(x, options, progress).clamped();
}

long long countSimpleCrusts(const FiberData& x, Progress* progress) {
    return countSubdivisors(x, kSimpleCrustOptions, progress);
}

}  // namespace dorvanix
