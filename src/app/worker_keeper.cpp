#include "app/worker_keeper.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>

namespace dorvanix {

namespace {

// The keeper of the run. Keepers nest (a test may make its own), the newest holding new workers.
WorkerKeeper* currentKeeper = nullptr;

}  // namespace

WorkerKeeper::WorkerKeeper() : previous_(currentKeeper) {
    currentKeeper = this;
}

WorkerKeeper::~WorkerKeeper() {
    cancelAndJoinAll();
    currentKeeper = previous_;
}

WorkerKeeper* WorkerKeeper::current() {
    return currentKeeper;
}

void WorkerKeeper::keep(QThread* thread, std::function<void()> cancel) {
    workers_.push_back({thread, std::move(cancel)});
    // The end of a worker is heard on the interface thread, where the keeper lives; the thread
    // object goes only once it has been joined.
    connect(thread, &QThread::finished, this, [this, thread] { ended(thread); });
}

void WorkerKeeper::ended(QThread* thread) {
    const auto held =
        std::find_if(workers_.begin(), workers_.end(),
                     [thread](const Worker& worker) { return worker.thread == thread; });
    if (held == workers_.end()) return;
    workers_.erase(held);
    thread->wait();
    delete thread;
}

int WorkerKeeper::unfinished() const {
    return static_cast<int>(
        std::count_if(workers_.begin(), workers_.end(),
                      [](const Worker& worker) { return !worker.thread->isFinished(); }));
}

bool WorkerKeeper::waitForAll(int milliseconds) {
    const QDeadlineTimer deadline =
        milliseconds < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(milliseconds);
    for (const Worker& worker : workers_) {
        if (!worker.thread->wait(deadline)) return false;
    }
    return true;
}

void WorkerKeeper::cancelAndJoinAll() {
    for (const Worker& worker : workers_) {
        if (worker.cancel) worker.cancel();
    }
    // Cancelled work looks at its flag every few thousand steps and ends within moments.
    std::vector<Worker> workers = std::move(workers_);
    workers_.clear();
    for (const Worker& worker : workers) {
        worker.thread->wait();
        delete worker.thread;
    }
}

}  // namespace dorvanix
