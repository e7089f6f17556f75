#include <gtest/gtest.h>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <new>

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

// Cancel from the progress dialog itself is driven by the main window's long enumeration test.
TEST(BackgroundJob, ShowsProgressOnlyForLongWorkAndStopsOnCancel) {
    QWidget owner;
    BackgroundJob job(&owner, "working");
    QSignalSpy finished(&job, &BackgroundJob::finished);
    job.start([](Progress&) {});
    EXPECT_TRUE(job.running());
    ASSERT_TRUE(QTest::qWaitFor([&finished] { return finished.count() == 1; }));
    EXPECT_EQ(job.progressDialog(), nullptr) << "quick work shows no progress dialog";
    EXPECT_FALSE(job.cancelled());

    job.start(workUntilCancelled);
    ASSERT_TRUE(QTest::qWaitFor([&job] { return job.progressDialog() != nullptr; }, 3000));
    EXPECT_TRUE(job.running()) << "the dialog shows while the work runs";
    job.cancel();
    ASSERT_TRUE(QTest::qWaitFor([&finished] { return finished.count() == 2; }));
    EXPECT_TRUE(job.cancelled());
    EXPECT_TRUE(QTest::qWaitFor([&job] { return job.progressDialog() == nullptr; }));
    EXPECT_FALSE(job.running());
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
    ASSERT_TRUE(QTest::qWaitFor([&finished] { return finished.count() == 1; }));
    QTest::qWait(50);
    EXPECT_EQ(finished.count(), 1) << "the stopped run ends silently";
    EXPECT_EQ(lastRun, 2);
    EXPECT_FALSE(job.cancelled()) << "the latest run went to its end";
}

// Work that throws ends like any other, with the reason kept instead of ending the program.
TEST(BackgroundJob, WorkThatThrowsEndsWithItsReason) {
    QWidget owner;
    BackgroundJob job(&owner, "working");
    QSignalSpy finished(&job, &BackgroundJob::finished);
    job.start([](Progress&) { throw std::bad_alloc(); });
    ASSERT_TRUE(QTest::qWaitFor([&finished] { return finished.count() == 1; }));
    EXPECT_TRUE(job.failure().contains("memory")) << job.failure().toStdString();
    job.start([](Progress&) {});
    ASSERT_TRUE(QTest::qWaitFor([&finished] { return finished.count() == 2; }));
    EXPECT_TRUE(job.failure().isEmpty());
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
