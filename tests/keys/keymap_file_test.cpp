#include "keys/keymap_file.h"

#include <gmock/gmock.h>

#include <cstring>
#include <fstream>
#include <random>

#include "platform/atomic_file.h"
#include "support/normal_user.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using testing::TemporaryFolder;

class KeymapFile : public ::testing::Test {
  protected:
    void writeRaw(const std::vector<std::uint8_t>& bytes) { testing::writeRawFile(file, bytes); }
    std::vector<std::uint8_t> fileBytes() {
        return readFileBytes(file, kKeymapFileSize * 2).value();
    }

    TemporaryFolder folder;
    std::filesystem::path file = folder / "keymap.bin";
    DeviceSettings settings;
    std::unique_ptr<AssignmentTable> table = std::make_unique<AssignmentTable>();
};

// Root reads a file of mode 000, so this proves something only as a normal user; the test
// script runs it again as one.
TEST_F(KeymapFile, AnUnreadableFileIsNeverWrittenOverAsANormalUser) {
    if (!testing::permissionsStopThisProcess()) GTEST_SKIP() << "root reads a file of mode 000";
    writeRaw(std::vector<std::uint8_t>(kKeymapFileSize, 0x5C));
    std::filesystem::permissions(file, std::filesystem::perms::none);
    EXPECT_EQ(LoadKeymapFile(file, false, settings, *table), DataFileLoad::Unreadable);
    (*table)[7].type = 4;
    EXPECT_FALSE(reloadAssignments(file, *table));
    EXPECT_EQ((*table)[7].type, 4);  // kept
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    EXPECT_EQ(fileBytes(), std::vector<std::uint8_t>(kKeymapFileSize, 0x5C));
}

TEST_F(KeymapFile, ReloadingFromAFileGoneKeepsTheRecordsAndMakesNoFile) {
    (*table)[7].type = 4;
    EXPECT_FALSE(reloadAssignments(file, *table));
    EXPECT_EQ((*table)[7].type, 4);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(LoadKeymapFile(file, false, settings, *table), DataFileLoad::Created);
    EXPECT_EQ(LoadKeymapFile(file, false, settings, *table), DataFileLoad::Read);
}

TEST_F(KeymapFile, MissingFileIsCreatedFromTheRecordAndAZeroTable) {
    settings.reportRate = 2;
    (*table)[5].type = 3;
    LoadKeymapFile(file, false, settings, *table);
    const auto bytes = fileBytes();
    ASSERT_EQ(bytes.size(), 199'272U);
    EXPECT_EQ(bytes[0x00B], 2);
    EXPECT_TRUE(
        std::all_of(bytes.begin() + 2412, bytes.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ((*table)[5].type, 0);
    EXPECT_EQ((*table)[63].identity, 'A');  // set in memory all the same
}

TEST_F(KeymapFile, SaveAndLoadRoundTrip) {
    settings.lighting = {6, 40, 3, 2, 1};
    settings.hostKeyData[7].code = 0x2A;
    setAssignmentIdentities(*table);
    (*table)[10].type = 5;
    (*table)[10].launchPath[0] = u'C';
    (*table)[200].data[9] = 9;  // records of no key are kept too
    ASSERT_TRUE(saveKeymapFile(file, settings, *table));
    EXPECT_EQ(fileBytes().size(), kKeymapFileSize);

    DeviceSettings loaded;
    auto loadedTable = std::make_unique<AssignmentTable>();
    LoadKeymapFile(file, false, loaded, *loadedTable);
    EXPECT_EQ(loaded, settings);
    EXPECT_EQ(*loadedTable, *table);
}

TEST_F(KeymapFile, KeepingTheImageLeavesSettingsReadFromTheKeyboard) {
    DeviceSettings stored;
    stored.lighting.effect = 7;
    auto storedTable = std::make_unique<AssignmentTable>();
    (*storedTable)[3].type = 2;
    ASSERT_TRUE(saveKeymapFile(file, stored, *storedTable));

    settings.lighting.effect = 51;  // just read from the keyboard
    LoadKeymapFile(file, true, settings, *table);
    EXPECT_EQ(settings.lighting.effect, 51);
    EXPECT_EQ((*table)[3].type, 2);
}

TEST_F(KeymapFile, ShortFilesFillOnlyWhatTheyReach) {
    settings.gameMode = 1;
    (*table)[0].type = 7;
    (*table)[254].type = 6;
    (*table)[1].count = 9;
    std::vector<std::uint8_t> bytes(2412 + 772 + 2, 0);  // the image, record 0, two bytes of 1
    bytes[2412 + 772 + 1] = 0x5B;
    writeRaw(bytes);
    // Said and kept aside before the new file takes its name.
    std::filesystem::path aside;
    EXPECT_EQ(LoadKeymapFile(file, false, settings, *table, &aside), DataFileLoad::Damaged);
    EXPECT_EQ(aside, folder / "keymap.bin.damaged");
    EXPECT_EQ(readFileBytes(aside, kKeymapFileSize), bytes);
    EXPECT_EQ(fileBytes().size(), kKeymapFileSize);
    EXPECT_EQ(settings.gameMode, 0);
    EXPECT_EQ((*table)[0].type, 0);
    EXPECT_EQ((*table)[1].type, 0x5B);
    EXPECT_EQ((*table)[1].count, 9);  // beyond the file: as it was
    EXPECT_EQ((*table)[254].type, 6);

    writeRaw({0x01, 0x02, 0x03});  // shorter than the image
    settings.reportRate = 3;
    LoadKeymapFile(file, false, settings, *table);
    EXPECT_EQ(settings.reserved0[0], 0x01);
    EXPECT_EQ(settings.reportRate, 3);
    EXPECT_EQ((*table)[254].type, 6);
}

TEST_F(KeymapFile, EmptyLongAndRandomFilesLoadWithoutHarm) {
    writeRaw({});
    EXPECT_EQ(LoadKeymapFile(file, false, settings, *table), DataFileLoad::Damaged);
    EXPECT_EQ(readFileBytes(folder / "keymap.bin.damaged", 10)->size(), 0U);
    EXPECT_EQ(fileBytes().size(), kKeymapFileSize);

    std::mt19937 random(7);
    std::vector<std::uint8_t> noise(kKeymapFileSize + 5000);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    writeRaw(noise);
    LoadKeymapFile(file, false, settings, *table);
    EXPECT_EQ(std::memcmp(&settings, noise.data(), sizeof settings), 0);
    EXPECT_EQ((*table)[0].identity, 0x1B);  // identities of the picture's keys are set
    EXPECT_EQ((*table)[200].identity, noise[2412 + 200 * 772]);
}

TEST_F(KeymapFile, UnreadableFileIsNotOverwritten) {
    std::filesystem::create_directory(file);  // exists, but holds nothing to read
    (*table)[4].type = 3;
    LoadKeymapFile(file, false, settings, *table);
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

}  // namespace
}  // namespace tq260
