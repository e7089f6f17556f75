#include "analysis/census_statistics.h"

#include <exception>
#include <map>
#include <tuple>

#include "analysis/subdivisor_analysis.h"
#include "analysis/subdivisor_choice.h"
#include "census/fiber_enumeration.h"
#include "census/subdivisor_line.h"
#include "census/subdivisor_listing.h"
#include "model/divisor_notation.h"
#include "model/input_check.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"

namespace dorvanix {

namespace {

// The analysis of one listed Y, within the bound of one analysis: a chain diagram too large is
// refused with the line of the Y that would have built it.
AnalysisResult analyseListed(NodePool& pool, DivisorNode& x, DivisorNode& y, std::string_view line,
                             int genus, const Progress* progress) {
    try {
        checkChainDiagramSize(x, y, genus);
    } catch (const InputError& tooLarge) {
        throw InputError("sub-divisor " + quoteInput(line) + ": " + tooLarge.what());
    }
    return analyzeSubdivisor(x, y, genus, pool, progress);
}

}  // namespace

AnalysisTable analysisTable(const FiberData& x, Progress* progress) {
    NodePool pool;
    DivisorNode& xRoot = pool.take();
    parseFiberLine(pool, xRoot, fiberLineText(x.m, x.r, x.firstMultiplicities()));
    const int genus = fiberGenus(x.m, x.firstMultiplicities());
    std::map<std::tuple<int, int, int>, long long> rows;
    bool finished = false;
    try {
        finished = listSubdivisors(
            x, kSimpleCrustOptions,
            [&](const Subdivisor& y) {
                DivisorNode& yRoot = pool.take();
                buildSelectedDivisor(pool, yRoot, y.line, x.branchCount());
                AnalysisResult result;
                try {
                    result = analyseListed(pool, xRoot, yRoot, y.line, genus, progress);
                } catch (...) {
                    releaseSubtree(pool, &yRoot);
                    throw;
                }
                ++rows[{result.chainCount, result.gcd, result.joiningCurveGenus}];
                releaseAnalysis(pool, result);
                releaseSubtree(pool, &yRoot);
            },
            progress);
    } catch (const Cancelled&) {
        finished = false;
    }
    AnalysisTable table;
    if (!finished) return table;
    for (const auto& [key, count] : rows) {
        table.push_back({std::get<0>(key), std::get<1>(key), std::get<2>(key), count});
    }
    return table;
}

bool censusAnalysis(int genus, const CensusAnalysisSink& sink, Progress* progress,
                    const CensusOptions& options) {
    std::vector<SubdivisorTally> tallies;
    std::vector<AnalysisTable> tables;
    // A failure on a thread of the pool (an analysis too large, memory) is raised on the calling
    // thread, in census order.
    std::vector<std::exception_ptr> failures;
    return forEachGenusBlock(
        genus,
        {[&](std::size_t count) {
             tallies.assign(count, SubdivisorTally{});
             tables.assign(count, AnalysisTable{});
             failures.assign(count, nullptr);
         },
         [&](const CensusShape& shape, std::size_t i) {
             try {
                 const FiberData x = fiberFromParts(shape.m, shape.r, shape.parts);
                 tallies[i] = tallySubdivisorsQuietly(x, kSimpleCrustOptions, progress);
                 tables[i] = analysisTable(x, progress);
             } catch (...) {
                 failures[i] = std::current_exception();
             }
         },
         [&](const CensusShape& shape, std::size_t i) {
             if (failures[i]) std::rethrow_exception(failures[i]);
             const SubdivisorTally& tally = tallies[i];
             const std::string line = fiberLineWithCount(shape.m, shape.r, shape.parts,
                                                         tallyText(tally), tally.clamped(), genus);
             sink(CensusFiber{shape, tally, genus, line}, tables[i]);
             tables[i] = AnalysisTable{};
         }},
        progress, options);
}

}  // namespace dorvanix
