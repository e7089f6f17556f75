#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analysis_summary.h"
#include "analysis_fixture.h"

namespace dorvanix {
namespace {

using testing::AnalysisUnderTest;

constexpr const char* kSmall = "(3;(2,1),(2,1),(2,1))";
constexpr const char* kFive = "(5;(4,3,2,1),(3,1),(3,1))";

// The analysis divisor as the command line prints it, one node after another along the child
// rule: a dot per level below the core, then serial:multiplicity/links in the drawing.
std::string treeOf(const AnalysisResult& result) {
    std::string text;
    for (const AnalysisNodeFigures& node : analysisFigures(result).nodes) {
        text += (text.empty() ? "" : " ") + std::string(static_cast<std::size_t>(node.depth), '.') +
                std::to_string(node.serial) + ":" + std::to_string(node.multiplicity) + "/" +
                std::to_string(node.drawingPoints);
    }
    return text;
}

struct FigureRow {
    const char* label;
    const char* fiber;
    const char* line;
    int coreBranches, stubs, inserted, eulerX, eulerR, chainCount, gcd;
    std::optional<long long> numerator;  // d N - (a + chi(X) - chi(R))
    std::optional<int> genus;            // none where the count is no genus of J
    bool proportional;
    const char* tree;
};

// The shape that follows from these figures is checked for every line in analysis_sweep_test.cpp;
// where the nodes of the analysis divisor come to lie, the picture's golden frames show.
TEST(SubdivisorAnalysis, WorkedExamplesGiveTheirFiguresAndTrees) {
    const FigureRow rows[] = {
        {"CAA: two tail stubs and two end stubs", kSmall, "(2;(2),(1),(1)):: ell = 1 :: type = CAA",
         0, 4, 0, 8, 6, 2, 1, 0, 0, false,
         "1:1/3 .2:0/2 .4:1/2 ..5:1/2 ...1000:1/12 .6:1/2 ..7:1/2"},
        {"ABB: stubs cut off, a genus chain", kFive,
         "(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB", 0, 3, 0, 10, 9, 3, 1, 2, 1, false,
         "1:2/3 .2:2/2 ..3:2/2 ...4:2/3 ....2005:1/1 ....1000:1/10 .....3001:1/1 .6:1/2 .8:1/2"},
        {"CBA: a node inserted between the last two copies", kFive,
         "(3;(3,3),(2,1),(1)):: ell = 1 :: type = CBA", 0, 5, 1, 10, 8, 3, 1, 0, 0, false,
         "1:2/3 .2:1/2 ..3:0/2 .6:1/2 .8:2/2 ..9:4/3 ...2009:1/1 ...1000:1/15"},
        {"CCA: a core stub and e = 1", kSmall, "(2;(2),(2),(1)):: ell = 1 :: type = CCA", 1, 6, 0,
         8, 4, 4, 1, 0, 0, false, "1:1/4 .2:0/2 .4:0/2 .6:1/2 ..7:1/2 ...1000:1/18"},
        {"BBB: ell = 2 and a core stub", kSmall, "(2;(2),(2),(2)):: ell = 2 :: type = BBB", 1, 4, 0,
         8, 6, 2, 1, 0, 0, false, "1:1/4 .1000:2/12 ..1003:1/1 ..1005:1/1 ..1007:1/1"},
        {"C?A: two inserted nodes, and a count of -1/2", kFive,
         "(4;(4),(3),(1)):: ell = 1 :: type = C?A", 0, 7, 2, 10, 7, 4, 1, -1, std::nullopt, false,
         "1:1/3 .2:0/2 .6:0/2 .8:2/2 ..9:7/3 ...1000:4/2 ....2009:1/1 ...1000:1/21"},
        {"ACB: the tail walk runs past the end of the branch", "(5;(4,3,2,1),(4,3,2,1),(2,1))",
         "(4;(2),(4),(2)):: ell = 2 :: type = ACB", 0, 4, 0, 12, 10, 2, 1, 0, 0, false,
         "1:1/3 .2:2/2 ..3:3/3 ...2004:2/2 ....2005:1/1 ...1000:2/12 ....1999:1/2 ....1999:1/2 "
         "....1011:1/1 .6:0/2"},
        {"CAB0: letter 0 on a one-node branch fans its stubs", "((4,2),3,3,1,1)",
         "(3;(3),(2,1),(1),()):: ell = 1 :: type = CAB0", 0, 8, 0, 10, 4, 6, 1, 0, 0, false,
         "1:1/4 .2:0/2 .5:1/2 ..6:1/2 ...7:1/2 ....1000:1/24 .9:1/4"},
        {"proportional third branch: chi known, no count", "(4;(3,2,1),(3,2,1),(2))",
         "(2;(2,2),(1),(1)):: ell = 1 :: type = CAA", 0, 3, 0, 9, 8, -1, -1, std::nullopt,
         std::nullopt, true,
         "1:2/3 .2:1/2 ..3:0/2 .5:2/2 ..6:2/3 ...2007:1/1 ...1000:1/9 .2008:1/1"},
    };
    for (const FigureRow& row : rows) {
        SCOPED_TRACE(row.label);
        AnalysisUnderTest analysis(row.fiber, row.line);
        const AnalysisResult& r = analysis.result();
        EXPECT_EQ(r.coreBranches, row.coreBranches);
        EXPECT_EQ(r.stubCount, row.stubs);
        EXPECT_EQ(r.insertedCount, row.inserted);
        EXPECT_EQ(r.supportEulerX, row.eulerX);
        EXPECT_EQ(r.supportEulerR, row.eulerR);
        EXPECT_EQ(r.chainCount, row.chainCount);
        EXPECT_EQ(r.gcd, row.gcd);
        EXPECT_EQ(r.genusNumerator, row.numerator);
        EXPECT_EQ(r.joiningCurveGenus, row.genus);
        EXPECT_EQ(r.genusNote.empty(), row.genus.has_value()) << r.genusNote;
        EXPECT_EQ(r.proportionalBranch, row.proportional);
        EXPECT_EQ(treeOf(r), row.tree);
    }
}

TEST(SubdivisorAnalysis, APoolTooSmallThrowsAndGivesEveryNodeBack) {
    // Every capacity below what Y and its analysis need must fail cleanly at a different node.
    bool succeeded = false;
    int failures = 0;
    for (std::size_t capacity = 9; capacity < 80 && !succeeded; ++capacity) {
        SCOPED_TRACE("capacity " + std::to_string(capacity));
        NodePool pool(capacity, NodePool::Growth::Bounded);
        SubdivisorChoice x(parseFiberText(kFive), pool);
        const std::size_t before = pool.inUseCount();
        try {
            x.choose("(3;(3,3),(2,1),(1)):: ell = 1 :: type = CBA");
            succeeded = true;
            x.clearChoice();
        } catch (const PoolExhausted&) {
            ++failures;
        }
        EXPECT_EQ(pool.inUseCount(), before);
    }
    EXPECT_TRUE(succeeded);
    EXPECT_GT(failures, 10) << "the choice should fail at many different nodes";
}

TEST(SubdivisorAnalysis, RefusesAnEllBelowOne) {
    NodePool pool;
    SubdivisorChoice x(parseFiberText(kSmall), pool);
    const std::size_t before = pool.inUseCount();
    EXPECT_THROW(x.choose("(2;(2),(1),(1)):: ell = 0 :: type = CAA"), std::invalid_argument);
    EXPECT_EQ(pool.inUseCount(), before);
}

}  // namespace
}  // namespace dorvanix
