#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "interruptible_wait.h"
#include "model/progress.h"

namespace dorvanix::python {

// The results of a callback-driven enumeration (the fiber list, a sub-divisor listing) handed to
// Python one at a time. The enumeration runs on a worker thread that fills a ring of a few hundred
// slots and waits while the ring is full, so a census of millions of results never holds more than
// that at once. The worker starts on the first request; stopping (or destroying) the stream
// cancels it through its Progress and joins it.
//
// At hundreds of thousands of results a second, a lock or an allocation per result costs more
// than the result itself. So the slots are filled in place (their strings and vectors keep their
// buffers from one round of the ring to the next), the two sides meet through two counters, and a
// side sleeps, under the mutex, only when the ring is empty or full: the reader until a batch has
// come, a moment has passed or the enumeration has ended; the worker until half the ring is free.
template <typename Item>
class ItemStream {
  public:
    // The worker's end, handed to the enumeration.
    class Sink {
      public:
        // Lets `fill` write the next result into a free slot and hands it to the reader; false
        // when the reader has stopped listening.
        template <typename Fill>
        bool push(Fill&& fill) {
            Item* slot = stream_.freeSlot();
            if (slot == nullptr) return false;
            fill(*slot);
            stream_.publish();
            return true;
        }

      private:
        friend class ItemStream;
        explicit Sink(ItemStream& stream) : stream_(stream) {}
        ItemStream& stream_;
    };

    using Producer = std::function<void(Sink&, Progress&)>;

    // The results a waiting reader is woken for, and how long it waits for fewer.
    static constexpr std::size_t kBatch = 64;
    static constexpr std::chrono::milliseconds kPatience{10};

    explicit ItemStream(Producer producer, std::size_t capacity = 256)
        : producer_(std::move(producer)), ring_(capacity) {}
    ~ItemStream() {
        requestStop();
        if (worker_.joinable()) worker_.join();
    }
    ItemStream(const ItemStream&) = delete;
    ItemStream& operator=(const ItemStream&) = delete;

    // What `make` makes of the next result, or none at the end. Waits with the GIL released; the
    // reading side is touched only with the GIL held, so several Python threads may share one
    // stream. On Ctrl-C the stream is stopped and the KeyboardInterrupt raised; an error of the
    // enumeration is raised here.
    template <typename Make>
    auto next(Make&& make) -> std::optional<std::invoke_result_t<Make, const Item&>> {
        if (!started_ && !closed_) start();
        while (!closed_ && available() == 0) awaitResults();
        if (closed_) return std::nullopt;
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        auto made = make(static_cast<const Item&>(ring_[tail % ring_.size()]));
        tail_.store(tail + 1, std::memory_order_seq_cst);
        if (workerWaiting_.load(std::memory_order_seq_cst) && available() <= ring_.size() / 2) {
            std::lock_guard lock(mutex_);
            wakeUp_.notify_all();
        }
        return made;
    }

    // Cancels the enumeration; later requests find the end.
    void stop() {
        requestStop();
        joinReleasingGil(worker_);
        closed_ = true;
    }

  private:
    void start() {
        started_ = true;
        worker_ = std::thread([this] { produce(); });
    }

    void produce() {
        Sink sink(*this);
        try {
            producer_(sink, progress_);
        } catch (...) {
            error_ = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        finished_.store(true, std::memory_order_seq_cst);
        wakeUp_.notify_all();
    }

    std::size_t available() const {
        return head_.load(std::memory_order_seq_cst) - tail_.load(std::memory_order_seq_cst);
    }

    // The slot for the next result, once the reader has left one free; null when cancelled.
    Item* freeSlot() {
        if (available() == ring_.size()) {
            std::unique_lock lock(mutex_);
            workerWaiting_.store(true, std::memory_order_seq_cst);
            wakeUp_.wait(lock, [&] { return available() < ring_.size() || progress_.cancelled(); });
            workerWaiting_.store(false, std::memory_order_seq_cst);
        }
        if (progress_.cancelled()) return nullptr;
        return &ring_[head_.load(std::memory_order_relaxed) % ring_.size()];
    }

    void publish() {
        head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_seq_cst);
        if (readerWaiting_.load(std::memory_order_seq_cst) && available() >= kBatch) {
            std::lock_guard lock(mutex_);
            wakeUp_.notify_all();
        }
    }

    void requestStop() {
        {
            std::lock_guard lock(mutex_);
            progress_.cancel();
        }
        wakeUp_.notify_all();
    }

    // Waits for a batch, a moment, or the end; then closes the stream when it has ended.
    void awaitResults() {
        const auto patience = std::chrono::steady_clock::now() + kPatience;
        readerWaiting_.store(true, std::memory_order_seq_cst);
        const bool ready = waitReleasingGil(mutex_, wakeUp_, [&] {
            const std::size_t waiting = available();
            return waiting >= kBatch || finished_.load(std::memory_order_seq_cst) ||
                   (waiting > 0 && std::chrono::steady_clock::now() >= patience);
        });
        readerWaiting_.store(false, std::memory_order_seq_cst);
        if (!ready) {
            pybind11::error_already_set interrupt;
            stop();
            throw interrupt;
        }
        if (available() > 0 || !finished_.load(std::memory_order_seq_cst)) return;
        joinReleasingGil(worker_);
        closed_ = true;
        if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    }

    Producer producer_;
    Progress progress_;
    std::vector<Item> ring_;
    std::atomic<std::size_t> head_{0};  // results published, written by the worker
    std::atomic<std::size_t> tail_{0};  // results taken, written by the reader
    std::atomic<bool> finished_{false};
    std::atomic<bool> readerWaiting_{false};
    std::atomic<bool> workerWaiting_{false};
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    std::exception_ptr error_;  // written by the worker before finished_
    bool started_ = false;      // the reading side's, under the GIL
    bool closed_ = false;
    std::thread worker_;
};

}  // namespace dorvanix::python
