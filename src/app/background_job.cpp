#include "app/background_job.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <exception>
#include <new>

namespace dorvanix {

namespace {
constexpr int kPollMs = 50;
constexpr int kProgressSteps = 1000;
}  // namespace

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
    stopAndWait();
}

void BackgroundJob::start(Work work) {
    stopAndWait();
    cancelled_ = false;
    failure_.clear();
    progress_ = std::make_unique<Progress>();
    Progress* progress = progress_.get();
    // An exception must not leave the worker thread, which would end the program: the reason is
    // kept and shown once the work is over, and whatever it found so far stays.
    thread_ = QThread::create([this, work = std::move(work), progress] {
        try {
            work(*progress);
        } catch (const std::bad_alloc&) {
            failure_ = tr("Not enough memory to finish this.");
        } catch (const std::exception& error) {
            failure_ = QString::fromUtf8(error.what());
        }
    });
    // A run that was stopped and waited for may still have its end queued; only the latest counts.
    const unsigned run = ++run_;
    connect(thread_, &QThread::finished, this, [this, run] {
        if (run == run_) workDone();
    });
    clock_->start();
    pollTimer_->start();
    thread_->start();
}

void BackgroundJob::cancel() {
    if (progress_ != nullptr && running()) {
        progress_->cancel();
        cancelled_ = true;
    }
}

bool BackgroundJob::running() const {
    return thread_ != nullptr;
}

bool BackgroundJob::cancelled() const {
    return cancelled_;
}

void BackgroundJob::poll() {
    if (!running()) return;
    if (dialog_ == nullptr && clock_->elapsed() >= kProgressDelayMs) {
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
        const double fraction = progress_->fraction();
        dialog_->setValue(static_cast<int>(std::lround(fraction * kProgressSteps)));
        dialog_->setLabelText(label_ + QObject::tr("\n%1 found so far").arg(progress_->results()));
    }
}

void BackgroundJob::workDone() {
    pollTimer_->stop();
    if (dialog_ != nullptr) {
        dialog_->disconnect(this);
        dialog_->deleteLater();
        dialog_ = nullptr;
    }
    if (thread_ != nullptr) {
        thread_->wait();
        thread_->deleteLater();
        thread_ = nullptr;
    }
    if (!failure_.isEmpty()) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Dorvanix"), failure_,
                                    QMessageBox::Ok, owner_);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    emit finished();
}

void BackgroundJob::stopAndWait() {
    if (thread_ == nullptr) return;
    progress_->cancel();
    cancelled_ = true;
    thread_->wait();
    // The finished signal is queued and not yet delivered; drop it and clean up here.
    ++run_;
    delete thread_;
    thread_ = nullptr;
    pollTimer_->stop();
    if (dialog_ != nullptr) {
        dialog_->disconnect(this);
        delete dialog_;
        dialog_ = nullptr;
    }
}

}  // namespace dorvanix
