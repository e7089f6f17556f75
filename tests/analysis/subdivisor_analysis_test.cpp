#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/analysis_summary.h"
#include "analysis_fixture.h"

namespace dorvanix {
namespace {

using testing::AnalysisUnderTest;

constexpr const char* kSmall = "(3;(2,1),(2,1),(2,1))";
constexpr const char* kFive = "(5;(4,3,2,1),(3,1),(3,1))";

// The copies of one branch of the analysis divisor, following neighbour 1 from the core.
std::vector<const DivisorNode*> branchCopies(const DivisorNode& root, int j) {
    std::vector<const DivisorNode*> copies;
    // The joining curve (the only node with extra points) is not a copy.
    for (const DivisorNode* node = root.neighbor(j); node != nullptr && node->pointCount == 0;
         node = node->degree >= 2 ? node->neighbor(1) : nullptr) {
        copies.push_back(node);
    }
    return copies;
}

// The X node at position i of branch j.
const DivisorNode& xNode(const DivisorNode& x, int j, int i) {
    const DivisorNode* node = x.neighbor(j);
    for (int k = 0; k < i; ++k) node = node->neighbor(1);
    return *node;
}

struct FigureRow {
    const char* label;
    const char* fiber;
    const char* line;
    int coreBranches, stubs, inserted, eulerX, eulerR, chainCount, gcd, genus;
    bool proportional;
    int rootMultiplicity, rootDegree;
};

// The shape that follows from these figures is checked for every line in analysis_sweep_test.cpp.
TEST(SubdivisorAnalysis, WorkedExamplesGiveTheirFigures) {
    const FigureRow rows[] = {
        {"CAA", kSmall, "(2;(2),(1),(1)):: ell = 1 :: type = CAA", 0, 4, 0, 8, 6, 2, 1, 0, false, 1,
         3},
        {"ABB", kFive, "(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB", 0, 3, 0, 10, 9, 3, 1, 1,
         false, 2, 3},
        {"CBA with one inserted node", kFive, "(3;(3,3),(2,1),(1)):: ell = 1 :: type = CBA", 0, 5,
         1, 10, 8, 3, 1, 0, false, 2, 3},
        {"CCA with a core stub and e = 1", kSmall, "(2;(2),(2),(1)):: ell = 1 :: type = CCA", 1, 6,
         0, 8, 4, 4, 1, 0, false, 1, 4},
        {"BBB with ell = 2 and a core stub", kSmall, "(2;(2),(2),(2)):: ell = 2 :: type = BBB", 1,
         4, 0, 8, 6, 2, 1, 0, false, 1, 4},
        {"C?A with two inserted nodes", "(5;(4,3,2,1),(3,1),(3,1))",
         "(4;(4),(3),(1)):: ell = 1 :: type = C?A", 0, 7, 2, 10, 7, 4, 1, 0, false, 1, 3},
        {"proportional third branch", "(4;(3,2,1),(3,2,1),(2))",
         "(2;(2,2),(1),(1)):: ell = 1 :: type = CAA", 0, 3, 0, 0, 0, -1, -1, 0, true, 2, 3},
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
        EXPECT_EQ(r.joiningCurveGenus, row.genus);
        EXPECT_EQ(r.proportionalBranch, row.proportional);
        EXPECT_EQ(analysis.root().multiplicity, row.rootMultiplicity);
        EXPECT_EQ(analysis.root().degree, row.rootDegree);
    }
}

TEST(SubdivisorAnalysis, TypeCAAMakesTwoTailStubsAndTwoEndStubs) {
    AnalysisUnderTest analysis(kSmall, "(2;(2),(1),(1)):: ell = 1 :: type = CAA");
    const DivisorNode& root = analysis.root();
    const DivisorNode& curve = analysis.joiningCurve();
    const DivisorNode& x = analysis.x();

    const DivisorNode& first = *root.neighbor(0);
    EXPECT_EQ(first.multiplicity, 0);
    EXPECT_EQ(first.serial, 2);
    EXPECT_EQ(first.neighbor(1), nullptr) << "the copy keeps no successor";

    // Stubs in list order: the two tail stubs of branch 0, then the end stubs of branches 1, 2.
    EXPECT_EQ(curve.pointCount, 12);
    EXPECT_DOUBLE_EQ(curve.pointX[0], xNode(x, 0, 0).x);
    EXPECT_DOUBLE_EQ(curve.pointX[3], xNode(x, 0, 1).x);
    EXPECT_EQ(curve.neighbor(1), nullptr);
    EXPECT_EQ(curve.neighbor(4), nullptr);
    for (int j = 1; j <= 2; ++j) {
        SCOPED_TRACE("branch " + std::to_string(j));
        const auto copies = branchCopies(root, j);
        ASSERT_EQ(copies.size(), 2u);
        EXPECT_EQ(copies[0]->multiplicity, 1);
        EXPECT_EQ(copies[1]->multiplicity, 1);
        EXPECT_EQ(copies[1]->degree, 2);
        EXPECT_EQ(copies[1]->serial, xNode(x, j, 1).serial);
        EXPECT_DOUBLE_EQ(copies[1]->armAngle[1], xNode(x, j, 1).armAngle[0] + 6.2832 / 2);
        EXPECT_EQ(copies[1]->neighbor(1), &curve);
        EXPECT_EQ(curve.neighbor(3 * (j + 1) + 1), copies[1]);
    }
}

TEST(SubdivisorAnalysis, TypeABBCutsStubsOffAndHangsAGenusChain) {
    AnalysisUnderTest analysis(kFive, "(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB");
    const DivisorNode& root = analysis.root();
    const DivisorNode& curve = analysis.joiningCurve();

    const auto copies = branchCopies(root, 0);
    ASSERT_EQ(copies.size(), 4u);
    const int multiplicities[] = {2, 2, 2, 1};
    const int serials[] = {2, 3, 4, 2005};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("copy " + std::to_string(i) + " of branch 0");
        EXPECT_EQ(copies[i]->multiplicity, multiplicities[i]);
        EXPECT_EQ(copies[i]->serial, serials[i]);
    }
    EXPECT_EQ(copies[2]->degree, 3);
    EXPECT_EQ(copies[2]->neighbor(2), &curve);
    for (int j = 1; j <= 2; ++j) {
        SCOPED_TRACE("branch " + std::to_string(j));
        EXPECT_EQ(root.neighbor(j)->multiplicity, 1);
        EXPECT_EQ(root.neighbor(j)->neighbor(1), nullptr) << "the stub is cut off";
    }
    // One link to the divisor (the stub on the third copy), the 'B' stubs hang free.
    EXPECT_EQ(curve.neighbor(1), copies[2]);
    EXPECT_EQ(curve.neighbor(4), nullptr);
    EXPECT_EQ(curve.neighbor(7), nullptr);

    ASSERT_EQ(curve.degree, 10);
    const DivisorNode& genus = *curve.neighbor(9);
    EXPECT_EQ(genus.serial, 3001);
    EXPECT_EQ(genus.marked, 1);
    EXPECT_EQ(genus.multiplicity, 1);
    EXPECT_EQ(genus.degree, 1);
    EXPECT_DOUBLE_EQ(curve.pointX[9], curve.pointX[1]);
    EXPECT_DOUBLE_EQ(curve.armAngle[9], curve.armAngle[4]) << "direction of the second stub";
    EXPECT_NEAR(std::hypot(genus.x - curve.pointX[9], genus.y - curve.pointY[9]), 30.0, 1e-9);

    const DivisorNode& holder = *analysis.result().chains;
    ASSERT_EQ(holder.degree, 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("chain " + std::to_string(i));
        const auto chain = chainNodes(holder.neighbor(i));
        ASSERT_EQ(chain.size(), 2u);
        // Chain nodes 40 apart along the spokes 2 pi i / 3.
        EXPECT_NEAR(std::hypot(chain[1]->x, chain[1]->y), 40.0, 1e-9);
        EXPECT_NEAR(std::atan2(chain[1]->y, chain[1]->x), std::remainder(i * 6.2832 / 3, 2 * M_PI),
                    1e-9);
    }
}

TEST(SubdivisorAnalysis, TypeCBAInsertsANodeBetweenTheLastTwoCopies) {
    AnalysisUnderTest analysis(kFive, "(3;(3,3),(2,1),(1)):: ell = 1 :: type = CBA");
    const auto copies = branchCopies(analysis.root(), 2);
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[0]->multiplicity, 2);
    EXPECT_EQ(copies[0]->serial, 8);
    const DivisorNode& inserted = *copies[1];
    EXPECT_EQ(inserted.multiplicity, 4);
    EXPECT_EQ(inserted.serial, 9);
    EXPECT_EQ(inserted.degree, 3);
    EXPECT_EQ(inserted.neighbor(0), copies[0]);
    EXPECT_EQ(inserted.neighbor(2), &analysis.joiningCurve());
    EXPECT_EQ(copies[2]->multiplicity, 1);
    EXPECT_EQ(copies[2]->serial, 2009);
    EXPECT_EQ(copies[2]->neighbor(0), &inserted);
}

TEST(SubdivisorAnalysis, TailWalkHangsAChainNodeBehindEachStub) {
    // Branch 1 (rule 'C', ell = 2): Y's 4 on X's chain 4, 3, 2, 1 gives two passes; each starts
    // a stub and drops by X's steps (2 -> 1 -> 0), leaving one chain node of multiplicity 1.
    AnalysisUnderTest analysis("(5;(4,3,2,1),(4,3,2,1),(2,1))",
                               "(4;(2),(4),(2)):: ell = 2 :: type = ACB");
    const DivisorNode& copy = *analysis.root().neighbor(1);
    EXPECT_EQ(copy.multiplicity, 0);
    EXPECT_EQ(copy.neighbor(1), nullptr) << "the walk ran past the end of the branch";
    const DivisorNode& curve = analysis.joiningCurve();
    std::vector<const DivisorNode*> chainNodes;
    for (const DivisorNode* link : curve.neighbors) {
        if (link != nullptr && link->serial == 1999) chainNodes.push_back(link);
    }
    ASSERT_EQ(chainNodes.size(), 2u);
    const int positions[] = {1, 3};
    for (std::size_t i = 0; i < chainNodes.size(); ++i) {
        SCOPED_TRACE("chain node " + std::to_string(i));
        const DivisorNode& node = *chainNodes[i];
        const DivisorNode& under = xNode(analysis.x(), 1, positions[i]);
        EXPECT_EQ(node.multiplicity, 1);
        EXPECT_EQ(node.degree, 2);
        EXPECT_EQ(node.neighbor(0), &curve);
        EXPECT_EQ(node.neighbor(1), nullptr);
        EXPECT_DOUBLE_EQ(node.x, under.x);
        // Arm 1 follows X's arm onward, or turns back where X's branch ends.
        const double onward = under.degree >= 2 ? under.armAngle[1] : under.armAngle[0] + 3.14159;
        EXPECT_DOUBLE_EQ(node.armAngle[1], onward);
    }
}

TEST(SubdivisorAnalysis, LetterZeroOnAOneNodeBranchFansItsStubsRoundTheFullTurn) {
    AnalysisUnderTest analysis("((4,2),3,3,1,1)", "(3;(3),(2,1),(1),()):: ell = 1 :: type = CAB0");
    const DivisorNode& x = xNode(analysis.x(), 3, 0);
    const DivisorNode& copy = *analysis.root().neighbor(3);
    ASSERT_EQ(copy.degree, 4) << "q = mY div ell = 3 stubs";
    EXPECT_EQ(copy.multiplicity, 1);
    for (int i = 1; i <= 3; ++i) {
        SCOPED_TRACE("stub " + std::to_string(i));
        EXPECT_DOUBLE_EQ(copy.armAngle[i], x.armAngle[0] + i * (6.2832 / 4));
        EXPECT_EQ(copy.neighbor(i), &analysis.joiningCurve());
    }
}

TEST(SubdivisorAnalysis, CoreStubsLieBetweenTheLastBranchAndAFullTurn) {
    AnalysisUnderTest analysis(kSmall, "(2;(2),(2),(1)):: ell = 1 :: type = CCA");
    const DivisorNode& root = analysis.root();
    ASSERT_EQ(root.degree, 4);
    EXPECT_EQ(root.neighbor(3), &analysis.joiningCurve());
    EXPECT_DOUBLE_EQ(root.armAngle[3], (analysis.x().armAngle[2] + 2 * 3.1416) / 2);
    EXPECT_DOUBLE_EQ(root.armLength[3], analysis.x().armLength[0]);
    // The core stub opens the stub list: J's first three points lie where it stood.
    const double distance = 2 * root.armLength[3];
    EXPECT_NEAR(analysis.joiningCurve().pointX[1], root.x + distance * std::cos(root.armAngle[3]),
                1e-9);
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
