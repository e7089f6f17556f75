#pragma once

// Runs work on a thread with a small stack, for the tests that a walk does not recurse as deep as
// its input: a recursion along ten thousand nodes overflows such a stack and ends the test with a
// crash, whatever the build (the main thread's 8 MiB would hide it outside the sanitizers).

#include <pthread.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <utility>

namespace dorvanix::testing {

// A quarter of a megabyte: ample for any one call of the core, far too little for a recursion of
// ten thousand levels. An exception of `work` is thrown here.
inline void runOnSmallStack(const std::function<void()>& work,
                            std::size_t stackBytes = std::size_t{256} << 10) {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    // A WebAssembly build without threads has only the program's own stack, of a few megabytes.
    (void)stackBytes;
    work();
#else
    std::pair<const std::function<void()>*, std::exception_ptr> job{&work, nullptr};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, stackBytes);
    pthread_t thread;
    const auto run = [](void* argument) -> void* {
        auto& [what, error] = *static_cast<decltype(job)*>(argument);
        try {
            (*what)();
        } catch (...) {
            error = std::current_exception();
        }
        return nullptr;
    };
    if (pthread_create(&thread, &attributes, run, &job) != 0) std::terminate();
    pthread_attr_destroy(&attributes);
    pthread_join(thread, nullptr);
    if (job.second) std::rethrow_exception(job.second);
#endif
}

}  // namespace dorvanix::testing
