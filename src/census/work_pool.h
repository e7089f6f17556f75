#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "model/progress.h"

namespace dorvanix {

// The number of threads a pool asked for `threads` runs: that many, or one per core for 0; one
// in a WebAssembly build without threads.
std::size_t workerCount(int threads);

// A fixed set of threads that works through numbered tasks together with the calling thread,
// one round of tasks after another, so that the threads are started once for a whole census
// and not once per block of it.
class WorkPool {
  public:
    // `threads` threads in all, the calling one among them (0: one per core).
    explicit WorkPool(int threads);
    ~WorkPool();
    WorkPool(const WorkPool&) = delete;
    WorkPool& operator=(const WorkPool&) = delete;

    // Workers 0 ... size() - 1; the calling thread is worker 0.
    std::size_t size() const { return threads_.size() + 1; }

    using Task = std::function<void(std::size_t index, std::size_t worker)>;

    // Runs task(i, worker) for every i below `count`, each i once, the threads taking the next
    // i as they come free, and returns when all have ended. Once `progress` is cancelled or a
    // task has thrown, no further task starts; the first exception thrown is thrown again here.
    // False when `progress` was cancelled.
    bool run(std::size_t count, const Task& task, const Progress* progress);

  private:
    void stop();
    void serve(std::size_t worker);
    void work(std::size_t worker);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::uint64_t round_ = 0;  // one more for each run
    bool closing_ = false;
    std::size_t busy_ = 0;  // threads still at the round's tasks
    const Task* task_ = nullptr;
    std::size_t count_ = 0;
    const Progress* progress_ = nullptr;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> failed_{false};
    std::exception_ptr failure_;
    std::vector<std::thread> threads_;
};

}  // namespace dorvanix
