#include "census/work_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace dorvanix {
namespace {

// Rounds of tasks on one pool: each index once, every worker within the pool; a task that throws
// ends the round with its exception and the pool takes the next round; a cancel ends a round
// early and answers false.
TEST(WorkPool, RunsEachTaskOnceAndEndsARoundOnAThrowOrACancel) {
    for (int threads : {1, 3}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        WorkPool pool(threads);
        // As many as asked for; one in a WebAssembly build without threads.
        ASSERT_EQ(pool.size(), workerCount(threads));
        for (int round = 0; round < 3; ++round) {
            std::vector<std::atomic<int>> runs(1000);
            std::atomic<bool> inPool{true};
            EXPECT_TRUE(pool.run(
                runs.size(),
                [&](std::size_t i, std::size_t worker) {
                    ++runs[i];
                    if (worker >= pool.size()) inPool = false;
                },
                nullptr));
            for (const auto& count : runs) EXPECT_EQ(count, 1);
            EXPECT_TRUE(inPool);
        }
        std::atomic<int> started{0};
        EXPECT_THROW(pool.run(
                         100000,
                         [&](std::size_t i, std::size_t) {
                             ++started;
                             if (i == 10) throw std::runtime_error("task 10");
                         },
                         nullptr),
                     std::runtime_error);
        EXPECT_LT(started, 100000) << "tasks went on after one threw";
        Progress progress;
        std::atomic<int> done{0};
        EXPECT_FALSE(pool.run(
            100000,
            [&](std::size_t i, std::size_t) {
                if (i == 10) progress.cancel();
                ++done;
            },
            &progress));
        EXPECT_LT(done, 100000);
        EXPECT_TRUE(pool.run(
            1, [](std::size_t, std::size_t) {}, nullptr))
            << "the pool works after a throw and a cancel";
    }
}

}  // namespace
}  // namespace dorvanix
