#include "interruptible_wait.h"

namespace dorvanix::python {

namespace py = pybind11;

bool waitReleasingGil(std::mutex& mutex, std::condition_variable& wakeUp,
                      const std::function<bool()>& ready) {
    {
        std::lock_guard lock(mutex);
        if (ready()) return true;
    }
    while (true) {
        {
            py::gil_scoped_release release;
            std::unique_lock lock(mutex);
            if (wakeUp.wait_for(lock, kSignalPoll, ready)) return true;
        }
        if (PyErr_CheckSignals() != 0) return false;
    }
}

void joinReleasingGil(WorkerThread& worker) {
    // Taken over while the GIL is held, so that of two Python threads only one joins it.
    WorkerThread joining = std::move(worker);
    if (!joining.joinable()) return;
    py::gil_scoped_release release;
    joining.join();
}

}  // namespace dorvanix::python
