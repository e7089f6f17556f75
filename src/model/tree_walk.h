#pragma once

#include <vector>

namespace dorvanix {

// Walks a tree of divisor nodes depth first, in the order a recursion over the neighbours would
// take, on a stack of its own: a chain of the chain diagram is as long as the genus of X, and a
// branch of a large fiber thousands of nodes, far deeper than a thread's stack could recurse.
//
// `arms(node)` is the number of neighbour slots looked at, asked once when the walk reaches the
// node. `enter(parent, k)` does the work on neighbour k of `parent` and answers that neighbour to
// walk under next, or null to pass it by. `leave(node)` runs once everything under the node has
// been walked. Nothing is remembered between slots, so a node reached from two parents (a
// joining curve) is walked once for each, as a recursion would.
template <typename Node, typename Arms, typename Enter, typename Leave>
void walkDepthFirst(Node& root, Arms arms, Enter enter, Leave leave) {
    struct Frame {
        Node* node;
        int next;
        int end;
    };
    std::vector<Frame> stack{{&root, 0, arms(root)}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.end) {
            Node* child = enter(*top.node, top.next++);
            if (child != nullptr) stack.push_back({child, 0, arms(*child)});
            continue;
        }
        Node& done = *top.node;
        stack.pop_back();
        leave(done);
    }
}

template <typename Node, typename Arms, typename Enter>
void walkDepthFirst(Node& root, Arms arms, Enter enter) {
    walkDepthFirst(root, arms, enter, [](Node&) {});
}

}  // namespace dorvanix
