#include "app/timed_sample.h"

#include <QObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/duration_text.h"

namespace dorvanix {

TimedSample timeSample(double seconds, const Progress& outer,
                       const std::function<bool(Progress&)>& walk) {
    using Clock = std::chrono::steady_clock;
    Progress own;
    std::atomic<bool> ended = false;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    // The walk looks at its cancel flag often; a watch raises it when the time is up.
    std::thread watch([&] {
        while (!ended && !outer.cancelled() && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        own.cancel();
    });
    const bool finished = walk(own);
    ended = true;
    watch.join();
    TimedSample sample;
    sample.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    sample.fraction = own.fraction();
    sample.found = static_cast<long long>(own.results());
    sample.finished = finished;
    return sample;
}

double guessedSeconds(const TimedSample& sample, double results) {
    if (sample.finished) return sample.seconds;
    if (sample.fraction > 0) return sample.seconds / sample.fraction;
    // Nothing found yet counts as one found at the end of the sample: a guess from below.
    const double found = std::max<double>(1, static_cast<double>(sample.found));
    return sample.seconds * results / found;
}

QString timeGuessText(const TimedSample& sample, double results) {
    const QString from = durationText(sample.seconds);
    const QString guess = durationText(guessedSeconds(sample, results));
    if (!sample.finished && sample.fraction <= 0 && sample.found == 0) {
        return QObject::tr(
                   "Not one was found in %1 of listing: at that pace listing them would "
                   "take more than %2.")
            .arg(from, guess);
    }
    if (guessedSeconds(sample, results) < 1)
        return QObject::tr("Listing them would take less than a second.");
    return QObject::tr("Listing them would take about %1 (guessed from %2 of listing).")
        .arg(guess, from);
}

}  // namespace dorvanix
