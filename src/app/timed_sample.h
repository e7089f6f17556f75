#pragma once

#include <QString>
#include <functional>

#include "model/progress.h"

namespace dorvanix {

// What a short timed run of a long walk saw: how long it ran, how far the walk got by its own
// measure, how many results it found, and whether the walk ended within it.
struct TimedSample {
    double seconds = 0;
    double fraction = 0;
    long long found = 0;
    bool finished = false;
};

// Runs `walk` with a Progress of its own for at most `seconds`, or until `outer` is cancelled.
// The walk reports its fraction and its results to that Progress and answers true when it ended
// by itself.
TimedSample timeSample(double seconds, const Progress& outer,
                       const std::function<bool(Progress&)>& walk);

// How long the whole walk would take, guessed from `sample`: from the share of the walk it got
// through, or else from the results it found against the `results` there may be (a sample that
// found none counts as one found at its end, which guesses too short).
double guessedSeconds(const TimedSample& sample, double results);

// The guess in a sentence for a question before a long list: "Listing them would take about
// 3 hours (guessed from 0.5 seconds of listing)."
QString timeGuessText(const TimedSample& sample, double results);

}  // namespace dorvanix
