#include <gtest/gtest.h>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <atomic>

#include "app/background_job.h"

namespace dorvanix {
namespace {

// Work that runs until it is cancelled, counting what it "finds".
void workUntilCancelled(Progress& progress) {
    while (!progress.cancelled()) {
        progress.addResults(1);
        QThread::msleep(1);
    }
}

TEST(BackgroundJob, ShowsProgressOnlyForLongWorkAndStopsOnCancel) {
    struct Row {
        const char* label;
        bool longWork;
        bool cancelByDialog;
    };
    const Row rows[] = {
        {"quick work shows no progress dialog", false, false},
        {"long work shows it, and its Cancel stops the work", true, true},
        {"long work stopped by cancel()", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        QWidget owner;
        BackgroundJob job(&owner, "working");
        QSignalSpy finished(&job, &BackgroundJob::finished);
        std::atomic<bool> ran{false};
        if (row.longWork) {
            job.start([&ran](Progress& progress) {
                ran = true;
                workUntilCancelled(progress);
            });
        } else {
            job.start([&ran](Progress&) { ran = true; });
        }
        EXPECT_TRUE(job.running());
        if (!row.longWork) {
            QTRY_COMPARE(finished.count(), 1);
            EXPECT_EQ(job.progressDialog(), nullptr);
            EXPECT_FALSE(job.cancelled());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(job.progressDialog() != nullptr, 3000);
            EXPECT_TRUE(job.running()) << "the dialog shows while the work runs";
            if (row.cancelByDialog) {
                emit job.progressDialog()->canceled();
            } else {
                job.cancel();
            }
            QTRY_COMPARE(finished.count(), 1);
            EXPECT_TRUE(job.cancelled());
            QTRY_VERIFY(job.progressDialog() == nullptr);
        }
        EXPECT_TRUE(ran);
        EXPECT_FALSE(job.running());
    }
}

TEST(BackgroundJob, ARestartDropsTheEndOfTheEarlierRun) {
    QWidget owner;
    BackgroundJob job(&owner, "working");
    QSignalSpy finished(&job, &BackgroundJob::finished);
    std::atomic<int> lastRun{0};
    job.start([&lastRun](Progress& progress) {
        workUntilCancelled(progress);
        lastRun = 1;
    });
    job.start([&lastRun](Progress&) { lastRun = 2; });
    QTRY_COMPARE(finished.count(), 1);
    QTest::qWait(50);
    EXPECT_EQ(finished.count(), 1) << "the stopped run ends silently";
    EXPECT_EQ(lastRun, 2);
    EXPECT_FALSE(job.cancelled()) << "the latest run went to its end";
}

TEST(BackgroundJob, DestroyingTheJobWaitsForItsWork) {
    std::atomic<bool> stopped{false};
    {
        QWidget owner;
        auto* job = new BackgroundJob(&owner, "working");
        job->start([&stopped](Progress& progress) {
            workUntilCancelled(progress);
            stopped = true;
        });
    }
    EXPECT_TRUE(stopped) << "the work had ended when its owner went";
}

}  // namespace
}  // namespace dorvanix
