// Inputs that once broke an invariant under the fuzzers, kept as ordinary cases.
#include <gtest/gtest.h>

#include <string>

#include "model/divisor_notation.h"
#include "model/fiber_data.h"
#include "model/input_check.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"

namespace dorvanix {
namespace {

struct FuzzCase {
    const char* what;
    std::string text;
    bool accepted;
};

TEST(FuzzRegressions, TypedFiberTextIsRejectedOrPrintsBackToItself) {
    const FuzzCase cases[] = {
        {"leading zero in a branch", "(3;(2,1),(02,1),(2,1))", false},
        {"leading zero in m", "((03,2),2,2,2)", false},
        {"zero alone is still a number", "(3;(2,1),(2,1),(0))", false},
        {"canonical notation", "(3;(2,1),(2,1),(2,1))", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.accepted) {
            EXPECT_THROW(parseFiberText(c.text), InputError);
            continue;
        }
        const FiberData fiber = parseFiberText(c.text);
        NodePool pool;
        DivisorNode& root = pool.take();
        parseDivisorNotation(pool, root, fiberNotation(fiber));
        EXPECT_EQ(printDivisorNotation(root), c.text);
        releaseBranches(pool, root);
    }
}

}  // namespace
}  // namespace dorvanix
