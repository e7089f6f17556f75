#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <functional>
#include <memory>

#include "model/progress.h"

class QElapsedTimer;
class QThread;
class QTimer;
class QWidget;

namespace dorvanix {

// Runs one long computation of the core (the fiber enumeration, the sub-divisor listing) on a
// worker thread. The window that started it stays responsive; when the work takes longer than a
// moment a progress dialog with Cancel appears, which only asks the core's Progress to stop. The
// work must not touch anything the user-interface thread uses until `finished` is emitted, and it
// owns what it works on (copies, shared pointers): a job that is destroyed or started again while
// its work runs cancels that work and hands its thread to the run's `WorkerKeeper`, which joins
// it, at the end of the run at the latest; so the interface never waits for a worker, and no
// worker outlives the QApplication.
class BackgroundJob : public QObject {
    Q_OBJECT
  public:
    using Work = std::function<void(Progress&)>;
    // The words of the progress dialog for the work's progress now; asked on the interface thread
    // at every look. An empty answer, or none given, shows the label, the count of what was found
    // so far and how far the work has got.
    using Describer = std::function<QString(const Progress&)>;

    // How long the work may run before the progress dialog appears.
    static constexpr int kProgressDelayMs = 300;

    // A job without a label works quietly: no progress dialog, and a failure is only kept.
    BackgroundJob(QWidget* owner, QString label);
    // Cancels the work and leaves it to end by itself.
    ~BackgroundJob() override;

    // Starts `work`; a run that is still going is cancelled and left to end by itself, and its
    // end is not reported.
    void start(Work work);
    void setDescriber(Describer describer) { describer_ = std::move(describer); }
    void cancel();
    // Cancels the run and leaves it to end by itself, unreported; the job is free at once.
    void stop();
    bool running() const;
    // True when the last run was cancelled before it ended.
    bool cancelled() const;
    // Why the last run stopped with an exception (out of memory, an input too large to answer);
    // empty when it did not. The owner is shown the reason in a message box as well.
    QString failure() const { return failure_; }
    // The fraction of the last run's work done, as its progress bar shows it.
    double fraction() const;
    // The progress dialog, while it is shown (for tests).
    QProgressDialog* progressDialog() const { return dialog_; }

    // Workers of every job that have not ended yet, those handed to the keeper included.
    static int unfinishedWorkers();
    // Waits up to `milliseconds` for them; true when none is left.
    static bool waitForUnfinishedWorkers(int milliseconds);

  signals:
    // Emitted on the user-interface thread once the work has returned.
    void finished();

  private:
    struct Run;
    void poll();
    void workDone();
    QString description() const;

    QWidget* owner_;
    QString label_;
    Describer describer_;
    std::shared_ptr<Run> run_;
    QThread* thread_ = nullptr;
    QTimer* pollTimer_;
    std::unique_ptr<QElapsedTimer> clock_;
    QPointer<QProgressDialog> dialog_;
    bool cancelled_ = false;
    QString failure_;
};

}  // namespace dorvanix
