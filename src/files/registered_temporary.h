#pragma once

#include <string>

namespace dorvanix {

// A hidden named temporary of a save in progress, used where the file system has no unnamed
// temporaries (NFS, vfat). While it is registered, a signal that ends the process (Ctrl-C,
// SIGTERM, SIGHUP) removes it first, so that only a kill -9 can leave it behind. The first one
// made installs that cleanup for each of those signals still at its default action; a program
// with handlers of its own calls removeRegisteredTemporaries() from them.
class RegisteredTemporary {
  public:
    // Creates and opens (write only, close on exec) a new file named `stem` followed by a number
    // of its own, with the permissions a new file gets under the umask; the caller closes fd().
    // On failure fd() is negative and errno tells why.
    explicit RegisteredTemporary(const std::string& stem);
    // Unregisters the name without removing the file: commit() or remove() come first.
    ~RegisteredTemporary();
    RegisteredTemporary(const RegisteredTemporary&) = delete;
    RegisteredTemporary& operator=(const RegisteredTemporary&) = delete;

    int fd() const { return fd_; }
    const char* path() const;

    // Renames the file to `target` and unregisters it; answers 0 or the error number.
    int commit(const char* target);
    // Removes the file and unregisters it.
    void remove();

    // The registration of one name, kept where signal handlers can reach it.
    struct Slot;

  private:
    void release();

    Slot* slot_ = nullptr;
    int fd_ = -1;
};

// Removes every registered temporary of this process. Safe in a signal handler; a process forked
// while a save was in progress never removes its parent's temporaries.
void removeRegisteredTemporaries() noexcept;

}  // namespace dorvanix
