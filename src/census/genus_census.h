#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "census/subdivisor_count.h"
#include "model/progress.h"

namespace dorvanix {

// The bounds on a fiber of genus G >= 1. Each branch adds m - gcd(m, a) >= m/2 to the
// Riemann-Hurwitz sum 2G - 2 = -2m + sum_j (m - gcd(m, a_j)), so 2G - 2 >= m (b - 4) / 2 >= b - 4
// gives b <= 2G + 2; the core condition m r = a_1 + ... + a_b <= b (m - 1) gives r <= b - 1; and
// a cyclic cover of the line of degree m by a curve of genus G >= 1 has m <= 4G + 2 (Wiman's
// bound: the largest order of an automorphism of such a curve).
struct GenusBounds {
    int maxM = 0;
    int maxB = 0;
    int maxR = 0;
};
GenusBounds genusBounds(int genus);

// A fiber of the census without its crust count.
struct CensusShape {
    int m = 0;
    int r = 0;
    std::vector<int> parts;  // first-branch multiplicities, largest first
};

// Every fiber of genus G (G >= 1) over all m, r and b, in census order: m ascending, then r
// ascending, then b ascending, and within one (m, r, b) in the order of the fiber list (parts
// in decreasing lexicographic order). The parts are placed one by one under two running sums,
// the core sum m r and the Riemann-Hurwitz sum, so only fibers of genus G are ever built. The
// walk keeps its positions in memory of its own, not on the stack, so a thread of any stack
// size walks a census of any genus.
std::vector<CensusShape> genusShapes(int genus);

// The same walk without keeping the shapes: visit sees each shape (valid only during the call)
// and answers false to stop; false when it did, or when `progress` was cancelled (looked at
// between any two (m, r, b) and every few thousand steps, as a large genus can walk long
// between two shapes).
using ShapeVisit = std::function<bool(const CensusShape&)>;
bool forEachGenusShape(int genus, const ShapeVisit& visit, const Progress* progress = nullptr);

// One fiber of the census with its simple crust count, valid while the sink runs.
struct CensusFiber {
    const CensusShape& shape;
    const SubdivisorTally& simpleCrusts;
    int genus = 0;
    std::string_view line;  // the fiber line as the fiber list shows it
};

using CensusSink = std::function<void(const CensusFiber&)>;

// Work shared over `threads` threads (0: one per core), handed over in census order.
struct CensusOptions {
    int threads = 0;
};

// Lists the census of genus G with the simple crust count of every fiber; the counts run on a
// pool of threads, a block of fibers at a time as the walk finds them (so a large genus never
// holds its whole census), and the sink always runs on the calling thread and always in census
// order. Answers false when `progress` asked it to stop.
bool censusByGenus(int genus, const CensusSink& sink, Progress* progress = nullptr,
                   const CensusOptions& options = {});

// Work on the census of a genus, a block of fibers at a time as the walk finds them: begin(n)
// when a block of n fibers starts, job(shape, i) for each of them (0 <= i < n) on a pool of
// threads, then done(shape, i) on the calling thread in census order.
struct CensusBlockWork {
    std::function<void(std::size_t)> begin;
    std::function<void(const CensusShape&, std::size_t)> job;
    std::function<void(const CensusShape&, std::size_t)> done;
};
bool forEachGenusBlock(int genus, const CensusBlockWork& work, Progress* progress,
                       const CensusOptions& options);

// The same walk with the jobs in runs: a worker takes a run of consecutive shapes of one
// (m, r, b) of the block at once (shapes[0] is the block's shape `first`), so that it can keep
// work from one shape for the next; `worker` (below workerCount(options.threads)) says which of
// the pool's threads runs it, for state kept per worker.
struct CensusRunWork {
    std::function<void(std::size_t)> begin;
    std::function<void(std::span<const CensusShape> shapes, std::size_t first, std::size_t worker)>
        run;
    std::function<void(const CensusShape&, std::size_t)> done;
};
bool forEachGenusRun(int genus, const CensusRunWork& work, Progress* progress,
                     const CensusOptions& options);

// Runs job(i) for i = 0 ... count - 1 on `threads` threads (0: one per core) and then done(i)
// on the calling thread in increasing i, a block of i at a time. Stops early (answers false)
// when `progress` is cancelled; reports the share of i done unless told not to (when the count is
// only part of the work).
bool runInOrder(std::size_t count, int threads, const std::function<void(std::size_t)>& job,
                const std::function<void(std::size_t)>& done, Progress* progress,
                bool reportFraction = true);

}  // namespace dorvanix
