#pragma once

#include <pybind11/pybind11.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "interruptible_wait.h"
#include "model/progress.h"
#include "worker_thread.h"

namespace dorvanix::python {

// The worker's stack for the module's walks (the fiber list, a sub-divisor listing, the census):
// none of them recurses, so their stack does not grow with the fiber or the genus; this leaves a
// wide margin for the deepest call (a count's big-integer temporaries included, and more under
// the sanitizers) while a thousand idle listings take a quarter of a gigabyte of address space.
inline constexpr std::size_t kWalkStack = std::size_t{256} << 10;

// The results of a callback-driven enumeration (the fiber list, a sub-divisor listing) handed to
// Python one at a time. The enumeration runs on a worker thread of its own, started by the first
// request, that fills batches of results and hands each over whole under a mutex: the reader
// takes a batch, reads it without any lock, and gives it back for reuse, so that the strings and
// vectors of the results keep their buffers and a result costs no allocation once the batches
// have gone round. Stopping (or destroying) the stream cancels the enumeration through its
// Progress and joins the worker.
//
// The worker stays at most one batch ahead of the reader. Batches start small and double (up to
// kMaxBatch) at each hand-over: a reader that takes a few results and leaves the iterator alone
// keeps only a few dozen results, while one that reads a whole listing is woken once per few
// thousand. A reader that finds nothing to read first gives the worker kPatience to fill its
// batch, then takes whatever the worker holds at its next result: a reader as fast as the worker
// that took each result as it came would wake both threads every few results (tens of thousands
// of wake-ups in a listing of a million short lines, more time than the lines), while a listing
// that admits few of its vectors still hands each over soon. The worker's stack is given by the
// enumeration.
//
// After os.fork() the child has the stream but not its worker, and the worker may have held the
// mutex at that moment. The child leaves that state behind and starts the enumeration again,
// dropping the results already handed out, so the listing continues where it stood.
template <typename Item>
class ItemStream {
  private:
    struct Batch {
        std::vector<Item> items;  // slots, reused; only the first `count` hold results
        std::size_t count = 0;
    };

    // What the worker and the reader share; every field but the flags is under `mutex`.
    struct Shared {
        Progress progress;
        std::mutex mutex;
        std::condition_variable wakeUp;
        std::optional<Batch> ready;  // handed over, not yet taken
        std::vector<Batch> spare;    // given back by the reader
        bool finished = false;
        std::exception_ptr error;
        std::atomic<bool> readerWaiting{false};
    };

  public:
    static constexpr std::size_t kFirstBatch = 16;
    static constexpr std::size_t kMaxBatch = 4096;
    // Well above the time a full batch of short lines takes (about 0.15 ms), well below what a
    // user notices.
    static constexpr std::chrono::milliseconds kPatience{2};

    // The worker's end, handed to the enumeration.
    class Sink {
      public:
        // Lets `fill` write the next result into a slot; false when the reader has stopped
        // listening.
        template <typename Fill>
        bool push(Fill&& fill) {
            // The enumeration only looks at its Progress now and then: until it does, results
            // after a stop are dropped here unmade.
            if (shared_.progress.cancelled()) return false;
            if (skip_ > 0) {
                --skip_;
                return true;
            }
            if (filling_.count == filling_.items.size()) filling_.items.emplace_back();
            fill(filling_.items[filling_.count++]);
            if (filling_.count < limit_ && !shared_.readerWaiting.load(std::memory_order_relaxed)) {
                return true;
            }
            return handOver();
        }

      private:
        friend class ItemStream;
        Sink(Shared& shared, std::size_t skip) : shared_(shared), skip_(skip) {}

        // Hands the batch being filled to the reader once it has taken the one before.
        bool handOver() {
            std::unique_lock lock(shared_.mutex);
            limit_ = std::min(2 * limit_, kMaxBatch);
            if (shared_.ready) {
                shared_.wakeUp.wait(lock,
                                    [&] { return !shared_.ready || shared_.progress.cancelled(); });
            }
            if (shared_.progress.cancelled()) return false;
            if (filling_.count == 0) return true;
            shared_.ready = std::move(filling_);
            filling_ = Batch{};
            if (!shared_.spare.empty()) {
                filling_ = std::move(shared_.spare.back());
                shared_.spare.pop_back();
                filling_.count = 0;
            }
            shared_.wakeUp.notify_all();
            return true;
        }

        Shared& shared_;
        Batch filling_;
        std::size_t limit_ = kFirstBatch;
        std::size_t skip_;
    };

    using Producer = std::function<void(Sink&, Progress&)>;

    // `stackBytes` is the worker's stack: enough for the enumeration's deepest call.
    ItemStream(Producer producer, std::size_t stackBytes)
        : producer_(std::move(producer)), stackBytes_(stackBytes) {}
    ~ItemStream() {
        if (forked()) {
            worker_.abandon();
            static_cast<void>(shared_.release());
            return;
        }
        requestStop();
    }
    ItemStream(const ItemStream&) = delete;
    ItemStream& operator=(const ItemStream&) = delete;

    // What `make` makes of the next result, or none at the end. Waits with the GIL released; the
    // reading side is touched only with the GIL held, so several Python threads may share one
    // stream. On Ctrl-C the stream is stopped and the KeyboardInterrupt raised; an error of the
    // enumeration is raised here, after the results that came before it.
    template <typename Make>
    auto next(Make&& make) -> std::optional<std::invoke_result_t<Make, const Item&>> {
        while (!closed_ && reading_.taken == reading_.batch.count) refill();
        if (closed_) return std::nullopt;
        auto made = make(static_cast<const Item&>(reading_.batch.items[reading_.taken]));
        ++reading_.taken;
        ++delivered_;
        return made;
    }

    // Cancels the enumeration and frees what it held; later requests find the end.
    void stop() {
        if (forked()) {
            leaveWorkerBehind();
        } else {
            requestStop();
            joinReleasingGil(worker_);
        }
        close();
    }

  private:
    bool forked() const { return started_ && owner_ != getpid(); }

    void start() {
        if (forked()) {
            leaveWorkerBehind();
            skip_ = delivered_;
        }
        Shared& shared = *shared_;
        const std::size_t skip = skip_;
        worker_.start([this, &shared, skip] { produce(shared, skip); }, stackBytes_, "a listing");
        owner_ = getpid();
        started_ = true;
    }

    // The state the worker shared stays as it is, never touched again: its mutex may be held by
    // a thread that did not come through the fork.
    void leaveWorkerBehind() {
        worker_.abandon();
        static_cast<void>(shared_.release());
        shared_ = std::make_unique<Shared>();
        started_ = false;
    }

    void produce(Shared& shared, std::size_t skip) {
        Sink sink(shared, skip);
        try {
            producer_(sink, shared.progress);
        } catch (...) {
            shared.error = std::current_exception();
        }
        sink.handOver();
        std::lock_guard lock(shared.mutex);
        shared.finished = true;
        shared.wakeUp.notify_all();
    }

    void requestStop() {
        {
            std::lock_guard lock(shared_->mutex);
            shared_->progress.cancel();
        }
        shared_->wakeUp.notify_all();
    }

    // Replaces the batch read up by the next one; closes the stream at the end.
    void refill() {
        if (!started_ || forked()) start();
        Shared& shared = *shared_;
        awaitBatch(shared);
        const bool woken = waitReleasingGil(shared.mutex, shared.wakeUp, [&] {
            if (shared.ready || shared.finished) return true;
            shared.readerWaiting.store(true, std::memory_order_relaxed);
            return false;
        });
        if (!woken) {
            pybind11::error_already_set interrupt;
            stop();
            throw interrupt;
        }
        std::unique_lock lock(shared.mutex);
        shared.readerWaiting.store(false, std::memory_order_relaxed);
        // Another Python thread may have been here while the GIL was released.
        if (closed_ || reading_.taken < reading_.batch.count) return;
        if (shared.ready) {
            Batch read = std::exchange(reading_.batch, std::move(*shared.ready));
            shared.ready.reset();
            reading_.taken = 0;
            if (!read.items.empty()) shared.spare.push_back(std::move(read));
            shared.wakeUp.notify_all();
            return;
        }
        if (!shared.finished) return;
        lock.unlock();
        joinReleasingGil(worker_);
        const std::exception_ptr error = std::exchange(shared.error, nullptr);
        close();
        if (error) std::rethrow_exception(error);
    }

    // Waits up to kPatience, with the GIL released, for the worker to hand over a batch as usual.
    static void awaitBatch(Shared& shared) {
        const auto handedOver = [&] {
            return shared.ready || shared.finished || shared.progress.cancelled();
        };
        {
            std::lock_guard lock(shared.mutex);
            if (handedOver()) return;
        }
        pybind11::gil_scoped_release release;
        std::unique_lock lock(shared.mutex);
        shared.wakeUp.wait_for(lock, kPatience, handedOver);
    }

    // Only once the worker has been joined (or left behind). Another Python thread may still be
    // waiting on the mutex with the GIL released.
    void close() {
        closed_ = true;
        reading_ = Reading{};
        std::lock_guard lock(shared_->mutex);
        shared_->ready.reset();
        shared_->spare.clear();
    }

    struct Reading {
        Batch batch;
        std::size_t taken = 0;
    };

    Producer producer_;
    std::size_t stackBytes_;
    std::unique_ptr<Shared> shared_ = std::make_unique<Shared>();
    WorkerThread worker_;
    pid_t owner_ = 0;  // the process that started the worker
    // The reading side's, under the GIL.
    Reading reading_;
    std::size_t delivered_ = 0;  // results made for Python, counted for a restart after a fork
    std::size_t skip_ = 0;
    bool started_ = false;
    bool closed_ = false;
};

}  // namespace dorvanix::python
