#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <streambuf>
#include <vector>

namespace dorvanix {

// A write buffer over a file descriptor that remembers the first error instead of throwing, so
// that the stream stays usable and commit() can report it.
class AtomicFile::Buffer : public std::streambuf {
  public:
    explicit Buffer(int fd) : fd_(fd), data_(1 << 16) {
        setp(data_.data(), data_.data() + data_.size());
    }

    int error() const { return error_; }

    bool flushAll() {
        const char* from = pbase();
        while (from < pptr() && error_ == 0) {
            const ssize_t written = ::write(fd_, from, static_cast<std::size_t>(pptr() - from));
            if (written < 0) {
                if (errno != EINTR) error_ = errno;
            } else {
                from += written;
            }
        }
        setp(data_.data(), data_.data() + data_.size());
        return error_ == 0;
    }

  protected:
    int_type overflow(int_type ch) override {
        if (!flushAll()) return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }

    int sync() override { return flushAll() ? 0 : -1; }

  private:
    int fd_;
    std::vector<char> data_;
    int error_ = 0;
};

namespace {

std::filesystem::path folderOf(const std::filesystem::path& target) {
    const std::filesystem::path parent = target.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

mode_t creationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target) : target_(std::move(target)) {
    const std::filesystem::path folder = folderOf(target_);
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // No unnamed temporaries on this file system: use a hidden named one beside the target.
        std::string pattern = (folder / ("." + target_.filename().string() + ".XXXXXX")).string();
        fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd_ >= 0) {
            namedTemporary_ = pattern;
            ::fchmod(fd_, creationMode());
        }
    }
    if (fd_ < 0) fail(errno);
    buffer_ = std::make_unique<Buffer>(fd_);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
}

AtomicFile::~AtomicFile() {
    discard();
}

std::ostream& AtomicFile::stream() {
    return *stream_;
}

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!namedTemporary_.empty()) ::unlink(namedTemporary_.c_str());
    namedTemporary_.clear();
}

void AtomicFile::fail(int error) {
    const std::string reason = std::strerror(error);
    discard();
    throw FileWriteError("cannot write " + target_.string() + ": " + reason);
}

void AtomicFile::commit() {
    if (fd_ < 0) throw FileWriteError("cannot write " + target_.string() + ": already closed");
    stream_->flush();
    if (!buffer_->flushAll()) fail(buffer_->error());
    if (::fsync(fd_) != 0 && errno != EINVAL) fail(errno);
    if (!namedTemporary_.empty()) {
        if (::rename(namedTemporary_.c_str(), target_.c_str()) != 0) fail(errno);
        namedTemporary_.clear();
    } else {
        // Link the unnamed file under a hidden name, then rename it over the target: rename
        // replaces an earlier file in one step, which linkat cannot.
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        const std::filesystem::path folder = folderOf(target_);
        for (int attempt = 0;; ++attempt) {
            const std::filesystem::path hidden =
                folder / ("." + target_.filename().string() + ".tmp" + std::to_string(::getpid()) +
                          "-" + std::to_string(attempt));
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) ==
                0) {
                if (::rename(hidden.c_str(), target_.c_str()) != 0) {
                    const int error = errno;
                    ::unlink(hidden.c_str());
                    fail(error);
                }
                break;
            }
            if (errno != EEXIST || attempt > 100) fail(errno);
        }
    }
    if (::close(fd_) != 0) {
        fd_ = -1;
        fail(errno);
    }
    fd_ = -1;
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view text) {
    AtomicFile file(target);
    file.stream() << text;
    file.commit();
}

}  // namespace dorvanix
