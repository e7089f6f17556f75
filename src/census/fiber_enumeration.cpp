#include "census/fiber_enumeration.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "census/partition_count.h"
#include "census/subdivisor_count.h"
#include "model/arithmetic.h"
#include "model/fiber_data.h"

namespace dorvanix {

namespace {

// The partitions of m r into exactly b parts, each from 1 to m - 1, in decreasing lexicographic
// order: the part at each position runs from the largest value that still leaves every later
// part at least 1, down to the smallest that lets the later parts (none larger) make up the rest.
// A required multiplicity fixes the part at its position.
class BoundedPartitions {
  public:
    BoundedPartitions(int m, int r, int b, const FiberOptions& options, Progress* progress)
        : m_(m),
          total_(static_cast<long long>(m) * r),
          parts_(static_cast<std::size_t>(b), 0),
          options_(options),
          progress_(progress),
          counts_(progress != nullptr ? total_ : -1, b - 1, m - 1) {
        if (options.requiredGenus != 0) {
            // Riemann-Hurwitz: 2 - 2g = 2m - sum (m - gcd(m, a_i)), so the defects m - gcd(m, a_i)
            // of the parts add up to 2m - 2 + 2g. A part's defect lies between m - m/p (p the
            // least prime factor of m, so m/p its largest proper divisor) and m - 1, which bounds
            // what the later parts can still add.
            wantedDefect_ = 2LL * m - 2 + 2LL * options.requiredGenus;
            int p = 2;
            while (m % p != 0) ++p;
            leastDefect_ = m - m / p;
        }
    }

    // Calls visit(parts) for each partition; false when stopped. The parts are placed one
    // position after the other on arrays of their own rather than by recursion, so that ten
    // thousand branches need no deeper stack than three.
    template <typename Visit>
    bool run(Visit&& visit) {
        if (!requirementsFit()) return true;
        const std::size_t b = parts_.size();
        // For each position: the least value its part may take, and the sum and the defect of
        // the parts before it.
        std::vector<long long> lows(b + 1, 0);
        std::vector<long long> rests(b + 1, 0);
        std::vector<long long> defects(b + 1, 0);
        rests[0] = total_;
        std::size_t position = 0;
        long long cap = m_ - 1;
        long long firstHigh = 0;
        bool opening = true;
        while (true) {
            if (opening) {
                opening = false;
                const long long left = static_cast<long long>(b - position);
                if (!genusReachable(defects[position], left)) {
                    // nothing fits here: back to the position before
                } else if (left == 0) {
                    if (stopRequested(progress_)) return false;
                    visit(std::span<const int>(parts_));
                } else if (openPosition(position, left, cap, rests[position], lows[position])) {
                    if (position == 0) firstHigh = parts_[0];
                    opening = true;
                }
            } else {
                // The next smaller part at the last position that has one.
                if (position == 0) return true;
                --position;
                if (parts_[position] - 1 < lows[position]) continue;
                parts_[position] -= 1;
                opening = true;
            }
            if (!opening) continue;
            const long long part = parts_[position];
            if (position == 0) reportFirst(part, firstHigh);
            rests[position + 1] = rests[position] - part;
            defects[position + 1] = defects[position] + m_ - gcd(m_, static_cast<int>(part));
            cap = part;
            ++position;
        }
    }

  private:
    bool requirementsFit() const {
        if (!options_.multiplicityOption) return true;
        const auto& required = options_.requiredMultiplicities;
        for (std::size_t i = parts_.size(); i < required.size(); ++i) {
            if (required[i] != 0) return false;
        }
        return true;
    }

    int requiredAt(std::size_t position) const {
        if (!options_.multiplicityOption || position >= 4) return 0;
        return options_.requiredMultiplicities[position];
    }

    // Whether parts of defect `defect` so far can still reach the required genus with `left`
    // parts to come.
    bool genusReachable(long long defect, long long left) const {
        if (wantedDefect_ < 0) return true;
        const long long need = wantedDefect_ - defect;
        return need >= left * leastDefect_ && need <= left * (m_ - 1);
    }

    // Puts the largest part that position can take there and its least in `low`; false when
    // no value fits.
    bool openPosition(std::size_t position, long long left, long long cap, long long rest,
                      long long& low) {
        long long high = std::min(cap, rest - (left - 1));
        low = (rest + left - 1) / left;
        const int required = requiredAt(position);
        if (required != 0) {
            if (required < low || required > high) return false;
            low = high = required;
        }
        if (position == 0) weighFirstParts(high, low);
        if (high < low) return false;
        parts_[position] = static_cast<int>(high);
        return true;
    }

    // The share of the work under each first part is the share of the partitions under it;
    // every first part counts the same when the table of those numbers would be too large.
    void weighFirstParts(long long high, long long low) {
        weights_.clear();
        weightTotal_ = 0;
        if (progress_ == nullptr) return;
        const int rest = static_cast<int>(parts_.size()) - 1;
        for (long long part = high; part >= low; --part) {
            const double w = counts_.available()
                                 ? counts_.count(total_ - part, rest, static_cast<int>(part))
                                 : 1.0;
            weights_.push_back(w);
            weightTotal_ += w;
        }
        weightDone_ = 0;
    }

    void reportFirst(long long part, long long high) {
        if (progress_ == nullptr || weightTotal_ <= 0) return;
        if (part < high) weightDone_ += weights_[static_cast<std::size_t>(high - part - 1)];
        progress_->setFraction(weightDone_ / weightTotal_);
    }

    int m_;
    long long total_ = 0;
    std::vector<int> parts_;
    const FiberOptions& options_;
    Progress* progress_;
    PartitionCounts counts_;
    std::vector<double> weights_;
    double weightTotal_ = 0;
    double weightDone_ = 0;
    long long wantedDefect_ = -1;  // the defects' sum the required genus asks for; -1: any genus
    long long leastDefect_ = 0;
};

}  // namespace

namespace {

void appendNumber(std::string& text, long long value) {
    std::array<char, std::numeric_limits<long long>::digits10 + 2> digits;
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    text.append(digits.data(), end);
}

}  // namespace

namespace {

// The fiber line after `line`'s text, with the count's digits given by `appendCount`.
template <typename AppendCount>
void appendFiberLine(std::string& line, int m, int r, std::span<const int> parts,
                     AppendCount&& appendCount, long long simpleCrusts, int genus) {
    line += "((";
    appendNumber(line, m);
    line += ',';
    appendNumber(line, r);
    line += ')';
    for (int a : parts) {
        line += ',';
        appendNumber(line, a);
    }
    line += ") : ";
    appendCount(line);
    line += " (g=";
    appendNumber(line, genus);
    line += ')';
    if (simpleCrusts <= 2) line.append(21, '*');
}

}  // namespace

std::string fiberLineWithCount(int m, int r, std::span<const int> parts,
                               const std::string& countText, long long simpleCrusts, int genus) {
    // Built in one string: a census writes millions of these.
    std::string line;
    line.reserve(32 + 6 * parts.size() + countText.size());
    appendFiberLine(
        line, m, r, parts, [&](std::string& text) { text += countText; }, simpleCrusts, genus);
    return line;
}

std::size_t writeFiberLine(std::string& text, std::size_t at, int m, int r,
                           std::span<const int> parts, const SubdivisorTally& simpleCrusts,
                           int genus) {
    // Written through a pointer into room made once: the line is a few dozen short numbers, and
    // appending them one by one costs more than making them. The room is grown, never shrunk,
    // so it is cleared only when it grows.
    const bool fits64 = !simpleCrusts.wide && simpleCrusts.count <= ~std::uint64_t{0};
    const std::string wide = fits64 ? std::string() : tallyText(simpleCrusts);
    const std::size_t room = 96 + 12 * parts.size() + wide.size();
    if (text.size() - std::min(at, text.size()) < room) {
        text.resize(std::max(at + room, 2 * text.size()));
    }
    char* const start = text.data() + at;
    char* out = start;
    char* const end = out + room;
    const auto put = [&](std::string_view text) {
        std::memcpy(out, text.data(), text.size());
        out += text.size();
    };
    const auto number = [&](long long value) { out = std::to_chars(out, end, value).ptr; };
    put("((");
    number(m);
    *out++ = ',';
    number(r);
    *out++ = ')';
    for (int a : parts) {
        *out++ = ',';
        // Most parts of a large genus are single digits.
        if (a >= 0 && a < 10) {
            *out++ = static_cast<char>('0' + a);
        } else {
            number(a);
        }
    }
    put(") : ");
    if (fits64) {
        out = std::to_chars(out, end, static_cast<std::uint64_t>(simpleCrusts.count)).ptr;
    } else {
        put(wide);
    }
    put(" (g=");
    number(genus);
    *out++ = ')';
    if (simpleCrusts.clamped() <= 2) {
        std::memset(out, '*', 21);
        out += 21;
    }
    return static_cast<std::size_t>(out - start);
}

bool acceptFiber(int m, std::span<const int> parts, bool noDuplicates, int requiredGenus) {
    int common = m;
    for (int a : parts) common = gcd(common, a);
    if (common != 1) return false;
    if (noDuplicates) {
        for (std::size_t i = 1; i < parts.size(); ++i) {
            if (std::find(parts.begin(), parts.begin() + i, parts[i]) != parts.begin() + i) {
                return false;
            }
        }
    }
    return requiredGenus == 0 || 2 - 2LL * requiredGenus == hurwitzSum(m, parts);
}

std::string fiberListLine(int m, int r, std::span<const int> parts, long long simpleCrusts,
                          int genus) {
    return fiberLineWithCount(m, r, parts, std::to_string(simpleCrusts), simpleCrusts, genus);
}

bool enumerateFibers(int m, int r, int b, const FiberOptions& options, const FiberSink& sink,
                     Progress* progress) {
    if (m < 2 || r < 1 || b < 1) return true;
    bool stopped = false;
    BoundedPartitions partitions(m, r, b, options, progress);
    PrefixTally crusts(m, r, b, kSimpleCrustOptions);
    const bool done = partitions.run([&](std::span<const int> parts) {
        if (stopped) return;
        if (!acceptFiber(m, parts, options.noDuplicateBranches, options.requiredGenus)) return;
        const int genus = fiberGenus(m, parts);
        const SubdivisorTally tally = crusts.count(parts, progress);
        if (tally.cancelled) {
            stopped = true;
            return;
        }
        const long long count = tally.clamped();
        if (count <= 2 || !options.atMostTwoSimpleCrusts) {
            const std::string digits = tallyText(tally);
            const std::string line = fiberLineWithCount(m, r, parts, digits, count, genus);
            sink(FiberEntry{parts, count, genus, line, digits});
            if (progress != nullptr) progress->addResults(1);
        }
    });
    if (!done || stopped) return false;
    if (progress != nullptr) progress->setFraction(1.0);
    return true;
}

std::vector<std::string> fiberLines(int m, int r, int b, const FiberOptions& options) {
    std::vector<std::string> lines;
    enumerateFibers(m, r, b, options, [&](const FiberEntry& f) { lines.emplace_back(f.line); });
    return lines;
}

double fiberCountBound(int m, int r, int b, const FiberOptions& options, const Progress* progress,
                       long long steps) {
    const double partitions = partitionCountBound(static_cast<long long>(m) * r, b, m - 1);
    if (m < 2 || r < 1 || b < 1) return 0;
    if (options.requiredGenus == 0 && !options.multiplicityOption) return partitions;
    Progress budget;
    long long met = 0;
    long long accepted = 0;
    BoundedPartitions(m, r, b, options, &budget).run([&](std::span<const int> parts) {
        if (++met > steps || stopRequested(progress)) budget.cancel();
        if (acceptFiber(m, parts, options.noDuplicateBranches, options.requiredGenus)) ++accepted;
    });
    return met > steps ? partitions : static_cast<double>(accepted);
}

}  // namespace dorvanix
