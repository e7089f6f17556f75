#include "analysis/census_statistics.h"

#include <map>
#include <tuple>

#include "analysis/subdivisor_analysis.h"
#include "census/fiber_enumeration.h"
#include "census/subdivisor_line.h"
#include "census/subdivisor_listing.h"
#include "model/divisor_notation.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"

namespace dorvanix {

AnalysisTable analysisTable(const FiberData& x, Progress* progress) {
    NodePool pool;
    DivisorNode& xRoot = pool.take();
    parseFiberLine(pool, xRoot, fiberLineText(x.m, x.r, x.firstMultiplicities()));
    const int genus = fiberGenus(x.m, x.firstMultiplicities());
    std::map<std::tuple<int, int, std::optional<long long>, std::optional<int>>, long long> rows;
    const bool finished = listSubdivisors(
        x, kSimpleCrustOptions,
        [&](const Subdivisor& y) {
            DivisorNode& yRoot = pool.take();
            buildSelectedDivisor(pool, yRoot, y.line, x.branchCount());
            AnalysisResult result = analyzeSubdivisor(xRoot, yRoot, genus, pool);
            ++rows[{result.chainCount, result.gcd, result.genusNumerator,
                    result.joiningCurveGenus}];
            releaseAnalysis(pool, result);
            releaseSubtree(pool, &yRoot);
        },
        progress);
    AnalysisTable table;
    if (!finished) return table;
    for (const auto& [key, count] : rows) {
        table.push_back(
            {std::get<0>(key), std::get<1>(key), std::get<2>(key), std::get<3>(key), count});
    }
    return table;
}

bool censusAnalysis(int genus, const CensusAnalysisSink& sink, Progress* progress,
                    const CensusOptions& options) {
    std::vector<SubdivisorTally> tallies;
    std::vector<AnalysisTable> tables;
    return forEachGenusBlock(
        genus,
        {[&](std::size_t count) {
             tallies.assign(count, SubdivisorTally{});
             tables.assign(count, AnalysisTable{});
         },
         [&](const CensusShape& shape, std::size_t i) {
             const FiberData x = fiberFromParts(shape.m, shape.r, shape.parts);
             tallies[i] = tallySubdivisorsQuietly(x, kSimpleCrustOptions, progress);
             tables[i] = analysisTable(x, progress);
         },
         [&](const CensusShape& shape, std::size_t i) {
             const SubdivisorTally& tally = tallies[i];
             const std::string line = fiberLineWithCount(shape.m, shape.r, shape.parts,
                                                         tallyText(tally), tally.clamped(), genus);
             sink(CensusFiber{shape, tally, genus, line}, tables[i]);
             tables[i] = AnalysisTable{};
         }},
        progress, options);
}

}  // namespace dorvanix
