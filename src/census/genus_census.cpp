#include "census/genus_census.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "census/fiber_enumeration.h"
#include "census/work_pool.h"
#include "model/fiber_data.h"
#include "model/tree_operations.h"

namespace dorvanix {

namespace {

// The fibers of one m and genus: the parts are placed largest first, each one keeping both the
// core sum m r and the Riemann-Hurwitz sum 2G - 2 + 2m = sum_j (m - gcd(m, a_j)) within reach
// of the parts still to come. The walk keeps its own stack of positions, one entry per branch,
// so that its depth on the thread's stack stays the same for any number of branches.
class GenusWalk {
  public:
    GenusWalk(int m, int genus, const ShapeVisit& visit, const Progress* progress)
        : m_(m),
          hurwitzTarget_(2LL * genus - 2 + 2LL * m),
          defect_(static_cast<std::size_t>(m)),
          leastDefectUpTo_(static_cast<std::size_t>(m)),
          divisorIndex_(static_cast<std::size_t>(m) + 1, 0),
          visit_(visit),
          progress_(progress) {
        // The defect m - gcd(m, a) of each part a, and the least defect of a part at most a: a
        // part a adds at least m minus the largest divisor of m that is at most a.
        for (int a = 1; a < m; ++a) {
            defect_[static_cast<std::size_t>(a)] = m - gcd(m, a);
            leastDefectUpTo_[static_cast<std::size_t>(a)] =
                a == 1 ? m - 1
                       : std::min(leastDefectUpTo_[static_cast<std::size_t>(a) - 1],
                                  defect_[static_cast<std::size_t>(a)]);
        }
        // gcd(m, a_1, ..., a_j) runs through the divisors of m: a table of their gcds spares a
        // division per part.
        std::vector<int> divisors;
        for (int d = 1; d <= m; ++d) {
            if (m % d != 0) continue;
            divisorIndex_[static_cast<std::size_t>(d)] = static_cast<int>(divisors.size());
            divisors.push_back(d);
        }
        divisorCount_ = divisors.size();
        commonAfter_.resize(divisorCount_ * divisorCount_);
        for (std::size_t i = 0; i < divisorCount_; ++i) {
            for (std::size_t j = 0; j < divisorCount_; ++j) {
                commonAfter_[i * divisorCount_ + j] =
                    divisorIndex_[static_cast<std::size_t>(gcd(divisors[i], divisors[j]))];
            }
        }
    }

    // The numbers of branches for which r can have fibers: m r is a sum of b parts from 1 to
    // m - 1, and 2G - 2 + 2m a sum of b defects from the least one to m - 1.
    std::pair<int, int> branchRange(int r, int maxB) const {
        const long long core = static_cast<long long>(m_) * r;
        const long long least = leastDefectUpTo_.back();
        const long long low = std::max(
            {3LL, r + 1LL, (core + m_ - 2) / (m_ - 1), (hurwitzTarget_ + m_ - 2) / (m_ - 1)});
        const long long high =
            std::min({static_cast<long long>(maxB), core, hurwitzTarget_ / least});
        return {static_cast<int>(low), static_cast<int>(std::max(low - 1, high))};
    }

    // False when the visitor or `progress` asked to stop. Needs b >= 2.
    bool run(int r, int b) {
        shape_.r = r;
        shape_.m = m_;
        shape_.parts.assign(static_cast<std::size_t>(b), 0);
        frames_.assign(static_cast<std::size_t>(b), Frame{});
        frames_[0] = Frame{static_cast<long long>(m_) * r,
                           hurwitzTarget_,
                           m_ - 1,
                           divisorIndex_[static_cast<std::size_t>(m_)],
                           0,
                           0};
        std::size_t depth = 0;
        if (!open(0)) return true;
        while (true) {
            Frame& frame = frames_[depth];
            const long long left = static_cast<long long>(shape_.parts.size() - depth) - 1;
            // The next smaller part at this position that leaves the rest reachable.
            long long part = frame.next;
            while (part >= frame.low && !fits(frame, left, part)) --part;
            if (part < frame.low) {
                if (depth == 0) return true;
                --depth;
                continue;
            }
            frame.next = part - 1;
            if (++steps_ % 4096 == 0 && stopRequested(progress_)) return false;
            shape_.parts[depth] = static_cast<int>(part);
            const int common = commonWith(frame.common, part);
            if (left == 1) {
                // The last part is what the core sum leaves, and fits() has checked its defect.
                const long long last = frame.rest - part;
                shape_.parts[depth + 1] = static_cast<int>(last);
                if (commonWith(common, last) == 0 && !visit_(shape_)) return false;
                continue;
            }
            frames_[depth + 1] =
                Frame{frame.rest - part, frame.hurwitzRest - defectOf(part), part, common, 0, 0};
            if (open(depth + 1)) ++depth;
        }
    }

  private:
    // One position of the walk: what the parts from here on must add up to, the largest part
    // they may take, the gcd of m and the parts before (as the index of that divisor of m, 0
    // for 1), and the parts still to try here.
    struct Frame {
        long long rest = 0;
        long long hurwitzRest = 0;
        long long cap = 0;
        int common = 0;
        long long next = 0;  // the next part to try, down to `low`
        long long low = 0;
    };

    long long defectOf(long long part) const { return defect_[static_cast<std::size_t>(part)]; }

    // The divisor index of gcd(d, a) for the divisor of index `common` and a part a.
    int commonWith(int common, long long part) const {
        const std::size_t ofPart =
            static_cast<std::size_t>(divisorIndex_[static_cast<std::size_t>(m_ - defectOf(part))]);
        return commonAfter_[static_cast<std::size_t>(common) * divisorCount_ + ofPart];
    }

    // Whether `left` parts of at most `cap` adding up to `core` can add exactly `rest` to the
    // Riemann-Hurwitz sum. A part a has defect m - gcd(m, a), at least m - a and at least the
    // least defect up to the cap, so the defects add up to at least left m - core as well as
    // left times that least defect; the first bound rules out the many small parts that the
    // second lets through, and halves the positions the walk tries.
    bool reachable(long long left, long long rest, long long cap, long long core) const {
        return rest >= left * leastDefectUpTo_[static_cast<std::size_t>(cap)] &&
               rest >= left * m_ - core && rest <= left * (m_ - 1);
    }

    // Whether `part` at the frame's position leaves the `left` parts after it a way to finish;
    // with one part left, that part is what the core sum leaves, so its defect is known.
    bool fits(const Frame& frame, long long left, long long part) const {
        const long long hurwitzRest = frame.hurwitzRest - defectOf(part);
        if (left > 1) return reachable(left, hurwitzRest, part, frame.rest - part);
        const long long last = frame.rest - part;
        return last >= 1 && last <= part && defectOf(last) == hurwitzRest;
    }

    // Sets up the parts to try at `position`; false when there are none.
    bool open(std::size_t position) {
        Frame& frame = frames_[position];
        const long long left = static_cast<long long>(shape_.parts.size() - position);
        frame.next = std::min(frame.cap, frame.rest - (left - 1));
        frame.low = (frame.rest + left - 1) / left;
        return frame.next >= frame.low && reachable(left, frame.hurwitzRest, frame.cap, frame.rest);
    }

    int m_;
    long long hurwitzTarget_;
    std::vector<long long> defect_;           // by part, 1 ... m - 1
    std::vector<long long> leastDefectUpTo_;  // by largest part allowed
    std::vector<int> divisorIndex_;           // by divisor of m, its place among them
    std::size_t divisorCount_ = 0;
    std::vector<int> commonAfter_;  // the index of the gcd of two divisors of m
    CensusShape shape_;
    std::vector<Frame> frames_;
    const ShapeVisit& visit_;
    const Progress* progress_;
    std::uint64_t steps_ = 0;
};

// How the walk's shapes are handed to the pool: `block` shapes per thread at once, in runs of
// at most `run` shapes of one (m, r, b).
struct Blocking {
    std::size_t block = 0;
    std::size_t run = 0;
};

// A block also ends once its shapes hold this many parts, so that a genus in the thousands, whose
// fibers have thousands of branches, keeps a block within 16 MB.
constexpr std::size_t kBlockParts = std::size_t{1} << 22;

// The census's counts: blocks large enough that the pool's round trip is small beside them,
// small enough that lines start at once and a block stays a few megabytes; runs long enough to
// share work between fibers of one (m, r, b), short enough to spread over the threads.
constexpr Blocking kCountBlocking{2048, 64};

// Jobs of a block walk, each fiber on its own: blocks of 256 fibers per thread.
constexpr Blocking kJobBlocking{256, 1};

// The simple crusts of census fibers, counted by a PrefixTally per worker that follows the
// fibers of one (m, r, b) as the worker meets them, with the runs of every part shared by all
// workers and every r and b of one m.
class CensusCounter {
  public:
    explicit CensusCounter(std::size_t workers) : tallies_(workers) {}

    SubdivisorTally count(std::size_t worker, const CensusShape& shape, Progress* progress) {
        Held& held = tallies_[worker];
        const int b = static_cast<int>(shape.parts.size());
        if (!held.tally || held.m != shape.m || held.r != shape.r || held.b != b) {
            held.tally = std::make_unique<PrefixTally>(shape.m, shape.r, b, kSimpleCrustOptions,
                                                       runsOf(shape.m));
            held.m = shape.m;
            held.r = shape.r;
            held.b = b;
        }
        return held.tally->count(shape.parts, progress);
    }

  private:
    struct Held {
        std::unique_ptr<PrefixTally> tally;
        int m = 0;
        int r = 0;
        int b = 0;
    };

    // The workers take the shapes in census order, so once one asks for m no other asks for a
    // smaller one: those runs are let go here, and by each tally when it moves on.
    std::shared_ptr<PartRuns> runsOf(int m) {
        const std::lock_guard<std::mutex> lock(mutex_);
        runs_.erase(runs_.begin(), runs_.lower_bound(m));
        std::shared_ptr<PartRuns>& runs = runs_[m];
        if (!runs) runs = std::make_shared<PartRuns>(m, kSimpleCrustOptions);
        return runs;
    }

    std::vector<Held> tallies_;
    std::mutex mutex_;
    std::map<int, std::shared_ptr<PartRuns>> runs_;
};

}  // namespace

GenusBounds genusBounds(int genus) {
    return GenusBounds{4 * genus + 2, 2 * genus + 2, 2 * genus + 1};
}

bool forEachGenusShape(int genus, const ShapeVisit& visit, const Progress* progress) {
    if (genus < 1) return true;
    const GenusBounds bounds = genusBounds(genus);
    for (int m = 2; m <= bounds.maxM; ++m) {
        GenusWalk walk(m, genus, visit, progress);
        for (int r = 2; r <= bounds.maxR; ++r) {
            const auto [low, high] = walk.branchRange(r, bounds.maxB);
            for (int b = low; b <= high; ++b) {
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
    WorkPool pool(threads);
    const std::size_t block = 256 * pool.size();
    for (std::size_t start = 0; start < count; start += block) {
        const std::size_t end = std::min(count, start + block);
        if (!pool.run(
                end - start, [&](std::size_t i, std::size_t) { job(start + i); }, progress)) {
            return false;
        }
        for (std::size_t i = start; i < end; ++i) done(i);
        if (progress != nullptr && reportFraction) {
            progress->setFraction(static_cast<double>(end) / static_cast<double>(count));
        }
    }
    return !stopRequested(progress);
}

namespace {

bool walkInBlocks(int genus, const CensusRunWork& work, const Blocking& blocking,
                  Progress* progress, const CensusOptions& options) {
    // The shapes are worked on a block at a time as the walk finds them, so that a large genus
    // holds one block and not its whole census. The share of core multiplicities walked is the
    // fraction done. The shapes of a block are kept from one block to the next, so their parts
    // are not allocated again for every fiber.
    const auto maxM = static_cast<double>(genusBounds(genus).maxM);
    WorkPool pool(options.threads);
    const std::size_t blockSize = blocking.block * pool.size();
    std::vector<CensusShape> shapes(blockSize);
    std::size_t used = 0;
    std::size_t parts = 0;  // in the block
    std::vector<std::size_t> runStarts;
    const auto sameKind = [](const CensusShape& a, const CensusShape& b) {
        return a.m == b.m && a.r == b.r && a.parts.size() == b.parts.size();
    };
    const auto runBlock = [&]() {
        if (used == 0) return !stopRequested(progress);
        work.begin(used);
        runStarts.clear();
        for (std::size_t i = 0; i < used; ++i) {
            if (i == 0 || i - runStarts.back() == blocking.run ||
                !sameKind(shapes[i - 1], shapes[i])) {
                runStarts.push_back(i);
            }
        }
        runStarts.push_back(used);
        const bool done = pool.run(
            runStarts.size() - 1,
            [&](std::size_t run, std::size_t worker) {
                const std::size_t first = runStarts[run];
                work.run(
                    std::span<const CensusShape>(shapes.data() + first, runStarts[run + 1] - first),
                    first, worker);
            },
            progress);
        if (!done) return false;
        for (std::size_t i = 0; i < used; ++i) {
            work.done(shapes[i], i);
            if (progress != nullptr) progress->addResults(1);
        }
        if (progress != nullptr) progress->setFraction((shapes[used - 1].m - 1.0) / maxM);
        used = 0;
        parts = 0;
        return true;
    };
    const bool walked = forEachGenusShape(
        genus,
        [&](const CensusShape& shape) {
            CensusShape& slot = shapes[used++];
            slot.m = shape.m;
            slot.r = shape.r;
            // A slot that once held a fiber of many more branches gives that room back.
            if (slot.parts.capacity() > 2 * shape.parts.size() + 64) slot.parts = {};
            slot.parts.assign(shape.parts.begin(), shape.parts.end());
            parts += shape.parts.size();
            return (used < blockSize && parts < kBlockParts) || runBlock();
        },
        progress);
    if (!walked || !runBlock()) return false;
    if (progress != nullptr) progress->setFraction(1.0);
    return true;
}

}  // namespace

bool forEachGenusRun(int genus, const CensusRunWork& work, Progress* progress,
                     const CensusOptions& options) {
    return walkInBlocks(genus, work, kCountBlocking, progress, options);
}

bool forEachGenusBlock(int genus, const CensusBlockWork& work, Progress* progress,
                       const CensusOptions& options) {
    return walkInBlocks(genus,
                        {work.begin,
                         [&](std::span<const CensusShape> shapes, std::size_t first, std::size_t) {
                             for (std::size_t k = 0; k < shapes.size(); ++k)
                                 work.job(shapes[k], first + k);
                         },
                         work.done},
                        kJobBlocking, progress, options);
}

bool censusByGenus(int genus, const CensusSink& sink, Progress* progress,
                   const CensusOptions& options) {
    // The counts and the lines are made by the workers; the sink only takes them in order. Each
    // worker writes its lines one after another into a text of its own, kept from block to block,
    // and the sink sees them where they were written. A count that fails (memory, a table too
    // large) is raised on the calling thread in census order, after the fibers before it.
    struct WorkerText {
        std::string text;
        std::size_t used = 0;
    };
    struct LinePlace {
        std::size_t worker = 0;
        std::size_t at = 0;
        std::size_t length = 0;
    };
    std::vector<SubdivisorTally> tallies;
    std::vector<LinePlace> places;
    std::vector<std::exception_ptr> failures;
    const std::size_t workers = workerCount(options.threads);
    std::vector<WorkerText> texts(workers);
    CensusCounter counter(workers);
    CensusRunWork work;
    work.begin = [&](std::size_t count) {
        tallies.resize(count);
        places.resize(count);
        failures.assign(count, nullptr);
        for (WorkerText& text : texts) text.used = 0;
    };
    work.run = [&](std::span<const CensusShape> shapes, std::size_t first, std::size_t worker) {
        WorkerText& text = texts[worker];
        for (std::size_t k = 0; k < shapes.size(); ++k) {
            const CensusShape& shape = shapes[k];
            SubdivisorTally& tally = tallies[first + k];
            try {
                tally = counter.count(worker, shape, progress);
                if (tally.cancelled) return;
                const std::size_t length = writeFiberLine(text.text, text.used, shape.m, shape.r,
                                                          shape.parts, tally, genus);
                places[first + k] = {worker, text.used, length};
                text.used += length;
            } catch (...) {
                failures[first + k] = std::current_exception();
                return;
            }
        }
    };
    work.done = [&](const CensusShape& shape, std::size_t i) {
        if (failures[i]) std::rethrow_exception(failures[i]);
        const LinePlace& place = places[i];
        const std::string_view line(texts[place.worker].text.data() + place.at, place.length);
        sink(CensusFiber{shape, tallies[i], genus, line});
    };
    return forEachGenusRun(genus, work, progress, options);
}

}  // namespace dorvanix
