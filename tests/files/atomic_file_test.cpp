#include "files/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "model/input_check.h"
#include "support/process_run.h"

// The mode each file had when a save first changed its mode: what another user could open it
// with until then. This definition stands in for the C library's for every call in this test.
std::vector<mode_t> modesBeforeChange;
extern "C" int fchmod(int fd, mode_t mode) noexcept {
    struct stat info {};
    if (::fstat(fd, &info) == 0) modesBeforeChange.push_back(info.st_mode & 07777);
    return static_cast<int>(::syscall(SYS_fchmod, fd, mode));
}

namespace dorvanix {
namespace {

using testing::readBytes;
using testing::ScratchFolder;
using testing::writeBytes;

// Saves use the hidden named temporary of file systems without unnamed ones while it lives.
class NamedTemporaries {
  public:
    explicit NamedTemporaries(bool named)
        : trace_(__FILE__, __LINE__, named ? "named" : "unnamed") {
        if (named) ::setenv("DORVANIX_NAMED_TEMPORARIES", "1", 1);
    }
    ~NamedTemporaries() { ::unsetenv("DORVANIX_NAMED_TEMPORARIES"); }

  private:
    ::testing::ScopedTrace trace_;
};

mode_t modeOf(const std::filesystem::path& path, struct stat* info = nullptr) {
    struct stat own {};
    if (info == nullptr) info = &own;
    return ::lstat(path.c_str(), info) == 0 ? info->st_mode : 0;
}

TEST(AtomicFile, WritesTheTextWholeWithTheUsualPermissions) {
    std::string everyByte = "a\r\nb\n\rc";
    for (int i = 0; i < 256; ++i) everyByte += static_cast<char>(i);
    for (const bool named : {false, true})
        for (const std::string& text : {std::string(), everyByte, std::string(3'000'001, 'q')}) {
            SCOPED_TRACE(std::to_string(text.size()) + " bytes");
            const NamedTemporaries kind(named);
            ScratchFolder folder;
            const mode_t mask = ::umask(022);
            writeFileAtomically(folder / "out.doc", text);
            ::umask(mask);
            EXPECT_EQ(readBytes(folder / "out.doc"), text);
            EXPECT_EQ(folder.entries(), std::set<std::string>{"out.doc"}) << "nothing else is left";
            EXPECT_EQ(modeOf(folder / "out.doc"), S_IFREG | 0644u);
        }
}

// What stood at the target decides what a save does to it: a file keeps its mode, owner and group,
// a link stays and the file it leads to gets the text, a device or a FIFO is written into.
TEST(AtomicFile, KeepsWhatStoodAtTheTarget) {
    const std::string text = "((3,2),2,2,2) : 14 (g=1)\n\r";
    const struct {
        const char* name;
        const char* setUp;   // shell commands run in the folder (as root in CI)
        const char* holder;  // the file that gets the text; empty: written into
        mode_t mode = 0;     // of the holder afterwards, when not 0
        uid_t owner = 0;
    } rows[] = {
        {"another user's file", "echo old >out.doc && chmod 600 out.doc && chown 1:1 out.doc",
         "out.doc", 0600, 1},
        {"file of mode 0750", "echo old >out.doc && chmod 750 out.doc", "out.doc", 0750},
        {"link into another folder", "ln -s real/kept.doc out.doc", "real/kept.doc", 0640},
        {"link to a file not yet there", "ln -s real/new.doc out.doc", "real/new.doc"},
        {"character device (as /dev/null)", "mknod out.doc c 1 3", ""},
        {"FIFO", "mkfifo out.doc", ""},
    };
    for (const bool named : {false, true})
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            const NamedTemporaries kind(named);
            ScratchFolder folder;
            const std::filesystem::path out = folder / "out.doc";
            const std::string setUp = "cd " + folder.path().string() + " && mkdir real && echo " +
                                      "old >real/kept.doc && chmod 640 real/kept.doc && " +
                                      row.setUp;
            ASSERT_EQ(std::system(setUp.c_str()), 0);
            struct stat before {};
            struct stat after {};
            modeOf(out, &before);
            // A FIFO is opened by a save only while it has a reader; this one holds what it takes.
            const int fifo =
                S_ISFIFO(before.st_mode) ? ::open(out.c_str(), O_RDWR | O_NONBLOCK) : -1;
            writeFileAtomically(out, text);
            EXPECT_EQ(modeOf(out, &after), before.st_mode) << "the kind of what stood there";
            EXPECT_EQ(after.st_rdev, before.st_rdev);
            if (fifo >= 0) {
                std::string taken(text.size() + 1, '\0');
                taken.resize(static_cast<std::size_t>(
                    std::max<ssize_t>(0, ::read(fifo, taken.data(), taken.size()))));
                ::close(fifo);
                EXPECT_EQ(taken, text);
            }
            std::set<std::string> entries;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path())) {
                entries.insert(entry.path().lexically_relative(folder.path()).string());
            }
            std::set<std::string> expected{"out.doc", "real", "real/kept.doc", row.holder};
            expected.erase("");
            EXPECT_EQ(entries, expected) << "nothing else is left";
            if (*row.holder == 0) continue;
            EXPECT_EQ(readBytes(folder / row.holder), text);
            struct stat info {};
            const mode_t mode = modeOf(folder / row.holder, &info) & 07777;
            EXPECT_EQ(row.mode != 0 ? mode : 0, row.mode);
            EXPECT_EQ(info.st_uid, row.owner);
        }
}

// Where there are no unnamed temporaries the text is written into a named one beside the file,
// which another user could open while it is written: it has the old file's mode (or less, under
// the umask) from the moment it exists, never the usual one.
TEST(AtomicFile, NamedTemporaryNeverHasMoreThanTheOldFilesMode) {
    const struct { mode_t old, umask; } rows[] = {{0600, 022}, {0640, 077}, {0660, 002}};
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << std::oct << "mode " << row.old << ", umask " << row.umask);
        const NamedTemporaries kind(true);
        ScratchFolder folder;
        writeBytes(folder / "secret.doc", "old");
        ASSERT_EQ(::chmod((folder / "secret.doc").c_str(), row.old), 0);
        modesBeforeChange.clear();
        const mode_t mask = ::umask(row.umask);
        writeFileAtomically(folder / "secret.doc", "new");
        ::umask(mask);
        ASSERT_FALSE(modesBeforeChange.empty()) << "the mode is taken over";
        EXPECT_EQ(modesBeforeChange.front() & ~row.old, 0u)
            << std::oct << modesBeforeChange.front();
        EXPECT_EQ(modeOf(folder / "secret.doc") & 07777, row.old);
    }
}

// Names up to the longest a folder takes are saved, whatever the temporary's ending; a longer one
// is refused before anything is written.
TEST(AtomicFile, NamesUpToTheLongestAreSavedAndLongerOnesRefusedAtOnce) {
    for (const bool named : {false, true})
        for (const std::size_t length : {200u, 241u, 255u}) {
            SCOPED_TRACE(std::to_string(length) + " bytes");
            const NamedTemporaries kind(named);
            ScratchFolder folder;
            const std::string name(length, 'n');
            writeFileAtomically(folder / name, "text");
            EXPECT_EQ(readBytes(folder / name), "text");
            EXPECT_EQ(folder.entries(), std::set<std::string>{name});
        }
    ScratchFolder folder;
    EXPECT_THROW(AtomicFile(folder / std::string(256, 'n')), FileWriteError);
    EXPECT_TRUE(folder.entries().empty());
}

// As a shell's redirection: a file this user may not write is not replaced, though the folder
// would let the save put a new one in its place. (Run as another user when the test is root.)
TEST(AtomicFile, RefusesAFileTheUserMayNotWrite) {
    ScratchFolder folder;
    writeBytes(folder / "kept.doc", "old");
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777) + ::chmod((folder / "kept.doc").c_str(), 0444),
              0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(2);  // root is refused nothing
        try {
            writeFileAtomically(folder / "kept.doc", "new");
        } catch (const FileWriteError& error) {
            ::_exit(std::string(error.what()).find("Permission denied") != std::string::npos ? 0
                                                                                             : 3);
        }
        ::_exit(1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0) << "1: replaced, 3: refused for another reason";
    EXPECT_EQ(readBytes(folder / "kept.doc"), "old");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"kept.doc"});
}

// The earlier file stays whole until commit; a write never committed leaves nothing behind.
TEST(AtomicFile, ReplacesAnEarlierFileOnlyOnCommit) {
    ScratchFolder folder;
    writeBytes(folder / "list.doc", "earlier");
    {
        AtomicFile file(folder / "list.doc");
        file.stream() << std::string(200'000, 'z');
        AtomicFile other(folder / "new.doc");
        other.stream() << "never committed";
    }
    EXPECT_EQ(readBytes(folder / "list.doc"), "earlier");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"list.doc"});
    {
        AtomicFile file(folder / "list.doc");
        file.stream() << "later";
        file.stream().flush();
        EXPECT_EQ(readBytes(folder / "list.doc"), "earlier") << "replaced before commit";
        file.commit();
        EXPECT_THROW(file.commit(), FileWriteError) << "a second commit";
    }
    {
        // A writer that gave up halfway, its stream set bad with no failed write behind it.
        AtomicFile file(folder / "list.doc");
        file.stream() << "half";
        file.stream().setstate(std::ios::badbit);
        EXPECT_THROW(file.commit(), FileWriteError);
    }
    EXPECT_EQ(readBytes(folder / "list.doc"), "later");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"list.doc"});
}

TEST(AtomicFile, ReportsAPlaceThatCannotTakeTheFileAndLeavesNothingBehind) {
    ScratchFolder folder;
    writeBytes(folder / "plain", "x");
    std::filesystem::create_directory(folder / "taken.doc");
    ASSERT_EQ(::mknod((folder / "full").c_str(), S_IFCHR | 0600, ::makedev(1, 7)), 0) << "as root";
    const struct {
        const char* name;
        std::filesystem::path target;
    } rows[] = {
        {"missing folder", folder / "missing" / "out.doc"},
        {"file as folder", folder / "plain" / "out.doc"},
        {"name held by a folder", folder / "taken.doc"},
        {"device that is always full (as /dev/full)", folder / "full"},
        {"name with a terminal's title sequence", folder / "missing" / "a\x1b]0;x\ab.doc"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            writeFileAtomically(row.target, "text");
            ADD_FAILURE() << "no error";
        } catch (const FileWriteError& error) {
            // Named as typed input is: quoted, escaped, shortened.
            const std::string message = error.what();
            EXPECT_NE(message.find(quoteInput(row.target.string())), std::string::npos) << message;
            EXPECT_TRUE(std::none_of(message.begin(), message.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x20;
            })) << message;
        }
        EXPECT_EQ(folder.entries(), (std::set<std::string>{"full", "plain", "taken.doc"}));
        EXPECT_TRUE(S_ISCHR(modeOf(folder / "full"))) << "a device stays";
        EXPECT_EQ(readBytes(folder / "plain"), "x");
    }
}

// A save belongs to the process that began it. A child forked meanwhile neither writes into the
// parent's file nor, ended by SIGTERM, removes its temporary; its own temporary goes with it.
// The hidden temporaries a kill -9 left beside a file are removed by the next save to it; those
// of live writers, of other files and names of other forms stay.
TEST(AtomicFile, ASaveRemovesTheTemporariesOfDeadWritersToTheSameFile) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string dead = std::to_string(child);
    const std::string self = std::to_string(::getpid());
    for (const bool named : {false, true}) {
        const NamedTemporaries mode(named);
        ScratchFolder folder;
        const struct {
            std::string name;
            bool locked, old, stays;
        } rows[] = {
            {".f.tmp" + dead + "-0", false, false, false},  // its writer is gone
            {".f.tmp" + self + "-7", true, true, true},     // a live writer holds it
            {".f.tmp" + self + "-8", false, false, true},   // a live writer just made it
            {".f.tmp" + self + "-9", false, true, false},   // unlocked, untouched for a minute
            {".g.tmp" + dead + "-0", false, true, true},    // another file's
            {".f.tmp" + dead, false, true, true},           // not a temporary's name
        };
        std::vector<int> held;
        std::set<std::string> expected{"f"};
        for (const auto& row : rows) {
            writeBytes(folder / row.name, "left");
            if (row.old) {
                std::filesystem::last_write_time(
                    folder / row.name,
                    std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1));
            }
            if (row.locked) {
                held.push_back(::open((folder / row.name).c_str(), O_RDONLY | O_CLOEXEC));
                ASSERT_EQ(::flock(held.back(), LOCK_EX), 0);
            }
            if (row.stays) expected.insert(row.name);
        }
        writeFileAtomically(folder / "f", "new");
        EXPECT_EQ(folder.entries(), expected);
        for (const int fd : held) ::close(fd);
    }
}

TEST(AtomicFile, ForkedChildLeavesTheParentsSaveAlone) {
    for (const bool named : {false, true}) {
        const NamedTemporaries kind(named);
        ScratchFolder folder;
        AtomicFile parents(folder / "list.doc");
        parents.stream() << "parent's";
        const pid_t child = ::fork();
        if (child == 0) {
            parents.stream() << " and the child's";
            parents.stream().flush();
            AtomicFile own(folder / "own.doc");
            own.stream() << "child's own";
            ::raise(SIGTERM);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
        parents.commit();
        EXPECT_EQ(readBytes(folder / "list.doc"), "parent's");
        EXPECT_EQ(folder.entries(), std::set<std::string>{"list.doc"});
    }
}

}  // namespace
}  // namespace dorvanix
