// Lookup reads every form of every census fiber back to that fiber, and says why for text that
// names no fiber of the census.
#include "files/fiber_lookup.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "census/genus_census.h"
#include "files/graph_formats.h"
#include "model/dual_graph.h"
#include "model/fiber_label.h"
#include "model/input_check.h"

namespace dorvanix {
namespace {

// The dual graph with its vertices in another order, every id replaced by a new one, the edges
// in another order and each turned either way.
std::string shuffledGraphJson(const FiberData& x, std::mt19937& random) {
    DualGraph graph = fiberDualGraph(x);
    std::vector<int> ids(graph.vertices.size());
    // Ids from both ends of 32 bits: any id that fits is taken.
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const int step = 7 * static_cast<int>(i);
        ids[i] = i % 2 == 0 ? INT_MAX - step : INT_MIN + step;
    }
    std::shuffle(ids.begin(), ids.end(), random);
    for (DualVertex& v : graph.vertices) v.id = ids[static_cast<std::size_t>(v.id)];
    for (auto& [a, b] : graph.edges) {
        a = ids[static_cast<std::size_t>(a)];
        b = ids[static_cast<std::size_t>(b)];
        if (random() % 2 == 0) std::swap(a, b);
    }
    std::shuffle(graph.vertices.begin(), graph.vertices.end(), random);
    std::shuffle(graph.edges.begin(), graph.edges.end(), random);
    return dualGraphJson(graph);
}

TEST(FiberLookup, EveryFormOfEveryCensusFiberFindsItsLabelAndLine) {
    std::mt19937 random(25);
    for (int genus = 1; genus <= 6; ++genus) {
        std::map<std::string, std::string> seen;  // label -> line
        censusByGenus(genus, [&](const CensusFiber& f) {
            const FiberData x = fiberFromParts(f.shape.m, f.shape.r, f.shape.parts);
            std::vector<int> turned = f.shape.parts;
            std::reverse(turned.begin(), turned.end());
            const std::string forms[] = {fiberLabel(x), std::string(f.line),
                                         fiberLineText(x.m, x.r, turned), fiberNotation(x),
                                         shuffledGraphJson(x, random)};
            for (const std::string& form : forms) {
                SCOPED_TRACE(form);
                const FoundFiber found = lookupFiber(form);
                ASSERT_EQ(found.line, f.line);
                ASSERT_EQ(found.label, forms[0]);
                ASSERT_EQ(found.fiber, x);
            }
            EXPECT_TRUE(seen.emplace(forms[0], f.line).second) << "two fibers share " << forms[0];
        });
        EXPECT_FALSE(seen.empty());
    }
}

TEST(FiberLookup, TextOfNoCensusFiberIsRefusedSayingWhy) {
    // ((3,2),2,2,2) is the chain core 3 with three branches 2, 1; ids 0 core, 1-6 the chains.
    const auto graph = [](const std::string& vertices, const std::string& edges) {
        return R"({"vertices":[)" + vertices + R"(],"edges":[)" + edges + "]}";
    };
    const std::string threeChains =
        R"({"id":1,"multiplicity":2},{"id":2,"multiplicity":1},{"id":3,"multiplicity":2},)"
        R"({"id":4,"multiplicity":1},{"id":5,"multiplicity":2},{"id":6,"multiplicity":1})";
    const std::string chainEdges = "[0,1],[1,2],[0,3],[3,4],[0,5],[5,6]";
    const struct {
        const char* name;
        std::string text;
        const char* reason;  // a part of the message
    } rows[] = {
        {"gcd 2", "((6,2),4,4,4)",
         "1.6.2.4-4-4 is no fiber of the census: gcd(m, a1, ..., ab) = 2"},
        {"r = 1", "((3,1),1,1,1)", "the core self-intersection r must be at least 2, not 1"},
        {"chain not by the rule", "(3;(2,1),(2,1),(2))",
         "does not follow the continued-fraction rule"},
        {"no form at all", "X = 3", "expected a label"},
        {"a chain of curves",
         graph(R"({"id":0,"multiplicity":3},{"id":1,"multiplicity":2},{"id":2,"multiplicity":1})",
               "[0,1],[1,2]"),
         "not star-shaped: no curve meets three or more others"},
        {"two cores",
         graph(R"({"id":0,"multiplicity":3},)" + threeChains +
                   R"(,{"id":7,"multiplicity":1},{"id":8,"multiplicity":1})",
               chainEdges + ",[1,7],[1,8]"),
         "not star-shaped: curve 0 and curve 1 both meet three or more others"},
        {"a cycle", graph(R"({"id":0,"multiplicity":3},)" + threeChains, chainEdges + ",[2,4]"),
         "the curves do not form a tree: 7 curves meet in 7 points, not 6"},
        {"two pieces",
         graph(R"({"id":0,"multiplicity":3},)" + threeChains + R"(,{"id":7,"multiplicity":1})",
               "[0,1],[1,2],[0,3],[3,4],[0,5],[5,6],[6,1]"),
         "the curves do not form a tree: they fall apart"},
        {"chain 2, 2",
         graph(R"({"id":0,"multiplicity":3},{"id":1,"multiplicity":2},{"id":2,"multiplicity":2},)"
               R"({"id":3,"multiplicity":2},{"id":4,"multiplicity":1},{"id":5,"multiplicity":2},)"
               R"({"id":6,"multiplicity":1})",
               chainEdges),
         "the branch at curve 1 reads (2,2), but the chain of m = 3 and first multiplicity 2 "
         "reads (2,1)"},
        {"core -3",
         graph(R"({"id":0,"multiplicity":3,"self_intersection":-3},)" + threeChains, chainEdges),
         "the core has self-intersection -3, but its branches make it -2"},
        {"chain curve -3",
         graph(R"({"id":0,"multiplicity":3},{"id":1,"multiplicity":2,"self_intersection":-3},)"
               R"({"id":2,"multiplicity":1},{"id":3,"multiplicity":2},{"id":4,"multiplicity":1},)"
               R"({"id":5,"multiplicity":2},{"id":6,"multiplicity":1})",
               chainEdges),
         "curve 1 has self-intersection -3, but its chain makes it -2"},
        {"curve of genus 1",
         graph(R"({"id":0,"multiplicity":3,"genus":1},)" + threeChains, chainEdges),
         "curve 0 has genus 1; every curve of a star-shaped fiber is rational"},
        {"edge to nowhere", graph(R"({"id":0,"multiplicity":3},)" + threeChains, "[0,9]"),
         "the edge [0, 9] names no curve 9"},
        {"id twice", graph(R"({"id":0,"multiplicity":3},{"id":0,"multiplicity":1})", "[0,0]"),
         "two curves have the id 0"},
        {"not JSON", R"({"vertices":[)", "dual graph: not JSON: "},
        {"an id nested 100000 deep",
         graph(R"({"id":)" + std::string(100000, '[') + std::string(100000, ']') +
                   R"(,"multiplicity":1})",
               ""),
         "vertex 1: \"id\" must be a whole number in -2147483648 ... 2147483647, not an array"},
        {"an edge nested 100000 deep",
         graph(R"({"id":0,"multiplicity":3})", std::string(100000, '[') + std::string(100000, ']')),
         "edge 1 must be a pair of ids"},
        {"a field of another program nested 100000 deep",
         graph(R"({"id":0,"multiplicity":3,"layout":)" + std::string(100000, '[') + "}", ""),
         "nested deeper than 16 levels"},
        {"core self-intersection 2^64 - 2, once read as -2",
         graph(
             R"({"id":0,"multiplicity":3,"self_intersection":18446744073709551614},)" + threeChains,
             chainEdges),
         "vertex 1: \"self_intersection\" must be a whole number in -10000000 ... 10000000, not "
         "18446744073709551614"},
        {"id 2^64 - 1, once read as -1",
         graph(R"({"id":18446744073709551615,"multiplicity":3},)" + threeChains, chainEdges),
         "\"id\" must be a whole number in -2147483648 ... 2147483647, not 18446744073709551615"},
        {"multiplicity 2^64 - 5", graph(R"({"id":0,"multiplicity":18446744073709551611})", ""),
         "not 18446744073709551611"},
        {"an id of 2^31", graph(R"({"id":0,"multiplicity":3})", "[0,2147483648]"),
         "edge 1: an id must be a whole number in -2147483648 ... 2147483647, not 2147483648"},
        {"a number past any double", graph(R"({"id":1e400,"multiplicity":3})", ""),
         "the number \"1e400\" is too large"},
        {"an escape sequence in a string", "{\"vertices\":[\"\x1b]0;x\x07", "last read: "},
        {"more text than a graph is read from", "{" + std::string(kMaxGraphJsonBytes, ' ') + "}",
         "more than the 64000000 a dual graph is read from"},
        {"more curves than a graph may have",
         [&] {
             std::string vertices = R"({"id":0,"multiplicity":3})";
             for (long long id = 1; id <= kMaxGraphCurves; ++id) {
                 vertices += R"(,{"id":)" + std::to_string(id) + R"(,"multiplicity":1})";
             }
             return graph(vertices, "");
         }(),
         "more than the 200000 curves a graph may have"},
        {"no edges", R"({"vertices":[]})", "expected an object with the arrays"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            lookupFiber(row.text);
            ADD_FAILURE() << "found a fiber for " << row.text.substr(0, 200);
        } catch (const InputError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(row.reason), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << "one line";
            EXPECT_LT(message.size(), 300u) << "typed text is quoted short";
            EXPECT_TRUE(std::none_of(message.begin(), message.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x20;
            })) << message;
        }
    }
}

// A graph read with almost no memory to spare fails with std::bad_alloc, which every face reports
// as "not enough memory"; nothing freed on the way needs memory of its own.
// Death tests need a process of their own, which WebAssembly under node has not.
#if GTEST_HAS_DEATH_TEST
TEST(FiberLookupDeathTest, RunningOutOfMemoryWhileReadingAGraphFailsCleanly) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than any limit";
#endif
    std::string star = R"({"vertices":[{"id":0,"multiplicity":3})";
    std::string edges;
    for (int id = 1; id < 150'000; ++id) {
        star += R"(,{"id":)" + std::to_string(id) + R"(,"multiplicity":1,"kind":"branch"})";
        edges += (id == 1 ? "[0," : ",[0,") + std::to_string(id) + "]";
    }
    star += R"(],"edges":[)" + edges + "]}";
    const auto readWithLittleMemory = [&] {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const auto bytes = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + (4 << 20));
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_AS, &limit);
        try {
            lookupFiber(star);
        } catch (const std::bad_alloc&) {
            std::_Exit(3);
        }
        std::_Exit(0);
    };
    EXPECT_EXIT(readWithLittleMemory(), ::testing::ExitedWithCode(3), "");
}
#endif

}  // namespace
}  // namespace dorvanix
