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

TEST(AtomicFile, FailureLeavesTheOldFileIntact) {
    TemporaryFolder folder;
    const auto file = folder / "keymap.bin";
    ASSERT_TRUE(writeFileAtomically(file, std::vector<std::uint8_t>{7, 7}));
    // A folder where the temporary file has to go makes the write fail.
    std::filesystem::create_directory(folder / "keymap.bin.tmp");
    EXPECT_FALSE(writeFileAtomically(file, std::vector<std::uint8_t>{1}));
    EXPECT_THAT(*readFileBytes(file, 10), ElementsAre(7, 7));
    EXPECT_FALSE(writeFileAtomically(folder / "missing" / "x.bin", std::vector<std::uint8_t>{1}));
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
