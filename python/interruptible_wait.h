#pragma once

#include <pybind11/pybind11.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>

#include "model/progress.h"
#include "worker_thread.h"

namespace dorvanix::python {

// How often a waiting call looks for Ctrl-C: well inside the tenth of a second a user waits.
inline constexpr std::chrono::milliseconds kSignalPoll{20};

// Waits until `ready()` holds (checked under `mutex`, signalled through `wakeUp`) with the GIL
// released, and every kSignalPoll runs Python's signal handlers. Answers false when a handler
// raised (KeyboardInterrupt for Ctrl-C): the Python error is then set.
bool waitReleasingGil(std::mutex& mutex, std::condition_variable& wakeUp,
                      const std::function<bool()>& ready);

// Joins `worker` with the GIL released, so that a worker that is finishing never waits for it.
void joinReleasingGil(WorkerThread& worker);

// Runs `work` on a worker thread while the calling thread waits with the GIL released. Ctrl-C
// cancels the work through its Progress, waits for the worker to stop and raises
// KeyboardInterrupt; an exception of the work is raised in the caller.
template <typename Result>
Result runInterruptibly(const std::function<Result(Progress&)>& work) {
    Progress progress;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::optional<Result> result;
    std::exception_ptr error;
    WorkerThread worker;
    worker.start(
        [&] {
            try {
                result.emplace(work(progress));
            } catch (...) {
                error = std::current_exception();
            }
            std::lock_guard lock(mutex);
            done = true;
            finished.notify_one();
        },
        0, "this call");
    const bool completed = waitReleasingGil(mutex, finished, [&] { return done; });
    if (!completed) {
        pybind11::error_already_set interrupt;
        progress.cancel();
        joinReleasingGil(worker);
        throw interrupt;
    }
    joinReleasingGil(worker);
    if (error) std::rethrow_exception(error);
    return std::move(*result);
}

}  // namespace dorvanix::python
