#pragma once

#include <QObject>
#include <functional>
#include <vector>

class QThread;

namespace dorvanix {

// Holds every worker thread of the run from its start until it has ended and been joined.
//
// A window that goes while its work still runs cancels that work and hands the thread over here
// instead of waiting for it on the interface thread; the work owns what it works on, so it may
// end a moment later. The program makes one keeper right after its QApplication, so that the
// keeper goes just before it: the keeper's end cancels and joins every worker still going, and
// no worker ever paints, writes or reads after Qt has been torn down.
class WorkerKeeper : public QObject {
    Q_OBJECT
  public:
    // Becomes the run's keeper; there is one at a time.
    WorkerKeeper();
    // Cancels and joins every worker still held.
    ~WorkerKeeper() override;
    WorkerKeeper(const WorkerKeeper&) = delete;
    WorkerKeeper& operator=(const WorkerKeeper&) = delete;

    // The run's keeper, or none (a worker is then joined by the job that started it).
    static WorkerKeeper* current();

    // Takes `thread`, which has been started or is about to be, until it ends; `cancel` asks its
    // work to stop and is called at the end of the run at the latest.
    void keep(QThread* thread, std::function<void()> cancel);
    // Workers that have not ended yet.
    int unfinished() const;
    // Waits up to `milliseconds` (all of them when negative) for every worker held; true when
    // none is left running.
    bool waitForAll(int milliseconds);
    // Cancels every worker held and waits until all have ended.
    void cancelAndJoinAll();

  private:
    struct Worker {
        QThread* thread;
        std::function<void()> cancel;
    };
    void ended(QThread* thread);

    std::vector<Worker> workers_;
    WorkerKeeper* previous_;
};

}  // namespace dorvanix
