#include "bench_inputs.h"
#include "census/fiber_enumeration.h"
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

const bool registered = [] {
    add("fibers 12 3 6/fast", [](benchmark::State& s) { fibersFast(s, 12, 3, 6); });
    add(
        "fibers 12 3 6/exhaustive", [](benchmark::State& s) { fibersExhaustive(s, 12, 3, 6); }, 1);
    add(
        "fibers 30 2 5/fast", [](benchmark::State& s) { fibersFast(s, 30, 2, 5); }, 1);
    return true;
}();

}  // namespace

}  // namespace dorvanix::bench
