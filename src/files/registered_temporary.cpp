#include "files/registered_temporary.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>

namespace dorvanix {

// One registered name. Slots are kept in a list that only grows and are never freed, so that a
// signal handler walking it never meets freed memory; a slot whose save ended is taken again by
// the next one. The path is written only while the slot is taken and not yet armed, and read by
// the handler only after it claimed the armed slot, so the two never meet.
struct RegisteredTemporary::Slot {
    enum State : int { kFree, kTaken, kArmed, kRemoving };
    std::atomic<int> state{kTaken};
    std::string path;
    pid_t owner = 0;
    Slot* next = nullptr;
};

namespace {

std::atomic<RegisteredTemporary::Slot*> slots{nullptr};

// Every signal whose default action ends the process and that a handler can catch: those sent
// by people and programs (kill, timeout, a closed pipe, ulimit -t and -f, profilers' timers),
// and those of a fault, so that only a kill -9 can leave a temporary behind.
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGTERM, SIGPIPE,   SIGALRM,
                                  SIGUSR1, SIGUSR2, SIGXCPU,   SIGXFSZ, SIGVTALRM, SIGPROF,
                                  SIGIO,   SIGPWR,  SIGSTKFLT, SIGSYS};
constexpr int kFaultSignals[] = {SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGSEGV};

// Names taken by others (left by a kill -9 of an earlier run with the same process number) that
// are stepped over before giving up.
constexpr int kMaxAttempts = 100;

extern "C" void removeAndEnd(int signal) {
    removeRegisteredTemporaries();
    // The signal stays blocked until the handler returns; then its default action ends us.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Installs removeAndEnd for each ending signal nobody handles yet. A Python program keeps its
// own SIGINT handler: KeyboardInterrupt unwinds the save, which removes its temporary.
void installCleanup() {
    static std::once_flag once;
    std::call_once(once, [] {
        const auto install = [](int signal) {
            struct sigaction current {};
            if (::sigaction(signal, nullptr, &current) != 0) return;
            if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) return;
            struct sigaction cleanup {};
            cleanup.sa_handler = removeAndEnd;
            cleanup.sa_flags = SA_RESTART;
            sigemptyset(&cleanup.sa_mask);
            ::sigaction(signal, &cleanup, nullptr);
        };
        for (const int signal : kEndingSignals) install(signal);
        for (const int signal : kFaultSignals) install(signal);
    });
}

// Holds back the ending signals on this thread between the file's creation and its arming, so
// that a Ctrl-C in that moment finds the name registered.
class EndingSignalsHeld {
  public:
    EndingSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : kEndingSignals) sigaddset(&held, signal);
        ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~EndingSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

  private:
    sigset_t previous_;
};

RegisteredTemporary::Slot* takeSlot() {
    using Slot = RegisteredTemporary::Slot;
    for (Slot* slot = slots.load(); slot != nullptr; slot = slot->next) {
        int expected = Slot::kFree;
        if (slot->state.compare_exchange_strong(expected, Slot::kTaken)) return slot;
    }
    auto* slot = new Slot;  // never freed, see Slot
    slot->next = slots.load();
    while (!slots.compare_exchange_weak(slot->next, slot)) {
    }
    return slot;
}

}  // namespace

RegisteredTemporary::RegisteredTemporary(const std::string& stem,
                                         const std::function<int(const char*)>& make) {
    installCleanup();
    slot_ = takeSlot();
    slot_->owner = ::getpid();
    const std::string prefix = stem + std::to_string(slot_->owner) + "-";
    const EndingSignalsHeld held;
    for (int attempt = 0; attempt <= kMaxAttempts; ++attempt) {
        slot_->path = prefix + std::to_string(attempt);
        error_ = make(slot_->path.c_str());
        if (error_ == 0) {
            slot_->state.store(Slot::kArmed);
            return;
        }
        if (error_ != EEXIST) break;
    }
    release();
}

RegisteredTemporary::~RegisteredTemporary() {
    if (slot_ != nullptr && slot_->owner == ::getpid()) ::unlink(slot_->path.c_str());
    release();
}

std::string RegisteredTemporary::path() const {
    return slot_ != nullptr ? slot_->path : std::string();
}

int RegisteredTemporary::commit(const char* target) {
    if (slot_ == nullptr) return EBADF;
    const int error = ::rename(slot_->path.c_str(), target) == 0 ? 0 : errno;
    if (error == 0) release();
    return error;
}

void RegisteredTemporary::release() {
    if (slot_ == nullptr) return;
    int state = slot_->state.load();
    // A slot a handler is removing stays with it: the process is ending.
    if (state != Slot::kRemoving) slot_->state.compare_exchange_strong(state, Slot::kFree);
    slot_ = nullptr;
}

void removeRegisteredTemporaries() noexcept {
    using Slot = RegisteredTemporary::Slot;
    const pid_t self = ::getpid();
    for (Slot* slot = slots.load(); slot != nullptr; slot = slot->next) {
        int expected = Slot::kArmed;
        if (!slot->state.compare_exchange_strong(expected, Slot::kRemoving)) continue;
        if (slot->owner == self) {
            ::unlink(slot->path.c_str());
        } else {
            slot->state.store(Slot::kArmed);
        }
    }
}

}  // namespace dorvanix
