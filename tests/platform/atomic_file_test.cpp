#include "platform/atomic_file.h"

#include <gmock/gmock.h>

#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::TemporaryFolder;

TEST(AtomicFile, ReplacesTheWholeFileAndLeavesNoTemporary) {
    TemporaryFolder folder;
    const auto file = folder / "keymap.bin";
    const std::vector<std::uint8_t> first(1000, 0xAA);
    const std::vector<std::uint8_t> second = {1, 2, 3};
    ASSERT_TRUE(writeFileAtomically(file, first));
    ASSERT_TRUE(writeFileAtomically(file, second));
    EXPECT_THAT(*readFileBytes(file, 5000), ElementsAre(1, 2, 3));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

#ifdef __unix__
// The system calls of a save, kept in order, each done for real.
class RecordingSaveCalls final : public SaveCalls {
  public:
    using Parts = std::initializer_list<std::span<const std::uint8_t>>;
    using Path = std::filesystem::path;
    int create(const Path& p) override { return log("create"), SaveCalls::create(p); }
    bool write(int fd, Parts parts) override { return log("write"), SaveCalls::write(fd, parts); }
    bool sync(int fd) override { return log("sync"), SaveCalls::sync(fd); }
    bool close(int fd) override { return log("close"), SaveCalls::close(fd); }
    bool rename(const Path& from, const Path& to) override {
        return log("rename to " + to.filename().string()), SaveCalls::rename(from, to);
    }
    bool syncFolder(const Path& folder) override {
        return log("sync folder"), SaveCalls::syncFolder(folder);
    }
    void log(const std::string& call) { calls.push_back(call); }
    std::vector<std::string> calls;
};

// A power cut after the rename must find the data there: it is on the disk first.
TEST(AtomicFile, TheDataIsOnTheDiskBeforeTheRenameAndTheFolderAfterIt) {
    TemporaryFolder folder;
    RecordingSaveCalls calls;
    ASSERT_TRUE(
        writeFileAtomically(folder / "keymap.bin", {std::vector<std::uint8_t>(9, 1)}, calls));
    EXPECT_THAT(calls.calls, ElementsAre("create", "write", "sync", "close", "rename to keymap.bin",
                                         "sync folder"));
}
#endif

// Names a Chinese user gives, with spaces: the same bytes come back, under the same name.
TEST(AtomicFile, PathsWithChineseCharactersAndSpacesAreWrittenAndReadBack) {
    TemporaryFolder folder;
    const auto inner = folder.path() / std::filesystem::path(u"我的 键盘");
    std::filesystem::create_directory(inner);
    const auto file = inner / std::filesystem::path(u"游戏 配置 1.bin");
    ASSERT_TRUE(writeFileAtomically(file, std::vector<std::uint8_t>(10, 7)));
    ASSERT_TRUE(writeFileAtomically(file, std::vector<std::uint8_t>{4, 5}));
    EXPECT_THAT(*readFileBytes(file, 100), ElementsAre(4, 5));
    std::vector<std::u16string> names;
    for (const auto& entry : std::filesystem::directory_iterator(inner)) {
        names.push_back(entry.path().filename().u16string());
    }
    EXPECT_THAT(names, ElementsAre(u"游戏 配置 1.bin"));
}

TEST(AtomicFile, AFailedWriteLeavesWhatWasThereAndNoTemporary) {
    TemporaryFolder folder;
    // A folder with something in it where the file should go: the rename fails.
    const auto file = folder / "keymap.bin";
    std::filesystem::create_directories(file / "inside");
    EXPECT_FALSE(writeFileAtomically(file, std::vector<std::uint8_t>{1}));
    EXPECT_TRUE(std::filesystem::is_directory(file / "inside"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_FALSE(writeFileAtomically(folder / "missing" / "x.bin", std::vector<std::uint8_t>{1}));
}

// Another copy of the program writing the same file uses a temporary file of its own: a
// write never truncates or renames someone else's half-written file.
TEST(AtomicFile, EveryWriteHasATemporaryFileOfItsOwn) {
    TemporaryFolder folder;
    const auto file = folder / "keymap.bin";
    const auto foreign = folder / "keymap.bin.tmp";
    testing::writeRawFile(foreign, std::vector<std::uint8_t>(10, 0x33));
    ASSERT_TRUE(writeFileAtomically(file, std::vector<std::uint8_t>{1, 2}));
    ASSERT_TRUE(writeFileAtomically(file, std::vector<std::uint8_t>{3, 4}));
    EXPECT_THAT(*readFileBytes(foreign, 100), ::testing::Each(0x33));
    EXPECT_EQ(readFileBytes(foreign, 100)->size(), 10U);
    EXPECT_THAT(*readFileBytes(file, 10), ElementsAre(3, 4));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              2);
}

// A bare file name lives in the working folder, which is the folder synced after the rename.
TEST(AtomicFile, ABareNameIsWrittenInTheWorkingFolder) {
    TemporaryFolder folder;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    const bool written = writeFileAtomically("keymap.bin", std::vector<std::uint8_t>{7});
    std::filesystem::current_path(before);
    EXPECT_TRUE(written);
    EXPECT_THAT(*readFileBytes(folder / "keymap.bin", 10), ElementsAre(7));
}

TEST(AtomicFile, ReadStopsAtTheLimitAndAtTheEnd) {
    TemporaryFolder folder;
    const auto file = folder / "data.bin";
    ASSERT_TRUE(writeFileAtomically(file, std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_THAT(*readFileBytes(file, 2), ElementsAre(1, 2));
    EXPECT_THAT(*readFileBytes(file, 100), ElementsAre(1, 2, 3, 4));
    EXPECT_FALSE(readFileBytes(folder / "absent.bin", 10));
}

}  // namespace
}  // namespace tq260
