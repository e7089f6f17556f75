#include "files/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/process_run.h"

namespace dorvanix {
namespace {

using testing::readBytes;
using testing::ScratchFolder;
using testing::writeBytes;

TEST(AtomicFile, WritesTheTextWholeWithTheUsualPermissions) {
    std::string everyByte = "a\r\nb\n\rc";
    for (int i = 0; i < 256; ++i) everyByte += static_cast<char>(i);
    for (const std::string& text : {std::string(), everyByte, std::string(3'000'001, 'q')}) {
        SCOPED_TRACE(std::to_string(text.size()) + " bytes");
        ScratchFolder folder;
        const mode_t mask = ::umask(022);
        writeFileAtomically(folder / "out.doc", text);
        ::umask(mask);
        EXPECT_EQ(readBytes(folder / "out.doc"), text);
        EXPECT_EQ(folder.entries(), std::set<std::string>{"out.doc"}) << "nothing else is left";
        struct stat info {};
        ASSERT_EQ(::stat((folder / "out.doc").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0644u);
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

}  // namespace
}  // namespace dorvanix
