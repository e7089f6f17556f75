#include "files/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>

#include "../cli/process_run.h"

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

// Device nodes and files of other users need root, as in CI; other users skip those cases.
bool madeAsRoot(int error) {
    if (error == EPERM && ::geteuid() != 0) {
        std::cout << "skipped: needs root\n";
        return false;
    }
    EXPECT_EQ(error, 0) << std::strerror(error);
    return error == 0;
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
    using Make = std::function<int(const std::filesystem::path&)>;  // 0 or errno
    struct Row {
        const char* name;
        Make make;
        std::set<std::string> entries;  // everything in the folder afterwards
        const char* holder;             // the file that gets the text; empty: written into
        mode_t mode = 0;                // of the holder afterwards, when not 0
        uid_t owner = 0;
    };
    const auto file = [](mode_t mode, uid_t owner) -> Make {
        return [=](const std::filesystem::path& out) {
            writeBytes(out, "old");
            const bool made =
                ::chmod(out.c_str(), mode) == 0 && ::chown(out.c_str(), owner, owner) == 0;
            return made ? 0 : errno;
        };
    };
    const auto link = [](const char* to) -> Make {
        return [=](const std::filesystem::path& out) {
            std::filesystem::create_directory(out.parent_path() / "real");
            writeBytes(out.parent_path() / "real" / "kept.doc", "old");
            const bool made =
                ::chmod((out.parent_path() / "real" / "kept.doc").c_str(), 0640) == 0 &&
                ::symlink(to, out.c_str()) == 0;
            return made ? 0 : errno;
        };
    };
    const Row rows[] = {
        {"private file of another user", file(0600, 1234), {"out.doc"}, "out.doc", 0600, 1234},
        {"file of mode 0750", file(0750, 0), {"out.doc"}, "out.doc", 0750},
        {"link into another folder",
         link("real/kept.doc"),
         {"out.doc", "real", "real/kept.doc"},
         "real/kept.doc",
         0640},
        {"link to a file not yet there",
         link("real/new.doc"),
         {"out.doc", "real", "real/kept.doc", "real/new.doc"},
         "real/new.doc"},
        {"character device (as /dev/null)",
         [](const std::filesystem::path& out) {
             return ::mknod(out.c_str(), S_IFCHR | 0600, ::makedev(1, 3)) == 0 ? 0 : errno;
         },
         {"out.doc"},
         ""},
        {"FIFO",
         [](const std::filesystem::path& out) {
             return ::mkfifo(out.c_str(), 0600) == 0 ? 0 : errno;
         },
         {"out.doc"},
         ""},
    };
    for (const bool named : {false, true})
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const NamedTemporaries kind(named);
            ScratchFolder folder;
            const std::filesystem::path out = folder / "out.doc";
            if (!madeAsRoot(row.make(out))) continue;
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
            EXPECT_EQ(entries, row.entries) << "nothing else is left";
            if (*row.holder == 0) continue;
            const std::filesystem::path holder = folder / row.holder;
            EXPECT_EQ(readBytes(holder), text);
            struct stat info {};
            const mode_t mode = modeOf(holder, &info) & 07777;
            if (row.mode != 0) {
                EXPECT_EQ(mode, row.mode);
            }
            EXPECT_EQ(info.st_uid, row.owner);
        }
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
    EXPECT_EQ(readBytes(folder / "list.doc"), "later");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"list.doc"});
}

TEST(AtomicFile, ReportsAPlaceThatCannotTakeTheFileAndLeavesNothingBehind) {
    ScratchFolder folder;
    writeBytes(folder / "plain", "x");
    std::filesystem::create_directory(folder / "taken.doc");
    const bool full = madeAsRoot(
        ::mknod((folder / "full").c_str(), S_IFCHR | 0666, ::makedev(1, 7)) == 0 ? 0 : errno);
    const struct {
        const char* name;
        std::filesystem::path target;
    } rows[] = {
        {"missing folder", folder / "missing" / "out.doc"},
        {"file as folder", folder / "plain" / "out.doc"},
        {"name held by a folder", folder / "taken.doc"},
        {"device that is always full (as /dev/full)", folder / "full"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!full && row.target == folder / "full") continue;
        try {
            writeFileAtomically(row.target, "text");
            ADD_FAILURE() << "no error";
        } catch (const FileWriteError& error) {
            EXPECT_NE(std::string(error.what()).find(row.target.string()), std::string::npos)
                << error.what();
        }
        EXPECT_EQ(folder.entries().count("plain") + folder.entries().count("taken.doc") + full,
                  folder.entries().size());
        EXPECT_EQ(S_ISCHR(modeOf(folder / "full")), full) << "a device stays";
        EXPECT_EQ(readBytes(folder / "plain"), "x");
    }
}

// A save belongs to the process that began it. A child forked meanwhile neither writes into the
// parent's file nor, ended by SIGTERM, removes its temporary; its own temporary goes with it.
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
