#include "census/work_pool.h"

#include <algorithm>

namespace dorvanix {

std::size_t workerCount(int threads) {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    // A WebAssembly build without threads works on the calling thread alone.
    (void)threads;
    return 1;
#else
    if (threads > 0) return static_cast<std::size_t>(threads);
    return std::max<std::size_t>(1, std::thread::hardware_concurrency());
#endif
}

WorkPool::WorkPool(int threads) {
    const std::size_t workers = workerCount(threads);
    threads_.reserve(workers - 1);
    try {
        for (std::size_t worker = 1; worker < workers; ++worker) {
            threads_.emplace_back([this, worker] { serve(worker); });
        }
    } catch (...) {
        // Those started end before the failure to start another is reported.
        stop();
        throw;
    }
}

WorkPool::~WorkPool() {
    stop();
}

void WorkPool::stop() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        if (thread.joinable()) thread.join();
    }
}

bool WorkPool::run(std::size_t count, const Task& task, const Progress* progress) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        task_ = &task;
        count_ = count;
        progress_ = progress;
        next_ = 0;
        failed_ = false;
        failure_ = nullptr;
        busy_ = threads_.size();
        ++round_;
    }
    wake_.notify_all();
    work(0);
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return busy_ == 0; });
    task_ = nullptr;
    if (failure_) std::rethrow_exception(failure_);
    return !stopRequested(progress);
}

void WorkPool::serve(std::size_t worker) {
    std::uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        wake_.wait(lock, [&] { return closing_ || round_ != seen; });
        if (closing_) return;
        seen = round_;
        lock.unlock();
        work(worker);
        lock.lock();
        if (--busy_ == 0) finished_.notify_one();
    }
}

void WorkPool::work(std::size_t worker) {
    for (std::size_t i = next_++; i < count_; i = next_++) {
        if (failed_ || stopRequested(progress_)) return;
        try {
            (*task_)(i, worker);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!failure_) failure_ = std::current_exception();
            failed_ = true;
        }
    }
}

}  // namespace dorvanix
