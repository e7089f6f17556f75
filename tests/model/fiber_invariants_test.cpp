// Properties every fiber of the list must have, checked over all fibers with small m, r and b.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "census/fiber_enumeration.h"
#include "model/divisor_notation.h"
#include "model/fiber_data.h"
#include "model/fiber_label.h"
#include "model/input_check.h"
#include "model/tree_operations.h"
#include "support/listed_fibers.h"

namespace dorvanix {
namespace {

using testing::ListedFiber;

const std::vector<ListedFiber>& smallFibers() {
    static const std::vector<ListedFiber> fibers = testing::listedFibers(9, 3, 5);
    return fibers;
}

// Calls visit(node, parent multiplicity, next multiplicity) for every chain curve of the tree.
template <typename Visit>
void forEachChainCurve(const DivisorNode& root, Visit&& visit) {
    for (int k = 0; k < root.degree; ++k) {
        int before = root.multiplicity;
        for (const DivisorNode* node = root.neighbor(k); node != nullptr;
             node = node->degree == 2 ? node->neighbor(1) : nullptr) {
            const DivisorNode* next = node->degree == 2 ? node->neighbor(1) : nullptr;
            visit(*node, before, next != nullptr ? next->multiplicity : 0);
            before = node->multiplicity;
        }
    }
}

// Both text forms of every listed fiber read to the same fiber, print back to themselves, and
// give self-intersections that make every curve numerically trivial.
TEST(FiberInvariants, BothTextFormsBuildTheSameNumericallyTrivialFiber) {
    ASSERT_GT(smallFibers().size(), 200u) << "too few fibers to say anything";
    for (const ListedFiber& fiber : smallFibers()) {
        SCOPED_TRACE(fiber.line);
        EXPECT_EQ(fiberListLine(fiber.m, fiber.r, fiber.parts, fiber.simpleCrusts, fiber.genus),
                  fiber.line)
            << "the entry's numbers are those of its line";
        const FiberData expected = fiberFromParts(fiber.m, fiber.r, fiber.parts);
        NodePool pool;
        DivisorNode& fromLine = pool.take();
        parseFiberLine(pool, fromLine, fiber.line);
        EXPECT_EQ(fiberDataOf(fromLine), expected);
        const std::string notation = printDivisorNotation(fromLine);
        EXPECT_EQ(notation, fiberNotation(expected));
        EXPECT_EQ(divisorNotationLength(fromLine), static_cast<int>(notation.size()));

        DivisorNode& fromNotation = pool.take();
        EXPECT_EQ(parseDivisorNotation(pool, fromNotation, notation), fiber.r);
        EXPECT_EQ(printDivisorNotation(fromNotation), notation) << "printing gives back the text";
        EXPECT_EQ(fiberDataOf(fromNotation), expected);
        EXPECT_EQ(parseFiberText(fiber.line), expected) << "the typed-text reader, annotated";
        EXPECT_EQ(parseFiberText(notation), expected) << "the typed-text reader, notation";
        EXPECT_EQ(parseFiberText(fiberLabel(expected)), expected) << "the typed-text reader, label";

        for (const DivisorNode* root : {&fromLine, &fromNotation}) {
            const char* parser = root == &fromLine ? "fiber line: " : "notation: ";
            long long firstSum = 0;
            for (int k = 0; k < root->degree; ++k) firstSum += root->neighbor(k)->multiplicity;
            EXPECT_EQ(static_cast<long long>(root->selfIntersection) * root->multiplicity, firstSum)
                << parser << "at the core";
            forEachChainCurve(*root, [&](const DivisorNode& node, int before, int after) {
                EXPECT_EQ(node.selfIntersection * node.multiplicity, before + after)
                    << parser << "at the curve with serial " << node.serial;
                EXPECT_GE(node.selfIntersection, 2) << parser << "serial " << node.serial;
            });
        }
    }
}

// The arithmetic genus of the fiber by adjunction, 2 + sum m_i (r_i - 2) over all curves, must be
// twice the Riemann-Hurwitz genus of the list.
TEST(FiberInvariants, AdjunctionGenusEqualsTheListedGenus) {
    std::vector<std::string> failures;
    for (const ListedFiber& fiber : smallFibers()) {
        NodePool pool;
        DivisorNode& root = pool.take();
        parseFiberLine(pool, root, fiber.line);
        long long twiceGenus =
            2 + static_cast<long long>(root.multiplicity) * (root.selfIntersection - 2);
        forEachChainCurve(root, [&](const DivisorNode& node, int, int) {
            twiceGenus += static_cast<long long>(node.multiplicity) * (node.selfIntersection - 2);
        });
        if (twiceGenus != 2LL * fiber.genus) {
            failures.push_back(fiber.line +
                               ": adjunction gives 2g = " + std::to_string(twiceGenus));
        }
    }
    EXPECT_TRUE(failures.empty()) << failures.size() << " fibers, first: " << failures.front();
}

}  // namespace
}  // namespace dorvanix
