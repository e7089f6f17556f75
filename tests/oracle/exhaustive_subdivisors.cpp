#include "oracle/exhaustive_subdivisors.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "census/branch_shape.h"
#include "model/arithmetic.h"

namespace dorvanix::oracle {

namespace {

constexpr std::uint64_t kPollInterval = 1 << 14;

void appendNumber(std::string& text, long long value) {
    std::array<char, 24> digits;
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    text.append(digits.data(), result.ptr);
}

// What every value y of one branch gives for the current k: where Y's chain stops and the text
// "(y,n2,...,nt)" of the branch ("()" for y = 0).
struct BranchChoice {
    BranchEnd end;
    std::string text;
};

// The work arrays of one listing, built once per k and reused for every vector of that k.
class Walk {
  public:
    Walk(const FiberData& x) : m_(x.m), r_(x.r) {
        for (const auto& chain : x.chains) shapes_.emplace_back(x.m, chain);
        const std::size_t b = shapes_.size();
        ys_.assign(b, 0);
        bounds_.assign(b, 0);
        choices_.resize(b);
        types_.assign(b, '0');
    }

    int branches() const { return static_cast<int>(shapes_.size()); }

    void prepare(int k) {
        std::vector<long long> rest;
        for (std::size_t i = 0; i < shapes_.size(); ++i) {
            bounds_[i] = std::min(shapes_[i].firstMultiplicity(), k);
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

    // Moves the odometer on; false when this k is done.
    bool advance() {
        for (std::size_t i = 0; i < ys_.size(); ++i) {
            if (++ys_[i] <= bounds_[i]) return true;
            ys_[i] = 0;
        }
        return false;
    }

    bool admitted(int k) const {
        long long sum = 0;
        for (int y : ys_) sum += y;
        return sum >= static_cast<long long>(k) * r_;
    }

    long long ell(int k) const {
        long long value = k;
        for (int y : ys_) {
            if (value == 1) break;
            if (y != 0) value = gcd64(value, y);
        }
        return value;
    }

    std::string_view letters(long long ell) {
        for (std::size_t i = 0; i < ys_.size(); ++i) {
            types_[i] = branchLetter(ys_[i], choices_[i][ys_[i]].end, ell);
        }
        return types_;
    }

    std::string_view line(int k, long long ell) {
        line_.clear();
        line_ += '(';
        appendNumber(line_, k);
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

    std::span<const int> ys() const { return ys_; }

  private:
    int m_;
    int r_;
    std::vector<BranchShape> shapes_;
    std::vector<int> ys_;
    std::vector<int> bounds_;
    std::vector<std::vector<BranchChoice>> choices_;
    std::string types_;
    std::string line_;
};

// Runs the walk over every admitted vector that passes the options; `onHit` receives the walk,
// k and ell. Answers false when stopped.
template <typename OnHit>
bool walkSubdivisors(const FiberData& x, const SubdivisorOptions& options, Progress* progress,
                     OnHit&& onHit) {
    Walk walk(x);
    if (walk.branches() == 0) return true;
    std::uint64_t visits = 0;
    for (int k = x.m - 1; k >= 1; --k) {
        walk.prepare(k);
        do {
            if (++visits % kPollInterval == 0 && stopRequested(progress)) return false;
            if (!walk.admitted(k)) continue;
            const long long ell = walk.ell(k);
            if (!passesEllFilter(options.ellFilter, ell)) continue;
            if (!passesFilters(options, ell, walk.letters(ell))) continue;
            onHit(walk, k, ell);
        } while (walk.advance());
        if (progress != nullptr) {
            progress->setFraction(static_cast<double>(x.m - k) / std::max(1, x.m - 1));
        }
    }
    return true;
}

}  // namespace

bool listSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                     const SubdivisorSink& sink, Progress* progress) {
    return walkSubdivisors(x, options, progress, [&](Walk& walk, int k, long long ell) {
        Subdivisor y;
        y.k = k;
        y.ys = walk.ys();
        y.ell = ell;
        y.types = walk.letters(ell);
        y.line = walk.line(k, ell);
        sink(y);
        if (progress != nullptr) progress->addResults(1);
    });
}

std::vector<std::string> subdivisorLines(const FiberData& x, const SubdivisorOptions& options) {
    std::vector<std::string> lines;
    oracle::listSubdivisors(x, options, [&](const Subdivisor& y) { lines.emplace_back(y.line); });
    return lines;
}

long long countSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                           Progress* progress) {
    long long count = 0;
    const bool done =
        walkSubdivisors(x, options, progress, [&](Walk&, int, long long) { ++count; });
    return done ? count : -1;
}

long long countSimpleCrusts(const FiberData& x, Progress* progress) {
    return oracle::countSubdivisors(x, kSimpleCrustOptions, progress);
}

}  // namespace dorvanix::oracle
