#include "analysis/analysis_builder.h"
#include "analysis/analysis_serials.h"
#include "model/node_links.h"
#include "model/pi.h"

// The branch copies of the letters '0', 'B' and 'C' (also '?', and any letter not otherwise
// known), with the tail walk that makes the stubs where Y ends on a branch of type 'C'.

namespace dorvanix {

namespace {

// The degree a copy of an X chain node gets when it keeps its own: 2 while the chain goes on.
int chainDegree(const DivisorNode& x) {
    return nextInChain(&x) != nullptr ? 2 : 1;
}

// Rule 'C' counts a Y node as the end of Y's branch also when the node after it is empty.
bool endsYBranch(const DivisorNode& yc) {
    const DivisorNode* next = nextInChain(&yc);
    return next == nullptr || next->multiplicity == 0;
}

}  // namespace

void AnalysisBuilder::ruleZero(Cursor at, int mY) {
    const int q = mY / ell_;
    const DivisorNode& head = *at.x;
    const Arm arm0 = armOf(head, 0);
    if (nextInChain(&head) == nullptr) {
        // The whole branch is one curve: its q stubs go round the full turn.
        DivisorNode& copy = copyX(at, q + 1, head.serial, head.multiplicity);
        fan(copy, 1, q, arm0, arm0.angle, kTurnRounded4 / (q + 1));
        return;
    }
    DivisorNode& copy = copyX(at, q + 2, head.serial, head.multiplicity);
    if (q > 0) fan(copy, 2, q, arm0, armOf(head, 1).angle, kPiRounded4 / q);
    while (advance(at)) copyX(at, chainDegree(*at.x), at.x->serial, at.x->multiplicity);
}

void AnalysisBuilder::ruleB(Cursor at, const DivisorNode* yc) {
    while (true) {
        const DivisorNode& x = *at.x;
        const int degree = chainDegree(x);
        if (yc == nullptr) {
            copyX(at, degree, x.serial + kBeyondYSerialOffset, x.multiplicity);
        } else {
            DivisorNode& copy = copyX(at, degree, x.serial, x.multiplicity - yc->multiplicity);
            if (copy.multiplicity == 0) {
                // Y takes the whole curve: the copy becomes a stub, cut off from the node
                // before it; the chain after it (if any) stays hanging on it.
                setNeighbor(*at.parent, linkSlotOf(*at.parent, copy, 0), nullptr);
                setNeighbor(copy, 0, nullptr);
                copy.serial = kStubSerial;
                copy.multiplicity = ell_;
                stubs_.push_back(&copy);
            }
        }
        if (degree < 2) return;
        yc = nextInChain(yc);
        if (!advance(at)) return;
    }
}

void AnalysisBuilder::ruleC(Cursor at, const DivisorNode* yc) {
    while (true) {
        const DivisorNode& x = *at.x;
        const int multiplicity = x.multiplicity - multiplicityOf(yc);
        if (nextInChain(&x) == nullptr) {
            copyX(at, 1, x.serial, multiplicity);
            return;
        }
        copyX(at, 2, x.serial, multiplicity);
        const DivisorNode* from = &x;
        if (yc != nullptr && endsYBranch(*yc)) {
            // The copying goes on after the X node where the tail walk stopped; when the walk
            // ran past the end of the branch, the branch is done.
            from = tailWalk(&x, yc->multiplicity);
            yc = nullptr;
        } else if (yc != nullptr) {
            yc = nextInChain(yc);
        }
        if (from == nullptr) return;
        at.x = from;
        if (!advance(at)) return;
    }
}

const DivisorNode* AnalysisBuilder::tailWalk(const DivisorNode* start, int yMultiplicity) {
    int passes = yMultiplicity / ell_;
    int acc = ell_;
    const DivisorNode* w = start;
    DivisorNode* prev = nullptr;
    bool prevIsStub = false;
    DivisorNode* pending = nullptr;
    // Every pass moves w one node on along X's branch, so the walk ends with the branch.
    while (passes > 0 && w != nullptr) {
        const int mu = w->multiplicity;
        const DivisorNode* after = nextInChain(w);
        const int muNext = multiplicityOf(after);
        if (pending == nullptr) {
            // A new stub where acc is back at ell.
            DivisorNode& stub = take();
            const Arm arm0 = armOf(*w, 0);
            initNode(stub, 1, nullptr, w->x, w->y, kStubSerial, ell_,
                     {arm0.handle, arm0.length, arm0.angle + kPiRounded4});
            stubs_.push_back(&stub);
            prev = &stub;
            prevIsStub = true;
        } else {
            prev = &setUpChainNode(*pending, prev, *w, acc);
            prevIsStub = false;
            pending = nullptr;
        }
        w = after;
        if (w == nullptr) passes = 0;
        acc += muNext - mu;
        if (acc <= 0) {
            --passes;
            acc = ell_;
        } else if (w != nullptr) {
            pending = &take();
            setNeighbor(*prev, prevIsStub ? 0 : 1, pending);
        }
    }
    return w;
}

DivisorNode& AnalysisBuilder::setUpChainNode(DivisorNode& node, DivisorNode* prev,
                                             const DivisorNode& w, int acc) {
    const Arm arm0 = armOf(w, 0);
    initNode(node, 2, prev, w.x, w.y, kTailSerialTop - acc, acc,
             {arm0.handle, arm0.handle, arm0.angle},
             {arm0.handle, arm0.handle, arm0.angle + kPiCut5});
    node.neighbors[1] = nullptr;
    if (w.degree >= 2) setArm(node, 1, armOf(w, 1));
    return node;
}

}  // namespace dorvanix
