#include "files/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#if __has_include(<linux/magic.h>)
#include <linux/magic.h>
#else
#define PROC_SUPER_MAGIC 0x9fa0  // the file system type of /proc, elsewhere than on Linux
#endif
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <streambuf>
#include <vector>

#include "files/registered_temporary.h"
#include "model/input_check.h"
#include "model/progress.h"

namespace dorvanix {

namespace {

// The error of a save used in a process forked from the one that began it.
constexpr int kForkedAway = -1;

// Set (to anything) in the environment, saves use the hidden named temporary that is otherwise
// kept for file systems without unnamed ones (NFS, vfat): the way tests reach that path.
constexpr const char* kNamedTemporariesVariable = "DORVANIX_NAMED_TEMPORARIES";

// As many symbolic links as the kernel follows in one name before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

// How long a save held up waits between two questions whether to go on.
constexpr int kWaitMs = 20;

// The longest name a folder takes, and how much of it the hidden temporary's own ending needs:
// ".tmp", a process number and a number of its own.
constexpr std::size_t kTemporaryEnding = 32;

// An unlocked temporary whose writer still lives is left alone this long after its last change:
// a writer takes its lock just after it makes the file.
constexpr std::time_t kLockSettleSeconds = 2;

// Whether the rest of a hidden name after its stem is "PID-N", and the PID.
bool temporaryEnding(const char* rest, pid_t& pid) {
    char* end = nullptr;
    if (!std::isdigit(static_cast<unsigned char>(*rest))) return false;
    const long long number = std::strtoll(rest, &end, 10);
    if (*end != '-' || !std::isdigit(static_cast<unsigned char>(end[1]))) return false;
    for (const char* c = end + 1; *c != '\0'; ++c) {
        if (!std::isdigit(static_cast<unsigned char>(*c))) return false;
    }
    pid = static_cast<pid_t>(number);
    return true;
}

// Removes the hidden temporaries of earlier saves to the same file whose writers are gone: a
// writer holds a lock on its temporary (flock) while it exists, so one that can be locked was
// left by a process killed outright (kill -9, the machine stopped). One just made by a live
// writer that has not locked it yet is told apart by its process still running and its fresh
// time of change.
void removeAbandonedTemporaries(const std::filesystem::path& stem) {
    const std::filesystem::path folder = stem.parent_path();
    const std::string prefix = stem.filename().string();
    DIR* const listing = ::opendir(folder.c_str());
    if (listing == nullptr) return;
    while (const dirent* entry = ::readdir(listing)) {
        pid_t writer = 0;
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0 ||
            !temporaryEnding(entry->d_name + prefix.size(), writer)) {
            continue;
        }
        const int fd = ::openat(::dirfd(listing), entry->d_name,
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat opened {};
        struct stat named {};
        const bool alive = ::kill(writer, 0) == 0 || errno == EPERM;
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            (!alive || std::time(nullptr) - opened.st_mtime > kLockSettleSeconds) &&
            ::fstatat(::dirfd(listing), entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_ino == opened.st_ino && named.st_dev == opened.st_dev) {
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
        }
        ::close(fd);
    }
    ::closedir(listing);
}

}  // namespace

// A write buffer over a file descriptor that remembers the first error instead of throwing, so
// that the stream stays usable and commit() can report it.
class AtomicFile::Buffer : public std::streambuf {
  public:
    Buffer(int fd, pid_t owner, const StillWaiting& stillWaiting)
        : fd_(fd), owner_(owner), stillWaiting_(stillWaiting), data_(1 << 16) {
        setp(data_.data(), data_.data() + data_.size());
    }

    int error() const { return error_; }

    bool flushAll() {
        const char* from = pbase();
        if (from < pptr() && error_ == 0 && ::getpid() != owner_) error_ = kForkedAway;
        while (from < pptr() && error_ == 0) {
            const ssize_t written = ::write(fd_, from, static_cast<std::size_t>(pptr() - from));
            if (written < 0 && errno == EAGAIN && stillWaiting_) {
                // Held up (a pipe nobody empties): wait for room, asking whether to go on.
                pollfd room{fd_, POLLOUT, 0};
                ::poll(&room, 1, kWaitMs);
                if (!stillWaiting_()) error_ = ECANCELED;
            } else if (written < 0) {
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
    pid_t owner_;
    const StillWaiting& stillWaiting_;
    std::vector<char> data_;
    int error_ = 0;
};

namespace {

std::filesystem::path folderOf(const std::filesystem::path& file) {
    const std::filesystem::path parent = file.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

// Where the text of a save goes, found by following the target's symbolic links.
struct Destination {
    std::filesystem::path file;
    struct stat existing {};
    bool exists = false;
    bool direct = false;   // not a regular file: written into
    bool appends = false;  // an open file reached through /proc, written at its end
    int error = 0;
};

bool onProcFileSystem(const std::filesystem::path& folder) {
    struct statfs info {};
    return ::statfs(folder.c_str(), &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

Destination destinationOf(const std::filesystem::path& target) {
    Destination destination{target};
    for (int links = 0;; ++links) {
        // A name that cannot be looked at is a new file; making it tells why it cannot be.
        if (::lstat(destination.file.c_str(), &destination.existing) != 0) return destination;
        if (!S_ISLNK(destination.existing.st_mode)) {
            destination.exists = true;
            destination.direct = !S_ISREG(destination.existing.st_mode);
            return destination;
        }
        // /proc/self/fd/N, where /dev/stdout leads, stands for an open file (perhaps a pipe)
        // rather than a name: the text goes to that open file.
        if (onProcFileSystem(folderOf(destination.file))) {
            destination.direct = true;
            destination.appends = true;
            return destination;
        }
        std::error_code error;
        const std::filesystem::path link = std::filesystem::read_symlink(destination.file, error);
        if (error || links == kMaxLinks) {
            destination.error = error ? error.value() : ELOOP;
            return destination;
        }
        destination.file = link.is_absolute() ? link : folderOf(destination.file) / link;
    }
}

// The new file takes over the old one's mode, and its owner and group as far as this user may
// give them away (a new file has the usual permissions under the umask already). Failures are
// let pass: file systems such as vfat keep modes of their own.
void takeOverFrom(int fd, const Destination& destination) {
    if (!destination.exists) return;
    const struct stat& old = destination.existing;
    bool unchanged = false;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        unchanged = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0;
    }
    // After fchown, which clears the set-id bits.
    unchanged = ::fchmod(fd, old.st_mode & 07777) != 0 || unchanged;
    static_cast<void>(unchanged);
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target, StillWaiting stillWaiting)
    : AtomicFile(std::move(target), std::move(stillWaiting), false) {}

AtomicFile::AtomicFile(std::filesystem::path target, ByName)
    : AtomicFile(std::move(target), {}, true) {}

AtomicFile::AtomicFile(std::filesystem::path target, StillWaiting stillWaiting, bool byName)
    : target_(std::move(target)), stillWaiting_(std::move(stillWaiting)), owner_(::getpid()) {
    const Destination destination = destinationOf(target_);
    if (destination.error != 0) fail(destination.error);
    file_ = destination.file;
    direct_ = destination.direct;
    if (direct_ && byName) {
        throw FileWriteError("cannot write " + quoteInput(target_.string()) +
                             ": it is not a regular file, and a database goes only into one");
    }
    if (direct_) {
        openDirectly(destination.appends);
    } else {
        checkNameLength();
        // As a shell's redirection: a file this user may not write is not replaced either.
        if (destination.exists && ::faccessat(AT_FDCWD, file_.c_str(), W_OK, AT_EACCESS) != 0) {
            fail(errno);
        }
        removeAbandonedTemporaries(hiddenStem());
        // A new file gets the usual permissions under the umask; a replacement never more than
        // the old file's.
        openTemporary(destination.exists ? destination.existing.st_mode & 0777 : 0666, byName);
        if (fd_ >= 0) takeOverFrom(fd_, destination);
    }
    if (fd_ < 0) fail(errno);
    buffer_ = std::make_unique<Buffer>(fd_, owner_, stillWaiting_);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
}

std::filesystem::path AtomicFile::temporaryPath() const {
    return namedTemporary_ ? std::filesystem::path(namedTemporary_->path())
                           : std::filesystem::path();
}

void AtomicFile::openDirectly(bool appends) {
    const int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC | (appends ? O_APPEND : 0);
    if (!stillWaiting_) {
        fd_ = ::open(file_.c_str(), flags);
        return;
    }
    // Without blocking, so that a FIFO nobody reads yet (ENXIO) can be waited for in turns.
    while ((fd_ = ::open(file_.c_str(), flags | O_NONBLOCK)) < 0 && errno == ENXIO) {
        ::poll(nullptr, 0, kWaitMs);
        if (!stillWaiting_()) {
            discard();
            throw Cancelled();
        }
    }
}

// A name longer than its folder takes fails before any work, not when the file is put in place.
void AtomicFile::checkNameLength() {
    const long longest = ::pathconf(folderOf(file_).c_str(), _PC_NAME_MAX);
    const std::size_t name = file_.filename().native().size();
    if ((longest > 0 && name > static_cast<std::size_t>(longest)) ||
        file_.native().size() >= PATH_MAX) {
        fail(ENAMETOOLONG);
    }
}

void AtomicFile::openTemporary(mode_t mode, bool named) {
    if (!named && std::getenv(kNamedTemporariesVariable) == nullptr) {
        fd_ = ::open(folderOf(file_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        // Locked before it has a name, so that the name it is linked under on its way into
        // place is never taken for one left behind.
        if (fd_ >= 0) ::flock(fd_, LOCK_EX | LOCK_NB);
        if (fd_ >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return;
    }
    // A named temporary asked for, or no unnamed ones on this file system: a hidden named one
    // beside the file, made with
    // O_EXCL rather than by mkostemp, whose 0600 would have to be widened by a umask that cannot
    // be read without changing it; it is made with the mode it keeps, never readable by more.
    namedTemporary_ = std::make_unique<RegisteredTemporary>(hiddenStem(), [&](const char* path) {
        fd_ = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ < 0) return errno;
        ::flock(fd_, LOCK_EX | LOCK_NB);  // held while it exists: see removeAbandonedTemporaries
        return 0;
    });
    if (const int error = namedTemporary_->error(); error != 0) {
        namedTemporary_.reset();
        errno = error;
    }
}

std::string AtomicFile::hiddenStem() const {
    // Cut so that the hidden name with its ending fits where the file's own name does.
    std::string name = file_.filename().string();
    const long longest = ::pathconf(folderOf(file_).c_str(), _PC_NAME_MAX);
    const std::size_t room =
        longest > static_cast<long>(kTemporaryEnding) ? longest - kTemporaryEnding : 0;
    if (name.size() > room) name.resize(room);
    return (folderOf(file_) / ("." + name + ".tmp")).string();
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
    namedTemporary_.reset();
}

void AtomicFile::fail(int error) {
    const std::string reason = error == kForkedAway
                                   ? "the save belongs to the process this one was forked from"
                                   : std::strerror(error);
    discard();
    throw FileWriteError("cannot write " + quoteInput(target_.string()) + ": " + reason,
                         error == kForkedAway ? 0 : error);
}

void AtomicFile::commit() {
    if (fd_ < 0) {
        throw FileWriteError("cannot write " + quoteInput(target_.string()) + ": already closed");
    }
    if (::getpid() != owner_) fail(kForkedAway);
    stream_->flush();
    if (!buffer_->flushAll()) fail(buffer_->error());
    // A stream that failed with no failed write behind it (its writer threw halfway) holds an
    // unfinished text, which must not take the file's place.
    if (!*stream_) {
        discard();
        throw FileWriteError("cannot write " + quoteInput(target_.string()) +
                             ": the text was not written whole");
    }
    // Terminals and pipes cannot be synced.
    if (::fsync(fd_) != 0 && errno != EINVAL) fail(errno);
    if (!direct_) linkIntoPlace();
    if (::close(fd_) != 0) {
        fd_ = -1;
        fail(errno);
    }
    fd_ = -1;
}

void AtomicFile::linkIntoPlace() {
    if (namedTemporary_) {
        if (const int error = namedTemporary_->commit(file_.c_str()); error != 0) fail(error);
        namedTemporary_.reset();
        return;
    }
    // Link the unnamed file under a hidden name, then rename it over the file: rename replaces
    // an earlier file in one step, which linkat cannot.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    RegisteredTemporary hidden(hiddenStem(), [&](const char* path) {
        return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
    });
    if (hidden.error() != 0) fail(hidden.error());
    if (const int error = hidden.commit(file_.c_str()); error != 0) fail(error);
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view text) {
    AtomicFile file(target);
    file.stream() << text;
    file.commit();
}

}  // namespace dorvanix
