#include "census/branch_shape.h"

namespace dorvanix {

BranchShape::BranchShape(int m, const std::vector<int>& chain) {
    mult_.reserve(chain.size() + 2);
    mult_.push_back(m);
    for (int c : chain) mult_.push_back(c);
    mult_.push_back(0);
    coef_.assign(mult_.size(), 0);
    for (std::size_t j = 1; j + 1 < mult_.size(); ++j) {
        if (mult_[j] != 0) coef_[j] = (mult_[j - 1] + mult_[j + 1]) / mult_[j];
    }
}

BranchEnd BranchShape::follow(long long k, long long y, std::vector<long long>* rest) const {
    long long before = k;
    long long current = y;
    std::size_t j = 1;
    while (true) {
        const long long next = coefAt(j) * current - before;
        if (!(next > 0 && next <= multAt(j + 1))) break;
        if (rest != nullptr) rest->push_back(next);
        before = current;
        current = next;
        ++j;
    }
    return BranchEnd{static_cast<int>(j), current, before, coefAt(j), multAt(j), multAt(j + 1)};
}

char branchLetter(long long y, const BranchEnd& end, long long ell) {
    return branchLetterRule(y, end).at(ell);
}

}  // namespace dorvanix
