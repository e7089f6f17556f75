#include <algorithm>
#include <climits>
#include <cmath>

#include "analysis/analysis_builder.h"
#include "analysis/analysis_serials.h"
#include "model/arithmetic.h"
#include "model/pi.h"
#include "model/tree_operations.h"

// The branch copy of letter 'A': Y's multiplicities are taken off the copies, stubs go where Y
// ends, and where the last Y node does not fit the chain of X a chain of new nodes is inserted,
// found by the subtractive Euclid algorithm on u = yc div ell and v = (yprev - r yc) div ell.

namespace dorvanix {

namespace {

const DivisorNode* nextNonEmpty(const DivisorNode* node) {
    const DivisorNode* next = nextInChain(node);
    return next != nullptr && next->multiplicity != 0 ? next : nullptr;
}

int clampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

void AnalysisBuilder::ruleA(Cursor at, const DivisorNode& y, const DivisorNode* yc) {
    RuleAState state{yc, &y, false, 0};
    while (true) {
        const DivisorNode& x = *at.x;
        if (nextInChain(&x) == nullptr) {
            lastNodeA(at, state);
            return;
        }
        if (insertionApplies(at, state)) {
            insertChain(at, state);
            continue;
        }
        int q = 0;
        int serial = x.serial;
        int multiplicity = x.multiplicity;
        if (state.yc != nullptr) {
            multiplicity -= state.yc->multiplicity;
        } else if (!state.flag && state.yprev != nullptr) {
            q = state.yprev->multiplicity / ell_;
        } else {
            serial += kPastYSerialOffset;
        }
        DivisorNode& copy = copyX(at, q + 2, serial, multiplicity);
        const Arm arm1 = armOf(x, 1);
        fan(copy, 2, q, arm1, arm1.angle, kPiRounded4 / (q + 1));
        state.yprev = state.yc;
        state.yc = nextNonEmpty(state.yc);
        if (!advance(at)) return;
    }
}

void AnalysisBuilder::lastNodeA(Cursor at, const RuleAState& state) {
    const DivisorNode& x = *at.x;
    const DivisorNode* yc = state.yc;
    int q = 0;
    if (yc == nullptr) {
        if (!state.flag && state.yprev != nullptr) q = state.yprev->multiplicity / ell_;
    } else {
        const long long w = (static_cast<long long>(multiplicityOf(state.yprev)) -
                             static_cast<long long>(x.selfIntersection) * yc->multiplicity) /
                            ell_;
        q = w == 0 ? 0 : static_cast<int>(gcd64(yc->multiplicity / ell_, w));
    }
    const int serial = x.serial + (q == 0 ? kPastYSerialOffset : 0);
    DivisorNode& copy = copyX(at, q + 1, serial, x.multiplicity - multiplicityOf(yc));
    const Arm arm0 = armOf(x, 0);
    fan(copy, 1, q, arm0, arm0.angle, kTurnRounded4 / (q + 1));
}

bool AnalysisBuilder::insertionApplies(const Cursor& at, const RuleAState& state) const {
    const DivisorNode* yc = state.yc;
    const DivisorNode* yprev = state.yprev;
    if (yc == nullptr || yprev == nullptr || nextInChain(yc) != nullptr) return false;
    const long long fit = static_cast<long long>(yc->multiplicity) * at.x->selfIntersection;
    if (yprev->multiplicity == fit) return false;
    // The passes subtract the smaller of u and v from the larger until they meet, which ends
    // only when both start positive (or equal). A listed line of type 'A' always has
    // yprev > r yc here; a line of another origin that breaks this gets the plain copy.
    const long long u = yc->multiplicity / ell_;
    const long long v = (yprev->multiplicity - fit) / ell_;
    return u == v ? u >= 0 : (u >= 1 && v >= 1);
}

void AnalysisBuilder::insertChain(Cursor& at, RuleAState& state) {
    const DivisorNode& x = *at.x;
    const DivisorNode& yc = *state.yc;
    long long s = x.multiplicity - yc.multiplicity;
    DivisorNode& copy = copyX(at, 2, x.serial, clampToInt(s));
    DivisorNode& following = take();
    setNeighbor(copy, 1, &following);

    long long t = multiplicityOf(nextInChain(&x));
    long long u = yc.multiplicity / ell_;
    long long v =
        (state.yprev->multiplicity - static_cast<long long>(yc.multiplicity) * x.selfIntersection) /
        ell_;
    DivisorNode* anchor = &copy;
    DivisorNode* first = nullptr;
    while (true) {
        DivisorNode& node = take();
        ++result_.insertedCount;
        const Arm arm0 = armOf(*anchor, 0);
        const Arm arm1 = armOf(*anchor, 1);
        const double length = -30.0 * (state.inserted + 1);
        int degree = 2;
        int serial = anchor->serial + 1;
        long long multiplicity = 0;
        if (u < v) {
            t = ell_ * u + t + s;
            serial = kInsertedSerialTop - state.inserted;
            multiplicity = t;
        } else if (u > v) {
            s = s + ell_ * v + t;
            multiplicity = s;
        } else {
            degree = static_cast<int>(u) + 2;
            multiplicity = ell_ * u + t + s;
        }
        initNode(node, degree, anchor, anchor->x + arm1.length * std::cos(arm1.angle),
                 anchor->y + arm1.length * std::sin(arm1.angle), serial, clampToInt(multiplicity),
                 {arm0.handle, length, arm1.angle - kPiCut7}, {arm0.handle, length, arm1.angle});
        // Linked in right after the anchor.
        DivisorNode* after = anchor->neighbor(1);
        setNeighbor(node, 1, after);
        setNeighbor(*anchor, 1, &node);
        if (first != nullptr && after != nullptr) setNeighbor(*after, 0, &node);
        if (u < v) {
            if (first == nullptr) first = &node;
            v -= u;
            ++state.inserted;
        } else if (u > v) {
            anchor = &node;
            u -= v;
            ++state.inserted;
        } else {
            if (first == nullptr) first = &node;
            const int count = static_cast<int>(u);
            const std::size_t stubsBefore = stubs_.size();
            fan(node, 2, count, {arm0.handle, length, 0.0}, arm1.angle, kPiRounded4 / (count + 1));
            for (std::size_t i = stubsBefore; i < stubs_.size(); ++i)
                stubs_[i]->armLength[0] = 30.0;
            break;
        }
    }
    state.yprev = state.yc;
    state.yc = nullptr;
    state.flag = true;
    at.parent = first;
    at.copy = &following;
    at.x = nextInChain(&x);
}

}  // namespace dorvanix
