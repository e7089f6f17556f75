#pragma once

#include <pybind11/pybind11.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <iterator>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "interruptible_wait.h"
#include "model/progress.h"

namespace dorvanix::python {

// The results of a callback-driven enumeration (the fiber list, a sub-divisor listing) handed to
// Python one at a time. The enumeration runs on a worker thread that fills a bounded queue and
// waits while it is full, so a census of millions of results never holds more than a few hundred
// at once. The worker starts on the first request; stopping (or destroying) the stream cancels it
// through its Progress and joins it.
template <typename Item>
class ItemStream {
public:
    // Hands one result to the reader; false when the reader has stopped listening.
    using Push = std::function<bool(Item)>;
    using Producer = std::function<void(const Push&, Progress&)>;

    explicit ItemStream(Producer producer, std::size_t capacity = 256)
        : producer_(std::move(producer)), capacity_(capacity) {}
    ~ItemStream() {
        requestStop();
        if (worker_.joinable()) worker_.join();
    }
    ItemStream(const ItemStream&) = delete;
    ItemStream& operator=(const ItemStream&) = delete;

    // The next result, or none at the end. Waits with the GIL released; the reader's side is
    // touched only with the GIL held, so several Python threads may share one stream. On Ctrl-C the stream is
    // stopped and the KeyboardInterrupt raised; an error of the enumeration is raised here.
    std::optional<Item> next() {
        // Another Python thread reading the same stream may take what this one waited for.
        while (taken_.empty() && !closed_) refill();
        if (taken_.empty()) return std::nullopt;
        Item item = std::move(taken_.front());
        taken_.pop_front();
        return item;
    }

    // Cancels the enumeration and frees what it held; later requests find the end.
    void stop() {
        requestStop();
        joinReleasingGil(worker_);
        taken_.clear();
        closed_ = true;
    }

    // Whether the worker is running or has results waiting.
    bool active() const { return !closed_ && (started_ || !taken_.empty()); }

private:
    void start() {
        started_ = true;
        worker_ = std::thread([this] { produce(); });
    }

    void produce() {
        try {
            producer_([this](Item item) { return push(std::move(item)); }, progress_);
        } catch (...) {
            error_ = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        finished_ = true;
        itemReady_.notify_one();
    }

    bool push(Item item) {
        std::unique_lock lock(mutex_);
        spaceFree_.wait(lock, [&] { return queue_.size() < capacity_ || progress_.cancelled(); });
        if (progress_.cancelled()) return false;
        queue_.push_back(std::move(item));
        if (queue_.size() == 1) itemReady_.notify_one();
        return true;
    }

    void requestStop() {
        {
            std::lock_guard lock(mutex_);
            progress_.cancel();
        }
        spaceFree_.notify_all();
    }

    // Takes everything the worker has queued, waiting for at least one result or the end.
    void refill() {
        if (!started_) start();
        const bool ready = waitReleasingGil(mutex_, itemReady_,
                                            [&] { return !queue_.empty() || finished_; });
        if (!ready) {
            pybind11::error_already_set interrupt;
            stop();
            throw interrupt;
        }
        bool end = false;
        {
            std::lock_guard lock(mutex_);
            if (taken_.empty()) {
                taken_.swap(queue_);
            } else {
                std::move(queue_.begin(), queue_.end(), std::back_inserter(taken_));
                queue_.clear();
            }
            end = finished_ && taken_.empty();
        }
        spaceFree_.notify_one();
        if (!end) return;
        joinReleasingGil(worker_);
        closed_ = true;
        if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    }

    Producer producer_;
    std::size_t capacity_;
    Progress progress_;
    std::mutex mutex_;
    std::condition_variable itemReady_;
    std::condition_variable spaceFree_;
    std::deque<Item> queue_;  // filled by the worker, under mutex_
    bool finished_ = false;   // under mutex_
    std::exception_ptr error_;
    std::deque<Item> taken_;  // the reader's share, touched only with the GIL held
    bool started_ = false;
    bool closed_ = false;
    std::thread worker_;
};

}  // namespace dorvanix::python
