#include "worker_thread.h"

#include <sys/mman.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace dorvanix::python {

namespace {

// Address space a new thread needs beyond its stack for what it allocates as it starts.
constexpr std::size_t kStartingRoom = std::size_t{4} << 20;

// Whether `bytes` of address space can still be mapped: a limit on it (ulimit -v) is reached
// long before memory runs out.
bool roomFor(std::size_t bytes) {
    void* trial = ::mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (trial == MAP_FAILED) return false;
    ::munmap(trial, bytes);
    return true;
}

void* runWork(void* argument) {
    // The C++ runtime keeps a thread's exception state in thread-local memory of a library loaded
    // with the module, which the C library allocates on first use and cannot do without: when
    // that first use is an exception thrown because memory ran out, the process ends ("cannot
    // allocate memory for thread-local data"). Using it now, while there is room, keeps every
    // later failure an exception that Python sees.
    // (Kept in a volatile, as the call is declared pure and would otherwise be left out.)
    volatile const int pending = std::uncaught_exceptions();
    static_cast<void>(pending);
    const std::unique_ptr<std::function<void()>> work(
        static_cast<std::function<void()>*>(argument));
    (*work)();
    return nullptr;
}

}  // namespace

WorkerThread::WorkerThread(WorkerThread&& other) noexcept
    : thread_(other.thread_), running_(std::exchange(other.running_, false)) {}

WorkerThread& WorkerThread::operator=(WorkerThread&& other) noexcept {
    if (this != &other) {
        join();
        thread_ = other.thread_;
        running_ = std::exchange(other.running_, false);
    }
    return *this;
}

void WorkerThread::start(std::function<void()> work, std::size_t stackBytes, const char* what) {
    join();
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    int failure = stackBytes > 0 ? pthread_attr_setstacksize(&attributes, stackBytes) : 0;
    if (failure == 0 && !roomFor(stackBytes + kStartingRoom)) failure = EAGAIN;
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    if (failure == 0) failure = pthread_create(&thread_, &attributes, &runWork, owned.get());
    pthread_attr_destroy(&attributes);
    if (failure != 0) {
        throw std::runtime_error(
            std::string("cannot start the worker thread of ") + what + ": " +
            std::strerror(failure) +
            " (too many threads or too little memory; close the iterators no longer needed)");
    }
    owned.release();  // the thread deletes it
    running_ = true;
}

void WorkerThread::join() {
    if (!running_) return;
    running_ = false;
    pthread_join(thread_, nullptr);
}

}  // namespace dorvanix::python
