#pragma once

// Runs work on a thread with a small stack, for the tests that a walk does not recurse as deep as
// its input: a recursion along ten thousand nodes overflows such a stack and ends the test with a
// crash, whatever the build (the main thread's 8 MiB would hide it outside the sanitizers).

#include <pthread.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <stdexcept>

namespace dorvanix::testing {

// A quarter of a megabyte: ample for any one call of the core, far too little for a recursion of
// ten thousand levels.
inline constexpr std::size_t kSmallStack = std::size_t{256} << 10;

// Runs `work` on a thread of `stackBytes` and waits for it; an exception it throws is thrown here.
inline void runOnSmallStack(const std::function<void()>& work,
                            std::size_t stackBytes = kSmallStack) {
    struct Job {
        const std::function<void()>& work;
        std::exception_ptr error;
    } job{work, nullptr};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, stackBytes);
    pthread_t thread;
    const int failure = pthread_create(
        &thread, &attributes,
        [](void* argument) -> void* {
            auto& j = *static_cast<Job*>(argument);
            try {
                j.work();
            } catch (...) {
                j.error = std::current_exception();
            }
            return nullptr;
        },
        &job);
    pthread_attr_destroy(&attributes);
    if (failure != 0) throw std::runtime_error("cannot start a thread with a small stack");
    pthread_join(thread, nullptr);
    if (job.error) std::rethrow_exception(job.error);
}

}  // namespace dorvanix::testing
