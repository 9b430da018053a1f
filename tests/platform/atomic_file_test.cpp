#include "platform/atomic_file.h"

#include <gmock/gmock.h>

#include "support/temporary_folder.h"

#ifdef __unix__
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    int create(const Path& p, unsigned mode) override {
        return log("create"), SaveCalls::create(p, mode);
    }
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

#ifdef __unix__
// What the user set on a file stays: its mode through every save, and a file made read-only
// is left as it is. As root too, whom the system would let write it.
TEST(AtomicFile, ASaveKeepsTheModeAndNeverWritesAReadOnlyFileAsANormalUser) {
    for (const auto mode : {0600U, 0640U, 0444U, 0400U}) {
        TemporaryFolder folder;
        const auto file = folder / "keymap.bin";
        testing::writeRawFile(file, std::vector<std::uint8_t>{9});
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        const bool readOnly = (mode & 0200U) == 0;
        EXPECT_EQ(writeFileAtomically(file, std::vector<std::uint8_t>{1, 2}), !readOnly) << mode;
        EXPECT_EQ(isReadOnlyFile(file), readOnly) << mode;
        struct stat status {};
        ASSERT_EQ(::stat(file.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(readFileBytes(file, 10)->size(), readOnly ? 1U : 2U) << mode;
    }
}

// Data files hold launch paths and assignments: a new one is this user's alone, whatever the
// umask lets through, while a file the user gave a mode keeps it.
TEST(AtomicFile, ANewFileIsPrivateAndAGivenModeStaysAsANormalUser) {
    const mode_t umask = ::umask(022);
    const struct {
        std::optional<unsigned> before;
        unsigned after;
    } files[] = {{std::nullopt, 0600U}, {0640U, 0640U}, {0644U, 0644U}};
    for (const auto& file : files) {
        TemporaryFolder folder;
        const auto path = folder / "keymap.bin";
        if (file.before) {
            testing::writeRawFile(path, std::vector<std::uint8_t>{9});
            ASSERT_EQ(::chmod(path.c_str(), *file.before), 0);
        }
        ASSERT_TRUE(writeFileAtomically(path, std::vector<std::uint8_t>{1, 2}));
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, file.after) << std::oct << file.after;
    }
    ::umask(umask);
}

// A data file linked elsewhere stays a link; what it points at is replaced.
TEST(AtomicFile, ALinkIsWrittenThrough) {
    TemporaryFolder folder;
    testing::writeRawFile(folder / "real.bin", std::vector<std::uint8_t>{9});
    std::filesystem::create_symlink("real.bin", folder / "keymap.bin");
    ASSERT_TRUE(writeFileAtomically(folder / "keymap.bin", std::vector<std::uint8_t>{1, 2}));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "keymap.bin"));
    EXPECT_THAT(*readFileBytes(folder / "real.bin", 10), ElementsAre(1, 2));
}

// A pipe under a data file's name would block a read for ever: it is not a data file, and
// a save never replaces it (nor one a link names).
TEST(AtomicFile, OnlyRegularFilesAreReadAsDataFiles) {
    TemporaryFolder folder;
    const auto pipe = folder / "VER.bin";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(readFileBytes(pipe, 10));
    std::filesystem::create_symlink("VER.bin", folder / "link.bin");
    for (const auto& name : {"VER.bin", "link.bin"}) {
        EXPECT_FALSE(writeFileAtomically(folder / name, std::vector<std::uint8_t>{1})) << name;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_FALSE(readFileBytes(folder.path(), 10));
    EXPECT_FALSE(fileStamp(folder / "absent.bin"));
}

// Temporaries of saves killed half-way go; a running writer's (one of this user's, or one
// not this user's to ask, as process 1 is for a normal user), and other names, stay.
TEST(AtomicFile, StaleTemporariesOfDeadWritersAreRemovedAsANormalUser) {
    TemporaryFolder folder;
    const std::vector<std::uint8_t> bytes{1};
    const std::string running = std::to_string(::getppid());
    // A process number beyond the system's limit has no process.
    for (const std::string& name : std::vector<std::string>{
             "keymap.bin.tmp-99999999-1-2", "keymap.bin.tmp-" + running + "-1-2",
             "keymap.bin.tmp-1-1-2", "keymap.bin.tmp-x-1", "raid.tmp-40000-b.bin", "notes.txt",
             "MacroDefine.bin.tmp-99999998-5-6"}) {
        testing::writeRawFile(folder / name, bytes);
    }
    EXPECT_EQ(removeStaleTemporaries(folder.path()), 2);
    EXPECT_FALSE(std::filesystem::exists(folder / "keymap.bin.tmp-99999999-1-2"));
    EXPECT_TRUE(std::filesystem::exists(folder / ("keymap.bin.tmp-" + running + "-1-2")));
    EXPECT_TRUE(std::filesystem::exists(folder / "keymap.bin.tmp-1-1-2"));
    EXPECT_TRUE(std::filesystem::exists(folder / "keymap.bin.tmp-x-1"));
    EXPECT_TRUE(std::filesystem::exists(folder / "raid.tmp-40000-b.bin"));  // a profile
}

// Under a free name beside the file a link names; the link stays.
TEST(AtomicFile, ADamagedFileIsKeptAsideUnderAFreeName) {
    TemporaryFolder folder;
    const auto file = folder / "real.bin";
    testing::writeRawFile(folder / "real.bin.damaged", std::vector<std::uint8_t>{1});
    testing::writeRawFile(file, std::vector<std::uint8_t>{2});
    std::filesystem::create_symlink("real.bin", folder / "keymap.bin");
    EXPECT_EQ(keepAside(folder / "keymap.bin"), folder / "real.bin.damaged-2");
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "keymap.bin"));
    EXPECT_THAT(*readFileBytes(folder / "real.bin.damaged-2", 10), ElementsAre(2));
}
#endif

}  // namespace
}  // namespace tq260
