#include "bench_inputs.h"
#include "census/subdivisor_count.h"
#include "census/subdivisor_listing.h"
#include "oracle/exhaustive_subdivisors.h"

namespace dorvanix::bench {

namespace {

void countFast(benchmark::State& state, const FiberData& x, const SubdivisorOptions& options) {
    SubdivisorTally tally;
    for (auto _ : state) {
        tally = tallySubdivisors(x, options);
        benchmark::DoNotOptimize(tally.count);
    }
    state.counters["count"] = tally.exact().get_d();
    state.counters["beyond_128_bits"] = tally.wide ? 1 : 0;
}

void countExhaustive(benchmark::State& state, const FiberData& x,
                     const SubdivisorOptions& options) {
    long long count = 0;
    for (auto _ : state) {
        count = oracle::countSubdivisors(x, options);
        benchmark::DoNotOptimize(count);
    }
    if (count != tallySubdivisors(x, options).clamped()) {
        state.SkipWithError("the fast count differs from the exhaustive one");
    }
    state.counters["count"] = static_cast<double>(count);
}

const bool registered = [] {
    const SubdivisorOptions allTypes{0, false, false};
    const SubdivisorOptions abcNotOnlyAB{0, true, true};
    add("count simple crusts b=8 ((16,4),15,12,...)/fast",
        [](benchmark::State& s) { countFast(s, eightBranches(), kSimpleCrustOptions); });
    add(
        "count simple crusts b=8 ((16,4),15,12,...)/exhaustive",
        [](benchmark::State& s) { countExhaustive(s, eightBranches(), kSimpleCrustOptions); }, 1);
    add("count except only AB b=8 ((16,4),15,12,...)/fast",
        [=](benchmark::State& s) { countFast(s, eightBranches(), abcNotOnlyAB); });
    add(
        "count except only AB b=8 ((16,4),15,12,...)/exhaustive",
        [=](benchmark::State& s) { countExhaustive(s, eightBranches(), abcNotOnlyAB); }, 1);
    add("count simple crusts b=30 ((11,15),10,9,...)/fast",
        [](benchmark::State& s) { countFast(s, thirtyBranches(), kSimpleCrustOptions); });
    add("count all types b=30 ((11,15),10,9,...)/fast",
        [=](benchmark::State& s) { countFast(s, thirtyBranches(), allTypes); });
    return true;
}();

}  // namespace

}  // namespace dorvanix::bench
