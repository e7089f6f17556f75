#include <string>
#include <vector>

#include "bench_inputs.h"
#include "census/fiber_enumeration.h"
#include "census/genus_census.h"
#include "census/subdivisor_count.h"

namespace dorvanix::bench {

namespace {

// The census of a genus on one thread: the walk, the counts with the work kept per (m, r, b),
// the lines.
void censusFast(benchmark::State& state, int genus) {
    std::vector<std::string> lines;
    for (auto _ : state) {
        lines.clear();
        censusByGenus(
            genus, [&](const CensusFiber& f) { lines.emplace_back(f.line); }, nullptr,
            CensusOptions{1});
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["fibers"] = static_cast<double>(lines.size());
}

// The same census with every fiber counted on its own, as the census counted before it kept
// work between the fibers of one (m, r, b); the shapes are walked once beforehand, in its favour.
void censusEachAlone(benchmark::State& state, int genus) {
    const std::vector<CensusShape> shapes = genusShapes(genus);
    std::vector<std::string> lines;
    for (auto _ : state) {
        lines.clear();
        for (const CensusShape& shape : shapes) {
            const SubdivisorTally tally = tallySubdivisorsQuietly(
                fiberFromParts(shape.m, shape.r, shape.parts), kSimpleCrustOptions, nullptr);
            lines.push_back(fiberLineWithCount(shape.m, shape.r, shape.parts, tallyText(tally),
                                               tally.clamped(), genus));
        }
        benchmark::DoNotOptimize(lines.data());
    }
    std::vector<std::string> census;
    censusByGenus(genus, [&](const CensusFiber& f) { census.emplace_back(f.line); });
    if (lines != census) state.SkipWithError("the census differs from its fibers counted alone");
}

const bool registered = [] {
    for (int genus : {20, 30, 40, 50}) {
        const std::string name = "census of genus " + std::to_string(genus);
        add(
            name + "/fast", [=](benchmark::State& s) { censusFast(s, genus); }, 1);
        add(
            name + "/each fiber alone", [=](benchmark::State& s) { censusEachAlone(s, genus); }, 1);
    }
    // Where the census grows steeply: 1.9 and 6.0 million fibers, most of them of m from 10 to 60
    // with 6 to 20 branches, and the last core multiplicities with thousands of tables each.
    for (int genus : {70, 80}) {
        add(
            "census of genus " + std::to_string(genus) + "/fast",
            [=](benchmark::State& s) { censusFast(s, genus); }, 1);
    }
    return true;
}();

}  // namespace

}  // namespace dorvanix::bench
