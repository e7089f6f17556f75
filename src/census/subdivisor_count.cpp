#include "census/subdivisor_count.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
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

// The branches of X that share their chain, so a fiber of 10000 equal branches is followed once
// and its steps are taken 10000 times.
struct BranchGroup {
    BranchShape shape;
    long long size = 0;
};

// The groups of X's branches in the order they first occur, and the group of each branch.
std::vector<BranchGroup> groupsOf(const FiberData& x, std::vector<std::size_t>& groupOfBranch) {
    std::vector<BranchGroup> groups;
    std::map<std::vector<int>, std::size_t> index;
    for (const auto& chain : x.chains) {
        const auto [found, added] = index.emplace(chain, groups.size());
        if (added) groups.push_back({BranchShape(x.m, chain), 0});
        ++groups[found->second].size;
        groupOfBranch.push_back(found->second);
    }
    return groups;
}

// The work of a core multiplicity k grows about as k squared; the work of every k below m.
double squaresBelow(int m) {
    double total = 0;
    for (long long k = 1; k < m; ++k) total += static_cast<double>(k * k);
    return total;
}

// Past this many numbers in one table of the dynamic program (two tables of 16 bytes each, so
// 512 MiB in all) a count is declined.
constexpr long long kMaxTableEntries = 1LL << 24;

// A count whose table would run longer than this first counts the vectors that fall short of the
// largest values by at most this much: a lower bound that settles a saturated count cheaply.
constexpr long long kProbeShortfall = 64;

// The memory an exact count may take for its two tables of whole numbers.
constexpr double kMaxExactBytes = 1024.0 * 1024 * 1024;

std::vector<std::pair<long long, int>> squarefreeDivisors(long long n);

// Exact counts by powers of polynomials. A branch that allows the values w contributes the
// polynomial P = sum of x^w to the count of vectors by their total, so n equal branches contribute
// P^n, whose coefficients follow one from another: from P (P^n)' = n P' P^n, with P = 1 + sum of
// x^e, i q_i = sum over e of ((n + 1) e - i) q_{i - e}. That takes a few operations per
// coefficient however many equal branches there are, where adding the branches one by one takes
// a pass over the table for each of them.

// The values one group of equal branches allows (ascending, distinct) and how many branches it
// has.
struct ValueGroup {
    std::vector<long long> values;
    long long copies = 0;
};

// The coefficients 0 ... size - 1 of P^n for P the sum of x^v over `values` (ascending, distinct).
bool truncatedPower(std::span<const long long> values, long long n, std::size_t size,
                    std::vector<BigCount>& q, Progress* progress) {
    q.assign(size, BigCount(0));
    const long long lowest = values.front();
    const long long shift = lowest * n;  // P = x^lowest (1 + ...), so P^n starts there
    if (shift >= static_cast<long long>(size)) return true;
    const std::size_t length = size - static_cast<std::size_t>(shift);
    q[0] = 1;
    BigCount sum;
    for (std::size_t i = 1; i < length; ++i) {
        if (i % 256 == 0 && stopRequested(progress)) return false;
        const auto at = static_cast<long long>(i);
        sum = 0;
        for (std::size_t j = 1; j < values.size() && values[j] - lowest <= at; ++j) {
            const long long e = values[j] - lowest;
            const long long factor = (n + 1) * e - at;
            const BigCount& from = q[i - static_cast<std::size_t>(e)];
            if (factor > 0) sum += from * static_cast<unsigned long>(factor);
            if (factor < 0) sum -= from * static_cast<unsigned long>(-factor);
        }
        sum /= static_cast<unsigned long>(i);
        q[i] = sum;
    }
    if (shift > 0) {
        std::move_backward(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(length), q.end());
        std::fill(q.begin(), q.begin() + shift, BigCount(0));
    }
    return true;
}

BigCount powerOf(BigCount base, long long n) {
    BigCount result = 1;
    for (; n > 0; n >>= 1) {
        if (n & 1) result *= base;
        if (n > 1) base *= base;
    }
    return result;
}

// The vectors that take one of its values on every branch of every group and whose values add
// up to at least `need`, exactly; nothing when cancelled. The series is kept up to the smaller of
// need - 1 (then the vectors below need are taken from all of them) and the slack (then the
// values are turned round, so the series counts by how far they fall short of the largest ones).
std::optional<BigCount> admittedExactly(std::vector<ValueGroup>& groups, long long need,
                                        Progress* progress) {
    long long top = 0;
    for (const ValueGroup& group : groups) {
        if (group.values.empty()) return BigCount(0);
        top += group.copies * group.values.back();
    }
    if (top < need) return BigCount(0);
    const long long slack = top - need;
    const bool summed = need - 1 <= slack;
    const long long last = summed ? need - 1 : slack;
    if (!summed) {
        for (ValueGroup& group : groups) {
            const long long largest = group.values.back();
            for (long long& v : group.values) v = largest - v;
            std::reverse(group.values.begin(), group.values.end());
        }
    }
    BigCount total = 1;
    if (summed) {
        for (const ValueGroup& group : groups) {
            total *=
                powerOf(BigCount(static_cast<unsigned long>(group.values.size())), group.copies);
        }
    }
    if (last < 0) return total;
    const auto size = static_cast<std::size_t>(last) + 1;
    // The group that would cost the most branch by branch starts the series as a power; another
    // one is multiplied in as a power where that is cheaper than its branches one by one.
    const auto work = [](const ValueGroup& g) {
        return static_cast<double>(g.copies) * static_cast<double>(g.values.size());
    };
    const auto first =
        std::max_element(groups.begin(), groups.end(),
                         [&](const auto& a, const auto& b) { return work(a) < work(b); });
    std::vector<BigCount> series;
    std::vector<BigCount> power;
    if (!truncatedPower(first->values, first->copies, size, series, progress)) return std::nullopt;
    for (auto group = groups.begin(); group != groups.end(); ++group) {
        if (group == first || group->copies == 0) continue;
        if (stopRequested(progress)) return std::nullopt;
        if (work(*group) > 2.0 * static_cast<double>(size)) {
            if (!truncatedPower(group->values, group->copies, size, power, progress)) {
                return std::nullopt;
            }
            for (std::size_t i = size; i-- > 0;) {
                if (i % 256 == 0 && stopRequested(progress)) return std::nullopt;
                BigCount sum = 0;
                for (std::size_t j = 0; j <= i; ++j) {
                    if (power[j] != 0 && series[i - j] != 0) sum += power[j] * series[i - j];
                }
                series[i] = sum;
            }
            continue;
        }
        for (long long copy = 0; copy < group->copies; ++copy) {
            // Descending, so that series[i - v] is still the value before this branch.
            for (std::size_t i = size; i-- > 0;) {
                BigCount sum = 0;
                for (long long v : group->values) {
                    if (v > static_cast<long long>(i)) break;
                    sum += series[i - static_cast<std::size_t>(v)];
                }
                series[i] = sum;
            }
            if (stopRequested(progress)) return std::nullopt;
        }
    }
    BigCount below = 0;
    for (const BigCount& c : series) below += c;
    return summed ? BigCount(total - below) : below;
}

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
        const std::optional<BigCount> exact = exactByPowers(steps, reduced, progress);
        if (!exact) return false;
        widen(tally);
        tally.large += *exact;
        return true;
    }

    // The count past 2^128 - 1: by Moebius inversion, the sum over the squarefree d dividing
    // k / ell of mu(d) times the admitted vectors whose z's are all multiples of d, each counted
    // exactly by powers of its groups' polynomials; with exceptOnlyAB, less those of letters 'A',
    // 'B' and '0' only.
    std::optional<BigCount> exactByPowers(const std::vector<std::vector<BranchStep>>& steps,
                                          long long reduced, Progress* progress) const {
        BigCount found = 0;
        std::vector<ValueGroup> groups(groups_.size());
        for (const auto& [d, mu] : squarefreeDivisors(reduced)) {
            const long long need = (reduced * r_ + d - 1) / d;
            for (int plain = 0; plain < (options_.exceptOnlyAB ? 2 : 1); ++plain) {
                for (std::size_t g = 0; g < groups_.size(); ++g) {
                    groups[g].copies = groups_[g].size;
                    groups[g].values.clear();
                    for (const BranchStep& step : steps[g]) {
                        if (step.z % d == 0 && !(plain == 1 && step.marks)) {
                            groups[g].values.push_back(step.z / d);
                        }
                    }
                }
                const std::optional<BigCount> value = admittedExactly(groups, need, progress);
                if (!value) return std::nullopt;
                if ((mu > 0) == (plain == 0)) {
                    found += *value;
                } else {
                    found -= *value;
                }
            }
        }
        return found;
    }

    static void widen(SubdivisorTally& tally) {
        if (tally.wide) return;
        tally.large = bigCountOf(tally.count);
        tally.wide = true;
    }

    static void addWide(SubdivisorTally& tally, WideCount found) {
        if (!tally.wide && found < kWideCountMax - tally.count) {
            tally.count += found;
            return;
        }
        widen(tally);
        tally.large += bigCountOf(found);
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
    static void add(BigCount& to, const BigCount& from) {
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

// Counting by runs. For one k and one ell, with K = k / ell, the vectors z = y / ell whose gcd
// with K is 1 are, by Moebius inversion, the sum over the squarefree d dividing K of mu(d) times
// the vectors whose z's are all multiples of d; that drops the running gcd from the tables. The
// allowed z's of a branch come in runs (the 'A' letters hold on whole stretches of y), and adding
// a branch whose values fill a run is a difference of prefix sums, so a branch costs the length
// of the table once per run instead of once per value. The last two branches are not added at
// all: the vectors they admit are read off twice-summed prefix sums of the table, one look per
// pair of runs. The signed terms are taken modulo 2^128 (2^64 below kNarrowBound), which gives
// the true count while the number of vectors, bounded by vectorBound, stays below kRunCountBound;
// larger counts go to CoreCount.

constexpr double kRunCountBound = 0x1p120;
constexpr double kNarrowBound = 0x1p62;

// Past this much memory for the tables kept for the first branches of a fiber list and the runs
// kept for every part, its fibers are counted one by one.
constexpr double kMaxSharedBytes = 256.0 * 1024 * 1024;

// About what the runs of one part take for one (slot, d): two starts, a bound and two runs.
constexpr double kStepBytes = 48;

// The values w from lo to hi that one branch may take. They are at most m - 1 <= 10000, so 32
// bits hold them: the runs of every part kept for a census take half the room.
struct Run {
    std::int32_t lo = 0;
    std::int32_t hi = 0;
};

Run runOf(long long lo, long long hi) {
    return {static_cast<std::int32_t>(lo), static_cast<std::int32_t>(hi)};
}

// One core multiplicity k with one ell dividing it.
struct Slot {
    int k = 0;
    long long ell = 0;
    long long need = 0;                             // (k / ell) r, the admission sum of the z's
    std::vector<std::pair<long long, int>> mobius;  // the squarefree d dividing k / ell, mu(d)
};

std::vector<std::pair<long long, int>> squarefreeDivisors(long long n) {
    std::vector<std::pair<long long, int>> found{{1, 1}};
    for (long long p = 2; p <= n; ++p) {
        if (p * p > n) p = n;
        if (n % p != 0) continue;
        while (n % p == 0) n /= p;
        const std::size_t before = found.size();
        for (std::size_t i = 0; i < before; ++i) {
            found.emplace_back(found[i].first * p, -found[i].second);
        }
    }
    return found;
}

std::vector<Slot> slotsOf(int m, long long r, const SubdivisorOptions& options) {
    std::vector<Slot> slots;
    for (int k = m - 1; k >= 1; --k) {
        for (long long ell : divisorsOf(k)) {
            if (!passesEllFilter(options.ellFilter, ell)) continue;
            slots.push_back({k, ell, k / ell * r, squarefreeDivisors(k / ell)});
        }
    }
    return slots;
}

// The z's one branch allows in one slot: all of them, and those with a letter 'A', 'B' or '0'.
struct SlotSteps {
    std::vector<Run> all;
    std::vector<Run> plain;
};

void appendValue(std::vector<Run>& runs, long long z) {
    if (!runs.empty() && runs.back().hi + 1 == z) {
        ++runs.back().hi;
    } else {
        runs.push_back(runOf(z, z));
    }
}

// The same from the letter rule of every y from 0 to the bound of the slot's k, which does not
// depend on ell, so the slots of one k follow the branch once.
// The y below `fixedBelow` have letter '0' or 'A' whatever ell is: they are taken as one run.
void slotSteps(std::span<const BranchLetterRule> rules, long long fixedBelow, const Slot& slot,
               bool onlyABC, SlotSteps& steps) {
    steps.all.clear();
    steps.plain.clear();
    const auto bound = static_cast<long long>(rules.size()) - 1;
    const long long fixedRun = (fixedBelow - 1) / slot.ell;  // the z of the fixed y, 0 up to it
    steps.all.push_back(runOf(0, fixedRun));
    steps.plain.push_back(runOf(0, fixedRun));
    for (long long y = (fixedRun + 1) * slot.ell; y <= bound; y += slot.ell) {
        const char letter = rules[static_cast<std::size_t>(y)].at(slot.ell);
        if (onlyABC && letter == '?') continue;
        appendValue(steps.all, y / slot.ell);
        if (letter != 'C' && letter != '?') appendValue(steps.plain, y / slot.ell);
    }
}

// The letter rule of Y's chain on the branch for core multiplicity k and every y up to the
// bound; answers the least y whose letter depends on ell (past the bound when none does).
long long chainRules(const BranchShape& shape, int k, std::vector<BranchLetterRule>& rules) {
    const long long bound = std::max(0LL, std::min<long long>(shape.firstMultiplicity(), k));
    rules.resize(static_cast<std::size_t>(bound) + 1);
    long long fixedBelow = bound + 1;
    for (long long y = bound; y >= 0; --y) {
        BranchLetterRule& rule = rules[static_cast<std::size_t>(y)];
        rule = branchLetterRule(y, shape.end(k, y));
        if (rule.fixed == 0) fixedBelow = y;
    }
    return fixedBelow;
}

void slotSteps(const BranchShape& shape, const Slot& slot, bool onlyABC, SlotSteps& steps) {
    steps.all.clear();
    steps.plain.clear();
    const long long bound = std::max(0LL, std::min<long long>(shape.firstMultiplicity(), slot.k));
    for (long long y = 0; y <= bound; y += slot.ell) {
        const char letter = branchLetter(y, shape.follow(slot.k, y), slot.ell);
        if (onlyABC && letter == '?') continue;
        appendValue(steps.all, y / slot.ell);
        if (letter != 'C' && letter != '?') appendValue(steps.plain, y / slot.ell);
    }
}

// The runs of the multiples of d among the z's, as w = z / d.
void multiplesOf(const std::vector<Run>& runs, long long d, std::vector<Run>& to) {
    to.clear();
    for (const Run& run : runs) {
        const Run w = runOf((run.lo + d - 1) / d, run.hi / d);
        if (w.lo <= w.hi) to.push_back(w);
    }
}

// The runs of a branch turned round: how far each value falls short of `largest`.
void mirror(std::vector<Run>& runs, long long largest) {
    for (Run& run : runs) run = runOf(largest - run.hi, largest - run.lo);
}

long long largestValue(std::span<const Run> runs) {
    long long largest = -1;
    for (const Run& run : runs) largest = std::max<long long>(largest, run.hi);
    return largest;
}

// A table of vectors by their total. Summed: the total of the w's, the last cell holding every
// total from there on (those are admitted). Shortfall: how far the w's fall short of each
// branch's largest one, kept up to the last cell (those are admitted). Cells past `reach` are 0
// (-1: the table is empty).
template <typename Number>
struct RunTable {
    bool shortfall = false;
    long long reach = 0;
    std::vector<Number> cells;

    long long last() const { return static_cast<long long>(cells.size()) - 1; }

    void start(bool isShortfall, long long lastCell) {
        shortfall = isShortfall;
        reach = 0;
        cells.assign(static_cast<std::size_t>(lastCell) + 1, Number(0));
        cells[0] = 1;
    }
};

// `to` becomes `from` with one more branch whose values fill `runs`.
template <typename Number>
void addBranch(const RunTable<Number>& from, std::span<const Run> runs, RunTable<Number>& to,
               std::vector<Number>& prefix) {
    const long long last = from.last();
    const long long reach = from.reach;
    const long long newReach =
        reach < 0 || runs.empty() ? -1 : std::min(last, reach + largestValue(runs));
    if (to.cells.size() != from.cells.size()) {
        to.cells.assign(from.cells.size(), Number(0));
        to.reach = -1;
    }
    std::fill(to.cells.begin(), to.cells.begin() + std::max(to.reach, newReach) + 1, Number(0));
    to.shortfall = from.shortfall;
    to.reach = newReach;
    if (newReach < 0) return;
    prefix.resize(static_cast<std::size_t>(reach) + 2);
    prefix[0] = 0;
    for (long long t = 0; t <= reach; ++t) prefix[t + 1] = prefix[t] + from.cells[t];
    const long long shifted = from.shortfall ? last + 1 : last;  // cells reached by shifting only
    Number* cells = to.cells.data();
    for (const Run& run : runs) {
        const long long end = std::min(shifted - 1, reach + run.hi);
        for (long long u = run.lo; u <= end; ++u) {
            cells[u] += prefix[std::min(u - run.lo, reach) + 1] - prefix[std::max(0LL, u - run.hi)];
        }
        if (from.shortfall) continue;
        for (long long t = std::max(0LL, last - run.hi); t <= reach; ++t) {
            const long long count = run.hi - std::max<long long>(run.lo, last - t) + 1;
            cells[last] += from.cells[t] * static_cast<Number>(count);
        }
    }
}

// The vectors of a table that two more branches complete to admitted ones, with one look per
// pair of runs: F(s) is the number the table holds that a further total s admits, G its prefix
// sums and H theirs, so a pair of runs takes four values of H.
template <typename Number>
class PairSums {
  public:
    void reset(const RunTable<Number>& table) {
        const std::size_t size = table.cells.size();
        last_ = static_cast<long long>(size) - 1;
        Number total = 0;
        for (long long t = 0; t <= table.reach; ++t) total += table.cells[t];
        beyond_ = table.shortfall ? 0 : total;
        g_.resize(size + 1);
        h_.resize(size + 2);
        g_[0] = 0;
        h_[0] = 0;
        // Summed: F(s) = the cells from last - s on. Shortfall: the cells up to last - s.
        Number past = 0;  // the cells after last - s
        for (std::size_t s = 0; s < size; ++s) {
            const Number upTo = total - past;
            past += table.cells[size - 1 - s];
            g_[s + 1] = g_[s] + (table.shortfall ? upTo : past);
            h_[s + 1] = h_[s] + g_[s];
        }
        h_[size + 1] = h_[size] + g_[size];
    }

    // The vectors of the table with a first further value in `a` and a second in `b`.
    Number pair(const Run& a, const Run& b) const {
        return h(a.hi + b.hi + 2) - h(a.lo + b.hi + 1) - h(a.hi + b.lo + 1) + h(a.lo + b.lo);
    }

  private:
    // H(s) = G(0) + ... + G(s - 1); past the table F stays at `beyond_`.
    Number h(long long s) const {
        const long long end = last_ + 2;
        if (s <= end) return h_[static_cast<std::size_t>(s)];
        const Number n = static_cast<Number>(s - end);
        return h_[static_cast<std::size_t>(end)] + n * g_[static_cast<std::size_t>(last_ + 1)] +
               beyond_ * static_cast<Number>((s - end) * (s - end + 1) / 2);
    }

    long long last_ = 0;
    Number beyond_ = 0;
    std::vector<Number> g_;
    std::vector<Number> h_;
};

template <typename Number>
Number pairTotal(const PairSums<Number>& sums, std::span<const Run> a, std::span<const Run> b) {
    Number found = 0;
    for (const Run& x : a) {
        for (const Run& y : b) found += sums.pair(x, y);
    }
    return found;
}

// The count of one slot at a time, with its tables kept for the next slot.
template <typename Number>
class SlotCounter {
  public:
    // The count of one slot over branches given by their steps, in branch order (at least two);
    // nothing when cancelled.
    std::optional<Number> count(const Slot& slot, const std::vector<const SlotSteps*>& branches,
                                bool exceptOnlyAB, Progress* progress) {
        const std::size_t b = branches.size();
        all_.resize(b);
        plain_.resize(b);
        Number found = 0;
        for (const auto& [d, mu] : slot.mobius) {
            if (stopRequested(progress)) return std::nullopt;
            long long top = 0;
            for (std::size_t j = 0; j < b; ++j) {
                multiplesOf(branches[j]->all, d, all_[j]);  // holds 0 at least: '0' is allowed
                top += all_[j].back().hi;
            }
            const long long need = (slot.need + d - 1) / d;
            if (top < need) continue;
            if (exceptOnlyAB) {
                for (std::size_t j = 0; j < b; ++j) multiplesOf(branches[j]->plain, d, plain_[j]);
            }
            // The shorter table, as CoreCount chooses its form.
            const long long slack = top - need;
            const bool shortfall = slack <= need;
            if (shortfall) {
                for (std::size_t j = 0; j < b; ++j) {
                    const long long largest = all_[j].back().hi;
                    mirror(all_[j], largest);
                    if (exceptOnlyAB) mirror(plain_[j], largest);
                }
            }
            const long long last = shortfall ? slack : need;
            std::optional<Number> value = admitted(all_, shortfall, last, progress);
            if (!value) return std::nullopt;
            if (exceptOnlyAB) {
                const std::optional<Number> onlyAB = admitted(plain_, shortfall, last, progress);
                if (!onlyAB) return std::nullopt;
                *value -= *onlyAB;
            }
            found += mu > 0 ? *value : Number(0) - *value;
        }
        return found;
    }

  private:
    // The admitted vectors over branches with these runs, in a table of this form.
    std::optional<Number> admitted(const std::vector<std::vector<Run>>& runs, bool shortfall,
                                   long long last, Progress* progress) {
        table_.start(shortfall, last);
        const std::size_t added = runs.size() - 2;
        for (std::size_t j = 0; j < added; ++j) {
            if (stopRequested(progress)) return std::nullopt;
            addBranch(table_, runs[j], next_, prefix_);
            std::swap(table_, next_);
        }
        pairs_.reset(table_);
        return pairTotal(pairs_, runs[added], runs[added + 1]);
    }

    std::vector<std::vector<Run>> all_;
    std::vector<std::vector<Run>> plain_;
    RunTable<Number> table_;
    RunTable<Number> next_;
    std::vector<Number> prefix_;
    PairSums<Number> pairs_;
};

// An upper bound on the vectors of every slot: each branch takes at most (its first
// multiplicity, capped at m - 1) + 1 values.
double vectorBound(std::size_t slots, int m, std::span<const int> firsts) {
    double bound = static_cast<double>(slots);
    for (int a : firsts) bound *= std::clamp(a, 0, std::max(0, m - 1)) + 1;
    return bound;
}

template <typename Number>
std::optional<SubdivisorTally> tallyByRuns(const FiberData& x, const std::vector<Slot>& slots,
                                           const SubdivisorOptions& options, Progress* progress,
                                           bool reportFraction) {
    // Branches with the same chain share their steps.
    std::vector<std::size_t> groupOfBranch;
    const std::vector<BranchGroup> groups = groupsOf(x, groupOfBranch);
    const double total = squaresBelow(x.m);
    double done = 0;
    SubdivisorTally result;
    std::vector<SlotSteps> steps(groups.size());
    std::vector<const SlotSteps*> branches;
    for (std::size_t i : groupOfBranch) branches.push_back(&steps[i]);
    SlotCounter<Number> counter;
    for (std::size_t s = 0; s < slots.size(); ++s) {
        const Slot& slot = slots[s];
        for (std::size_t i = 0; i < groups.size(); ++i) {
            slotSteps(groups[i].shape, slot, options.onlyABC, steps[i]);
        }
        const std::optional<Number> found =
            counter.count(slot, branches, options.exceptOnlyAB, progress);
        if (!found) {
            result.cancelled = true;
            return result;
        }
        result.count += *found;
        if (s + 1 == slots.size() || slots[s + 1].k != slot.k) {
            done += static_cast<double>(slot.k) * slot.k;
            if (progress != nullptr && reportFraction) progress->setFraction(done / total);
        }
    }
    if (progress != nullptr && reportFraction) progress->setFraction(1.0);
    return result;
}

// The count by runs, or nothing when it could pass kRunCountBound (or there are fewer than two
// branches); a count cancelled halfway says so.
std::optional<SubdivisorTally> tallyByRuns(const FiberData& x, const SubdivisorOptions& options,
                                           Progress* progress, bool reportFraction) {
    if (x.chains.size() < 2 || x.r < 1) return std::nullopt;
    const std::vector<Slot> slots = slotsOf(x.m, x.r, options);
    const double bound = vectorBound(slots.size(), x.m, x.firstMultiplicities());
    if (bound >= kRunCountBound) return std::nullopt;
    if (bound < kNarrowBound) {
        return tallyByRuns<std::uint64_t>(x, slots, options, progress, reportFraction);
    }
    return tallyByRuns<WideCount>(x, slots, options, progress, reportFraction);
}

// The runs of the parts are kept for core multiplicities up to this, whose values fit 16 bits.
constexpr int kMaxRunsM = 32767;

// A shortfall below this is held as a bit of a mask (and a slack below it counted with them).
constexpr long long kSmallSlack = 16;

// A part's deficit in a table of d > 1 (see PartSteps), and the deficits of the first parts added
// up, are kept in a byte, this meaning this much or more.
constexpr long long kDeficitCap = 255;

// The shortfalls below kSmallSlack from `largest` that the runs (ascending) allow, as bits.
std::uint32_t shortfallMask(std::span<const Run> runs, long long largest) {
    std::uint32_t mask = 0;
    for (auto run = runs.rbegin(); run != runs.rend() && largest - run->hi < kSmallSlack; ++run) {
        const long long end = std::min(kSmallSlack - 1, largest - run->lo);
        for (long long v = largest - run->hi; v <= end; ++v) mask |= std::uint32_t{1} << v;
    }
    return mask;
}

// The runs of w of one part, for every (slot, d) in order: table t's runs of every allowed value,
// and those of the letters 'A', 'B', '0' when the options count them apart. Every list holds 0
// (letter '0'), so a list of one run is {0, h}: nearly all are, and they are held as that h
// alone, read from `zeroRuns`, which the parts of one m share. A longer list is held in `runs`
// after a run whose lo is the number of runs. A census of a large genus keeps the lists of
// every part of the largest m, thousands of tables each, so they are kept small.
struct PartSteps {
    static constexpr std::uint32_t kOneRun = std::uint32_t{1} << 31;

    std::vector<Run> runs;               // of the longer lists, each after a run {count, 0}
    std::vector<std::uint32_t> starts;   // by list: kOneRun | h, or where it starts in `runs`
    std::vector<std::uint16_t> masks;    // by list: shortfallMask of its runs below `largest`
    std::vector<std::int16_t> largests;  // by table: its largest w (below m <= kMaxRunsM)
    // The largest w of the first table (d = 1) of each slot, side by side: a fiber's tables are
    // picked by running through these.
    std::vector<std::int32_t> slotLargest;
    // By table of d > 1, in order (the tables of each slot after its first): how far d times its
    // largest w falls short of the largest value of the slot's first table, at most kDeficitCap.
    std::vector<std::uint8_t> deficits;
    const Run* zeroRuns = nullptr;  // zeroRuns[h] = {0, h}
    bool withPlain = false;         // the lists of 'A', 'B', '0' are kept (after each table's)

    // The largest w of table t's allowed values.
    long long largest(std::size_t t) const { return largests[t]; }

    // The shortfalls below kSmallSlack from table t's largest value that a list allows, as bits.
    std::uint32_t mask(std::size_t t, bool plain) const {
        if (!withPlain) return plain ? 0 : masks[t];
        return masks[2 * t + (plain ? 1 : 0)];
    }

    std::span<const Run> all(std::size_t t) const { return slice(withPlain ? 2 * t : t); }
    std::span<const Run> plain(std::size_t t) const {
        return withPlain ? slice(2 * t + 1) : std::span<const Run>{};
    }

    // Adds the next list of a table whose allowed values reach `tableLargest`.
    void add(const std::vector<Run>& list, long long tableLargest) {
        if (list.size() == 1 && list.front().hi == tableLargest) {
            // {0, h}: every shortfall from 0 to h.
            const long long top = std::min(kSmallSlack - 1, tableLargest);
            masks.push_back(static_cast<std::uint16_t>((std::uint32_t{2} << top) - 1));
        } else {
            masks.push_back(static_cast<std::uint16_t>(shortfallMask(list, tableLargest)));
        }
        if (list.size() == 1) {
            starts.push_back(kOneRun | static_cast<std::uint32_t>(list.front().hi));
            return;
        }
        starts.push_back(static_cast<std::uint32_t>(runs.size()));
        runs.push_back(runOf(static_cast<long long>(list.size()), 0));
        runs.insert(runs.end(), list.begin(), list.end());
    }

  private:
    std::span<const Run> slice(std::size_t i) const {
        const std::uint32_t start = starts[i];
        if ((start & kOneRun) != 0) return {zeroRuns + (start & ~kOneRun), 1};
        return {runs.data() + start + 1, static_cast<std::size_t>(runs[start].lo)};
    }
};
}  // namespace

// The runs of every part met so far, made under a lock the first time a part is asked for and
// read without one after that.
struct PartRuns::Held {
    int m = 0;
    SubdivisorOptions options;
    std::vector<Slot> slots;
    std::vector<std::atomic<const PartSteps*>> made;
    std::vector<std::unique_ptr<PartSteps>> steps;
    std::vector<Run> zeroRuns;  // {0, h} for every h below m
    std::mutex making;

    const PartSteps& of(int a) {
        const auto i = static_cast<std::size_t>(a);
        if (const PartSteps* ready = made[i].load(std::memory_order_acquire)) return *ready;
        const std::lock_guard<std::mutex> lock(making);
        if (const PartSteps* ready = made[i].load(std::memory_order_relaxed)) return *ready;
        steps[i] = build(a);
        made[i].store(steps[i].get(), std::memory_order_release);
        return *steps[i];
    }

    std::unique_ptr<PartSteps> build(int a) const {
        auto held = std::make_unique<PartSteps>();
        held->zeroRuns = zeroRuns.data();
        held->withPlain = options.exceptOnlyAB;
        const BranchShape shape(m, branchChain(m, a));
        SlotSteps z;
        std::vector<Run> w;
        std::vector<BranchLetterRule> rules;
        int rulesOf = 0;  // the k of `rules`
        long long fixedBelow = 0;
        long long slotLargest = 0;
        for (const Slot& slot : slots) {
            if (slot.k != rulesOf) {
                fixedBelow = chainRules(shape, slot.k, rules);
                rulesOf = slot.k;
            }
            slotSteps(rules, fixedBelow, slot, options.onlyABC, z);
            for (const auto& [d, mu] : slot.mobius) {
                multiplesOf(z.all, d, w);
                const long long largest = largestValue(w);
                if (d == 1) {
                    slotLargest = largest;
                    held->slotLargest.push_back(static_cast<std::int32_t>(largest));
                } else {
                    held->deficits.push_back(static_cast<std::uint8_t>(
                        std::min<long long>(kDeficitCap, slotLargest - d * largest)));
                }
                held->largests.push_back(static_cast<std::int16_t>(largest));
                held->add(w, largest);
                if (options.exceptOnlyAB) {
                    multiplesOf(z.plain, d, w);
                    held->add(w, largest);
                }
            }
        }
        held->runs.shrink_to_fit();
        held->starts.shrink_to_fit();
        held->slotLargest.shrink_to_fit();
        held->deficits.shrink_to_fit();
        held->masks.shrink_to_fit();
        held->largests.shrink_to_fit();
        return held;
    }
};

PartRuns::PartRuns(int m, const SubdivisorOptions& options) : held_(std::make_unique<Held>()) {
    held_->m = m;
    held_->options = options;
    // The slots' admission sums depend on r, their values do not: r = 1 stands for every r.
    held_->slots = slotsOf(m, 1, options);
    held_->made =
        std::vector<std::atomic<const PartSteps*>>(static_cast<std::size_t>(std::max(m, 1)));
    held_->steps.resize(static_cast<std::size_t>(std::max(m, 1)));
    for (int h = 0; h <= std::max(m, 1); ++h) held_->zeroRuns.push_back(runOf(0, h));
}

PartRuns::~PartRuns() = default;

int PartRuns::m() const {
    return held_->m;
}

const SubdivisorOptions& PartRuns::options() const {
    return held_->options;
}

namespace {

// What count answers: the count, a cancelled count, or a fiber this walk does not take (a
// part outside 1 ... m - 1, or a bound on its vectors of at least `limit`).
struct PrefixAnswer {
    bool taken = false;
    bool cancelled = false;
    WideCount count = 0;
};

// The count of a fiber of a list, table by table ((slot, d) in order), with the work on the first
// parts kept for the fibers after it. A table needs only the sum of the largest values of the
// parts to be ruled out; what that sum over the first parts lacks of the need is kept for the first
// table of every slot along them. A table that some vector reaches is counted one of two ways:
// - by shortfall, when the largest values overshoot the admission sum only by a little (the
//   slack): the vectors are those whose values fall short of the largest ones by at most the
//   slack, a table of slack + 1 cells over all parts. In a census of one genus nearly every
//   table is of this kind, most with slack 0, which admits the one vector of largest values;
// - otherwise by the summed form kept for the first parts, which depends on those parts and on
//   k, ell, d and r only: its cells are made only when a fiber needs them, and the last two
//   parts are read off its twice-summed prefix sums.
// Slacks below kSmallSlack are counted with the shortfalls of a part as the bits of a mask, and
// the product of those of the first parts is kept for the fibers after it.
template <typename Number>
class SharedPrefix {
    using ShortPolynomial = std::array<Number, kSmallSlack>;

  public:
    SharedPrefix(std::shared_ptr<PartRuns> runs, const std::vector<Slot>& slots,
                 std::vector<long long> needs)
        : runs_(std::move(runs)), options_(runs_->options()), needs_(std::move(needs)) {
        for (const Slot& slot : slots) {
            slotStarts_.push_back(static_cast<std::uint32_t>(negative_.size()));
            // The sums of largest values stay below 2^31 (PrefixTally sees to it), so a need
            // past that is never reached, whatever it is.
            slotNeeds_.push_back(static_cast<std::int32_t>(
                std::min<long long>(needs_[slotStarts_.back()], INT32_MAX)));
            for (const auto& [d, mu] : slot.mobius) {
                negative_.push_back(mu < 0);
                divisors_.push_back(d);
            }
        }
        levels_.push_back(startLevel());
        shortBuilt_.resize(needs_.size());
        levels_[0].gap.assign(slotNeeds_.begin(), slotNeeds_.end());
        levels_[0].deficits.assign(needs_.size() - slots.size(), 0);
        levels_[0].made.assign(needs_.size(), levels_[0].stamp);
        levels_[0].bound = static_cast<double>(slots.size());
    }

    // The count of a fiber with these parts (at least two); its bound on the vectors is that of
    // vectorBound, worked out along the first parts as they are kept.
    PrefixAnswer count(std::span<const int> parts, double limit, int m, Progress* progress) {
        const std::size_t depth = parts.size() - 2;
        const std::size_t kept = std::min(prefix_.size(), depth);
        const std::size_t common = static_cast<std::size_t>(
            std::mismatch(prefix_.begin(), prefix_.begin() + static_cast<std::ptrdiff_t>(kept),
                          parts.begin())
                .first -
            prefix_.begin());
        // Without the last two parts of the fiber before, and the parts past those in common.
        // (Erasing the end, unlike resize, stays inline: this runs for every fiber.)
        prefixSteps_.erase(prefixSteps_.begin() + static_cast<std::ptrdiff_t>(common),
                           prefixSteps_.end());
        if (common < prefix_.size()) {
            prefix_.erase(prefix_.begin() + static_cast<std::ptrdiff_t>(common), prefix_.end());
            ++generation_;
        }
        const auto outside = [m](int a) { return a < 1 || a >= m; };
        while (prefix_.size() < depth) {
            ++generation_;
            const int a = parts[prefix_.size()];
            if (outside(a)) return {};
            if (!extend(a, progress)) return {true, true, 0};
        }
        const int a1 = parts[depth];
        const int a2 = parts[depth + 1];
        if (outside(a1) || outside(a2)) return {};
        const Level& level = levels_[depth];
        // Past the bound by the product of the parts' choices, a fiber may still be taken by
        // the bound of its shortfalls, once its tables are known.
        const bool byShortfalls = level.bound * (a1 + 1) * (a2 + 1) >= limit;
        if (byShortfalls && !boundByShortfalls_) return {};
        if (stopRequested(progress)) return {true, true, 0};
        const PartSteps& first = stepsOf(a1);
        const PartSteps& second = stepsOf(a2);
        prefixSteps_.push_back(&first);
        prefixSteps_.push_back(&second);
        if (pairsMade_.size() != needs_.size()) {
            pairsMade_.assign(needs_.size(), 0);
            pairAll_.resize(needs_.size());
            pairPlain_.resize(options_.exceptOnlyAB ? needs_.size() : 0);
        }
        // The tables some vector reaches, picked without a branch per slot. A slot's first table
        // (d = 1) bounds the others: the largest multiple of d a part allows is at most its
        // largest value, so the sum of the w = z / d is at most top / d, below need / d when top
        // is below need. The other tables of a slot that passes are tried with their own sum.
        // The test runs over all slots in 32 bits, which the compiler does several slots at a
        // time; the few slots that pass are then picked out eight flags at a time.
        const std::size_t slots = slotStarts_.size();
        candidates_.resize(slots);
        reachedFlags_.resize((slots + 7) / 8 * 8, 0);
        std::size_t reached = 0;
        {
            const std::int32_t* gap = level.gap.data();
            const std::int32_t* one = first.slotLargest.data();
            const std::int32_t* two = second.slotLargest.data();
            std::uint8_t* flags = reachedFlags_.data();
            for (std::size_t slot = 0; slot < slots; ++slot) {
                flags[slot] = one[slot] + two[slot] >= gap[slot] ? 1 : 0;
            }
            std::uint32_t* candidates = candidates_.data();
            for (std::size_t group = 0; group < slots; group += 8) {
                std::uint64_t eight = 0;
                std::memcpy(&eight, flags + group, sizeof eight);
                for (; eight != 0; eight &= eight - 1) {
                    const int byte = std::countr_zero(eight) / 8;
                    candidates[reached++] = static_cast<std::uint32_t>(
                        group + (std::endian::native == std::endian::little ? byte : 7 - byte));
                }
            }
        }
        tables_.resize(needs_.size());  // room for every table, filled up to `tried`
        std::size_t tried = 0;
        for (std::size_t i = 0; i < reached; ++i) {
            const std::size_t slot = candidates_[i];
            const std::size_t t = slotStarts_[slot];
            const long long slotTop = slotNeeds_[slot] - level.gap[slot] + first.slotLargest[slot] +
                                      second.slotLargest[slot];
            tables_[tried++] = {t, slotTop};
            const std::size_t end = slot + 1 < slots ? slotStarts_[slot + 1] : needs_.size();
            // A table of d > 1 has need / d for its need (d divides k / ell). Each part's
            // largest w times d falls short of its largest value by the part's deficit, so the
            // table's sum times d is slotTop less the deficits of all parts: it is reached when
            // those stay within the first table's slack. The level holds the first parts' sum.
            const long long slack = slotTop - needs_[t];
            for (std::size_t u = t + 1; u < end; ++u) {
                const std::size_t q = u - slot - 1;  // the table's place among those of d > 1
                const long long deficit = static_cast<long long>(level.deficits[q]) +
                                          first.deficits[q] + second.deficits[q];
                if (deficit > slack) continue;  // a capped deficit is at most the true one
                long long top = 0;
                if (deficit < kDeficitCap) {
                    top = (slotTop - deficit) / divisors_[u];
                } else {
                    for (const PartSteps* part : prefixSteps_) top += part->largest(u);
                    if (top < needs_[u]) continue;
                }
                tables_[tried++] = {u, top};
            }
        }
        const double partCount = static_cast<double>(parts.size());
        if (byShortfalls && shortfallBound(tried, parts.size(), limit) >= limit) return {};
        Number found = 0;
        for (std::size_t i = 0; i < tried; ++i) {
            // A stop within milliseconds even when every table is long.
            if (i % 64 == 63 && stopRequested(progress)) return {true, true, 0};
            const std::size_t t = tables_[i].first;
            // The cheaper way: a shortfall table costs about (slack + 1) cells per part, the
            // summed form about four passes over its cells when the first parts have changed
            // and one look per pair of runs when they have not. A slack below kSmallSlack is
            // counted with the masks of the parts, and their products kept along the prefix:
            // cheaper than summed tables made again over the changed parts.
            const long long slack = tables_[i].second - needs_[t];
            const bool summed =
                pairsMade_[t] == generation_ ||
                (slack >= kSmallSlack && static_cast<double>(slack + 1) * partCount >
                                             4.0 * static_cast<double>(needs_[t] + 1));
            const Number value =
                summed ? bySums(depth, t, first, second) : byShortfall(depth, t, slack);
            found += negative_[t] ? Number(0) - value : value;
        }
        return {true, false, static_cast<WideCount>(found)};
    }

    // Whether a fiber past the product bound is taken when its shortfalls bound its count.
    void boundByShortfalls(bool on) { boundByShortfalls_ = on; }

  private:
    // A bound on the count of a fiber from the tables it reaches: a vector of a table falls short
    // of the parts' largest values by at most the slack in all, and the vectors of b whole
    // numbers >= 0 adding up to at most s are C(s + b, b) in number. The count is at most the sum
    // of these over the tables (those of d = 1 alone hold every vector counted), so when that
    // stays below `limit` the count taken modulo 2^64 or 2^128 is the count itself. Answers
    // `limit` as soon as it is reached.
    double shortfallBound(std::size_t tried, std::size_t parts, double limit) const {
        const auto b = static_cast<double>(parts);
        double bound = 0;
        for (std::size_t i = 0; i < tried; ++i) {
            const long long slack = tables_[i].second - needs_[tables_[i].first];
            double ways = 1;
            for (long long s = 1; s <= slack && ways < limit; ++s) {
                ways = ways * (b + static_cast<double>(s)) / static_cast<double>(s);
            }
            bound += ways;
            if (bound >= limit) return limit;
        }
        return bound;
    }

    // The tables after the first j parts: the sum of the parts' largest values for every table
    // (every part allows 0, letter '0', so each has one), and the summed form of a table when a
    // fiber has needed it.
    struct Level {
        std::vector<RunTable<Number>> all;
        std::vector<RunTable<Number>> plain;
        // By slot: its first table's need less that sum, so that a fiber's last two parts reach
        // the table when their largest values add up to at least this.
        std::vector<std::int32_t> gap;
        // By table of d > 1: the deficits of the parts added up (see PartSteps), at most
        // kDeficitCap.
        std::vector<std::uint8_t> deficits;
        std::vector<std::uint64_t> made;  // by table: `stamp` when its cells are this level's
        std::uint64_t stamp = 0;          // new each time the level's part changes
        double bound = 0;                 // vectorBound's product up to here
        // By table: the vectors of the first parts by their shortfall below kSmallSlack, of all
        // values and of 'A', 'B', '0' only; this level's up to shortCount when shortMade is
        // `stamp`.
        std::vector<ShortPolynomial> shortAll;
        std::vector<ShortPolynomial> shortPlain;
        std::vector<std::uint64_t> shortMade;
        std::vector<std::uint8_t> shortCount;
    };

    // Level 0 holds the tables of no parts (the empty vector, total 0); the cells of every
    // level are sized when first made.
    Level startLevel() const {
        Level level;
        level.all.resize(needs_.size());
        level.plain.resize(options_.exceptOnlyAB ? needs_.size() : 0);
        return level;
    }

    // Level 0's table t, made when a fiber first needs it: most tables are only ever counted
    // by shortfall, and all of them at once would take need + 1 cells each.
    void startTable(std::size_t t) {
        Level& level = levels_[0];
        if (!level.all[t].cells.empty()) return;
        level.all[t].start(false, needs_[t]);
        if (options_.exceptOnlyAB) level.plain[t].start(false, needs_[t]);
    }

    // Adds part a to the last level of the prefix: the gaps its largest values close, and a new
    // stamp that marks the cells of the level as not yet made; false when cancelled.
    bool extend(int a, Progress* progress) {
        if (stopRequested(progress)) return false;
        const std::size_t j = prefix_.size();
        if (levels_.size() < j + 2) levels_.push_back(startLevel());
        const PartSteps& part = stepsOf(a);
        const Level& from = levels_[j];
        Level& to = levels_[j + 1];
        const std::size_t slots = slotStarts_.size();
        to.gap.resize(slots);
        to.made.resize(needs_.size(), 0);
        to.stamp = ++stamps_;
        to.bound = from.bound * (a + 1);  // a lies in 1 ... m - 1
        // The gaps of the slots' first tables, and the deficits of the others.
        const std::int32_t* before = from.gap.data();
        const std::int32_t* largest = part.slotLargest.data();
        std::int32_t* after = to.gap.data();
        for (std::size_t slot = 0; slot < slots; ++slot) after[slot] = before[slot] - largest[slot];
        const std::size_t others = needs_.size() - slots;
        to.deficits.resize(others);
        const std::uint8_t* had = from.deficits.data();
        const std::uint8_t* adds = part.deficits.data();
        std::uint8_t* sums = to.deficits.data();
        for (std::size_t q = 0; q < others; ++q) {
            sums[q] = static_cast<std::uint8_t>(
                std::min<unsigned>(unsigned{had[q]} + adds[q], unsigned{kDeficitCap}));
        }
        prefix_.push_back(a);
        prefixSteps_.push_back(&part);
        return true;
    }

    // The vectors of table t over every part of the fiber whose values fall short of the
    // largest ones by at most `slack` in all: each part's runs turned round and cut at the slack.
    Number byShortfall(std::size_t depth, std::size_t t, long long slack) {
        Number value = shortfallCount(depth, t, slack, false);
        if (options_.exceptOnlyAB) value -= shortfallCount(depth, t, slack, true);
        return value;
    }

    Number shortfallCount(std::size_t depth, std::size_t t, long long slack, bool plain) {
        if (slack == 0 && !plain) return 1;  // the one vector of largest values
        if (slack <= 2 && !plain) return tinyShortfallCount(t, slack);
        if (slack < kSmallSlack) return smallShortfallCount(depth, t, slack, plain);
        shortfall_.start(true, slack);
        for (const PartSteps* part : prefixSteps_) {
            const long long largest = part->largest(t);
            const std::span<const Run> runs = plain ? part->plain(t) : part->all(t);
            short_.clear();
            for (auto run = runs.rbegin(); run != runs.rend() && largest - run->hi <= slack;
                 ++run) {
                short_.push_back(runOf(largest - run->hi, std::min(slack, largest - run->lo)));
            }
            if (short_.empty()) return 0;
            addBranch(shortfall_, short_, nextShortfall_, scratch_);
            std::swap(shortfall_, nextShortfall_);
        }
        Number total = 0;
        for (long long u = 0; u <= shortfall_.reach; ++u) {
            total += shortfall_.cells[static_cast<std::size_t>(u)];
        }
        return total;
    }

    // The same for a slack of 1 or 2, four in five of the small slacks of a census, read off how
    // many parts allow a shortfall of 1 and of 2: every part allows 0 (its largest value), so a
    // vector is the one of largest values, one part short by 1 or 2, or two parts short by 1.
    // One pass over the masks costs less than bringing the polynomials kept along the prefix up
    // to date, which a table asked for again after a few fibers finds several levels old.
    Number tinyShortfallCount(std::size_t t, long long slack) const {
        Number ones = 0;
        if (slack == 1) {
            for (const PartSteps* part : prefixSteps_) ones += (part->mask(t, false) >> 1) & 1;
            return 1 + ones;
        }
        Number twos = 0;
        for (const PartSteps* part : prefixSteps_) {
            const std::uint32_t mask = part->mask(t, false);
            ones += (mask >> 1) & 1;
            twos += (mask >> 2) & 1;
        }
        return 1 + ones + twos + ones * (ones - 1) / 2;
    }

    // The same for a slack below kSmallSlack: the shortfalls each part allows as the bits of a
    // mask (made once per part and table), multiplied in as polynomials cut at the slack. The
    // polynomial of the first parts is kept with their level, so a fiber whose first parts have
    // not changed adds only its last two parts.
    Number smallShortfallCount(std::size_t depth, std::size_t t, long long slack, bool plain) {
        const auto top = static_cast<std::size_t>(slack);
        const std::uint32_t within = (std::uint32_t{2} << top) - 1;
        const std::uint32_t firstMask = prefixSteps_[depth]->mask(t, plain) & within;
        const std::uint32_t secondMask = prefixSteps_[depth + 1]->mask(t, plain) & within;
        if (firstMask == 0 || secondMask == 0) return 0;
        const ShortPolynomial& before = shortPolynomial(depth, t, top + 1, plain);
        // The vectors of the first parts and the one after them, by shortfall, summed up to
        // each shortfall; the last part then adds one look per shortfall it allows.
        ShortPolynomial upTo;  // made up to `top`, and read no further
        multiplyByMask(before, firstMask, top + 1, upTo, true);
        Number total = 0;
        for (std::uint32_t bits = secondMask; bits != 0; bits &= bits - 1) {
            total += upTo[top - static_cast<std::size_t>(std::countr_zero(bits))];
        }
        return total;
    }

    // The polynomial of the first `depth` parts of the prefix for table t, its first `count`
    // coefficients made from the deepest level that holds them.
    const ShortPolynomial& shortPolynomial(std::size_t depth, std::size_t t, std::size_t count,
                                           bool plain) {
        static const ShortPolynomial kOne{1};
        std::size_t j = depth;
        ShortBuilt& built = shortBuilt_[t];
        std::size_t held = count;  // what every level up to `depth` holds once made
        if (built.count >= count) {
            // Every level up to built.depth held table t to built.count when it was last asked
            // for. A level extended since has a later stamp, and so has every level after it:
            // the levels before the first of those still hold it.
            j = std::min(depth, built.depth);
            while (j > 0 && levels_[j].stamp > built.stamp) --j;
            if (j == depth) held = built.count;
        } else {
            while (j > 0 && !shortMade(j, t, count)) --j;
        }
        built = {stamps_, depth, static_cast<std::uint8_t>(held)};
        for (; j < depth; ++j) {
            Level& to = levels_[j + 1];
            if (to.shortMade.size() != needs_.size()) {
                to.shortMade.assign(needs_.size(), 0);
                to.shortCount.assign(needs_.size(), 0);
                to.shortAll.resize(needs_.size());
                if (options_.exceptOnlyAB) to.shortPlain.resize(needs_.size());
            }
            const PartSteps& part = *prefixSteps_[j];
            for (const bool kind : {false, true}) {
                if (kind && !options_.exceptOnlyAB) break;
                const ShortPolynomial& from = j == 0 ? kOne : shortOf(levels_[j], kind)[t];
                multiplyByMask(from, part.mask(t, kind), count, shortOf(to, kind)[t]);
            }
            to.shortMade[t] = to.stamp;
            to.shortCount[t] = static_cast<std::uint8_t>(count);
        }
        return depth == 0 ? kOne : shortOf(levels_[depth], plain)[t];
    }

    // When table t's polynomial was last asked for: the stamp then, the depth, and the count
    // of coefficients every level up to that depth held.
    struct ShortBuilt {
        std::uint64_t stamp = 0;
        std::size_t depth = 0;
        std::uint8_t count = 0;
    };

    bool shortMade(std::size_t j, std::size_t t, std::size_t count) const {
        const Level& level = levels_[j];
        return t < level.shortMade.size() && level.shortMade[t] == level.stamp &&
               level.shortCount[t] >= count;
    }

    std::vector<ShortPolynomial>& shortOf(Level& level, bool plain) {
        return plain ? level.shortPlain : level.shortAll;
    }

    // The first `count` (at least 1) coefficients of `from` times the sum of x^v over the bits v
    // of `mask`; `summed`: each one added up with those before it.
    static void multiplyByMask(const ShortPolynomial& from, std::uint32_t mask, std::size_t count,
                               ShortPolynomial& to, bool summed = false) {
        mask &= (std::uint32_t{2} << (count - 1)) - 1;
        Number running = 0;
        if ((mask & (mask + 1)) == 0) {
            // The shortfalls 0 ... h, as most parts allow: a sum over a window of h + 1. Most
            // windows are the shortfall 0 alone or reach past the cut.
            const auto width = static_cast<std::size_t>(std::bit_width(mask));
            if (width == 1) {
                for (std::size_t u = 0; u < count; ++u) {
                    running = summed ? running + from[u] : from[u];
                    to[u] = running;
                }
                return;
            }
            if (width >= count) {
                Number window = 0;
                for (std::size_t u = 0; u < count; ++u) {
                    window += from[u];
                    running = summed ? running + window : window;
                    to[u] = running;
                }
                return;
            }
            Number window = 0;
            for (std::size_t u = 0; u < count; ++u) {
                window += from[u];
                if (u >= width) window -= from[u - width];
                running = summed ? running + window : window;
                to[u] = running;
            }
            return;
        }
        for (std::size_t u = 0; u < count; ++u) {
            Number sum = 0;
            for (std::uint32_t bits = mask & ((std::uint32_t{2} << u) - 1); bits != 0;
                 bits &= bits - 1) {
                sum += from[u - static_cast<std::size_t>(std::countr_zero(bits))];
            }
            running = summed ? running + sum : sum;
            to[u] = running;
        }
    }

    // Table t by the summed form of the first parts and the pair sums of the last two.
    Number bySums(std::size_t depth, std::size_t t, const PartSteps& first,
                  const PartSteps& second) {
        const Level& level = levels_[depth];
        if (pairsMade_[t] != generation_) {
            makeTable(depth, t);
            pairAll_[t].reset(level.all[t]);
            if (options_.exceptOnlyAB) pairPlain_[t].reset(level.plain[t]);
            pairsMade_[t] = generation_;
        }
        Number value = pairTotal(pairAll_[t], first.all(t), second.all(t));
        if (options_.exceptOnlyAB) {
            value -= pairTotal(pairPlain_[t], first.plain(t), second.plain(t));
        }
        return value;
    }

    // Works out the cells of table t after the first `depth` parts of the prefix, from the
    // deepest level whose cells of t are made.
    void makeTable(std::size_t depth, std::size_t t) {
        std::size_t j = depth;
        while (j > 0 && levels_[j].made[t] != levels_[j].stamp) --j;
        if (j == 0) startTable(t);
        for (; j < depth; ++j) {
            const PartSteps& part = stepsOf(prefix_[j]);
            Level& to = levels_[j + 1];
            addBranch(levels_[j].all[t], part.all(t), to.all[t], scratch_);
            if (options_.exceptOnlyAB) {
                addBranch(levels_[j].plain[t], part.plain(t), to.plain[t], scratch_);
            }
            to.made[t] = to.stamp;
        }
    }

    const PartSteps& stepsOf(int a) { return runs_->held().of(a); }

    std::shared_ptr<PartRuns> runs_;  // the runs of every part, shared with other tallies of m
    SubdivisorOptions options_;
    std::vector<long long> needs_;        // the admission sum of each table
    std::vector<char> negative_;          // by table: mu(d) = -1
    std::vector<Level> levels_;           // levels_[j]: after the first j parts of prefix_
    std::vector<ShortBuilt> shortBuilt_;  // by table
    std::vector<int> prefix_;
    // The runs of each part of prefix_, then of the last two parts of the fiber counted.
    std::vector<const PartSteps*> prefixSteps_;
    // The pair sums of a table are of the last level when made in this generation.
    std::uint64_t generation_ = 1;
    std::uint64_t stamps_ = 0;
    std::vector<std::uint64_t> pairsMade_;
    std::vector<PairSums<Number>> pairAll_;
    std::vector<PairSums<Number>> pairPlain_;
    std::vector<std::uint32_t> slotStarts_;  // by slot: its first table, that of d = 1
    bool boundByShortfalls_ = false;
    std::vector<std::int32_t> slotNeeds_;     // by slot: the admission sum of its first table
    std::vector<long long> divisors_;         // by table: its d
    std::vector<std::uint32_t> candidates_;   // the slots the fiber counted reaches
    std::vector<std::uint8_t> reachedFlags_;  // by slot, and 0 up to a multiple of 8
    std::vector<std::pair<std::size_t, long long>> tables_;  // those tables, with their sums
    RunTable<Number> shortfall_;
    RunTable<Number> nextShortfall_;
    std::vector<Run> short_;
    std::vector<Number> scratch_;
};

}  // namespace

// The counts are taken in 64 bits where a fiber's bound allows it, by the product of its parts'
// choices or by its shortfalls; a fiber past both is counted in 128 bits by a second walk, made
// when first needed.
struct PrefixTally::Walk {
    std::unique_ptr<SharedPrefix<std::uint64_t>> narrow;
    std::unique_ptr<SharedPrefix<WideCount>> wide;
    // What the wide walk is made from, while it is not.
    std::shared_ptr<PartRuns> runs;
    std::vector<Slot> slots;
    std::vector<long long> needs;

    SharedPrefix<WideCount>& wideWalk() {
        if (!wide) {
            wide =
                std::make_unique<SharedPrefix<WideCount>>(std::move(runs), slots, std::move(needs));
            wide->boundByShortfalls(true);
            slots = {};
        }
        return *wide;
    }
};

PrefixTally::PrefixTally(int m, int r, int b, const SubdivisorOptions& options,
                         std::shared_ptr<PartRuns> runs)
    : m_(m), r_(r), options_(options) {
    // The sums of the parts' largest values, at most (m - 1) b, are kept in 32 bits.
    if (m < 2 || m > kMaxRunsM || r < 1 || b < 2 ||
        static_cast<long long>(m - 1) * b >= INT32_MAX) {
        return;
    }
    if (!runs || runs->m() != m || runs->options() != options) {
        runs = std::make_shared<PartRuns>(m, options);
    }
    std::vector<Slot> slots = slotsOf(m, r, options);
    std::vector<long long> needs;
    double cells = 0;
    for (const Slot& slot : slots) {
        for (const auto& [d, mu] : slot.mobius) {
            needs.push_back((slot.need + d - 1) / d);
            cells += static_cast<double>(needs.back() + 1);
        }
    }
    // The fibers of a list have parts adding up to m r, so (a_1 + 1) ... (a_b + 1) is at most
    // ((m r + b) / b)^b by the means; a fiber outside that bound is still checked on its own.
    const double perPart =
        std::min(static_cast<double>(m), (static_cast<double>(m) * r + b) / static_cast<double>(b));
    const bool narrowOnly =
        static_cast<double>(slots.size()) * std::pow(perPart, static_cast<double>(b)) <
        kNarrowBound;
    // A level per branch but the last two, and the pair sums (two cells per cell) of the last;
    // the runs of every part that may occur.
    const double cellBytes = cells * (options.exceptOnlyAB ? 2 : 1) * static_cast<double>(b + 1);
    const double stepBytes = static_cast<double>(needs.size()) * (m - 1) * kStepBytes;
    const double narrowBytes = cellBytes * sizeof(std::uint64_t);
    const double wideBytes = cellBytes * sizeof(WideCount);
    const bool narrow = narrowOnly ? narrowBytes + stepBytes <= kMaxSharedBytes
                                   : narrowBytes + wideBytes + stepBytes <= kMaxSharedBytes;
    if (!narrow && wideBytes + stepBytes > kMaxSharedBytes) return;
    walk_ = std::make_unique<Walk>();
    if (narrow) {
        walk_->narrow = std::make_unique<SharedPrefix<std::uint64_t>>(runs, slots, needs);
        walk_->narrow->boundByShortfalls(!narrowOnly);
    }
    if (!narrowOnly) {
        walk_->runs = std::move(runs);
        walk_->slots = std::move(slots);
        walk_->needs = std::move(needs);
    }
}

PrefixTally::~PrefixTally() = default;

SubdivisorTally PrefixTally::count(std::span<const int> parts, Progress* progress) {
    SubdivisorTally result;
    if (walk_ && parts.size() >= 2) {
        // The bound on the vectors is taken along the kept parts; a fiber past what the walk's
        // numbers hold exactly is counted on its own.
        PrefixAnswer answer;
        if (walk_->narrow) answer = walk_->narrow->count(parts, kNarrowBound, m_, progress);
        if (!answer.taken && (walk_->wide || walk_->runs)) {
            answer = walk_->wideWalk().count(parts, kRunCountBound, m_, progress);
        }
        if (answer.taken) {
            result.cancelled = answer.cancelled;
            result.count = answer.count;
            return result;
        }
    }
    return tallySubdivisorsQuietly(
        fiberFromParts(m_, r_, std::vector<int>(parts.begin(), parts.end())), options_, progress);
}

BigCount SubdivisorTally::exact() const {
    return wide ? large : bigCountOf(count);
}

long long SubdivisorTally::clamped() const {
    if (cancelled) return -1;
    if (wide || count >= static_cast<WideCount>(LLONG_MAX)) return LLONG_MAX;
    return static_cast<long long>(count);
}

namespace {

SubdivisorTally tallyByGcdTable(const FiberData& x, const SubdivisorOptions& options,
                                Progress* progress, bool reportFraction) {
    SubdivisorTally result;
    std::vector<std::size_t> groupOfBranch;
    const std::vector<BranchGroup> groups = groupsOf(x, groupOfBranch);
    if (groups.empty()) return result;
    const double total = squaresBelow(x.m);
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

SubdivisorTally tally(const FiberData& x, const SubdivisorOptions& options, Progress* progress,
                      bool reportFraction) {
    if (std::optional<SubdivisorTally> byRuns = tallyByRuns(x, options, progress, reportFraction)) {
        return *byRuns;
    }
    return tallyByGcdTable(x, options, progress, reportFraction);
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

SubdivisorTally tallySubdivisorsByGcdTable(const FiberData& x, const SubdivisorOptions& options,
                                           Progress* progress) {
    return tallyByGcdTable(x, options, progress, true);
}

std::string tallyText(const SubdivisorTally& tally) {
    return tally.wide ? bigCountText(tally.large) : wideCountText(tally.count);
}

long long countSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                           Progress* progress) {
    return tallySubdivisors(x, options, progress).clamped();
}

long long countSimpleCrusts(const FiberData& x, Progress* progress) {
    return countSubdivisors(x, kSimpleCrustOptions, progress);
}

}  // namespace dorvanix
