#include "keys/apply_assignment.h"

#include <gmock/gmock.h>

#include "keys/factory_key_map.h"
#include "keys/keymap_file.h"
#include "platform/atomic_file.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::TemporaryFolder;

constexpr std::size_t kF1 = 1;
constexpr std::size_t kBackslash = 54;
constexpr std::size_t kA = 63;
constexpr std::size_t kS = 64;
constexpr std::size_t kRightOfRightAlt = 100;

class ApplyAssignmentTest : public ::testing::Test {
  protected:
    ApplyAssignmentTest() {
        settings.keyTable = FactoryKeyMap;
        setAssignmentIdentities(*assignments.table);
        (*macros.saved)[0].setName(u"first");
        (*macros.saved)[0].loopCount = 2;
        (*macros.saved)[0].deviceEvents[1] = 0x04;
        (*macros.saved)[1].setName(u"second");
    }

    KeyEntry& entryOf(std::size_t key) { return settings.keyTable[KeyLayout[key].slot]; }
    KeyAssignment& recordOf(std::size_t key) { return (*assignments.table)[key]; }
    std::uint8_t markOf(std::size_t key) const { return assignments.marks[key]; }

    void apply(std::size_t key, const AssignmentRequest& request) {
        assignments.selectedKey = key;
        ApplyAssignment(request, workspace);
    }

    static AssignmentRequest keys(AssignmentType type, std::initializer_list<std::uint8_t> list) {
        AssignmentRequest request;
        request.type = type;
        request.count = static_cast<std::uint32_t>(list.size());
        std::copy(list.begin(), list.end(), request.keyList.begin());
        return request;
    }
    static AssignmentRequest named(std::u16string_view name) {
        AssignmentRequest request;
        request.type = AssignmentType::NamedFunction;
        std::copy(name.begin(), name.end(), request.functionName.begin());
        return request;
    }
    static AssignmentRequest macro(std::int32_t row) {
        AssignmentRequest request;
        request.type = AssignmentType::Macro;
        request.macroIndex = row;
        return request;
    }
    static AssignmentRequest ofType(AssignmentType type, std::uint32_t count = 0) {
        AssignmentRequest request;
        request.type = type;
        request.count = count;
        return request;
    }

    TemporaryFolder folder;
    DeviceSettings settings;
    Assignments assignments;
    KeyNameTable keyNames;
    MacroTables macros;
    AssignmentWorkspace workspace{settings,      assignments,       keyNames,
                                  *macros.saved, Language::English, folder / "keymap.bin"};
};

TEST_F(ApplyAssignmentTest, OwnKeyReturnsToItsFactoryStateUnmarked) {
    assignments.marks[kA] = 1;
    apply(kA, keys(AssignmentType::SingleKey, {'A'}));
    EXPECT_EQ(entryOf(kA), (KeyEntry{0, 0, 0x04, 0}));
    EXPECT_EQ(recordOf(kA).type, 0);
    EXPECT_EQ(recordOf(kA).count, 0);
    EXPECT_EQ(recordOf(kA).data[0], 0);
    EXPECT_EQ(markOf(kA), 0);
}

TEST_F(ApplyAssignmentTest, SingleKeysBecomeKeyOrConsumerEntries) {
    apply(kA, keys(AssignmentType::SingleKey, {0xAF}));  // Volume UP
    EXPECT_EQ(entryOf(kA), (KeyEntry{3, 0, 0xE9, 0}));
    EXPECT_EQ(recordOf(kA).count, 1);
    EXPECT_EQ(recordOf(kA).data[0], 0xAF);
    EXPECT_EQ(markOf(kA), 1);

    apply(kA, keys(AssignmentType::SingleKey, {0xB5}));  // Media
    EXPECT_EQ(entryOf(kA), (KeyEntry{3, 0, 0x83, 1}));

    apply(kA, keys(AssignmentType::SingleKey, {0xB3}));  // Play/Pause
    EXPECT_EQ(entryOf(kA), (KeyEntry{3, 0, 0xCD, 0}));

    apply(kS, keys(AssignmentType::SingleKey, {'A'}));
    EXPECT_EQ(entryOf(kS), (KeyEntry{0, 0, 0x04, 0}));
    EXPECT_EQ(markOf(kS), 1);
}

TEST_F(ApplyAssignmentTest, SingleKeyTypeWithAnotherCountOnlyFillsTheRecord) {
    const KeyEntry before = entryOf(kA);
    apply(kA, keys(AssignmentType::SingleKey, {'B', 'C'}));
    EXPECT_EQ(entryOf(kA), before);
    EXPECT_EQ(recordOf(kA).count, 2);
    EXPECT_EQ(recordOf(kA).data[1], 'C');
    EXPECT_EQ(markOf(kA), 0);
}

TEST_F(ApplyAssignmentTest, CombinationsCarryUpToThreeUsages) {
    apply(kA, keys(AssignmentType::Combination, {0xA2, 'C'}));
    EXPECT_EQ(entryOf(kA), (KeyEntry{0, 0xE0, 0x06, 0}));
    EXPECT_THAT(std::vector<std::uint8_t>(recordOf(kA).data.begin(), recordOf(kA).data.begin() + 3),
                ElementsAre(0xA2, 0x43, 0x00));
    EXPECT_EQ(recordOf(kA).count, 2);
    EXPECT_EQ(recordOf(kA).type, 1);
    EXPECT_EQ(markOf(kA), 1);

    AssignmentRequest single = keys(AssignmentType::Combination, {0xA2});
    single.keyList[1] = 'X';  // beyond the count: not part of the combination
    apply(kS, single);
    EXPECT_EQ(entryOf(kS), (KeyEntry{0, 0xE0, 0, 0}));
    EXPECT_EQ(markOf(kS), 0);

    apply(kS, keys(AssignmentType::Combination, {0xA2, 0xA4, 0x2E}));
    EXPECT_EQ(entryOf(kS), (KeyEntry{0, 0xE0, 0xE2, 0x4C}));
}

TEST_F(ApplyAssignmentTest, MacroRowPlaysThatSlotAndRebuildsTheBlocks) {
    apply(kA, macro(3));
    EXPECT_EQ(entryOf(kA), (KeyEntry{4, 1, 3, 0}));
    EXPECT_THAT(std::vector<std::uint8_t>(recordOf(kA).data.begin(), recordOf(kA).data.begin() + 4),
                ElementsAre(4, 1, 3, 0));
    EXPECT_EQ(recordOf(kA).type, 2);
    EXPECT_EQ(markOf(kA), 1);
    EXPECT_EQ(settings.macroBlocks[0][1], 2);     // loop count low byte
    EXPECT_EQ(settings.macroBlocks[0][3], 0x04);  // device string byte 1
}

TEST_F(ApplyAssignmentTest, KeysFollowTheirMacroWhenTheManagerMovesOrDeletesIt) {
    apply(kA, macro(1));
    apply(kS, macro(0));
    apply(kF1, macro(4));  // a slot the manager did not touch
    assignments.selectedKey = kBackslash;
    // The first macro deleted: the second is now slot 0.
    followMacroMoves({-1, 0, 2, 3, 4, 5}, workspace);
    EXPECT_EQ(recordOf(kA).data[2], 0);
    EXPECT_EQ(entryOf(kA), (KeyEntry{key_kind::kMacro, 1, 0, 0}));
    EXPECT_EQ(markOf(kA), 1);
    EXPECT_NE(recordOf(kS).type, static_cast<std::uint8_t>(AssignmentType::Macro));
    EXPECT_EQ(entryOf(kS), FactoryKeyMap[KeyLayout[kS].slot]);
    EXPECT_EQ(markOf(kS), 0);
    EXPECT_EQ(entryOf(kF1), (KeyEntry{key_kind::kMacro, 1, 4, 0}));
    EXPECT_EQ(assignments.selectedKey, kBackslash);
}

TEST_F(ApplyAssignmentTest, NoMacroChosenLeavesTheEntry) {
    const KeyEntry before = entryOf(kA);
    apply(kA, macro(-1));
    EXPECT_EQ(entryOf(kA), before);
    EXPECT_THAT(std::vector<std::uint8_t>(recordOf(kA).data.begin(), recordOf(kA).data.begin() + 4),
                ElementsAre(4, 1, 0xFF, 0));
    EXPECT_EQ(markOf(kA), 0);
    EXPECT_EQ(settings.macroBlocks[0], Block{});
}

TEST_F(ApplyAssignmentTest, NamedFunctionsAreLookedUpInTheInterfaceLanguage) {
    apply(kA, named(u"Vol+"));
    EXPECT_EQ(entryOf(kA), (KeyEntry{3, 0, 0xE9, 0}));
    EXPECT_EQ(recordOf(kA).type, 3);
    EXPECT_EQ(recordOf(kA).data[2], 0xE9);
    EXPECT_EQ(markOf(kA), 1);

    workspace.language = Language::Chinese;
    apply(kS, named(u"Play/Pause"));  // not a Chinese name: the entry stays
    EXPECT_EQ(entryOf(kS), (KeyEntry{0, 0, 0x16, 0}));
    EXPECT_EQ(recordOf(kS).type, 3);
    EXPECT_EQ(markOf(kS), 1);
    apply(kS, named(u"暂停-播放"));
    EXPECT_EQ(entryOf(kS), (KeyEntry{3, 0, 0xCD, 0}));
}

TEST_F(ApplyAssignmentTest, LaunchOnF1) {
    AssignmentRequest request = ofType(AssignmentType::LaunchExe);
    const std::u16string path = u"C:\\Games\\game.exe";
    std::copy(path.begin(), path.end(), request.launchPath.begin());
    recordOf(kF1).identity = 0;  // even a record that lost its identity gets the key's own
    apply(kF1, request);
    EXPECT_EQ(entryOf(kF1), (KeyEntry{0x14, 0, 0x70, 0}));
    EXPECT_EQ(recordOf(kF1).identity, 0x70);
    EXPECT_EQ(recordOf(kF1).type, 5);
    EXPECT_THAT(
        std::vector<std::uint8_t>(recordOf(kF1).data.begin(), recordOf(kF1).data.begin() + 4),
        ElementsAre(3, 0, 0x23, 2));
    EXPECT_EQ(std::u16string(recordOf(kF1).launchPath.data()), path);
    EXPECT_EQ(markOf(kF1), 1);
}

TEST_F(ApplyAssignmentTest, LaunchPathWithoutTerminatorIsCutToFit) {
    AssignmentRequest request = ofType(AssignmentType::OpenFolder);
    request.launchPath.fill(u'x');
    apply(kF1, request);
    EXPECT_EQ(recordOf(kF1).launchPath[254], u'x');
    EXPECT_EQ(recordOf(kF1).launchPath[255], u'\0');
}

TEST_F(ApplyAssignmentTest, RestoreDefaultUsesTheKeyNameTableCode) {
    apply(kBackslash, keys(AssignmentType::SingleKey, {'A'}));
    apply(kBackslash, ofType(AssignmentType::SingleKey, AssignmentRequest::kRestoreDefault));
    EXPECT_EQ(entryOf(kBackslash), (KeyEntry{0, 0, 0x32, 0}));  // not the factory 0x31
    EXPECT_EQ(recordOf(kBackslash).count, 0);
    EXPECT_EQ(markOf(kBackslash), 0);

    apply(kRightOfRightAlt, ofType(AssignmentType::Macro, AssignmentRequest::kRestoreDefault));
    EXPECT_EQ(entryOf(kRightOfRightAlt), (KeyEntry{0, 0, 0x65, 0}));
}

TEST_F(ApplyAssignmentTest, DisableClearsTheKey) {
    apply(kA, keys(AssignmentType::Combination, {0xA2, 'C'}));
    apply(kA, ofType(AssignmentType::Disable, 1));
    EXPECT_EQ(entryOf(kA), KeyEntry{});
    EXPECT_EQ(recordOf(kA).type, 0);
    EXPECT_EQ(recordOf(kA).count, 0);
    EXPECT_EQ(recordOf(kA).data[0], 0);
    // Shown as changed at once, as reading the keyboard back would show it.
    EXPECT_EQ(markOf(kA), 1);
    apply(kRightOfRightAlt, ofType(AssignmentType::Disable, 1));
    EXPECT_EQ(markOf(kRightOfRightAlt), 0);  // it has no factory code to differ from
}

TEST_F(ApplyAssignmentTest, NothingChosenChangesNothingButStillSaves) {
    const DeviceSettings before = settings;
    const KeyAssignment recordBefore = recordOf(kA);
    apply(kA, ofType(AssignmentType::NothingChosen, 1));
    EXPECT_EQ(settings, before);
    EXPECT_EQ(recordOf(kA), recordBefore);
    EXPECT_TRUE(std::filesystem::exists(workspace.keymapFile));
}

TEST_F(ApplyAssignmentTest, EveryApplySavesTheWholeKeymap) {
    apply(kA, keys(AssignmentType::SingleKey, {0xAF}));
    const auto bytes = readFileBytes(workspace.keymapFile, kKeymapFileSize + 10);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), kKeymapFileSize);
    DeviceSettings loaded;
    auto table = std::make_unique<AssignmentTable>();
    loadKeymapBytes(*bytes, false, loaded, *table);
    EXPECT_EQ(loaded, settings);
    EXPECT_EQ(*table, *assignments.table);
}

}  // namespace
}  // namespace tq260
