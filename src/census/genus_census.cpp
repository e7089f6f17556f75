#include "census/genus_census.h"

#include <algorithm>
#include <atomic>
#include <span>
#include <thread>

#include "census/fiber_enumeration.h"
#include "model/fiber_data.h"
#include "model/tree_operations.h"

namespace dorvanix {

namespace {

int smallestPrimeFactor(int n) {
    for (int p = 2; p * p <= n; ++p) {
        if (n % p == 0) return p;
    }
    return n;
}

// The fibers of one m and genus: the parts are placed largest first, each one keeping both the
// core sum m r and the Riemann-Hurwitz sum 2G - 2 + 2m = sum_j (m - gcd(m, a_j)) within reach
// of the parts still to come.
class GenusWalk {
  public:
    GenusWalk(int m, int genus, const ShapeVisit& visit)
        : m_(m),
          hurwitzTarget_(2LL * genus - 2 + 2LL * m),
          smallestTerm_(m - m / smallestPrimeFactor(m)),
          visit_(visit) {}

    // False when the visitor asked to stop.
    bool run(int r, int b) {
        shape_.r = r;
        shape_.m = m_;
        shape_.parts.assign(static_cast<std::size_t>(b), 0);
        return place(0, static_cast<long long>(m_) * r, hurwitzTarget_, m_ - 1, m_);
    }

  private:
    // Whether `left` parts can add exactly `rest` to the Riemann-Hurwitz sum.
    bool hurwitzReachable(long long left, long long rest) const {
        return rest >= left * smallestTerm_ && rest <= left * (m_ - 1);
    }

    bool place(std::size_t position, long long rest, long long hurwitzRest, long long cap,
               int common) {
        const long long left = static_cast<long long>(shape_.parts.size() - position);
        if (left == 0) return common != 1 || hurwitzRest != 0 || visit_(shape_);
        if (!hurwitzReachable(left, hurwitzRest)) return true;
        const long long high = std::min(cap, rest - (left - 1));
        const long long low = (rest + left - 1) / left;
        for (long long part = high; part >= low; --part) {
            const int a = static_cast<int>(part);
            const int g = gcd(m_, a);
            const long long term = m_ - g;
            if (!hurwitzReachable(left - 1, hurwitzRest - term)) continue;
            shape_.parts[position] = a;
            if (!place(position + 1, rest - part, hurwitzRest - term, part, gcd(common, g)))
                return false;
        }
        return true;
    }

    int m_;
    long long hurwitzTarget_;
    long long smallestTerm_;
    CensusShape shape_;
    const ShapeVisit& visit_;
};

int threadCount(int wanted) {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    // A WebAssembly build without threads works the census on the calling thread.
    (void)wanted;
    return 1;
#else
    if (wanted > 0) return wanted;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
#endif
}

// Threads joined when the block ends, and also when a job throws.
struct JoinedThreads {
    std::vector<std::thread> threads;
    void joinAll() {
        for (std::thread& thread : threads) thread.join();
        threads.clear();
    }
    ~JoinedThreads() { joinAll(); }
};

}  // namespace

GenusBounds genusBounds(int genus) {
    return GenusBounds{4 * genus + 2, 2 * genus + 2, 2 * genus + 1};
}

bool forEachGenusShape(int genus, const ShapeVisit& visit, const Progress* progress) {
    if (genus < 1) return true;
    const GenusBounds bounds = genusBounds(genus);
    for (int m = 2; m <= bounds.maxM; ++m) {
        GenusWalk walk(m, genus, visit);
        for (int r = 2; r <= bounds.maxR; ++r) {
            for (int b = std::max(3, r + 1); b <= bounds.maxB; ++b) {
                if (stopRequested(progress) || !walk.run(r, b)) return false;
            }
        }
    }
    return true;
}

std::vector<CensusShape> genusShapes(int genus) {
    std::vector<CensusShape> shapes;
    forEachGenusShape(genus, [&shapes](const CensusShape& shape) {
        shapes.push_back(shape);
        return true;
    });
    return shapes;
}

bool runInOrder(std::size_t count, int threads, const std::function<void(std::size_t)>& job,
                const std::function<void(std::size_t)>& done, Progress* progress,
                bool reportFraction) {
    // Blocks of work go to the pool one after another; within a block the threads take the
    // next index as they come free, and the block is handed over in order once it is complete.
    const std::size_t workers = static_cast<std::size_t>(threadCount(threads));
    const std::size_t block = 256 * workers;
    for (std::size_t start = 0; start < count; start += block) {
        const std::size_t end = std::min(count, start + block);
        std::atomic<std::size_t> next{start};
        auto work = [&] {
            for (std::size_t i = next++; i < end; i = next++) {
                if (stopRequested(progress)) return;
                job(i);
            }
        };
        JoinedThreads pool;
        for (std::size_t t = 1; t < std::min(workers, end - start); ++t) {
            pool.threads.emplace_back(work);
        }
        work();
        pool.joinAll();
        if (stopRequested(progress)) return false;
        for (std::size_t i = start; i < end; ++i) done(i);
        if (progress != nullptr && reportFraction) {
            progress->setFraction(static_cast<double>(end) / static_cast<double>(count));
        }
    }
    return !stopRequested(progress);
}

bool forEachGenusBlock(int genus, const CensusBlockWork& work, Progress* progress,
                       const CensusOptions& options) {
    // The shapes are worked on a block at a time as the walk finds them, so that a large genus
    // holds one block and not its whole census. The share of core multiplicities walked is the
    // fraction done.
    const auto maxM = static_cast<double>(genusBounds(genus).maxM);
    const std::size_t blockSize = 256 * static_cast<std::size_t>(threadCount(options.threads));
    std::vector<CensusShape> shapes;
    const auto runBlock = [&]() {
        work.begin(shapes.size());
        const bool done = runInOrder(
            shapes.size(), options.threads, [&](std::size_t i) { work.job(shapes[i], i); },
            [&](std::size_t i) {
                work.done(shapes[i], i);
                if (progress != nullptr) progress->addResults(1);
            },
            progress, false);
        if (done && progress != nullptr && !shapes.empty())
            progress->setFraction((shapes.back().m - 1.0) / maxM);
        shapes.clear();
        return done;
    };
    const bool walked = forEachGenusShape(
        genus,
        [&](const CensusShape& shape) {
            shapes.push_back(shape);
            return shapes.size() < blockSize || runBlock();
        },
        progress);
    if (!walked || !runBlock()) return false;
    if (progress != nullptr) progress->setFraction(1.0);
    return true;
}

bool censusByGenus(int genus, const CensusSink& sink, Progress* progress,
                   const CensusOptions& options) {
    std::vector<SubdivisorTally> tallies;
    return forEachGenusBlock(
        genus,
        {[&](std::size_t count) { tallies.assign(count, SubdivisorTally{}); },
         [&](const CensusShape& shape, std::size_t i) {
             tallies[i] = tallySubdivisorsQuietly(fiberFromParts(shape.m, shape.r, shape.parts),
                                                  kSimpleCrustOptions, progress);
         },
         [&](const CensusShape& shape, std::size_t i) {
             const SubdivisorTally& tally = tallies[i];
             const std::string line = fiberLineWithCount(shape.m, shape.r, shape.parts,
                                                         tallyText(tally), tally.clamped(), genus);
             sink(CensusFiber{shape, tally, genus, line});
         }},
        progress, options);
}

}  // namespace dorvanix
