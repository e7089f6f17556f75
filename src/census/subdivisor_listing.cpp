#include "census/subdivisor_listing.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <map>

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

// What a value y of one branch gives for the current k: where Y's chain stops and the text
// "(y,n2,...,nt)" of the branch ("()" for y = 0).
struct BranchChoice {
    BranchEnd end;
    std::string text;
};

// The admitted vectors of one listing, in odometer order with the first branch turning fastest.
// The walk goes down from the last (slowest) branch; a branch's value is only tried when the
// branches below it can still bring the sum up to k r, so no range of the odometer that holds no
// admitted vector is entered, and the fastest branch starts at the first admitted value.
class PrunedWalk {
  public:
    PrunedWalk(const FiberData& x, const SubdivisorOptions& options, const SubdivisorSink& sink,
               Progress* progress)
        : r_(x.r), options_(options), sink_(sink), progress_(progress) {
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
    }

    bool run(int m) {
        if (groupOf_.empty()) return true;
        std::vector<double> weights;
        for (int k = m - 1; k >= 1; --k) weights.push_back(vectorCount(k));
        double total = 0;
        for (double w : weights) total += w;
        double done = 0;
        for (int k = m - 1; k >= 1; --k) {
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

  private:
    double vectorCount(int k) const {
        double count = 1;
        for (std::size_t group : groupOf_) {
            count *= std::max(0, std::min(shapes_[group].firstMultiplicity(), k)) + 1.0;
        }
        return count;
    }

    void prepare(int k) {
        k_ = k;
        std::vector<long long> rest;
        long long reach = 0;
        for (std::size_t i = 0; i < groupOf_.size(); ++i) {
            reachBelow_[i] = reach;
            bounds_[i] = std::max(0, std::min(shapes_[groupOf_[i]].firstMultiplicity(), k));
            reach += bounds_[i];
            ys_[i] = 0;
        }
        for (std::size_t group = 0; group < shapes_.size(); ++group) {
            const int bound = std::max(0, std::min(shapes_[group].firstMultiplicity(), k));
            choices_[group].resize(static_cast<std::size_t>(bound) + 1);
            for (int y = 0; y <= bound; ++y) {
                rest.clear();
                BranchChoice& choice = choices_[group][y];
                choice.end = shapes_[group].follow(k, y, y > 0 ? &rest : nullptr);
                choice.text = "(";
                if (y > 0) appendNumber(choice.text, y);
                for (long long n : rest) {
                    choice.text += ',';
                    appendNumber(choice.text, n);
                }
                choice.text += ')';
            }
        }
    }

    bool poll() {
        if (++steps_ % kPollInterval != 0) return true;
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
            if (nextY_[i] > bounds_[i]) {
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
                visit(g);
            } else {
                --i;
                enterBranch(i, needAt_[i + 1] - y, g);
            }
        }
    }

    void enterBranch(std::size_t i, long long need, long long common) {
        needAt_[i] = need;
        commonAt_[i] = common;
        nextY_[i] = std::max(0LL, need - reachBelow_[i]);
    }

    void reportPosition(long long top) {
        if (progress_ == nullptr || total_ <= 0) return;
        const double within = static_cast<double>(top) / (bounds_.back() + 1.0);
        progress_->setFraction((doneBefore_ + kWeight_ * within) / total_);
    }

    void visit(long long ell) {
        if (!passesEllFilter(options_.ellFilter, ell)) return;
        for (std::size_t i = 0; i < ys_.size(); ++i) {
            types_[i] = branchLetter(ys_[i], choices_[groupOf_[i]][ys_[i]].end, ell);
        }
        if (!passesFilters(options_, ell, types_)) return;
        Subdivisor y;
        y.k = k_;
        y.ys = ys_;
        y.ell = ell;
        y.types = types_;
        y.line = line(ell);
        sink_(y);
        if (progress_ != nullptr) progress_->addResults(1);
    }

    std::string_view line(long long ell) {
        line_.clear();
        line_ += '(';
        appendNumber(line_, k_);
        line_ += ';';
        for (std::size_t i = 0; i < ys_.size(); ++i) {
            if (i > 0) line_ += ',';
            line_ += choices_[groupOf_[i]][ys_[i]].text;
        }
        line_ += "):: ell = ";
        appendNumber(line_, ell);
        line_ += " :: type = ";
        line_ += types_;
        return line_;
    }

    int r_;
    SubdivisorOptions options_;
    const SubdivisorSink& sink_;
    Progress* progress_;
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
    std::string line_;
    int k_ = 0;
    std::uint32_t steps_ = 0;
    double kWeight_ = 0;
    double doneBefore_ = 0;
    double total_ = 0;
};

}  // namespace

bool listSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                     const SubdivisorSink& sink, Progress* progress) {
    PrunedWalk walk(x, options, sink, progress);
    return walk.run(x.m);
}

std::vector<std::string> subdivisorLines(const FiberData& x, const SubdivisorOptions& options) {
    std::vector<std::string> lines;
    listSubdivisors(x, options, [&](const Subdivisor& y) { lines.emplace_back(y.line); });
    return lines;
}

}  // namespace dorvanix
