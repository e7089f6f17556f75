#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdlib>
#include <string>

// The program is ended while a frame is being drawn, the fiber list is saved and sub-divisors
// are listed, at a different moment in every run: each run ends by itself soon after End, with
// status 0. DORVANIX_END_RUNS sets how many runs (200 for a soak).
TEST(ProgramEnd, EndingABusyRunExitsCleanlyEveryTime) {
    const char* runsSetting = std::getenv("DORVANIX_END_RUNS");
    const int runs = runsSetting != nullptr ? std::atoi(runsSetting) : 6;
    constexpr int kEndToExitMs = 10000;  // generous for a sanitizer build on a loaded machine
    int busyEnds = 0;                    // runs ended while the save and the listing ran
    for (int seed = 1; seed <= runs; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        QProcess run;
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(QStringLiteral(DORVANIX_END_WHILE_BUSY), {QString::number(seed)});
        ASSERT_TRUE(run.waitForStarted());
        std::string output;
        QElapsedTimer sinceStart, sinceEnd;
        sinceStart.start();
        // Listing the fibers and starting the work before End takes seconds, but minutes in a
        // sanitizer build that other builds keep from the processor.
        constexpr qint64 kStartToEndMs = 300000;
        for (bool running = true;
             running && !sinceEnd.isValid() && sinceStart.elapsed() < kStartToEndMs;) {
            running = run.state() != QProcess::NotRunning;  // what it wrote before it ended is read
            run.waitForReadyRead(1000);
            output += run.readAll().toStdString();
            if (output.find("busy at End: ") != std::string::npos) sinceEnd.start();
        }
        ASSERT_TRUE(sinceEnd.isValid()) << "End was never pressed\n" << output;
        const bool ended = run.waitForFinished(60000);
        const qint64 endToExit = sinceEnd.elapsed();
        if (!ended) run.kill();
        output += run.readAll().toStdString();
        ASSERT_TRUE(ended) << "still running a minute after End\n" << output;
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << output;
        EXPECT_EQ(run.exitCode(), 0) << output;
        EXPECT_LT(endToExit, kEndToExitMs) << output;
        if (output.find("save 1, listing 1") != std::string::npos) ++busyEnds;
    }
    EXPECT_GT(busyEnds, 0) << "no run was ended while its save and listing ran";
}
