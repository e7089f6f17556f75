#include "analysis/census_statistics.h"

#include <exception>
#include <map>
#include <optional>
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

using TableRows =
    std::map<std::tuple<int, int, std::optional<long long>, std::optional<int>>, long long>;

AnalysisTable tableOf(const TableRows& rows) {
    AnalysisTable table;
    for (const auto& [key, count] : rows) {
        table.push_back(
            {std::get<0>(key), std::get<1>(key), std::get<2>(key), std::get<3>(key), count});
    }
    return table;
}

// The table of the whole listing, or of one part of it.
AnalysisTable tableOfListing(const FiberData& x, const ListingPrefix* part, Progress* progress) {
    NodePool pool;
    DivisorNode& xRoot = pool.take();
    parseFiberLine(pool, xRoot, fiberLineText(x.m, x.r, x.firstMultiplicities()));
    const int genus = fiberGenus(x.m, x.firstMultiplicities());
    TableRows rows;
    bool finished = false;
    const auto analyse = [&](const Subdivisor& y) {
        DivisorNode& yRoot = pool.take();
        buildSelectedDivisor(pool, yRoot, y.line, x.branchCount());
        AnalysisResult result;
        try {
            result = analyseListed(pool, xRoot, yRoot, y.line, genus, progress);
        } catch (...) {
            releaseSubtree(pool, &yRoot);
            throw;
        }
        ++rows[{result.chainCount, result.gcd, result.genusNumerator, result.joiningCurveGenus}];
        releaseAnalysis(pool, result);
        releaseSubtree(pool, &yRoot);
    };
    try {
        finished = part != nullptr
                       ? listSubdivisorPart(x, kSimpleCrustOptions, *part, analyse, progress)
                       : listSubdivisors(x, kSimpleCrustOptions, analyse, progress);
    } catch (const Cancelled&) {
        finished = false;
    }
    if (!finished) return {};
    return tableOf(rows);
}

}  // namespace

AnalysisTable analysisTable(const FiberData& x, Progress* progress) {
    return tableOfListing(x, nullptr, progress);
}

AnalysisTable analysisTable(const FiberData& x, const ListingPrefix& part, Progress* progress) {
    return tableOfListing(x, &part, progress);
}

AnalysisTable joinTables(std::span<const AnalysisTable> parts) {
    TableRows rows;
    for (const AnalysisTable& table : parts) {
        for (const AnalysisTally& row : table) {
            rows[{row.chainCount, row.gcd, row.genusNumerator, row.joiningCurveGenus}] += row.count;
        }
    }
    return tableOf(rows);
}

namespace {

// The work on one block of census fibers: the crust count and the table of each, on the pool,
// then the line and the sink, in order.
class CensusAnalysisWork {
  public:
    CensusAnalysisWork(int genus, const CensusAnalysisSink& sink, Progress* progress,
                       std::span<const std::optional<AnalysisTable>> given = {})
        : genus_(genus), sink_(sink), progress_(progress), given_(given) {}

    void begin(std::size_t count) {
        tallies_.assign(count, SubdivisorTally{});
        tables_.assign(count, AnalysisTable{});
        failures_.assign(count, nullptr);
    }
    void job(const CensusShape& shape, std::size_t i) {
        try {
            const FiberData x = fiberFromParts(shape.m, shape.r, shape.parts);
            tallies_[i] = tallySubdivisorsQuietly(x, kSimpleCrustOptions, progress_);
            if (i < given_.size() && given_[i]) {
                tables_[i] = *given_[i];
            } else {
                tables_[i] = analysisTable(x, progress_);
            }
        } catch (...) {
            failures_[i] = std::current_exception();
        }
    }
    void done(const CensusShape& shape, std::size_t i) {
        if (failures_[i]) std::rethrow_exception(failures_[i]);
        const SubdivisorTally& tally = tallies_[i];
        const std::string line = fiberLineWithCount(shape.m, shape.r, shape.parts, tallyText(tally),
                                                    tally.clamped(), genus_);
        sink_(CensusFiber{shape, tally, genus_, line}, tables_[i]);
        tables_[i] = AnalysisTable{};
    }

  private:
    int genus_;
    const CensusAnalysisSink& sink_;
    Progress* progress_;
    std::span<const std::optional<AnalysisTable>> given_;
    std::vector<SubdivisorTally> tallies_;
    std::vector<AnalysisTable> tables_;
    // A failure on a thread of the pool (an analysis too large, memory) is raised on the calling
    // thread, in census order.
    std::vector<std::exception_ptr> failures_;
};

}  // namespace

bool censusAnalysis(int genus, const CensusAnalysisSink& sink, Progress* progress,
                    const CensusOptions& options) {
    CensusAnalysisWork work(genus, sink, progress);
    return forEachGenusBlock(
        genus,
        {[&](std::size_t count) { work.begin(count); },
         [&](const CensusShape& shape, std::size_t i) { work.job(shape, i); },
         [&](const CensusShape& shape, std::size_t i) { work.done(shape, i); }},
        progress, options);
}

bool analyseCensusShapes(int genus, std::span<const CensusShape> shapes,
                         const CensusAnalysisSink& sink, Progress* progress,
                         const CensusOptions& options) {
    return analyseCensusShapes(genus, shapes, {}, sink, progress, options);
}

bool analyseCensusShapes(int genus, std::span<const CensusShape> shapes,
                         std::span<const std::optional<AnalysisTable>> given,
                         const CensusAnalysisSink& sink, Progress* progress,
                         const CensusOptions& options) {
    CensusAnalysisWork work(genus, sink, progress, given);
    work.begin(shapes.size());
    return runInOrder(
        shapes.size(), options.threads, [&](std::size_t i) { work.job(shapes[i], i); },
        [&](std::size_t i) { work.done(shapes[i], i); }, progress);
}

}  // namespace dorvanix
