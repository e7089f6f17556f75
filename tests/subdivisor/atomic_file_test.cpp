#include "subdivisor/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "../cli/process_run.h"

namespace dorvanix {
namespace {

using testing::ScratchFolder;
using testing::readBytes;
using testing::writeBytes;

TEST(AtomicFile, WritesTheTextWholeUnderItsName) {
    struct Row {
        const char* name;
        std::string text;
    };
    const Row rows[] = {
        {"empty", ""},
        {"both line ends", "a\r\nb\n\rc"},
        {"bytes of every value", [] {
             std::string all;
             for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
             return all;
         }()},
        {"larger than any buffer", std::string(3'000'001, 'q')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        writeFileAtomically(folder / "out.doc", row.text);
        EXPECT_EQ(readBytes(folder / "out.doc"), row.text);
        EXPECT_EQ(folder.entries(), std::set<std::string>{"out.doc"});
    }
}

TEST(AtomicFile, ReplacesAnEarlierFileOnlyOnCommit) {
    ScratchFolder folder;
    writeBytes(folder / "list.doc", "earlier");
    {
        AtomicFile file(folder / "list.doc");
        file.stream() << "later";
        file.stream().flush();
        EXPECT_EQ(readBytes(folder / "list.doc"), "earlier") << "replaced before commit";
        file.commit();
    }
    EXPECT_EQ(readBytes(folder / "list.doc"), "later");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"list.doc"});
}

TEST(AtomicFile, AbandonedWriteLeavesNothingBehind) {
    ScratchFolder folder;
    writeBytes(folder / "list.doc", "earlier");
    {
        AtomicFile file(folder / "list.doc");
        file.stream() << std::string(200'000, 'z');
    }
    {
        AtomicFile file(folder / "new.doc");
        file.stream() << "never committed";
    }
    EXPECT_EQ(readBytes(folder / "list.doc"), "earlier");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"list.doc"});
}

TEST(AtomicFile, ReportsAPlaceThatCannotTakeTheFile) {
    ScratchFolder folder;
    writeBytes(folder / "plain", "x");
    std::filesystem::create_directory(folder / "taken.doc");
    struct Row {
        const char* name;
        std::filesystem::path target;
    };
    const Row rows[] = {
        {"missing folder", folder / "missing" / "out.doc"},
        {"file as folder", folder / "plain" / "out.doc"},
        {"name held by a folder", folder / "taken.doc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            writeFileAtomically(row.target, "text");
            ADD_FAILURE() << "no error";
        } catch (const FileWriteError& error) {
            EXPECT_NE(std::string(error.what()).find(row.target.string()), std::string::npos)
                << error.what();
        }
        EXPECT_EQ(folder.entries(), (std::set<std::string>{"plain", "taken.doc"}));
    }
}

TEST(AtomicFile, CommitTwiceIsAnError) {
    ScratchFolder folder;
    AtomicFile file(folder / "once.doc");
    file.stream() << "x";
    file.commit();
    EXPECT_THROW(file.commit(), FileWriteError);
    EXPECT_EQ(readBytes(folder / "once.doc"), "x");
}

TEST(AtomicFile, NewFileGetsTheUsualPermissions) {
    ScratchFolder folder;
    const mode_t mask = ::umask(022);
    writeFileAtomically(folder / "mode.doc", "x");
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat((folder / "mode.doc").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

}  // namespace
}  // namespace dorvanix
