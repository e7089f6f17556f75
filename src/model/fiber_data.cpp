#include "model/fiber_data.h"

namespace dorvanix {

std::vector<int> FiberData::firstMultiplicities() const {
    std::vector<int> parts;
    parts.reserve(chains.size());
    for (const auto& chain : chains) parts.push_back(chain.empty() ? 0 : chain.front());
    return parts;
}

std::vector<int> branchChain(int m, int a) {
    std::vector<int> chain;
    long long before = m;
    long long current = a;
    while (current > 0) {
        chain.push_back(static_cast<int>(current));
        const ChainStep step = chainStep(before, current);
        if (step.last) break;
        before = current;
        current = step.next;
    }
    return chain;
}

FiberData fiberFromParts(int m, int r, const std::vector<int>& parts) {
    FiberData fiber{m, r, {}};
    fiber.chains.reserve(parts.size());
    for (int a : parts) fiber.chains.push_back(branchChain(m, a));
    return fiber;
}

FiberData fiberDataOf(const DivisorNode& root) {
    FiberData fiber{root.multiplicity, root.selfIntersection, {}};
    for (int j = 0; j < root.degree; ++j) {
        std::vector<int> chain;
        for (const DivisorNode* node = root.neighbor(j); node != nullptr && node->multiplicity != 0;
             node = node->degree >= 2 ? node->neighbor(1) : nullptr) {
            chain.push_back(node->multiplicity);
        }
        fiber.chains.push_back(std::move(chain));
    }
    return fiber;
}

std::string fiberLineText(int m, int r, const std::vector<int>& parts) {
    std::string text = "((" + std::to_string(m) + "," + std::to_string(r) + ")";
    for (int a : parts) text += "," + std::to_string(a);
    return text + ")";
}

std::string chainText(const std::vector<int>& chain) {
    std::string text = "(";
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (i > 0) text += ",";
        text += std::to_string(chain[i]);
    }
    return text + ")";
}

std::string fiberNotation(const FiberData& fiber) {
    std::string text = "(" + std::to_string(fiber.m) + ";";
    for (std::size_t j = 0; j < fiber.chains.size(); ++j) {
        if (j > 0) text += ",";
        text += chainText(fiber.chains[j]);
    }
    return text + ")";
}

}  // namespace dorvanix
