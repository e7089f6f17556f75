#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

namespace dorvanix {

class RegisteredTemporary;

// A file that could not be written; the message names the file and the reason, error() is the
// system's error number (0 when there is none).
class FileWriteError : public std::runtime_error {
  public:
    explicit FileWriteError(const std::string& message, int error = 0)
        : std::runtime_error(message), error_(error) {}
    int error() const { return error_; }

  private:
    int error_;
};

// Writes a file so that it is either complete or absent: the text goes to an unnamed temporary in
// the target's folder, which is linked into place only by commit(). Until then, and if anything
// fails, an earlier file of that name stays exactly as it was and no temporary is left behind.
//
// What was there decides the rest. A regular file is replaced by one with its mode, and its owner
// and group as far as this user may give them; other hard links to it keep the old text. A
// symbolic link is written through: it stays, and the file it leads to is replaced in that file's
// own folder. Anything else (a device, a FIFO, a terminal, /dev/stdout) is written into directly,
// as a shell's redirection would, and is not complete-or-absent. As a shell's redirection, a save
// refuses a file this user may not write, though the folder would let it be replaced.
//
// The temporary has the mode of the file it replaces from the moment it exists, so that nobody
// the old file kept out can read the new text meanwhile. Every message quotes the name as typed
// input is quoted (escaped, shortened).
//
// A save belongs to the process that began it: in a child forked meanwhile, writes and commit
// fail and the parent's file is left alone.
class AtomicFile {
  public:
    // Asked about every 20 ms while a save is held up (a FIFO nobody reads yet, a full pipe);
    // answering false gives the save up: the constructor then throws Cancelled, a write fails.
    using StillWaiting = std::function<bool()>;

    // Opens the temporary; throws FileWriteError when the folder cannot take it or the name is
    // too long for it. Without `stillWaiting` a save held up waits as long as it takes.
    explicit AtomicFile(std::filesystem::path target, StillWaiting stillWaiting = {});

    // For a file that another library writes through its name (a database): the temporary is a
    // named one beside the target, at temporaryPath(), and stream() is left unused. Only a
    // regular file or a new name can be written so; anything else is refused.
    struct ByName {};
    AtomicFile(std::filesystem::path target, ByName);
    std::filesystem::path temporaryPath() const;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    std::ostream& stream();
    // Flushes, syncs and puts the file in place; throws FileWriteError on any failure.
    void commit();

    const std::filesystem::path& target() const { return target_; }

  private:
    class Buffer;
    [[noreturn]] void fail(int error);
    void discard();
    AtomicFile(std::filesystem::path target, StillWaiting stillWaiting, bool byName);
    void openDirectly(bool appends);
    void checkNameLength();
    // Unnamed where the file system has such temporaries and `named` does not ask otherwise.
    void openTemporary(mode_t mode, bool named);
    std::string hiddenStem() const;
    void linkIntoPlace();

    std::filesystem::path target_;  // as named, for messages
    StillWaiting stillWaiting_;
    std::filesystem::path file_;  // the file itself, at the end of the target's links
    bool direct_ = false;         // written into, not replaced
    pid_t owner_ = 0;
    std::unique_ptr<RegisteredTemporary> namedTemporary_;  // where there are no unnamed ones
    int fd_ = -1;
    std::unique_ptr<Buffer> buffer_;
    std::unique_ptr<std::ostream> stream_;
};

// Writes `text` to `target` atomically; throws FileWriteError.
void writeFileAtomically(const std::filesystem::path& target, std::string_view text);

}  // namespace dorvanix
