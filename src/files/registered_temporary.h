#pragma once

#include <functional>
#include <string>

namespace dorvanix {

// A hidden name that a save makes beside its file and renames over it when the file is complete:
// the named temporary used where the file system has no unnamed ones (NFS, vfat), or the name an
// unnamed temporary is linked under on its way into place. While it is registered, any signal
// that ends the process and can be caught (Ctrl-C, SIGTERM, SIGHUP, SIGPIPE, SIGALRM, SIGUSR1,
// SIGXCPU, a fault, ...) removes it first. The first one made installs that cleanup for each of
// those signals still at its default action; a program with handlers of its own calls
// removeRegisteredTemporaries() there. What a kill -9 leaves, the next save to the same file
// removes (AtomicFile).
class RegisteredTemporary {
  public:
    // Makes the file through `make`, which gets the path (`stem`, the process number and a
    // number of its own) and answers 0 or the error number; on EEXIST the next number is tried.
    RegisteredTemporary(const std::string& stem, const std::function<int(const char*)>& make);
    // Removes the file unless commit() put it in place; a process forked meanwhile leaves it to
    // the one that made it.
    ~RegisteredTemporary();
    RegisteredTemporary(const RegisteredTemporary&) = delete;
    RegisteredTemporary& operator=(const RegisteredTemporary&) = delete;

    // 0 when the file was made, otherwise why not.
    int error() const { return error_; }
    // Where the file is, while it is registered.
    std::string path() const;
    // Renames the file to `target`; answers 0 or the error number.
    int commit(const char* target);

    // The registration of one name, kept where signal handlers can reach it.
    struct Slot;

  private:
    void release();

    Slot* slot_ = nullptr;
    int error_ = 0;
};

// Removes every registered temporary of this process. Safe in a signal handler; a process forked
// while a save was in progress never removes its parent's temporaries.
void removeRegisteredTemporaries() noexcept;

}  // namespace dorvanix
