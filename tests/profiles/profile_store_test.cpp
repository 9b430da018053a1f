// The profile store on a real folder: names, files and their exact bytes, and every
// failure said rather than skipped.
#include "profiles/profile_store.h"

#include <gmock/gmock.h>
#ifdef __unix__
#include <sys/stat.h>
#endif

#include <cstring>
#include <functional>

#include "keys/factory_key_map.h"
#include "keys/keymap_file.h"
#include "platform/atomic_file.h"
#include "support/normal_user.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::TemporaryFolder;
using testing::writeRawFile;
using Result = ProfileStore::Result;

std::uintmax_t sizeOf(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::file_size(file, error);
}

class ProfileStoreTest : public ::testing::Test {
  protected:
    ProfileStoreTest() {
        settings.keyTable = FactoryKeyMap;
        setAssignmentIdentities(*assignments);
        settings.lighting.effect = 3;
        settings.lighting.brightness = 40;
        settings.responseTime = 1;
        (*assignments)[10].type = 7;
    }
    std::filesystem::path folder() const { return temporary.path() / "Configure"; }
    void openStore() { ASSERT_EQ(store.open(folder()).result, Result::Done); }
    void touch(const std::string& name, std::size_t bytes = 0) {
        writeRawFile(folder() / name, std::vector<std::uint8_t>(bytes, 0x11));
    }
    std::vector<std::uint8_t> bytesOf(const std::filesystem::path& file) const {
        return readFileBytes(file, 1'000'000).value_or(std::vector<std::uint8_t>{});
    }
    std::vector<std::uint8_t> liveImage() const {
        std::vector<std::uint8_t> image(kKeymapFileSize);
        std::memcpy(image.data(), &settings, sizeof settings);
        std::memcpy(image.data() + sizeof settings, assignments->data(), sizeof(AssignmentTable));
        return image;
    }

    TemporaryFolder temporary;
    ProfileStore store;
    DeviceSettings settings;
    std::unique_ptr<AssignmentTable> assignments = std::make_unique<AssignmentTable>();
    RecordMutex lock;
    LiveConfiguration live{settings, *assignments, lock};
};

TEST_F(ProfileStoreTest, AMissingFolderIsMadeAndNewWorksInIt) {
    openStore();
    EXPECT_TRUE(std::filesystem::is_directory(folder()));
    EXPECT_TRUE(store.names().empty());
    EXPECT_EQ(store.create().result, Result::Done);
    EXPECT_THAT(store.names(), ElementsAre(u"Profile_1"));
    EXPECT_EQ(bytesOf(folder() / "Profile_1.bin"), std::vector<std::uint8_t>(2412, 0));
}

TEST_F(ProfileStoreTest, SevenFilesShowSixAndRefuseNew) {
    std::filesystem::create_directories(folder());
    for (const char* name : {"g", "b", "e", "a", "f", "c", "d"}) touch(std::string(name) + ".bin");
    touch("notes.txt");
    std::filesystem::create_directories(folder() / "old.bin");
    openStore();
    EXPECT_EQ(store.names().size(), 6U);
    EXPECT_EQ(store.found(), 7U);
    EXPECT_TRUE(std::is_sorted(store.names().begin(), store.names().end()));
    EXPECT_EQ(store.create().result, Result::Full);
    EXPECT_EQ(store.copy(0, Language::English).result, Result::Ignored);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 9);
}

TEST_F(ProfileStoreTest, ARenameNeverReplacesAFileBeyondTheSixShown) {
    std::filesystem::create_directories(folder());
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g"})
        touch(std::string(name) + ".bin", 5);
    openStore();
    std::u16string unlisted;
    for (const char16_t name : std::u16string(u"abcdefg")) {
        if (!store.rowOf(std::u16string(1, name))) unlisted = std::u16string(1, name);
    }
    ASSERT_EQ(unlisted.size(), 1U);
    const std::uint8_t row = unlisted == u"a" ? 1 : 0;
    EXPECT_EQ(store.rename(row, unlisted).result, Result::NameTaken);
    EXPECT_EQ(sizeOf(folder() / std::filesystem::path(unlisted + u".bin")), 5U);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 7);
}

TEST_F(ProfileStoreTest, NamesLeadBackToTheirFilesAndDefaultNamesFillGaps) {
    std::filesystem::create_directories(folder());
    touch("a.bin.bin");
    touch("Profile_1.bin");
    touch("Profile_3.bin");
    openStore();
    // The name leads back to the file that was found.
    EXPECT_THAT(store.names(), ElementsAre(u"Profile_1", u"Profile_3", u"a.bin"));
    EXPECT_EQ(store.pathOf(2), folder() / "a.bin.bin");
    EXPECT_EQ(store.rename(2, u"my.bin.old").result, Result::Done);
    EXPECT_THAT(store.names(), ElementsAre(u"Profile_1", u"Profile_3", u"my.bin.old"));
    EXPECT_EQ(store.remove(2).result, Result::Done);
    EXPECT_FALSE(std::filesystem::exists(folder() / "my.bin.old.bin"));
    EXPECT_EQ(ProfileStore::defaultName(store.names()), u"Profile_2");
    EXPECT_EQ(ProfileStore::defaultName({u"Profile_1", u"Profile_2", u"Profile_3", u"Profile_4",
                                         u"Profile_5", u"Profile_6", u"Profile_7", u"Profile_8",
                                         u"Profile_9"}),
              u"Profile010");
}

TEST_F(ProfileStoreTest, CopyNamesInBothLanguages) {
    EXPECT_EQ(ProfileStore::copyName(u"Arena", {u"Arena"}, Language::English), u"Copy of Arena");
    EXPECT_EQ(ProfileStore::copyName(u"Arena", {u"Arena", u"Copy of Arena"}, Language::English),
              u"Copy of Arena 1");
    EXPECT_EQ(ProfileStore::copyName(u"Arena", {u"Arena"}, Language::Chinese), u"复制 Arena");
    // The longest names are cut, within a character, to a name a save can write.
    const std::u16string longest(ProfileStore::kLongestNameBytes / 3, u'游');
    const std::u16string blankAt =
        std::u16string(ProfileStore::kLongestNameBytes - 9, u'a') + u" b";
    std::u16string pairs;
    for (int i = 0; i < 49; ++i) pairs += u"\U0001F3AE";
    for (const std::u16string& source : {longest, blankAt, pairs}) {
        for (const Language language : {Language::English, Language::Chinese}) {
            const std::u16string first = ProfileStore::copyName(source, {source}, language);
            const std::u16string second = ProfileStore::copyName(source, {source, first}, language);
            EXPECT_TRUE(ProfileStore::isAcceptableName(first)) << first.size();
            EXPECT_TRUE(ProfileStore::isAcceptableName(second)) << second.size();
            EXPECT_NE(first, second);
            EXPECT_FALSE(first.back() >= 0xD800 && first.back() <= 0xDBFF) << "half a pair";
        }
    }
}

TEST_F(ProfileStoreTest, CopyingANewProfileGivesAWholeFileWithAnEmptySecondBlock) {
    openStore();
    store.create();
    ASSERT_EQ(store.copy(0, Language::English).result, Result::Done);
    EXPECT_THAT(store.names(), ElementsAre(u"Copy of Profile_1", u"Profile_1"));
    EXPECT_EQ(bytesOf(folder() / "Copy of Profile_1.bin"), std::vector<std::uint8_t>(199272, 0));
}

TEST_F(ProfileStoreTest, SaveWritesTheLiveConfigurationAndAnExportCopiesIt) {
    openStore();
    store.create();
    const std::filesystem::path exported = temporary.path() / "arena export.bin";
    EXPECT_EQ(store.exportTo(0, exported).result, Result::Empty);
    ASSERT_EQ(store.save(0, live).result, Result::Done);
    ASSERT_EQ(store.exportTo(0, exported).result, Result::Done);
    EXPECT_EQ(bytesOf(folder() / "Profile_1.bin"), liveImage());
    EXPECT_EQ(bytesOf(exported), liveImage());
    // A copy of a saved profile is the same bytes.
    store.copy(0, Language::English);
    EXPECT_EQ(bytesOf(folder() / "Copy of Profile_1.bin"), liveImage());
}

TEST_F(ProfileStoreTest, LoadTakesTheFileIntoTheLiveConfigurationAndTheProfile) {
    openStore();
    store.create();
    const std::vector<std::uint8_t> saved = liveImage();
    const std::filesystem::path file = temporary.path() / "saved.bin";
    writeRawFile(file, saved);
    settings.lighting.brightness = 3;
    (*assignments)[10].type = 0;
    ASSERT_EQ(store.load(0, file, live).result, Result::Done);
    EXPECT_EQ(settings.lighting.brightness, 40);
    EXPECT_EQ((*assignments)[10].type, 7);
    EXPECT_EQ(bytesOf(folder() / "Profile_1.bin"), saved);

    // A short file: what it does not reach keeps its content.
    std::vector<std::uint8_t> shortFile(saved.begin(), saved.begin() + 2412);
    shortFile[offsetof(DeviceSettings, lighting) + offsetof(LightingSettings, brightness)] = 9;
    writeRawFile(file, shortFile);
    (*assignments)[10].type = 5;
    ASSERT_EQ(store.load(0, file, live).result, Result::Done);
    EXPECT_EQ(settings.lighting.brightness, 9);
    EXPECT_EQ((*assignments)[10].type, 5);
}

TEST_F(ProfileStoreTest, AnEmptyProfileIsNeverLoaded) {
    openStore();
    store.create();
    const DeviceSettings before = settings;
    EXPECT_EQ(store.load(0, folder() / "Profile_1.bin", live).result, Result::Empty);
    writeRawFile(temporary.path() / "nothing.bin", {});
    EXPECT_EQ(store.load(0, temporary.path() / "nothing.bin", live).result, Result::Empty);
    EXPECT_EQ(settings, before);
    EXPECT_EQ(sizeOf(folder() / "Profile_1.bin"), 2412U);
}

TEST_F(ProfileStoreTest, LoadWithoutAFileChangesNothing) {
    openStore();
    store.create();
    const DeviceSettings before = settings;
    EXPECT_EQ(store.load(0, std::nullopt, live).result, Result::Ignored);
    EXPECT_EQ(settings, before);
    EXPECT_EQ(bytesOf(folder() / "Profile_1.bin"), std::vector<std::uint8_t>(2412, 0));
    EXPECT_EQ(store.load(0, temporary.path() / "missing.bin", live).result, Result::ReadFailed);
}

// A name with Chinese characters and spaces is a file of that name, saved and loaded as any.
TEST_F(ProfileStoreTest, AChineseNameWithSpacesIsAFileOfThatName) {
    openStore();
    store.create();
    const auto renamed = store.rename(0, u"竞技 场 一");
    ASSERT_EQ(renamed.result, Result::Done);
    EXPECT_EQ(renamed.file, folder() / std::filesystem::path(u"竞技 场 一.bin"));
    EXPECT_THAT(store.names(), ElementsAre(u"竞技 场 一"));
    settings.lighting.brightness = 33;
    ASSERT_EQ(store.save(0, live).result, Result::Done);
    settings.lighting.brightness = 0;
    ASSERT_EQ(store.load(0, renamed.file, live).result, Result::Done);
    EXPECT_EQ(settings.lighting.brightness, 33);
}

TEST_F(ProfileStoreTest, RenamesStayInTheFolder) {
    openStore();
    store.create();
    store.create();
    const auto renamed = store.rename(0, u"Arena.bin");  // no second ".bin"
    ASSERT_EQ(renamed.result, Result::Done);
    EXPECT_EQ(renamed.file, folder() / "Arena.bin");
    EXPECT_THAT(store.names(), ElementsAre(u"Arena", u"Profile_2"));
    EXPECT_TRUE(std::filesystem::exists(folder() / "Arena.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder() / "Profile_1.bin"));
    EXPECT_EQ(store.rename(0, u"Profile_2").result, Result::NameTaken);
    EXPECT_EQ(store.rename(0, u"Arena").result, Result::NameTaken);
    for (const std::u16string_view bad :
         {std::u16string_view(u"../Arena"), std::u16string_view(u".."), std::u16string_view(u"a/b"),
          std::u16string_view(u"a\\b"), std::u16string_view(u"a:b"), std::u16string_view(u"a?"),
          std::u16string_view(u"   "), std::u16string_view(u""), std::u16string_view(u"con"),
          std::u16string_view(u"a\0b", 3), std::u16string_view(u"trailing.")}) {
        EXPECT_EQ(store.rename(0, bad).result, Result::BadName)
            << std::string(bad.begin(), bad.end());
    }
    EXPECT_THAT(store.names(), ElementsAre(u"Arena", u"Profile_2"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 2);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temporary.path()), {}), 1);
    EXPECT_EQ(store.rename(0, u"竞技 场").result, Result::Done);
    EXPECT_TRUE(std::filesystem::exists(folder() / std::filesystem::path(u"竞技 场.bin")));
}

TEST_F(ProfileStoreTest, DeleteKeepsOneAndAGoneFileCountsAsDeleted) {
    openStore();
    store.create();
    EXPECT_EQ(store.remove(0).result, Result::KeepOne);
    store.create();
    std::filesystem::remove(folder() / "Profile_1.bin");  // gone behind the list's back
    EXPECT_EQ(store.remove(0).result, Result::Done);
    EXPECT_THAT(store.names(), ElementsAre(u"Profile_2"));
}

// Failures as a normal user meets them. Root writes into read-only folders, so as root this
// is skipped; the test script runs every "AsANormalUser" case again as a normal user.
TEST_F(ProfileStoreTest, FailedWritesAreReportedWithTheirFileAsANormalUser) {
    if (!testing::permissionsStopThisProcess())
        GTEST_SKIP() << "root writes into read-only folders";
    openStore();
    store.create();
    store.create();
    std::filesystem::permissions(
        folder(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const auto outcome = store.save(0, live);
    EXPECT_EQ(outcome.result, Result::WriteFailed);
    EXPECT_EQ(outcome.file, folder() / "Profile_1.bin");
    EXPECT_EQ(store.create().result, Result::WriteFailed);
    EXPECT_EQ(store.copy(0, Language::English).result, Result::WriteFailed);
    EXPECT_EQ(store.rename(0, u"Arena").result, Result::RenameFailed);
    EXPECT_EQ(store.remove(0).result, Result::DeleteFailed);
    EXPECT_THAT(store.names(), ElementsAre(u"Profile_1", u"Profile_2"));
    std::filesystem::permissions(folder(), std::filesystem::perms::owner_all);
}

TEST_F(ProfileStoreTest, AFolderThatCannotBeMadeIsReported) {
    writeRawFile(folder(), {1});  // a file where the folder should be
    const auto outcome = store.open(folder());
    EXPECT_EQ(outcome.result, Result::WriteFailed);
    EXPECT_EQ(outcome.file, folder());
    EXPECT_TRUE(store.names().empty());
    EXPECT_EQ(store.create().result, Result::WriteFailed);
}

}  // namespace
}  // namespace tq260

namespace tq260 {
namespace {

class ActiveProfile : public ProfileStoreTest {
  protected:
    void openWithActive() { ASSERT_EQ(store.openIn(temporary.path()).result, Result::Done); }
    std::filesystem::path activeFile() const { return temporary.path() / "active-profile.txt"; }
};

// The active profile is a name in a file beside the folder: read by any store opened later,
// kept in step by renames and deletes, and never a name that is not there.
TEST_F(ActiveProfile, IsRememberedAndFollowsRenamesAndDeletes) {
    openWithActive();
    ASSERT_EQ(store.saveAs(u"游戏 Game", live).result, Result::Done);
    ASSERT_EQ(store.saveAs(u"Desk", live).result, Result::Done);
    ASSERT_EQ(store.setActive(u"游戏 Game").result, Result::Done);
    EXPECT_EQ(bytesOf(activeFile()), std::vector<std::uint8_t>({0xE6, 0xB8, 0xB8, 0xE6, 0x88, 0x8F,
                                                                ' ', 'G', 'a', 'm', 'e', '\n'}));
    ProfileStore later;
    later.openIn(temporary.path());
    EXPECT_EQ(later.activeRow(), later.rowOf(u"游戏 Game"));

    // Renaming another profile changes nothing; renaming the active one carries the mark.
    ASSERT_EQ(later.rename(*later.rowOf(u"Desk"), u"Work").result, Result::Done);
    EXPECT_EQ(later.activeName(), u"游戏 Game");
    ASSERT_EQ(later.rename(*later.rowOf(u"游戏 Game"), u"Arena.bin").result, Result::Done);
    store.reload();
    EXPECT_EQ(store.activeName(), u"Arena");
    ASSERT_EQ(store.remove(*store.rowOf(u"Arena")).result, Result::Done);
    EXPECT_EQ(store.activeRow(), std::nullopt);
    EXPECT_EQ(sizeOf(activeFile()), 0U);

    // A file that names nothing listed, or is not a name at all, marks no row.
    for (const std::vector<std::uint8_t>& content :
         {std::vector<std::uint8_t>{'G', 'o', 'n', 'e', '\n'},
          std::vector<std::uint8_t>{0xFF, 0xFE}, std::vector<std::uint8_t>(5000, 'W')}) {
        writeRawFile(activeFile(), content);
        store.reload();
        EXPECT_EQ(store.activeRow(), std::nullopt);
    }
    writeRawFile(activeFile(), {'W', 'o', 'r', 'k', '\r', '\n'});
    store.reload();
    EXPECT_EQ(store.activeRow(), store.rowOf(u"Work"));
}

// What the keyboard was last given is known in memory: a file that cannot take it (read-only,
// a pipe) is never written over, and only another program replacing the file changes it.
TEST_F(ActiveProfile, IsKeptInMemoryWhenItsFileCannotTakeItAsANormalUser) {
    if (!testing::permissionsStopThisProcess()) GTEST_SKIP() << "root writes anywhere";
    const std::function<void(const std::filesystem::path&)> blocks[] = {
        [](const std::filesystem::path& file) {
            std::filesystem::permissions(file, std::filesystem::perms::owner_read);
        },
#ifdef __unix__
        [](const std::filesystem::path& file) {
            std::filesystem::remove(file);
            ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
        },
#endif
    };
    for (std::size_t i = 0; i < std::size(blocks); ++i) {
        openWithActive();
        ASSERT_EQ(store.setActive(u"Desk").result, Result::Done);
        blocks[i](activeFile());
        openWithActive();
        const auto before = fileStamp(activeFile());
        EXPECT_EQ(store.setActive(u"Game").result, Result::WriteFailed) << i;
        store.reload();
        EXPECT_EQ(store.activeName(), u"Game") << i;
        EXPECT_EQ(fileStamp(activeFile()), before) << i;
        // Another program replaces it: that is what the keyboard was given since.
        std::filesystem::remove(activeFile());
        writeRawFile(activeFile(), {'W', 'o', 'r', 'k', '\n'});
        store.reload();
        EXPECT_EQ(store.activeName(), u"Work") << i;
    }
    // What this store wrote last is not news from another program, nor is opening it again.
    ASSERT_EQ(store.setActive(u"Desk").result, Result::Done);
    blocks[0](activeFile());
    EXPECT_EQ(store.setActive(u"Game").result, Result::WriteFailed);
    openWithActive();
    EXPECT_EQ(store.activeName(), u"Game");
}

TEST_F(ActiveProfile, UseLaysTheProfileOverTheLiveConfigurationAndRefusesAnEmptyOne) {
    openWithActive();
    ASSERT_EQ(store.saveAs(u"Game", live).result, Result::Done);
    const std::vector<std::uint8_t> game = bytesOf(folder() / "Game.bin");
    settings.lighting.brightness = 7;
    (*assignments)[10].type = 0;
    EXPECT_EQ(store.rowHolding(live), std::nullopt);
    ASSERT_EQ(store.use(*store.rowOf(u"Game"), live).result, Result::Done);
    EXPECT_EQ(liveImage(), game);
    EXPECT_EQ(bytesOf(folder() / "Game.bin"), game);  // the profile stays as it was
    EXPECT_EQ(store.rowHolding(live), store.rowOf(u"Game"));
    // Every full read turns game mode on: on where the profile has it off still holds it.
    struct GameMode {
        std::uint8_t inProfile;
        std::uint8_t live;
        bool held;
    };
    for (const GameMode row : {GameMode{0, 1, true}, GameMode{1, 0, false}}) {
        std::vector<std::uint8_t> changed = game;
        changed[offsetof(DeviceSettings, gameMode)] = row.inProfile;
        writeRawFile(folder() / "Game.bin", changed);
        settings.gameMode = row.live;
        EXPECT_EQ(store.rowHolding(live).has_value(), row.held) << int(row.inProfile);
    }
    writeRawFile(folder() / "Game.bin", game);
    settings.gameMode = game[offsetof(DeviceSettings, gameMode)];

    // A profile of the settings only is held by any live configuration with those settings;
    // one of nothing is never used nor held.
    writeRawFile(folder() / "Short.bin",
                 std::vector<std::uint8_t>(game.begin(), game.begin() + 2412));
    writeRawFile(folder() / "Nothing.bin", std::vector<std::uint8_t>(2412, 0));
    store.reload();
    (*assignments)[10].type = 3;
    EXPECT_EQ(store.rowHolding(live), store.rowOf(u"Short"));
    const auto before = liveImage();
    EXPECT_EQ(store.use(*store.rowOf(u"Nothing"), live).result, Result::Empty);
    EXPECT_EQ(liveImage(), before);
}

TEST_F(ActiveProfile, SaveAsMakesAMissingProfileWithinTheRules) {
    openWithActive();
    struct Case {
        std::u16string name;
        Result result;
    };
    for (int i = 1; i <= 5; ++i) touch("P" + std::to_string(i) + ".bin", 2412);
    store.reload();
    const Case cases[] = {
        {u"a:b", Result::BadName},
        {u"P1", Result::Done},    // there already: replaced
        {u"竞技", Result::Done},  // the sixth
        {u"Seventh", Result::Full},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(store.saveAs(c.name, live).result, c.result) << "case " << &c - cases;
    }
    EXPECT_EQ(bytesOf(folder() / "P1.bin"), liveImage());
    EXPECT_EQ(bytesOf(folder() / std::filesystem::path(u"竞技.bin")), liveImage());
    EXPECT_FALSE(std::filesystem::exists(folder() / "Seventh.bin"));
    // Something of that name that is not a listed profile is never replaced.
    std::filesystem::remove(folder() / "P2.bin");
    std::filesystem::create_directory(folder() / "Dir.bin");
    EXPECT_EQ(store.saveAs(u"Dir", live).result, Result::NameTaken);
    EXPECT_TRUE(std::filesystem::is_directory(folder() / "Dir.bin"));
}

}  // namespace
}  // namespace tq260
