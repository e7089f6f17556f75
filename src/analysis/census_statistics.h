#pragma once

#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "census/genus_census.h"
#include "census/subdivisor_listing.h"
#include "model/fiber_data.h"
#include "model/progress.h"

namespace dorvanix {

// How many listed sub-divisors of a fiber have one value of (N, d, h): the chain count, the
// gcd, the numerator of the count of h and the genus of the joining curve of their analysis
// (N = d = -1 and no numerator for a proportional branch; no genus where the count is none, so
// that those rows are counted apart from h = 0).
struct AnalysisTally {
    int chainCount = 0;
    int gcd = 0;
    std::optional<long long> genusNumerator;
    std::optional<int> joiningCurveGenus;
    long long count = 0;
    bool operator==(const AnalysisTally&) const = default;
};

// The rows of a fiber, ordered by N, d, the numerator and then the genus (none first).
using AnalysisTable = std::vector<AnalysisTally>;

// Analyses every sub-divisor of X that the default listing lists (no '?' branch) and tallies
// the results. An empty table when `progress` asked to stop. Throws InputError, naming the
// sub-divisor, when one would have a chain diagram larger than an analysis builds
// (checkChainDiagramSize).
AnalysisTable analysisTable(const FiberData& x, Progress* progress = nullptr);

// The same over one part of the listing (listingPrefixes): the tables of all the parts, joined,
// are the fiber's table, so that the analyses of one large fiber can be worked on apart.
AnalysisTable analysisTable(const FiberData& x, const ListingPrefix& part,
                            Progress* progress = nullptr);

// Tables of parts of one fiber's listing as one: the counts of equal (N, d, h) added, in the
// table's order.
AnalysisTable joinTables(std::span<const AnalysisTable> parts);

using CensusAnalysisSink = std::function<void(const CensusFiber&, const AnalysisTable&)>;

// The census of genus G, each fiber with its table; the tables are worked out on a pool of
// threads and handed to the sink on the calling thread in census order.
bool censusAnalysis(int genus, const CensusAnalysisSink& sink, Progress* progress = nullptr,
                    const CensusOptions& options = {});

// The same for some fibers of that census only, such as one block of forEachGenusBlock: each of
// `shapes` (of genus G) with its crust count and table, handed to the sink in the order given.
// Blocks worked on apart (on other machines) and joined in census order give censusAnalysis.
bool analyseCensusShapes(int genus, std::span<const CensusShape> shapes,
                         const CensusAnalysisSink& sink, Progress* progress = nullptr,
                         const CensusOptions& options = {});

// The same, taking the tables of some fibers as given (worked out elsewhere, a part of their
// listing at a time and joined): `given[i]`, where it holds one, stands for the table of
// shapes[i], which is then only counted here.
bool analyseCensusShapes(int genus, std::span<const CensusShape> shapes,
                         std::span<const std::optional<AnalysisTable>> given,
                         const CensusAnalysisSink& sink, Progress* progress = nullptr,
                         const CensusOptions& options = {});

}  // namespace dorvanix
