#include "worker_thread.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace dorvanix::python {

namespace {

void* runWork(void* argument) {
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
