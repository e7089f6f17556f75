#pragma once

#include <pthread.h>

#include <cstddef>
#include <functional>

namespace dorvanix::python {

// A thread of the module (the worker of a listing, of a long call) with the stack it asks for:
// std::thread always takes the system's default, 8 MiB of address space, and a few hundred live
// listings then fill a 4 GiB limit. When the thread cannot be started, start() throws a
// std::runtime_error that says which thread and why (Python sees RuntimeError).
class WorkerThread {
  public:
    WorkerThread() = default;
    // Joins a thread still running.
    ~WorkerThread() { join(); }
    WorkerThread(WorkerThread&& other) noexcept;
    WorkerThread& operator=(WorkerThread&& other) noexcept;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `work` on a new thread; stackBytes 0 takes the system's default. `what` names the work
    // in the error message.
    void start(std::function<void()> work, std::size_t stackBytes, const char* what);
    bool joinable() const { return running_; }
    void join();
    // Forgets the thread without joining it: in the child of a fork, where it does not exist.
    void abandon() { running_ = false; }

  private:
    pthread_t thread_{};
    bool running_ = false;
};

}  // namespace dorvanix::python
