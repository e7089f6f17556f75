#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

namespace dorvanix {

// A file that could not be written; the message names the file and the reason.
class FileWriteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Writes a file so that it is either complete or absent: the text goes to an unnamed temporary in
// the target's folder, which is linked into place only by commit(). Until then, and if anything
// fails, an earlier file of that name stays exactly as it was and no temporary is left behind.
class AtomicFile {
  public:
    // Opens the temporary; throws FileWriteError when the folder cannot take it.
    explicit AtomicFile(std::filesystem::path target);
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

    std::filesystem::path target_;
    std::filesystem::path namedTemporary_;  // only where the system has no unnamed temporaries
    int fd_ = -1;
    std::unique_ptr<Buffer> buffer_;
    std::unique_ptr<std::ostream> stream_;
};

// Writes `text` to `target` atomically; throws FileWriteError.
void writeFileAtomically(const std::filesystem::path& target, std::string_view text);

}  // namespace dorvanix
