#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "model/fiber_data.h"

namespace dorvanix::bench {

// The fixed fibers the benchmarks run on.
inline FiberData eightBranches() {
    return fiberFromParts(16, 4, {15, 12, 9, 8, 7, 5, 4, 4});
}

// Thirty branches, the parts 10 ... 1 three times over: far beyond any exhaustive walk.
inline FiberData thirtyBranches() {
    std::vector<int> parts;
    for (int round = 0; round < 3; ++round) {
        for (int a = 10; a >= 1; --a) parts.push_back(a);
    }
    return fiberFromParts(11, 15, parts);
}

// High r against few branches: for most k only a corner of the odometer reaches k r.
inline FiberData fewAdmitted() {
    return fiberFromParts(13, 5, {12, 12, 11, 10, 10, 10});
}

// Many lines of every type (327680): fifteen branches, mostly of multiplicity 1.
inline FiberData manyLines() {
    std::vector<int> parts{3, 2};
    parts.resize(15, 1);
    return fiberFromParts(9, 2, parts);
}

// Registers one benchmark that runs `body` and makes it a single-threaded timing in ms.
template <typename Body>
void add(const std::string& name, Body body, int iterations = 0) {
    auto* b = benchmark::RegisterBenchmark(name.c_str(), body);
    b->Unit(benchmark::kMillisecond);
    if (iterations > 0) b->Iterations(iterations);
}

}  // namespace dorvanix::bench
