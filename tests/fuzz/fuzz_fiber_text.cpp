// Typed fiber text: a fiber line or divisor notation is either rejected with InputError or
// accepted, and then the tree built from its numbers carries exactly the accepted chains.
#include <cstdint>
#include <string_view>

#include "model/fiber_data.h"
#include "model/fiber_tree.h"
#include "model/input_check.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"

using namespace dorvanix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FiberData fiber;
    try {
        fiber = parseFiberText(text);
    } catch (const InputError&) {
        return 0;
    }
    NodePool pool;
    DivisorNode& root = pool.take();
    buildFiberTree(pool, root, fiber);
    if (!(fiberDataOf(root) == fiber)) __builtin_trap();
    releaseBranches(pool, root);
    pool.releaseNode(&root);
    if (pool.inUseCount() != 0) __builtin_trap();
    return 0;
}
