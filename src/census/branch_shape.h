#pragma once

#include <climits>
#include <vector>

namespace dorvanix {

// Where the chain of a sub-divisor Y stops on one branch of X, and the numbers its type letter is
// read from: t, n = n(t), p = n(t-1), e = e(t), mu = m(t) and muNext = m(t+1).
struct BranchEnd {
    int t = 0;
    long long n = 0;
    long long p = 0;
    long long e = 0;
    long long mu = 0;
    long long muNext = 0;
};

// One branch of X as the sub-divisor listing sees it: the multiplicities m(0) = m, m(1) ... m(L)
// and the chain coefficients e(j) = (m(j-1) + m(j+1)) div m(j), recomputed from the
// multiplicities.
class BranchShape {
  public:
    BranchShape(int m, const std::vector<int>& chain);

    int firstMultiplicity() const { return static_cast<int>(mult_[1]); }
    int length() const { return static_cast<int>(mult_.size()) - 2; }

    // Follows Y's chain n(0) = k, n(1) = y, n(j+1) = e(j) n(j) - n(j-1) while it stays within
    // 0 < n(j+1) <= m(j+1). Appends n(2) ... n(t) to `rest` when given.
    BranchEnd follow(long long k, long long y, std::vector<long long>* rest = nullptr) const;

    // The same without the chain, inline for a caller that follows every y of a branch: the
    // multiplicities end in 0, which no n(j + 1) > 0 fits under, so the walk stops by itself
    // (the chain must hold at least one multiplicity).
    BranchEnd end(long long k, long long y) const {
        const long long* mult = mult_.data();
        const long long* coef = coef_.data();
        long long before = k;
        long long current = y;
        std::size_t j = 1;
        while (true) {
            const long long next = coef[j] * current - before;
            if (!(next > 0 && next <= mult[j + 1])) break;
            before = current;
            current = next;
            ++j;
        }
        return BranchEnd{static_cast<int>(j), current, before, coef[j], mult[j], mult[j + 1]};
    }

  private:
    long long multAt(std::size_t j) const { return j < mult_.size() ? mult_[j] : 0; }
    long long coefAt(std::size_t j) const { return j < coef_.size() ? coef_[j] : 0; }

    std::vector<long long> mult_;  // m(0) ... m(L), then one 0
    std::vector<long long> coef_;  // e(0) unused, e(1) ... e(L)
};

// The type letter of a branch: '0', 'A', 'B', 'C' or '?', by the first test that holds.
char branchLetter(long long y, const BranchEnd& end, long long ell);

// The type letter of one branch value y for every ell at once: what branchLetter answers, with the
// tests that do not involve ell done beforehand. A listing keeps one per branch value, so that a
// line costs a look-up per branch instead of the chain's remainders.
struct BranchLetterRule {
    char fixed = 0;              // '0' or 'A' whatever ell is; 0 when the letter depends on ell
    char atOne = '?';            // the letter at ell = 1, the most frequent
    long long bEll = LLONG_MIN;  // the ell for which the letter is 'B' (LLONG_MIN: none)
    long long cDivisor = 0;      // 'C' when it divides ell (0: never)

    char at(long long ell) const {
        if (fixed != 0) return fixed;
        if (ell == 1) return atOne;
        if (ell == bEll) return 'B';
        return cDivisor != 0 && ell % cDivisor == 0 ? 'C' : '?';
    }
};

// Inline, as a part's runs take it for every y up to every k.
inline BranchLetterRule branchLetterRule(long long y, const BranchEnd& end) {
    BranchLetterRule rule;
    if (y == 0) {
        rule.fixed = '0';
    } else if (end.p >= end.e * end.n) {
        rule.fixed = 'A';
    } else {
        if (end.n == end.mu) rule.bEll = end.mu;
        if (end.n != 0 && end.p % end.n == 0) {
            const long long d = (end.e - 1) * end.n - end.muNext - end.p + end.mu;
            rule.cDivisor = d < 0 ? -d : d;
        }
        rule.atOne = 1 == rule.bEll ? 'B' : (rule.cDivisor == 1 ? 'C' : '?');
    }
    if (rule.fixed != 0) rule.atOne = rule.fixed;
    return rule;
}

}  // namespace dorvanix
