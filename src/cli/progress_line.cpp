#include "cli/progress_line.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <iostream>

namespace dorvanix::cli {

namespace {

// The file descriptor under std::cerr or std::cout, -1 for any other stream.
int descriptorOf(const std::ostream& stream) {
    if (&stream == &std::cerr) return STDERR_FILENO;
    if (&stream == &std::cout) return STDOUT_FILENO;
    return -1;
}

}  // namespace

ProgressLine::ProgressLine(const Progress& progress, std::ostream& err, std::string what,
                           bool enabled, Clock::duration delay, Clock::duration period)
    : progress_(progress), err_(err), errDescriptor_(descriptorOf(err)), what_(std::move(what)) {
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
    show('\r' + line + std::string(pad, ' '));
    shownWidth_ = std::max(shownWidth_, line.size());
}

void ProgressLine::wipe() {
    show('\r' + std::string(shownWidth_, ' ') + '\r');
}

// std::cerr is tied to std::cout, so writing through it would flush the results' buffer from this
// thread while the main thread fills it, and lines would be lost or doubled. On a standard stream
// the line goes straight to the file descriptor and never touches a stream buffer.
void ProgressLine::show(const std::string& text) {
    if (errDescriptor_ < 0) {
        err_ << text << std::flush;
        return;
    }
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t step = ::write(errDescriptor_, text.data() + written, text.size() - written);
        if (step < 0 && errno == EINTR) continue;
        if (step <= 0) return;  // a terminal that went away: the line is only a courtesy
        written += static_cast<std::size_t>(step);
    }
}

bool writesToTerminal(const std::ostream& stream) {
    const int descriptor = descriptorOf(stream);
    return descriptor >= 0 && isatty(descriptor) == 1;
}

}  // namespace dorvanix::cli
