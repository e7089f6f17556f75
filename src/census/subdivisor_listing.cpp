#include "census/subdivisor_listing.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>

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
        for (const auto& chain : x.chains) shapes_.emplace_back(x.m, chain);
        const std::size_t b = shapes_.size();
        ys_.assign(b, 0);
        bounds_.assign(b, 0);
        reachBelow_.assign(b, 0);
        choices_.resize(b);
        types_.assign(b, '0');
    }

    bool run(int m) {
        if (shapes_.empty()) return true;
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
            if (!descend(shapes_.size() - 1, need, k)) return false;
            done += kWeight_;
            if (progress_ != nullptr && total > 0) progress_->setFraction(done / total);
        }
        return true;
    }

  private:
    double vectorCount(int k) const {
        double count = 1;
        for (const BranchShape& shape : shapes_) {
            count *= std::max(0, std::min(shape.firstMultiplicity(), k)) + 1.0;
        }
        return count;
    }

    void prepare(int k) {
        k_ = k;
        std::vector<long long> rest;
        long long reach = 0;
        for (std::size_t i = 0; i < shapes_.size(); ++i) {
            reachBelow_[i] = reach;
            bounds_[i] = std::max(0, std::min(shapes_[i].firstMultiplicity(), k));
            reach += bounds_[i];
            ys_[i] = 0;
            choices_[i].resize(static_cast<std::size_t>(bounds_[i]) + 1);
            for (int y = 0; y <= bounds_[i]; ++y) {
                rest.clear();
                BranchChoice& choice = choices_[i][y];
                choice.end = shapes_[i].follow(k, y, y > 0 ? &rest : nullptr);
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

    // Tries every value of branch i that lets the branches below still reach `need`; `common` is
    // the gcd of k and the values of the branches above.
    bool descend(std::size_t i, long long need, long long common) {
        const long long first = std::max(0LL, need - reachBelow_[i]);
        for (long long y = first; y <= bounds_[i]; ++y) {
            if (!poll()) return false;
            ys_[i] = static_cast<int>(y);
            if (i + 1 == shapes_.size()) reportPosition(y);
            const long long g = (common == 1 || y == 0) ? common : gcd64(common, y);
            if (i == 0) {
                visit(g);
            } else if (!descend(i - 1, need - y, g)) {
                return false;
            }
        }
        ys_[i] = 0;
        return true;
    }

    void reportPosition(long long top) {
        if (progress_ == nullptr || total_ <= 0) return;
        const double within = static_cast<double>(top) / (bounds_.back() + 1.0);
        progress_->setFraction((doneBefore_ + kWeight_ * within) / total_);
    }

    void visit(long long ell) {
        if (!passesEllFilter(options_.ellFilter, ell)) return;
        for (std::size_t i = 0; i < ys_.size(); ++i) {
            types_[i] = branchLetter(ys_[i], choices_[i][ys_[i]].end, ell);
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
            line_ += choices_[i][ys_[i]].text;
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
    std::vector<BranchShape> shapes_;
    std::vector<int> ys_;
    std::vector<int> bounds_;
    std::vector<long long> reachBelow_;  // sum of the bounds of the branches before i
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
