#include "census/subdivisor_listing.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

#include "census/branch_shape.h"
#include "model/arithmetic.h"

namespace dorvanix {

namespace {

// Steps of the walk between two looks at the cancel flag: a few hundred microseconds of work.
constexpr std::uint32_t kPollInterval = 1 << 12;

void appendNumber(std::string& text, long long value) {
    std::array<char, 24> digits;
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    text.append(digits.data(), result.ptr);
}

// What a value y of one branch gives for the current k: where Y's chain stops, its type letter
// for any ell, the text "(y,n2,...,nt)" of the branch ("()" for y = 0) and y in decimal.
struct BranchChoice {
    BranchEnd end;
    BranchLetterRule letter;
    std::string text;
    std::string number;
};

// Text of a line is put together from pieces copied into a buffer that is known to have room.
inline char* put(char* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

inline char* putNumber(char* at, long long value) {
    return std::to_chars(at, at + 24, value).ptr;
}

// The admitted vectors of one listing, in odometer order with the first branch turning fastest.
// The walk goes down from the last (slowest) branch; a branch's value is only tried when the
// branches below it can still bring the sum up to k r, so no range of the odometer that holds no
// admitted vector is entered, and the fastest branch starts at the first admitted value.
//
// The text of the branches after the first is kept between lines: a branch's piece is written
// when its value changes, right to left in `tail_`, so that the pieces of the branches after it
// stand ready behind it. Most steps change only the first branch, and a line then costs the
// copy of a few pieces. The letters at ell = 1 are kept the same way.
class PrunedWalk {
  public:
    PrunedWalk(const FiberData& x, const SubdivisorOptions& options, Progress* progress)
        : r_(x.r), options_(options), progress_(progress) {
        // A branch's chain follows from m and its first multiplicity: equal branches share one
        // shape and one set of choices, which keeps 10000 branches of 9999 curves small.
        std::map<int, std::size_t> groupOfFirst;
        for (const auto& chain : x.chains) {
            const int first = chain.empty() ? 0 : chain.front();
            const auto [found, added] = groupOfFirst.emplace(first, shapes_.size());
            if (added) shapes_.emplace_back(x.m, chain);
            groupOf_.push_back(found->second);
        }
        const std::size_t b = groupOf_.size();
        ys_.assign(b, 0);
        bounds_.assign(b, 0);
        reachBelow_.assign(b, 0);
        needAt_.assign(b, 0);
        commonAt_.assign(b, 0);
        nextY_.assign(b, 0);
        choices_.resize(shapes_.size());
        types_.assign(b, '0');
        typesAtOne_.assign(b, '0');
        textFrom_.assign(b + 1, 0);
        numbersFrom_.assign(b + 1, 0);
    }

    // Each listed sub-divisor goes to `sink`.
    bool run(int m, const SubdivisorSink& sink) {
        sink_ = &sink;
        return run(m);
    }

    // Each listed sub-divisor goes as text into batches for `write`.
    bool run(int m, SubdivisorTextForm form, std::string_view lineEnd,
             const SubdivisorTextSink& write, std::size_t batchBytes) {
        form_ = form;
        lineEnd_ = lineEnd;
        write_ = &write;
        buffer_.resize(batchBytes);
        return run(m) && flush();
    }

    long long lines() const { return lines_; }

    // Keeps the walk to one part of the listing.
    void restrictTo(const ListingPrefix& prefix) {
        onlyK_ = prefix.k;
        fixed_.assign(groupOf_.size(), -1);
        for (std::size_t j = 0; j < prefix.slowest.size() && j < fixed_.size(); ++j) {
            fixed_[fixed_.size() - 1 - j] = prefix.slowest[j];
        }
    }

  private:
    bool run(int m) {
        const bool done = walkAll(m);
        if (progress_ != nullptr) progress_->addResults(lines_ - reported_);
        return done;
    }

    bool walkAll(int m) {
        if (groupOf_.empty()) return true;
        std::vector<double> weights;
        for (int k = m - 1; k >= 1; --k) weights.push_back(vectorCount(k));
        double total = 0;
        for (double w : weights) total += w;
        double done = 0;
        for (int k = m - 1; k >= 1; --k) {
            if (onlyK_ != 0 && k != onlyK_) {
                done += weights[static_cast<std::size_t>(m - 1 - k)];
                continue;
            }
            prepare(k);
            kWeight_ = weights[static_cast<std::size_t>(m - 1 - k)];
            doneBefore_ = done;
            total_ = total;
            const long long need = static_cast<long long>(k) * r_;
            if (!descend(need, k)) return false;
            done += kWeight_;
            if (progress_ != nullptr && total > 0) progress_->setFraction(done / total);
        }
        return true;
    }

    double vectorCount(int k) const {
        double count = 1;
        for (std::size_t group : groupOf_) {
            count *= std::max(0, std::min(shapes_[group].firstMultiplicity(), k)) + 1.0;
        }
        return count;
    }

    void prepare(int k) {
        k_ = k;
        head_ = "(";
        appendNumber(head_, k);
        head_ += ';';
        std::vector<long long> rest;
        std::vector<std::size_t> longestText(shapes_.size(), 0);
        std::vector<std::size_t> longestNumber(shapes_.size(), 0);
        for (std::size_t group = 0; group < shapes_.size(); ++group) {
            const int bound = std::max(0, std::min(shapes_[group].firstMultiplicity(), k));
            choices_[group].resize(static_cast<std::size_t>(bound) + 1);
            for (int y = 0; y <= bound; ++y) {
                rest.clear();
                BranchChoice& choice = choices_[group][y];
                choice.end = shapes_[group].follow(k, y, y > 0 ? &rest : nullptr);
                choice.letter = branchLetterRule(y, choice.end);
                choice.text = "(";
                if (y > 0) appendNumber(choice.text, y);
                for (long long n : rest) {
                    choice.text += ',';
                    appendNumber(choice.text, n);
                }
                choice.text += ')';
                choice.number.clear();
                appendNumber(choice.number, y);
                longestText[group] = std::max(longestText[group], choice.text.size());
                longestNumber[group] = std::max(longestNumber[group], choice.number.size());
            }
        }
        long long reach = 0;
        std::size_t textRoom = 0;
        std::size_t numberRoom = 0;
        for (std::size_t i = 0; i < groupOf_.size(); ++i) {
            reachBelow_[i] = reach;
            bounds_[i] = std::max(0, std::min(shapes_[groupOf_[i]].firstMultiplicity(), k));
            reach += bounds_[i];
            ys_[i] = 0;
            textRoom += longestText[groupOf_[i]] + 1;
            numberRoom += longestNumber[groupOf_[i]] + 1;
        }
        tail_.resize(textRoom);
        numbers_.resize(numberRoom);
        textFrom_.back() = textRoom;
        numbersFrom_.back() = numberRoom;
        // The line with all its pieces at their longest, twice over for a JSON record.
        longestLine_ = 2 * (head_.size() + textRoom + numberRoom + 2 * groupOf_.size() + 24) + 128 +
                       lineEnd_.size();
    }

    bool poll() {
        if (++steps_ % kPollInterval != 0) return true;
        if (progress_ != nullptr) {
            progress_->addResults(lines_ - reported_);
            reported_ = lines_;
        }
        // A listing that admits few of its vectors would take long to fill a batch: what it has
        // goes out at every look, so a reader sees lines soon and a failed write (a full disk)
        // ends the walk within milliseconds. A dense listing still writes a few hundred KB a time.
        if (write_ != nullptr && !flush()) return false;
        return !stopRequested(progress_);
    }

    // Tries every vector whose values let the branches still reach `need`, the last branch
    // turning slowest. For each branch i it keeps, instead of a frame of a recursion (ten
    // thousand branches would need ten thousand), what the branches after it left: the sum
    // still needed, the gcd of k and their values, and the next value to try.
    bool descend(long long need, long long common) {
        const std::size_t last = groupOf_.size() - 1;
        std::size_t i = last;
        enterBranch(i, need, common);
        while (true) {
            if (nextY_[i] > bounds_[i] ||
                (!fixed_.empty() && fixed_[i] >= 0 && nextY_[i] > fixed_[i])) {
                ys_[i] = 0;
                if (i == last) return true;
                ++i;
                continue;
            }
            const long long y = nextY_[i]++;
            if (!poll()) return false;
            ys_[i] = static_cast<int>(y);
            if (i == last) reportPosition(y);
            const long long c = commonAt_[i];
            const long long g = (c == 1 || y == 0) ? c : gcd64(c, y);
            if (i == 0) {
                if (!visit(g)) return false;
            } else {
                keepPiece(i);
                --i;
                enterBranch(i, needAt_[i + 1] - y, g);
            }
        }
    }

    void enterBranch(std::size_t i, long long need, long long common) {
        needAt_[i] = need;
        commonAt_[i] = common;
        nextY_[i] = std::max(0LL, need - reachBelow_[i]);
        if (!fixed_.empty() && fixed_[i] >= 0)
            nextY_[i] = std::max<long long>(nextY_[i], fixed_[i]);
    }

    // Writes the pieces of branch i (not the first), which has just taken a new value, in front
    // of those of the branches after it.
    void keepPiece(std::size_t i) {
        const BranchChoice& choice = choices_[groupOf_[i]][ys_[i]];
        typesAtOne_[i] = choice.letter.atOne;
        std::size_t at = textFrom_[i + 1] - choice.text.size() - 1;
        tail_[at] = ',';
        std::memcpy(tail_.data() + at + 1, choice.text.data(), choice.text.size());
        textFrom_[i] = at;
        if (form_ != SubdivisorTextForm::JsonRecord || write_ == nullptr) return;
        at = numbersFrom_[i + 1] - choice.number.size() - 1;
        numbers_[at] = ',';
        std::memcpy(numbers_.data() + at + 1, choice.number.data(), choice.number.size());
        numbersFrom_[i] = at;
    }

    std::string_view textAfterFirst() const {
        const std::size_t from = groupOf_.size() > 1 ? textFrom_[1] : tail_.size();
        return {tail_.data() + from, tail_.size() - from};
    }

    std::string_view numbersAfterFirst() const {
        const std::size_t from = groupOf_.size() > 1 ? numbersFrom_[1] : numbers_.size();
        return {numbers_.data() + from, numbers_.size() - from};
    }

    void reportPosition(long long top) {
        if (progress_ == nullptr || total_ <= 0) return;
        const double within = static_cast<double>(top) / (bounds_.back() + 1.0);
        progress_->setFraction((doneBefore_ + kWeight_ * within) / total_);
    }

    // False when the text's reader stopped the listing.
    bool visit(long long ell) {
        if (!passesEllFilter(options_.ellFilter, ell)) return true;
        const BranchChoice& first = choices_[groupOf_[0]][ys_[0]];
        std::string_view types;
        if (ell == 1) {
            typesAtOne_[0] = first.letter.atOne;
            types = typesAtOne_;
        } else {
            for (std::size_t i = 0; i < ys_.size(); ++i) {
                types_[i] = choices_[groupOf_[i]][ys_[i]].letter.at(ell);
            }
            types = types_;
        }
        if (!passesFilters(options_, ell, types)) return true;
        ++lines_;
        if (write_ != nullptr) return putLine(first, ell, types);
        if (line_.size() < longestLine_) line_.resize(longestLine_);
        char* at = put(line_.data(), head_);
        at = putLineAfterHead(at, first, ell, types);
        Subdivisor y;
        y.k = k_;
        y.ys = ys_;
        y.ell = ell;
        y.types = types;
        y.line = std::string_view(line_.data(), static_cast<std::size_t>(at - line_.data()));
        (*sink_)(y);
        return true;
    }

    char* putLineAfterHead(char* at, const BranchChoice& first, long long ell,
                           std::string_view types) const {
        at = put(at, first.text);
        at = put(at, textAfterFirst());
        at = put(at, "):: ell = ");
        at = putNumber(at, ell);
        at = put(at, " :: type = ");
        return put(at, types);
    }

    bool putLine(const BranchChoice& first, long long ell, std::string_view types) {
        if (buffer_.size() - used_ < longestLine_) {
            if (!flush()) return false;
            if (buffer_.size() < longestLine_) buffer_.resize(longestLine_);
        }
        char* at = buffer_.data() + used_;
        if (form_ == SubdivisorTextForm::Line) {
            at = put(at, head_);
            at = putLineAfterHead(at, first, ell, types);
        } else {
            at = put(at, "{\"k\":");
            at = putNumber(at, k_);
            at = put(at, ",\"ys\":[");
            at = put(at, first.number);
            at = put(at, numbersAfterFirst());
            at = put(at, "],\"ell\":");
            at = putNumber(at, ell);
            at = put(at, ",\"types\":\"");
            at = put(at, types);
            // The line holds only digits, brackets, punctuation and letters: nothing to escape.
            at = put(at, "\",\"line\":\"");
            at = put(at, head_);
            at = putLineAfterHead(at, first, ell, types);
            at = put(at, "\"}");
        }
        at = put(at, lineEnd_);
        used_ = static_cast<std::size_t>(at - buffer_.data());
        return true;
    }

    bool flush() {
        if (used_ == 0) return true;
        const std::size_t used = std::exchange(used_, 0);
        return (*write_)(std::string_view(buffer_.data(), used));
    }

    int r_;
    SubdivisorOptions options_;
    Progress* progress_;
    const SubdivisorSink* sink_ = nullptr;
    const SubdivisorTextSink* write_ = nullptr;
    SubdivisorTextForm form_ = SubdivisorTextForm::Line;
    std::string_view lineEnd_;
    std::vector<BranchShape> shapes_;   // one per first multiplicity
    std::vector<std::size_t> groupOf_;  // the shape of each branch
    std::vector<int> ys_;
    std::vector<int> bounds_;
    std::vector<long long> reachBelow_;  // sum of the bounds of the branches before i
    // Per branch, while the branches after it hold their values: the sum still needed, the gcd
    // of k and those values, and the next value to try.
    std::vector<long long> needAt_;
    std::vector<long long> commonAt_;
    std::vector<long long> nextY_;
    // The choices of each shape.
    std::vector<std::vector<BranchChoice>> choices_;
    std::string types_;
    std::string typesAtOne_;  // the letters at ell = 1, kept for the branches after the first
    // ",(y,n2,...)" of the branches after the first, right-aligned: branch i's piece and all
    // after it start at textFrom_[i]; the same for ",y" of a JSON record's ys.
    std::vector<char> tail_;
    std::vector<std::size_t> textFrom_;
    std::vector<char> numbers_;
    std::vector<std::size_t> numbersFrom_;
    std::string head_;  // "(k;"
    std::size_t longestLine_ = 0;
    std::string line_;
    std::vector<char> buffer_;  // the batch being filled
    std::size_t used_ = 0;
    long long lines_ = 0;
    long long reported_ = 0;  // lines already added to the progress's results
    int k_ = 0;
    int onlyK_ = 0;           // the one k of a part of the listing, 0 for all
    std::vector<int> fixed_;  // per branch, the value a part fixes, -1 for none
    std::uint32_t steps_ = 0;
    double kWeight_ = 0;
    double doneBefore_ = 0;
    double total_ = 0;
};

}  // namespace

bool listSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                     const SubdivisorSink& sink, Progress* progress) {
    PrunedWalk walk(x, options, progress);
    return walk.run(x.m, sink);
}

long long writeSubdivisorText(const FiberData& x, const SubdivisorOptions& options,
                              SubdivisorTextForm form, std::string_view lineEnd,
                              const SubdivisorTextSink& write, Progress* progress,
                              std::size_t batchBytes) {
    PrunedWalk walk(x, options, progress);
    return walk.run(x.m, form, lineEnd, write, batchBytes) ? walk.lines() : -1;
}

bool listSubdivisorPart(const FiberData& x, const SubdivisorOptions& options,
                        const ListingPrefix& prefix, const SubdivisorSink& sink,
                        Progress* progress) {
    PrunedWalk walk(x, options, progress);
    walk.restrictTo(prefix);
    return walk.run(x.m, sink);
}

std::vector<ListingPrefix> listingPrefixes(const FiberData& x, int depth) {
    std::vector<ListingPrefix> prefixes;
    const std::size_t b = x.chains.size();
    const std::size_t fixedCount =
        std::min<std::size_t>(b, static_cast<std::size_t>(std::max(depth, 0)));
    for (int k = x.m - 1; k >= 1; --k) {
        std::vector<int> bounds(b);
        for (std::size_t i = 0; i < b; ++i) {
            bounds[i] = std::max(0, std::min(x.chains[i].empty() ? 0 : x.chains[i].front(), k));
        }
        long long reachOfFree = 0;  // the most the branches not fixed can bring
        for (std::size_t i = 0; i + fixedCount < b; ++i) reachOfFree += bounds[i];
        // An odometer over the fixed branches, the last branch turning slowest.
        std::vector<int> slowest(fixedCount, 0);
        while (true) {
            long long sum = reachOfFree;
            for (int y : slowest) sum += y;
            if (sum >= static_cast<long long>(k) * x.r) prefixes.push_back({k, slowest});
            bool more = false;
            for (std::size_t j = fixedCount; j-- > 0;) {
                if (slowest[j] < bounds[b - 1 - j]) {
                    ++slowest[j];
                    more = true;
                    break;
                }
                slowest[j] = 0;
            }
            if (!more) break;
        }
    }
    return prefixes;
}

std::vector<std::string> subdivisorLines(const FiberData& x, const SubdivisorOptions& options) {
    std::vector<std::string> lines;
    listSubdivisors(x, options, [&](const Subdivisor& y) { lines.emplace_back(y.line); });
    return lines;
}

}  // namespace dorvanix
