#include <fstream>

#include "bench_inputs.h"
#include "census/subdivisor_listing.h"
#include "oracle/exhaustive_subdivisors.h"

namespace dorvanix::bench {

namespace {

using Lister = bool (*)(const FiberData&, const SubdivisorOptions&, const SubdivisorSink&,
                        Progress*);

// Lists every line into a sink that only looks at its length.
void listQuietly(benchmark::State& state, Lister list, const FiberData& x) {
    std::size_t lines = 0;
    std::size_t characters = 0;
    for (auto _ : state) {
        lines = 0;
        list(
            x, kSimpleCrustOptions,
            [&](const Subdivisor& y) {
                ++lines;
                characters += y.line.size();
            },
            nullptr);
        benchmark::DoNotOptimize(characters);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines));
    state.counters["lines"] = static_cast<double>(lines);
}

// Writes every line, all types, through one buffered stream to /dev/null, as the tool does.
void listToDevNull(benchmark::State& state, Lister list, const FiberData& x) {
    std::ofstream sink("/dev/null");
    std::size_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        list(
            x, SubdivisorOptions{0, false, false},
            [&](const Subdivisor& y) {
                sink << y.line << '\n';
                ++lines;
            },
            nullptr);
    }
    sink.flush();
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines));
    state.counters["lines"] = static_cast<double>(lines);
}

const bool registered = [] {
    add("list few admitted ((13,5),12,12,...)/fast",
        [](benchmark::State& s) { listQuietly(s, &listSubdivisors, fewAdmitted()); });
    add(
        "list few admitted ((13,5),12,12,...)/exhaustive",
        [](benchmark::State& s) { listQuietly(s, &oracle::listSubdivisors, fewAdmitted()); }, 3);
    add("list to /dev/null ((9,2),3,2,1,...)/fast",
        [](benchmark::State& s) { listToDevNull(s, &listSubdivisors, manyLines()); });
    add("list to /dev/null ((9,2),3,2,1,...)/exhaustive",
        [](benchmark::State& s) { listToDevNull(s, &oracle::listSubdivisors, manyLines()); });
    return true;
}();

}  // namespace

}  // namespace dorvanix::bench
