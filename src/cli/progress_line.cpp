#include "cli/progress_line.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace dorvanix::cli {

ProgressLine::ProgressLine(const Progress& progress, std::ostream& err, std::string what,
                           bool enabled, Clock::duration delay, Clock::duration period)
    : progress_(progress), err_(err), what_(std::move(what)) {
    if (enabled) thread_ = std::thread([this, delay, period] { watch(delay, period); });
}

ProgressLine::~ProgressLine() {
    if (!thread_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        finished_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

std::string ProgressLine::text(const std::string& what, double fraction, std::uint64_t results) {
    const double clamped = std::clamp(fraction, 0.0, 1.0);
    const int percent = static_cast<int>(std::floor(clamped * 100.0));
    std::string line = "dorvanix-cli: " + what + " " + std::to_string(percent) + "%";
    if (results > 0) line += " (" + std::to_string(results) + " listed)";
    return line;
}

void ProgressLine::watch(Clock::duration delay, Clock::duration period) {
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, delay, [this] { return finished_; })) return;
    do {
        draw();
    } while (!wake_.wait_for(lock, period, [this] { return finished_; }));
    wipe();
}

void ProgressLine::draw() {
    const std::string line = text(what_, progress_.fraction(), progress_.results());
    // Pad over what a longer earlier line left behind.
    const std::size_t pad = shownWidth_ > line.size() ? shownWidth_ - line.size() : 0;
    err_ << '\r' << line << std::string(pad, ' ') << std::flush;
    shownWidth_ = std::max(shownWidth_, line.size());
}

void ProgressLine::wipe() {
    err_ << '\r' << std::string(shownWidth_, ' ') << '\r' << std::flush;
}

bool writesToTerminal(const std::ostream& stream) {
    if (&stream == &std::cerr) return isatty(STDERR_FILENO) == 1;
    if (&stream == &std::cout) return isatty(STDOUT_FILENO) == 1;
    return false;
}

}  // namespace dorvanix::cli
