#include <gtest/gtest.h>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <new>

#include "app/background_job.h"
#include "work_wait.h"

namespace dorvanix {
namespace {

using testing::waitUntil;

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
    ASSERT_TRUE(waitUntil([&finished] { return finished.count() == 1; }));
    EXPECT_EQ(job.progressDialog(), nullptr) << "quick work shows no progress dialog";
    EXPECT_FALSE(job.cancelled());

    job.start(workUntilCancelled);
    ASSERT_TRUE(waitUntil([&job] { return job.progressDialog() != nullptr; }));
    EXPECT_TRUE(job.running()) << "the dialog shows while the work runs";
    job.cancel();
    ASSERT_TRUE(waitUntil([&finished] { return finished.count() == 2; }));
    EXPECT_TRUE(job.cancelled());
    EXPECT_TRUE(waitUntil([&job] { return job.progressDialog() == nullptr; }));
    EXPECT_FALSE(job.running());
}

TEST(BackgroundJob, ARestartDropsTheEndOfTheEarlierRun) {
    QWidget owner;
    BackgroundJob job(&owner, "working");
    QSignalSpy finished(&job, &BackgroundJob::finished);
    auto earlierCancelled = std::make_shared<std::atomic<bool>>(false);
    job.start([earlierCancelled](Progress& progress) {
        workUntilCancelled(progress);
        *earlierCancelled = true;
    });
    job.start([](Progress&) {});
    ASSERT_TRUE(waitUntil([&finished] { return finished.count() == 1; }));
    ASSERT_TRUE(BackgroundJob::waitForUnfinishedWorkers(5000));
    QTest::qWait(50);
    EXPECT_EQ(finished.count(), 1) << "the stopped run ends silently";
    EXPECT_TRUE(*earlierCancelled);
    EXPECT_FALSE(job.cancelled()) << "the latest run went to its end";
}

// Work that throws ends like any other, with the reason kept instead of ending the program.
TEST(BackgroundJob, WorkThatThrowsEndsWithItsReason) {
    QWidget owner;
    BackgroundJob job(&owner, "working");
    QSignalSpy finished(&job, &BackgroundJob::finished);
    job.start([](Progress&) { throw std::bad_alloc(); });
    ASSERT_TRUE(waitUntil([&finished] { return finished.count() == 1; }));
    EXPECT_TRUE(job.failure().contains("memory")) << job.failure().toStdString();
    job.start([](Progress&) {});
    ASSERT_TRUE(waitUntil([&finished] { return finished.count() == 2; }));
    EXPECT_TRUE(job.failure().isEmpty());
}

// A job that goes, or starts again, while its work runs cancels that work and never waits for it:
// the work ends by itself, holding what it needs.
TEST(BackgroundJob, AJobThatGoesLeavesItsWorkToEndByItself) {
    for (const bool restart : {false, true}) {
        SCOPED_TRACE(restart ? "started again" : "destroyed");
        auto stopped = std::make_shared<std::atomic<bool>>(false);
        auto release = std::make_shared<std::atomic<bool>>(false);
        const auto work = [stopped, release](Progress& progress) {
            while (!*release) QThread::msleep(1);
            workUntilCancelled(progress);
            *stopped = true;
        };
        {
            QWidget owner;
            BackgroundJob job(&owner, "working");
            job.start(work);
            if (restart) job.start([](Progress&) {});
        }
        EXPECT_FALSE(*stopped) << "the owner went without waiting";
        EXPECT_GE(BackgroundJob::unfinishedWorkers(), 1);
        *release = true;
        EXPECT_TRUE(BackgroundJob::waitForUnfinishedWorkers(5000));
        EXPECT_TRUE(*stopped) << "the work saw the cancel";
    }
}

}  // namespace
}  // namespace dorvanix
