// Typed fiber text and divisor notation: text is rejected with InputError or accepted, and then the
// trees its fiber line and its notation build carry exactly the accepted chains, the notation
// prints back to itself, and the sub-divisor lines checked against a fiber print back to their
// canonical form. Nothing may leave a node taken.
#include <cstdint>
#include <string>
#include <string_view>

#include "census/subdivisor_line.h"
#include "model/divisor_notation.h"
#include "model/fiber_data.h"
#include "model/input_check.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"

using namespace dorvanix;

namespace {

void checkRoundTrip(std::string_view text) {
    FiberData fiber;
    try {
        fiber = parseFiberText(text);
    } catch (const InputError&) {
        return;
    }
    const std::string notation = fiberNotation(fiber);
    NodePool pool;
    DivisorNode& root = pool.take();
    parseDivisorNotation(pool, root, notation);
    if (printDivisorNotation(root) != notation) __builtin_trap();
    if (divisorNotationLength(root) != static_cast<int>(notation.size())) __builtin_trap();
    if (text.front() == '(' && text.substr(0, 2) != "((" && notation != text) __builtin_trap();
    releaseBranches(pool, root);
    parseFiberLine(pool, root, fiberLineText(fiber.m, fiber.r, fiber.firstMultiplicities()));
    if (!(fiberDataOf(root) == fiber)) __builtin_trap();
    releaseBranches(pool, root);
    pool.releaseNode(&root);
    if (pool.inUseCount() != 0) __builtin_trap();
}

// A sub-divisor line against the fixed fiber (5;(4,3,2,1),(3,1),(3,1)).
void checkSubdivisorLine(std::string_view text) {
    static const FiberData x = fiberFromParts(5, 2, {4, 3, 3});
    SubdivisorLine y;
    try {
        y = parseSubdivisorLine(x, text);
    } catch (const InputError&) {
        return;
    }
    if (parseSubdivisorLine(x, y.line).line != y.line) __builtin_trap();
    NodePool pool;
    DivisorNode& root = pool.take();
    buildSelectedDivisor(pool, root, y.line, x.branchCount());
    if (root.ell != y.ell) __builtin_trap();
    releaseBranches(pool, root);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkRoundTrip(text);
    checkSubdivisorLine(text);
    return 0;
}
