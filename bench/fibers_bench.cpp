#include <span>

#include "bench_inputs.h"
#include "census/fiber_enumeration.h"
#include "census/subdivisor_count.h"
#include "model/arithmetic.h"
#include "oracle/exhaustive_fibers.h"

namespace dorvanix::bench {

namespace {

void fibersFast(benchmark::State& state, int m, int r, int b) {
    std::size_t lines = 0;
    for (auto _ : state) {
        lines = fiberLines(m, r, b, FiberOptions{}).size();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = static_cast<double>(lines);
}

void fibersExhaustive(benchmark::State& state, int m, int r, int b) {
    std::vector<std::string> lines;
    for (auto _ : state) {
        lines = oracle::fiberLines(m, r, b, FiberOptions{});
        benchmark::DoNotOptimize(lines.data());
    }
    if (lines != fiberLines(m, r, b, FiberOptions{})) {
        state.SkipWithError("the fast fiber list differs from the exhaustive one");
    }
    state.counters["lines"] = static_cast<double>(lines.size());
}

// The lines of the fiber list with every fiber counted on its own, as the list did before it
// kept the work on shared first parts: the fibers are found once beforehand, so the time is
// the counting and the lines alone (the partition walk is left out, in the list's favour).
template <typename Count>
void fibersOneByOne(benchmark::State& state, int m, int r, int b, Count count) {
    std::vector<std::vector<int>> fibers;
    enumerateFibers(m, r, b, FiberOptions{}, [&](const FiberEntry& f) {
        fibers.emplace_back(f.parts.begin(), f.parts.end());
    });
    std::vector<std::string> lines;
    for (auto _ : state) {
        lines.clear();
        for (const std::vector<int>& parts : fibers) {
            const SubdivisorTally tally = count(fiberFromParts(m, r, parts), kSimpleCrustOptions);
            lines.push_back(fiberLineWithCount(m, r, parts, tallyText(tally), tally.clamped(),
                                               fiberGenus(m, parts)));
        }
        benchmark::DoNotOptimize(lines.data());
    }
    if (lines != fiberLines(m, r, b, FiberOptions{})) {
        state.SkipWithError("the fibers counted one by one differ from the fiber list");
    }
}

void addOneByOne(const std::string& input, int m, int r, int b) {
    add(
        input + "/each fiber, gcd table",
        [=](benchmark::State& s) {
            fibersOneByOne(s, m, r, b, [](const FiberData& x, const SubdivisorOptions& o) {
                return tallySubdivisorsByGcdTable(x, o);
            });
        },
        1);
    add(
        input + "/each fiber, by runs",
        [=](benchmark::State& s) {
            fibersOneByOne(s, m, r, b, [](const FiberData& x, const SubdivisorOptions& o) {
                return tallySubdivisors(x, o);
            });
        },
        1);
}

const bool registered = [] {
    add("fibers 12 3 6/fast", [](benchmark::State& s) { fibersFast(s, 12, 3, 6); });
    add(
        "fibers 12 3 6/exhaustive", [](benchmark::State& s) { fibersExhaustive(s, 12, 3, 6); }, 1);
    add(
        "fibers 30 2 5/fast", [](benchmark::State& s) { fibersFast(s, 30, 2, 5); }, 1);
    // Lists where most fibers share their first parts with the one before.
    add("fibers 40 2 5/fast", [](benchmark::State& s) { fibersFast(s, 40, 2, 5); });
    addOneByOne("fibers 40 2 5", 40, 2, 5);
    add("fibers 30 3 6/fast", [](benchmark::State& s) { fibersFast(s, 30, 3, 6); });
    addOneByOne("fibers 30 3 6", 30, 3, 6);
    // One fiber of 10000 equal branches whose count has 3011 digits: counted exactly by powers
    // of the branch's polynomial.
    add(
        "fibers 2 5000 10000/fast", [](benchmark::State& s) { fibersFast(s, 2, 5000, 10000); }, 1);
    return true;
}();

}  // namespace

}  // namespace dorvanix::bench
