#include <gmock/gmock.h>

#include <cstring>
#include <fstream>
#include <random>

#include "macro/macro_blocks.h"
#include "macro/macro_file.h"
#include "macro/macro_record.h"
#include "platform/atomic_file.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::TemporaryFolder;

MacroRecord named(std::u16string_view name, std::uint16_t loops, std::uint8_t firstKey) {
    MacroRecord record;
    record.setName(name);
    record.loopCount = loops;
    record.deviceEvents[0] = 0x01;
    record.deviceEvents[1] = firstKey;
    record.deviceEvents[189] = 0x99;  // beyond what the keyboard receives
    return record;
}

TEST(MacroRecordName, LongNamesAreCutToFit) {
    MacroRecord record;
    record.setName(std::u16string(300, u'x'));
    EXPECT_EQ(record.nameText().size(), 254U);
    EXPECT_EQ(record.name[254], u'\0');
    record.setName(u"Combo");
    EXPECT_EQ(record.nameText(), u"Combo");
    EXPECT_EQ(record.name[5], u'\0');
    EXPECT_FALSE(record.isFree());
    record.setName(u"");
    EXPECT_TRUE(record.isFree());
}

TEST(MacroBlocks, LoopCountBigEndianThenTheFirst126DeviceBytes) {
    auto table = std::make_unique<MacroTable>();
    (*table)[0] = named(u"one", 300, 0x04);
    DeviceSettings settings;
    buildMacroBlocks(*table, settings);
    EXPECT_THAT(std::vector<std::uint8_t>(settings.macroBlocks[0].begin(),
                                          settings.macroBlocks[0].begin() + 4),
                ElementsAre(0x01, 0x2C, 0x01, 0x04));
    EXPECT_EQ(settings.macroBlocks[0][127], (*table)[0].deviceEvents[125]);
}

TEST(MacroBlocks, StopAtTheFirstFreeRecordAndKeepLaterSlots) {
    auto table = std::make_unique<MacroTable>();
    for (std::size_t i = 0; i < 8; ++i)
        (*table)[i] = named(u"m", 1, static_cast<std::uint8_t>(i + 4));
    DeviceSettings settings;
    buildMacroBlocks(*table, settings);
    EXPECT_EQ(settings.macroBlocks[5][3], 9);  // six slots only

    // The second macro is deleted: its slot keeps the old block.
    (*table)[1] = (*table)[2];
    for (std::size_t i = 2; i < kMacroCount; ++i) (*table)[i] = MacroRecord{};
    (*table)[0].deviceEvents[1] = 0x20;
    buildMacroBlocks(*table, settings);
    EXPECT_EQ(settings.macroBlocks[0][3], 0x20);
    EXPECT_EQ(settings.macroBlocks[1][3], 6);
    EXPECT_EQ(settings.macroBlocks[2][3], 6);  // building alone leaves the freed slot

    // The manager said where each slot went: slot 1 deleted, slot 2 moved up; slots 3..5
    // held macros the manager moved past the keyboard's slots, except slot 5, unknown to it.
    emptyFreedMacroBlocks(*table, {0, -1, 1, -1, -1, 5}, settings);
    EXPECT_EQ(settings.macroBlocks[1][3], 6);
    for (const std::size_t freed : {2U, 3U, 4U}) EXPECT_EQ(settings.macroBlocks[freed], Block{});
    EXPECT_EQ(settings.macroBlocks[5][3], 9);
}

class MacroFile : public ::testing::Test {
  protected:
    void writeRaw(const std::vector<std::uint8_t>& bytes) { testing::writeRawFile(file, bytes); }

    TemporaryFolder folder;
    std::filesystem::path file = folder / "MacroDefine.bin";
    MacroTables tables;
};

TEST_F(MacroFile, FreshFolderGetsAZeroFileAndAnEmptyList) {
    loadMacroFile(file, *tables.saved);
    const auto bytes = readFileBytes(file, 200'000);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 169'860U);
    EXPECT_TRUE(std::all_of(bytes->begin(), bytes->end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE((*tables.saved)[0].isFree());
}

TEST_F(MacroFile, SaveAndLoadRoundTripByteForByte) {
    (*tables.saved)[0] = named(u"宏一", 3, 0x04);
    (*tables.saved)[0].spare = 0x5A;
    ASSERT_TRUE(saveMacroFile(file, *tables.saved));
    const auto bytes = readFileBytes(file, 200'000);
    ASSERT_EQ(bytes->size(), 169'860U);
    EXPECT_EQ((*bytes)[0], 0x8F);  // U+5B8F, little-endian
    EXPECT_EQ((*bytes)[1], 0x5B);
    EXPECT_EQ((*bytes)[510], 3);  // loop count, little-endian
    EXPECT_EQ((*bytes)[511], 0);

    MacroTables loaded;
    loadMacroFile(file, *loaded.saved);
    EXPECT_EQ(*loaded.saved, *tables.saved);
}

TEST_F(MacroFile, ShortLongEmptyAndRandomFiles) {
    (*tables.saved)[5] = named(u"kept", 1, 0x04);
    writeRaw(std::vector<std::uint8_t>(894, 0x11));  // one record
    loadMacroFile(file, *tables.saved);
    EXPECT_EQ((*tables.saved)[0].loopCount, 0x1111);
    EXPECT_EQ((*tables.saved)[5].nameText(), u"kept");

    // A short file is kept aside before a whole one takes its name.
    writeRaw({});
    std::filesystem::path aside;
    EXPECT_EQ(loadMacroFile(file, *tables.saved, &aside), DataFileLoad::Damaged);
    EXPECT_EQ((*tables.saved)[0].loopCount, 0x1111);
    EXPECT_EQ(readFileBytes(aside, 10)->size(), 0U);
    EXPECT_EQ(readFileBytes(file, sizeof(MacroTable))->size(), sizeof(MacroTable));

    std::mt19937 random(3);
    std::vector<std::uint8_t> noise(169'860 + 1000);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    writeRaw(noise);
    loadMacroFile(file, *tables.saved);
    EXPECT_EQ(std::memcmp(tables.saved->data(), noise.data(), sizeof(MacroTable)), 0);
}

TEST_F(MacroFile, WorkingCopyIsCommittedOnlyOnOk) {
    (*tables.saved)[0] = named(u"saved", 1, 0x04);
    tables.openWorking();
    (*tables.working)[0].setName(u"edited");
    EXPECT_EQ((*tables.saved)[0].nameText(), u"saved");
    tables.openWorking();  // cancelled: the next opening starts from the saved copy
    EXPECT_EQ((*tables.working)[0].nameText(), u"saved");
    (*tables.working)[0].setName(u"edited");
    tables.commitWorking();
    EXPECT_EQ((*tables.saved)[0].nameText(), u"edited");
}

}  // namespace
}  // namespace tq260
