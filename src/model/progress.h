#pragma once

#include <atomic>
#include <cstdint>
#include <exception>

namespace dorvanix {

// Progress and cancellation of a long computation, shared between the thread that works and the
// one that watches. The work reports a fraction and polls `cancelled()` often enough to stop
// within a few milliseconds; the watcher reads the fraction and may cancel at any time.
class Progress {
  public:
    Progress() = default;
    // The progress of one part of a larger computation: its fraction and results are its own,
    // and it counts as cancelled as soon as `whole` is, so the part stops as promptly as the whole.
    explicit Progress(const Progress* whole) : whole_(whole) {}

    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool cancelled() const {
        return cancelled_.load(std::memory_order_relaxed) ||
               (whole_ != nullptr && whole_->cancelled());
    }

    // Fraction of the work done, from 0 to 1.
    void setFraction(double fraction) { fraction_.store(fraction, std::memory_order_relaxed); }
    double fraction() const { return fraction_.load(std::memory_order_relaxed); }

    // Number of results produced so far (lines listed, fibers found).
    void addResults(std::uint64_t count) { results_.fetch_add(count, std::memory_order_relaxed); }
    std::uint64_t results() const { return results_.load(std::memory_order_relaxed); }

  private:
    const Progress* whole_ = nullptr;
    std::atomic<bool> cancelled_{false};
    std::atomic<double> fraction_{0.0};
    std::atomic<std::uint64_t> results_{0};
};

// True when the computation watched by `progress` (possibly none) should stop.
inline bool stopRequested(const Progress* progress) {
    return progress != nullptr && progress->cancelled();
}

// Thrown out of a computation that was cancelled halfway and has no partial answer to give (an
// analysis, a picture); the walks that list results stop and answer false instead.
class Cancelled : public std::exception {
  public:
    const char* what() const noexcept override { return "cancelled"; }
};

inline void throwIfCancelled(const Progress* progress) {
    if (stopRequested(progress)) throw Cancelled();
}

}  // namespace dorvanix
