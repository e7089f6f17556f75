#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>
#include <thread>

#include "model/progress.h"

namespace dorvanix::cli {

// Shows how far a long computation has come on one line of the terminal, redrawn in place:
// "dorvanix-cli: fibers 42% (17 listed)". A thread of its own polls the Progress; nothing is
// written until the work has run for `delay`, and the line is wiped again when the work ends.
// When not enabled (standard error is no terminal) it starts no thread and writes nothing. On
// std::cerr the line is written to the file descriptor itself, never through a stream buffer.
class ProgressLine {
  public:
    using Clock = std::chrono::steady_clock;

    ProgressLine(const Progress& progress, std::ostream& err, std::string what, bool enabled,
                 Clock::duration delay = std::chrono::seconds(1),
                 Clock::duration period = std::chrono::milliseconds(100));
    ~ProgressLine();

    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // The text of the line for a fraction and a number of results.
    static std::string text(const std::string& what, double fraction, std::uint64_t results);

  private:
    void watch(Clock::duration delay, Clock::duration period);
    void draw();
    void wipe();
    void show(const std::string& text);

    const Progress& progress_;
    std::ostream& err_;
    int errDescriptor_;  // the descriptor written to directly when err_ is a standard stream
    std::string what_;
    std::size_t shownWidth_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool finished_ = false;
    std::thread thread_;
};

// True when `stream` is std::cerr or std::cout and that stream's file is a terminal.
bool writesToTerminal(const std::ostream& stream);

}  // namespace dorvanix::cli
