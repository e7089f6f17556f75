// A long working session on one pool: choosing fibers one after another, listing, selecting and
// analysing, as the desktop program does, must leave the pool where it began.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/divisor_notation.h"
#include "model/fiber_data.h"
#include "model/fiber_enumeration.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"
#include "subdivisor/subdivisor_analysis.h"
#include "subdivisor/subdivisor_line.h"
#include "subdivisor/subdivisor_listing.h"

namespace dorvanix {
namespace {

std::vector<std::string> fiberLinesToVisit() {
    std::vector<std::string> lines;
    for (int m = 3; m <= 7; ++m) {
        for (int b = 3; b <= 4; ++b) {
            for (const auto& line : fiberLines(m, 2, b, FiberOptions{})) lines.push_back(line);
        }
    }
    return lines;
}

TEST(LongSession, AThousandRoundsLeaveThePoolAsItBegan) {
    const std::vector<std::string> fibers = fiberLinesToVisit();
    ASSERT_FALSE(fibers.empty());
    NodePool pool;
    DivisorNode& current = pool.take();  // the core node "OK >" takes
    const std::size_t atStart = pool.inUseCount();
    std::size_t capacity = 0;
    for (int round = 0; round < 1000; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string& line = fibers[round % fibers.size()];
        releaseBranches(pool, current);
        parseFiberLine(pool, current, line);
        const FiberData x = fiberDataOf(current);
        const std::vector<std::string> subdivisors =
            subdivisorLines(x, SubdivisorOptions{0, false, false});
        ASSERT_FALSE(subdivisors.empty()) << line;
        DivisorNode& y = pool.take();
        buildSelectedDivisor(pool, y, subdivisors[round % subdivisors.size()], x.branchCount());
        const int genus = fiberGenus(x.m, x.firstMultiplicities());
        AnalysisResult analysis = analyzeSubdivisor(current, y, genus, pool);
        recentreDivisor(current);
        releaseAnalysis(pool, analysis);
        releaseSubtree(pool, &y);
        std::size_t fiberNodes = 0;
        for (const auto& chain : x.chains) fiberNodes += chain.size();
        ASSERT_EQ(pool.inUseCount(), atStart + fiberNodes) << line;
        // Once every fiber has been seen the pool has all the room it will need.
        if (round == static_cast<int>(fibers.size())) capacity = pool.capacity();
        if (capacity > 0) {
            ASSERT_EQ(pool.capacity(), capacity) << "the pool keeps growing";
        }
    }
    releaseBranches(pool, current);
    EXPECT_EQ(pool.inUseCount(), atStart);
}

}  // namespace
}  // namespace dorvanix
