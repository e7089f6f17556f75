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
    state.counters["count"] = bigCountApproximation(tally.exact());
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

void countByGcdTable(benchmark::State& state, const FiberData& x,
                     const SubdivisorOptions& options) {
    SubdivisorTally tally;
    for (auto _ : state) {
        tally = tallySubdivisorsByGcdTable(x, options);
        benchmark::DoNotOptimize(tally.count);
    }
    if (tally.exact() != tallySubdivisors(x, options).exact()) {
        state.SkipWithError("the count by runs differs from the gcd table");
    }
}

// One count at m = 250 ... 4000, to show how its cost grows with m; the gcd table beside it up to
// `tableUpTo`.
void addGrowth(const std::string& what, const SubdivisorOptions& options,
               std::vector<int> (*partsOf)(int m), int r, int tableUpTo) {
    for (int m : {250, 500, 1000, 2000, 4000}) {
        const FiberData x = fiberFromParts(m, r, partsOf(m));
        const std::string input =
            what + " m=" + std::to_string(m) + " " + fiberLineText(m, r, x.firstMultiplicities());
        add(input + "/fast", [=](benchmark::State& s) { countFast(s, x, options); });
        if (m <= tableUpTo) {
            add(
                input + "/gcd table", [=](benchmark::State& s) { countByGcdTable(s, x, options); },
                1);
        }
    }
}

// Four unequal branches near m / 2: every type allowed, the table of each (k, ell) is long.
std::vector<int> nearHalf(int m) {
    return {m / 2 + 3, m / 2 + 1, m / 2 - 1, m / 2 - 3};
}

// Five unequal branches, two near m and two near m / 2.
std::vector<int> nearWholeAndHalf(int m) {
    return {m - 1, m - 3, m / 2 + 1, m / 2 - 1, 4};
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
    addGrowth("count all types", allTypes, nearHalf, 2, 1000);
    addGrowth("count simple crusts", kSimpleCrustOptions, nearWholeAndHalf, 3, 2000);
    return true;
}();

}  // namespace

}  // namespace dorvanix::bench
