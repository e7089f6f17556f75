#include "app/background_job.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <exception>
#include <new>

#include "app/duration_text.h"
#include "app/worker_keeper.h"

namespace dorvanix {

namespace {

constexpr int kPollMs = 50;
constexpr int kProgressSteps = 1000;
// Below this share of the work a bar would stand at 0 % for a long time; a busy bar and the
// share in words say more.
constexpr double kLeastShownFraction = 0.01;
// The time left is guessed only once the work has run this long and moved this far.
constexpr qint64 kLeastElapsedForGuessMs = 2000;
constexpr double kLeastFractionForGuess = 1e-6;

}  // namespace

// One run of the work: what the worker and the job share. The worker holds it until it ends, so
// a job that is gone leaves nothing behind that the worker still writes to.
struct BackgroundJob::Run {
    Progress progress;
    QString failure;  // written by the worker, read once it has ended
};

BackgroundJob::BackgroundJob(QWidget* owner, QString label)
    : QObject(owner),
      owner_(owner),
      label_(std::move(label)),
      pollTimer_(new QTimer(this)),
      clock_(std::make_unique<QElapsedTimer>()) {
    pollTimer_->setInterval(kPollMs);
    connect(pollTimer_, &QTimer::timeout, this, &BackgroundJob::poll);
}

BackgroundJob::~BackgroundJob() {
    stop();
}

void BackgroundJob::start(Work work) {
    stop();
    cancelled_ = false;
    failure_.clear();
    auto run = std::make_shared<Run>();
    run_ = run;
    // An exception must not leave the worker thread, which would end the program: the reason is
    // kept and shown once the work is over, and whatever it found so far stays.
    thread_ = QThread::create([run, work = std::move(work)] {
        try {
            work(run->progress);
        } catch (const std::bad_alloc&) {
            run->failure = tr("Not enough memory to finish this.");
        } catch (const std::exception& error) {
            run->failure = QString::fromUtf8(error.what());
        }
    });
    connect(thread_, &QThread::finished, this, [this, run] {
        if (run == run_) workDone();
    });
    // The keeper of the run holds the thread until it has ended, whether or not this job is
    // still there to hear of it, and cancels and joins it at the end of the run at the latest.
    if (WorkerKeeper* keeper = WorkerKeeper::current()) {
        keeper->keep(thread_, [run] { run->progress.cancel(); });
    } else {
        connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
    }
    clock_->start();
    pollTimer_->start();
    thread_->start();
}

void BackgroundJob::cancel() {
    if (run_ != nullptr && running()) {
        run_->progress.cancel();
        cancelled_ = true;
    }
}

bool BackgroundJob::running() const {
    return thread_ != nullptr;
}

bool BackgroundJob::cancelled() const {
    return cancelled_;
}

double BackgroundJob::fraction() const {
    return run_ != nullptr ? run_->progress.fraction() : 0.0;
}

int BackgroundJob::unfinishedWorkers() {
    const WorkerKeeper* keeper = WorkerKeeper::current();
    return keeper != nullptr ? keeper->unfinished() : 0;
}

bool BackgroundJob::waitForUnfinishedWorkers(int milliseconds) {
    WorkerKeeper* keeper = WorkerKeeper::current();
    return keeper == nullptr || keeper->waitForAll(milliseconds);
}

QString BackgroundJob::description() const {
    const Progress& progress = run_->progress;
    if (describer_) {
        QString words = describer_(progress);
        if (!words.isEmpty()) return words;
    }
    const QLocale locale;
    QString text =
        label_ + tr("\n%1 found so far").arg(locale.toString(qulonglong(progress.results())));
    const double fraction = progress.fraction();
    if (fraction > 0 && fraction < kLeastShownFraction) {
        text += tr(", %1 % of the way").arg(locale.toString(100 * fraction, 'g', 2));
    }
    const qint64 elapsed = clock_->elapsed();
    if (fraction >= kLeastFractionForGuess && fraction < 1 && elapsed >= kLeastElapsedForGuessMs) {
        const double left = elapsed / 1000.0 * (1 - fraction) / fraction;
        text += tr("\nabout %1 left").arg(durationText(left));
    }
    return text;
}

void BackgroundJob::poll() {
    if (!running()) return;
    if (dialog_ == nullptr && !label_.isEmpty() && clock_->elapsed() >= kProgressDelayMs) {
        dialog_ = new QProgressDialog(label_, QObject::tr("Cancel"), 0, kProgressSteps, owner_);
        dialog_->setObjectName("progress");
        dialog_->setWindowTitle("Dorvanix");
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        connect(dialog_, &QProgressDialog::canceled, this, &BackgroundJob::cancel);
        dialog_->show();
    }
    if (dialog_ != nullptr) {
        // A share too small to move the bar shows as a busy bar; the words give it.
        const double fraction = run_->progress.fraction();
        if (fraction < kLeastShownFraction) {
            dialog_->setRange(0, 0);
        } else {
            dialog_->setRange(0, kProgressSteps);
            dialog_->setValue(static_cast<int>(std::lround(fraction * kProgressSteps)));
        }
        dialog_->setLabelText(description());
    }
}

void BackgroundJob::workDone() {
    pollTimer_->stop();
    if (dialog_ != nullptr) {
        dialog_->disconnect(this);
        dialog_->deleteLater();
        dialog_ = nullptr;
    }
    thread_ = nullptr;  // the keeper deletes it
    failure_ = run_->failure;
    if (!failure_.isEmpty() && !label_.isEmpty()) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Dorvanix"), failure_,
                                    QMessageBox::Ok, owner_);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    emit finished();
}

void BackgroundJob::stop() {
    if (thread_ == nullptr) return;
    run_->progress.cancel();
    cancelled_ = true;
    // The end of this run is not reported; the keeper joins and deletes the thread.
    disconnect(thread_, nullptr, this, nullptr);
    thread_ = nullptr;
    pollTimer_->stop();
    if (dialog_ != nullptr) {
        dialog_->disconnect(this);
        delete dialog_;
        dialog_ = nullptr;
    }
}

}  // namespace dorvanix
