#include "app/timed_sample.h"

#include <QObject>
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
    if (sample.found > 0) return sample.seconds * results / static_cast<double>(sample.found);
    return -1;
}

QString timeGuessText(const TimedSample& sample, double results) {
    const QString from = durationText(sample.seconds);
    const double guess = guessedSeconds(sample, results);
    if (guess < 0) {
        return QObject::tr(
                   "In %1 of listing none was found, so listing them all would take very "
                   "long.")
            .arg(from);
    }
    return QObject::tr("Listing them would take about %1 (guessed from %2 of listing).")
        .arg(durationText(guess), from);
}

}  // namespace dorvanix
