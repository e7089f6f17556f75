#include "census/subdivisor_count.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <type_traits>
#include <vector>

#include "census/branch_shape.h"
#include "census/subdivisor_listing.h"
#include "model/arithmetic.h"
#include "model/input_check.h"
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

// The branches of X that share a first multiplicity share their chain, so a fiber of 10000 equal
// branches is followed once and its steps are taken 10000 times.
struct BranchGroup {
    BranchShape shape;
    long long size = 0;
};

// Past this many numbers in one table of the dynamic program (two tables of 16 bytes each, so
// 512 MiB in all) a count is declined.
constexpr long long kMaxTableEntries = 1LL << 24;

// A count whose table would run longer than this first counts the vectors that fall short of the
// largest values by at most this much: a lower bound that settles a saturated count cheaply.
constexpr long long kProbeShortfall = 64;

// The memory an exact count may take for its two tables of whole numbers.
constexpr double kMaxExactBytes = 1024.0 * 1024 * 1024;

// The sub-divisor count of one core multiplicity k, by dynamic programming per ell.
class CoreCount {
  public:
    CoreCount(const std::vector<BranchGroup>& groups, int k, long long r,
              const SubdivisorOptions& options)
        : groups_(groups), k_(k), r_(r), options_(options) {}

    // Largest reachable sum of the y's, to skip a k that admits nothing.
    long long largestSum() const {
        long long sum = 0;
        for (const BranchGroup& group : groups_) sum += group.size * boundOf(group.shape);
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
    // How the running total of a vector is kept. Sum: the sum of the z's, capped at the admission
    // sum `need`; a vector counts when it reaches `need`. Shortfall: how far the z's fall short of
    // each branch's largest allowed value; a vector counts while that stays within `last`. The
    // table is as long as the smaller of the two, which keeps it short for many equal branches,
    // where the admission sum is large but the slack small.
    struct Form {
        bool shortfall = false;
        long long last = 0;  // the largest total kept
        long long need = 0;  // the admission sum of the z's
    };

    long long boundOf(const BranchShape& shape) const {
        return std::max(0LL, std::min<long long>(shape.firstMultiplicity(), k_));
    }

    std::vector<BranchStep> stepsOf(const BranchShape& shape, long long ell) const {
        std::vector<BranchStep> steps;
        for (long long y = 0; y <= boundOf(shape); y += ell) {
            const char letter = branchLetter(y, shape.follow(k_, y), ell);
            if (options_.onlyABC && letter == '?') continue;
            steps.push_back({y / ell, letter == 'C' || letter == '?'});
        }
        return steps;
    }

    // Counts in 128 bits first; a count that reaches 2^128 - 1 there is counted again exactly.
    bool countForEll(long long ell, SubdivisorTally& tally, Progress* progress) {
        const long long reduced = k_ / ell;
        std::vector<std::vector<BranchStep>> steps;
        long long top = 0;  // the sum of every branch's largest allowed z ('0' is always allowed)
        for (const BranchGroup& group : groups_) {
            steps.push_back(stepsOf(group.shape, ell));
            top += group.size * steps.back().back().z;
        }
        const long long need = reduced * r_;
        if (top < need) return true;
        const long long slack = top - need;
        const Form whole{slack <= need, std::min(slack, need), need};
        std::optional<WideCount> found;
        if (whole.last > 4 * kProbeShortfall) {
            found = run<WideCount>(steps, reduced, Form{true, kProbeShortfall, need}, progress);
            if (!found) return false;
            if (*found != kWideCountMax) found.reset();
        }
        if (!found) found = run<WideCount>(steps, reduced, whole, progress);
        if (!found) return false;
        if (*found != kWideCountMax) {
            addWide(tally, *found);
            return true;
        }
        checkExactCost(steps, reduced, whole);
        const std::optional<mpz_class> exact = run<mpz_class>(steps, reduced, whole, progress);
        if (!exact) return false;
        widen(tally);
        tally.large += *exact;
        return true;
    }

    static void widen(SubdivisorTally& tally) {
        if (tally.wide) return;
        tally.large = wideToGmp(tally.count);
        tally.wide = true;
    }

    static void addWide(SubdivisorTally& tally, WideCount found) {
        if (!tally.wide && found < kWideCountMax - tally.count) {
            tally.count += found;
            return;
        }
        widen(tally);
        tally.large += wideToGmp(found);
    }

    // An exact count holds numbers of up to about log2(product of the branches' choices) bits in
    // every cell of its two tables; past kMaxExactBytes it is declined rather than left to run
    // out of memory.
    void checkExactCost(const std::vector<std::vector<BranchStep>>& steps, long long reduced,
                        const Form& form) const {
        double bits = 64;
        for (std::size_t group = 0; group < groups_.size(); ++group) {
            bits += static_cast<double>(groups_[group].size) *
                    std::log2(static_cast<double>(steps[group].size()));
        }
        const double cells = static_cast<double>(divisorsOf(reduced).size()) *
                             (options_.exceptOnlyAB ? 2 : 1) * static_cast<double>(form.last + 1);
        const double bytes = 2 * cells * (bits / 8 + 16);
        if (bytes <= kMaxExactBytes) return;
        throw InputError("counting the sub-divisors with k = " + std::to_string(k_) +
                         " exactly would take about " + std::to_string(std::llround(bytes / 1e6)) +
                         " MB, more than the " +
                         std::to_string(std::llround(kMaxExactBytes / 1e6)) +
                         " MB this tool holds");
    }

    // The number of vectors counted in `form` whose gcd with k / ell is 1, kWideCountMax as soon
    // as that is known to be reached; nothing when cancelled. States: index ((flag * gcds + g) *
    // (last + 1) + total), where g indexes the divisors of k / ell (the running gcd of k / ell and
    // the z's).
    template <typename Number>
    std::optional<Number> run(const std::vector<std::vector<BranchStep>>& steps, long long reduced,
                              const Form& form, Progress* progress) const {
        const std::vector<long long> gcds = divisorsOf(reduced);
        const std::size_t gcdCount = gcds.size();
        const std::size_t row = static_cast<std::size_t>(form.last) + 1;
        const std::size_t flags = options_.exceptOnlyAB ? 2 : 1;
        const std::size_t blocks = flags * gcdCount;
        if (static_cast<long long>(blocks * row) > kMaxTableEntries) {
            throw InputError("counting the sub-divisors with k = " + std::to_string(k_) +
                             " would take a table of " + std::to_string(blocks * row) +
                             " numbers, more than the " + std::to_string(kMaxTableEntries) +
                             " this tool holds");
        }
        std::vector<Number> current(blocks * row, Number(0));
        std::vector<Number> next(current.size(), Number(0));
        std::vector<char> live(blocks, 0);  // blocks holding anything, to skip the empty ones
        current[(gcdCount - 1) * row] = 1;  // gcd k / ell, total 0, nothing marked
        live[gcdCount - 1] = 1;
        // The largest z's of the branches still to come, for which vectors can still reach `need`.
        long long topToCome = 0;
        for (std::size_t group = 0; group < groups_.size(); ++group) {
            topToCome += groups_[group].size * steps[group].back().z;
        }
        const std::size_t lastBlock = (flags - 1) * gcdCount;  // marked if need be, gcd 1
        std::vector<std::size_t> gcdAfter;
        std::vector<long long> shifts;
        std::vector<BranchStep> groupSteps;
        for (std::size_t group = 0; group < groups_.size(); ++group) {
            const long long largest = steps[group].back().z;
            // A shortfall past `last` can never be admitted; such steps are left out at once.
            shifts.clear();
            groupSteps.clear();
            for (const BranchStep& step : steps[group]) {
                const long long shift =
                    form.shortfall ? largest - step.z : std::min(step.z, form.last);
                if (shift > form.last) continue;
                shifts.push_back(shift);
                groupSteps.push_back(step);
            }
            gcdAfter.assign(gcdCount * groupSteps.size(), 0);
            for (std::size_t g = 0; g < gcdCount; ++g) {
                for (std::size_t s = 0; s < groupSteps.size(); ++s) {
                    const long long value = gcd64(gcds[g], groupSteps[s].z);
                    gcdAfter[g * groupSteps.size() + s] = static_cast<std::size_t>(
                        std::lower_bound(gcds.begin(), gcds.end(), value) - gcds.begin());
                }
            }
            for (long long copy = 0; copy < groups_[group].size; ++copy) {
                for (Number& cell : next) cell = 0;
                std::vector<char> nextLive(blocks, 0);
                for (std::size_t flag = 0; flag < flags; ++flag) {
                    for (std::size_t g = 0; g < gcdCount; ++g) {
                        if (!live[flag * gcdCount + g]) continue;
                        const Number* from = &current[(flag * gcdCount + g) * row];
                        for (std::size_t s = 0; s < groupSteps.size(); ++s) {
                            // One look per pass over the totals keeps a stop within
                            // milliseconds even when the table runs into the millions.
                            if (stopRequested(progress)) return std::nullopt;
                            const std::size_t toFlag = groupSteps[s].marks && flags == 2 ? 1 : flag;
                            const std::size_t to =
                                toFlag * gcdCount + gcdAfter[g * groupSteps.size() + s];
                            nextLive[to] = 1;
                            spread(from, &next[to * row], form, shifts[s]);
                        }
                    }
                }
                current.swap(next);
                live.swap(nextLive);
                topToCome -= largest;
                // Every vector begun so far that can still be admitted is finished at least one
                // way (the largest values from here on), and gcd 1 and a mark are kept; so once
                // these reach the largest count, so does the answer.
                if constexpr (std::is_same_v<Number, WideCount>) {
                    const long long firstFinishable =
                        form.shortfall ? 0 : std::max(0LL, form.need - topToCome);
                    WideCount finishable = 0;
                    for (long long total = firstFinishable; total <= form.last; ++total) {
                        finishable = addSaturating(finishable, current[lastBlock * row + total]);
                    }
                    if (finishable == kWideCountMax) return kWideCountMax;
                }
            }
        }
        const Number* counted = &current[lastBlock * row];
        if (!form.shortfall) return counted[form.last];
        Number found = 0;
        for (std::size_t total = 0; total < row; ++total) add(found, counted[total]);
        return found;
    }

    // to[total + shift] += from[total] for every total; past `last` a sum is capped there and a
    // shortfall dropped.
    static void add(WideCount& to, const WideCount& from) { to = addSaturating(to, from); }
    static void add(mpz_class& to, const mpz_class& from) {
        if (from != 0) to += from;
    }

    template <typename Number>
    static void spread(const Number* from, Number* to, const Form& form, long long shift) {
        const long long last = form.last;
        for (long long total = 0; total + shift <= last; ++total) {
            if (total + shift == last && !form.shortfall) break;
            add(to[total + shift], from[total]);
        }
        if (form.shortfall) return;
        Number& top = to[last];
        for (long long total = std::max(0LL, last - shift); total <= last; ++total) {
            add(top, from[total]);
        }
    }

    const std::vector<BranchGroup>& groups_;
    long long k_;
    long long r_;
    SubdivisorOptions options_;
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
    // A branch's chain follows from m and its first multiplicity, so equal first multiplicities
    // make one group.
    std::vector<BranchGroup> groups;
    std::map<int, std::size_t> groupOf;
    for (const auto& chain : x.chains) {
        const int first = chain.empty() ? 0 : chain.front();
        const auto [found, added] = groupOf.emplace(first, groups.size());
        if (added) groups.push_back({BranchShape(x.m, chain), 0});
        ++groups[found->second].size;
    }
    if (groups.empty()) return result;
    // The work of a core multiplicity k grows about as k squared.
    double total = 0;
    for (long long k = 1; k < x.m; ++k) total += static_cast<double>(k * k);
    double done = 0;
    for (int k = x.m - 1; k >= 1; --k) {
        CoreCount core(groups, k, x.r, options);
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
