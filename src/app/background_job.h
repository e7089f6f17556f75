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
// work must not touch anything the user-interface thread uses until `finished` is emitted.
class BackgroundJob : public QObject {
    Q_OBJECT
  public:
    using Work = std::function<void(Progress&)>;

    // How long the work may run before the progress dialog appears.
    static constexpr int kProgressDelayMs = 300;

    BackgroundJob(QWidget* owner, QString label);
    // Cancels and waits for the work, so that nothing it captured is used after this.
    ~BackgroundJob() override;

    // Starts `work`; a job that is still running is cancelled and waited for first.
    void start(Work work);
    void cancel();
    bool running() const;
    // True when the last run was cancelled before it ended.
    bool cancelled() const;
    // Why the last run stopped with an exception (out of memory, an input too large to answer);
    // empty when it did not. The owner is shown the reason in a message box as well.
    QString failure() const { return failure_; }
    // The fraction of the last run's work done, as its progress bar shows it.
    double fraction() const { return progress_ != nullptr ? progress_->fraction() : 0.0; }
    // The progress dialog, while it is shown (for tests).
    QProgressDialog* progressDialog() const { return dialog_; }

  signals:
    // Emitted on the user-interface thread once the work has returned.
    void finished();

  private:
    void poll();
    void stopAndWait();
    void workDone();

    QWidget* owner_;
    QString label_;
    std::unique_ptr<Progress> progress_;
    QThread* thread_ = nullptr;
    QTimer* pollTimer_;
    std::unique_ptr<QElapsedTimer> clock_;
    QPointer<QProgressDialog> dialog_;
    bool cancelled_ = false;
    QString failure_;  // written by the worker, read only once it has ended
    unsigned run_ = 0;
};

}  // namespace dorvanix
