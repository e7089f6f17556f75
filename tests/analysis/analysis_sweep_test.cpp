#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "analysis/analysis_dual_graph.h"
#include "analysis/analysis_summary.h"
#include "analysis/subdivisor_choice.h"
#include "census/fiber_enumeration.h"
#include "census/subdivisor_listing.h"
#include "model/input_check.h"

namespace dorvanix {
namespace {

// Every fiber with 2 <= m <= maxM, 2 <= r <= 3 and 3 <= b <= 4.
std::vector<std::string> smallFibers(int maxM) {
    std::vector<std::string> fibers;
    for (int m = 2; m <= maxM; ++m) {
        for (int r = 2; r <= 3; ++r) {
            for (int b = 3; b <= 4; ++b) {
                enumerateFibers(m, r, b, FiberOptions{},
                                [&](const FiberEntry& entry) { fibers.emplace_back(entry.line); });
            }
        }
    }
    return fibers;
}

bool sizedToDegree(const DivisorNode& node) {
    const auto size = static_cast<std::size_t>(node.degree);
    return node.degree >= 0 && node.neighbors.size() == size && node.armAngle.size() == size &&
           node.handleLength.size() == size && node.armLength.size() == size &&
           node.armAngleVelocity.size() == size && node.handleLengthVelocity.size() == size &&
           node.armLengthVelocity.size() == size &&
           node.pointX.size() >= static_cast<std::size_t>(node.pointCount) &&
           node.pointY.size() >= static_cast<std::size_t>(node.pointCount);
}

// The shape every analysis must have, whatever the letters: nodes sized to their degree, links
// only between nodes of the result, the chain diagram and the genus chain as computed.
void checkShape(const AnalysisResult& result, int genusX) {
    ASSERT_NE(result.root, nullptr);
    ASSERT_NE(result.joiningCurve, nullptr);
    const std::unordered_set<const DivisorNode*> own(result.nodes.begin(), result.nodes.end());
    EXPECT_EQ(own.size(), result.nodes.size()) << "a node is tracked twice";
    int marked = 0;
    for (const DivisorNode* node : result.nodes) {
        ASSERT_TRUE(sizedToDegree(*node)) << "node with serial " << node->serial;
        EXPECT_EQ(node->inUse, 1);
        marked += node->marked;
        for (const DivisorNode* link : node->neighbors) {
            ASSERT_TRUE(link == nullptr || own.contains(link))
                << "node with serial " << node->serial << " links outside the analysis";
        }
    }
    for (const auto& [node, depth] : nodesByChildRule(*result.root)) {
        EXPECT_TRUE(own.contains(node)) << "reached node with serial " << node->serial;
    }
    // The genus chain hangs from J only where h is its genus.
    const int genus = result.joiningCurveGenus.value_or(0);
    EXPECT_EQ(result.joiningCurve->degree, 3 * result.stubCount + (genus > 0 ? 1 : 0));
    EXPECT_EQ(marked, genus);
    EXPECT_EQ(result.genusNote.empty(), result.joiningCurveGenus.has_value()) << result.genusNote;
    if (result.proportionalBranch) {
        EXPECT_FALSE(result.genusNumerator.has_value());
        EXPECT_EQ(result.chains, nullptr);
        EXPECT_EQ(result.chainCount, -1);
        EXPECT_EQ(result.gcd, -1);
        return;
    }
    ASSERT_NE(result.chains, nullptr);
    ASSERT_EQ(result.chains->degree, result.chainCount);
    const std::size_t length = genusX > 0 ? static_cast<std::size_t>(genusX) : 0;
    // The figures the command line shows must say the same as the nodes.
    const AnalysisFigures figures = analysisFigures(result);
    ASSERT_EQ(figures.chains.size(), static_cast<std::size_t>(result.chainCount));
    for (int i = 0; i < result.chainCount; ++i) {
        const auto chain = chainNodes(result.chains->neighbor(i));
        ASSERT_EQ(chain.size(), length) << "chain " << i;
        ASSERT_EQ(figures.chains[i].size(), length) << "chain " << i;
        for (std::size_t k = 0; k < chain.size(); ++k) {
            const bool flagged = static_cast<int>(k) < result.gcd;
            EXPECT_EQ(chain[k]->multiplicity, static_cast<int>(k) + 1);
            EXPECT_EQ(chain[k]->selfIntersection == 1, flagged) << "chain " << i << " node " << k;
            EXPECT_EQ(figures.chains[i][k].multiplicity, static_cast<int>(k) + 1);
            EXPECT_EQ(figures.chains[i][k].flagged, flagged) << "chain " << i << " node " << k;
        }
    }
    // R as the tree shows it: a curve meets another as often as that one meets it, and the
    // self-intersection shown makes R numerically trivial on it (R.C = 0).
    for (std::size_t a = 0; a < figures.nodes.size(); ++a) {
        const AnalysisNodeFigures& node = figures.nodes[a];
        long long met = 0;
        for (const int b : node.neighboursInR) {
            const auto& back = figures.nodes[static_cast<std::size_t>(b)].neighboursInR;
            EXPECT_EQ(std::count(back.begin(), back.end(), static_cast<int>(a)),
                      std::count(node.neighboursInR.begin(), node.neighboursInR.end(), b))
                << "serial " << node.serial;
            met += figures.nodes[static_cast<std::size_t>(b)].multiplicity;
        }
        EXPECT_EQ(node.inR, node.multiplicity != 0 && !node.genusChain) << node.serial;
        if (!node.inR) {
            EXPECT_TRUE(node.neighboursInR.empty()) << "serial " << node.serial;
        }
        if (node.selfIntersection) {
            EXPECT_EQ(met + 1LL * node.multiplicity * *node.selfIntersection, 0)
                << "serial " << node.serial;
        }
    }
}

// The first Betti number of a connected graph, -1 when it falls apart.
int cycleCount(const DualGraph& graph) {
    std::vector<int> part(graph.vertices.size());
    for (std::size_t i = 0; i < part.size(); ++i) part[i] = static_cast<int>(i);
    const auto find = [&](int v) {
        while (part[static_cast<std::size_t>(v)] != v) v = part[static_cast<std::size_t>(v)];
        return v;
    };
    std::size_t parts = part.size();
    for (const auto& [i, j] : graph.edges) {
        if (find(i) != find(j)) {
            part[static_cast<std::size_t>(find(i))] = find(j);
            --parts;
        }
    }
    if (parts != 1) return -1;
    return static_cast<int>(graph.edges.size() + 1 - graph.vertices.size());
}

// Chooses one line of one fiber and checks it; the pool must come back to where it started.
template <typename Check>
void analyseLine(SubdivisorChoice& x, const std::string& line, Check&& check) {
    SCOPED_TRACE(line);
    const std::size_t before = x.pool().inUseCount();
    x.choose(line);
    const AnalysisResult& result = x.analysis();
    checkShape(result, x.genus());
    const ChainCounts counts = chainCounts(x.fiber(), *x.subdivisor());
    EXPECT_EQ(counts.chainCount, result.chainCount);
    EXPECT_EQ(counts.gcd, result.gcd);
    EXPECT_EQ(counts.proportionalBranch, result.proportionalBranch);
    check(result);
    x.clearChoice();
    EXPECT_EQ(x.pool().inUseCount(), before);
    EXPECT_TRUE(result.root == nullptr && result.nodes.empty()) << "released nodes still held";
}

// Every line with its own letters, then with each branch in turn given each letter while the
// others keep theirs (letters that do not fit the line, as a typed line may have them, must
// still give a well-formed analysis). Many thousand analyses of every fiber in turn on one pool,
// which must end as it began.
TEST(AnalysisSweep, EveryAdmittedLineOfEverySmallFiberWithAnyLettersHasTheRightShape) {
    const std::string alphabet = "0ABC?";
    long long lines = 0, variants = 0, parityChecked = 0, reducedChecked = 0, manyMeetings = 0;
    NodePool pool;  // one pool for the whole sweep, as in a long working session
    for (const std::string& fiber : smallFibers(7)) {
        SCOPED_TRACE(fiber);
        const FiberData data = parseFiberText(fiber);
        SubdivisorChoice x(data, pool);
        for (const std::string& line : subdivisorLines(data, SubdivisorOptions{0, false, false})) {
            ++lines;
            // On the lines the default listing shows (no '?') with at most one core stub, the
            // genus of J comes out whole and not negative.
            const bool listed = line.find('?') == std::string::npos;
            // Where J meets the core more than once the count is never its genus. Where it is,
            // and R is reduced (every multiplicity 1), topology gives the genus a second way:
            // R is then a fiber of genus g = (genera of its curves) + (cycles of its graph).
            analyseLine(x, line, [&](const AnalysisResult& result) {
                if (!listed || result.proportionalBranch) return;
                ASSERT_TRUE(result.genusNumerator.has_value());
                const long long excess = *result.genusNumerator;
                if (result.coreBranches > 1) {
                    ++manyMeetings;
                    EXPECT_FALSE(result.joiningCurveGenus.has_value()) << "h = " << excess << "/2";
                    return;
                }
                ++parityChecked;
                EXPECT_EQ(excess % 2, 0) << "d N - (a + chiX - chiR) = " << excess;
                EXPECT_GE(excess, 0);
                if (!result.joiningCurveGenus) return;
                EXPECT_EQ(2LL * *result.joiningCurveGenus, excess);
                const DualGraph graph = analysisDualGraph(result);
                if (std::all_of(graph.vertices.begin(), graph.vertices.end(),
                                [](const DualVertex& v) { return v.multiplicity == 1; })) {
                    ++reducedChecked;
                    EXPECT_EQ(*result.joiningCurveGenus, x.genus() - cycleCount(graph));
                }
            });
            for (std::size_t j = line.find("type = ") + 7; j < line.size(); ++j) {
                for (const char letter : alphabet) {
                    std::string variant = line;
                    variant[j] = letter;
                    ++variants;
                    analyseLine(x, variant, [](const AnalysisResult&) {});
                }
            }
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
    EXPECT_EQ(pool.inUseCount(), 0u) << "every fiber and every analysis gave its nodes back";
    EXPECT_GT(lines, 1000);
    EXPECT_GT(variants, 10000);
    EXPECT_GT(parityChecked, 300);
    EXPECT_GT(reducedChecked, 50);
    EXPECT_GT(manyMeetings, 10);
}

}  // namespace
}  // namespace dorvanix
