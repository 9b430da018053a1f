// A profile used from the window: sent as Save sends, remembered, shown, offered in the
// notification area's menu, and never at the cost of a configuration kept nowhere.
#include <gmock/gmock.h>

#include <QAction>

#include "app/bus_requests.h"
#include "config/config_reader.h"
#include "keys/keymap_file.h"
#include "support/temporary_folder.h"
#include "window_fixture.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;

class ProfileUse : public testing::MainWindowTest {
  protected:
    std::filesystem::path profileFile(const std::u16string& name) const {
        return std::filesystem::path(folder.filePath("Configure").toStdU16String()) /
               std::filesystem::path(name + u".bin");
    }
    // A profile of what the window holds now, changed by change.
    void writeProfile(const std::u16string& name,
                      const std::function<void(DeviceSettings&)>& change = {}) {
        DeviceSettings settings = record();
        if (change) change(settings);
        std::filesystem::create_directories(profileFile(name).parent_path());
        ASSERT_TRUE(saveKeymapFile(profileFile(name), settings, *state.assignments.table));
    }
    void use(const std::u16string& name) {
        keyboard.wireLog().clear();
        window->useProfile(name);
        // Named while it is sent, not the profile before it "(changed)".
        if (window->keyboardBusy()) {
            EXPECT_EQ(window->profileLine().toStdU16String(), u"Profile: " + name);
            ++namedWhileSent;
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
        QCoreApplication::processEvents();
    }
    // The menu's profile rows as it opens: name, "*" when ticked, "-" when it cannot be chosen.
    std::vector<QString> trayRows() {
        QMenu& menu = window->trayIcon().menu();
        Q_EMIT menu.aboutToShow();
        std::vector<QString> rows;
        for (const QAction* action : window->trayIcon().profilesMenu().actions()) {
            rows.push_back(action->text() + (action->isChecked() ? " *" : "") +
                           (action->isEnabled() ? "" : " -"));
        }
        return rows;
    }
    int namedWhileSent = 0;
    void editReportRate() {
        std::lock_guard lock(state.keyboard.recordMutex);
        state.keyboard.settings.reportRate ^= 1;
    }
};

// Game is what the keyboard holds; Desk differs in one key and the lighting.
TEST_F(ProfileUse, SendsOnlyWhatDiffersIsShownAndRememberedAcrossARestart) {
    start();
    writeProfile(u"Game");
    writeProfile(u"Desk", [](DeviceSettings& s) {
        s.keyTable[64] = {3, 0, 0xE9, 0};
        s.lighting.effect = 6;
        s.lighting.brightness = 20;  // the slider follows without a write of its own
    });
    use(u"Game");
    EXPECT_THAT(commandsSent(), ElementsAre(0x08, 0x01, 0x04, 0x02));
    EXPECT_EQ(window->profileLine(), "Profile: Game");
    use(u"Desk");
    EXPECT_THAT(commandsSent(), ElementsAre(0x08, 0x0C, 0x0D, 0x01, 0x04, 0x02));
    EXPECT_EQ(keyboard.memory().keyBlocks[1][2], 0xE9);
    EXPECT_EQ(keyboard.memory().lighting[0], 6);
    EXPECT_EQ(window->brightnessSlider()->value(), 20);
    EXPECT_EQ(window->profileLine(), "Profile: Desk");
    EXPECT_THAT(trayRows(), ElementsAre("Desk *", "Game"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(namedWhileSent, 2);

    editReportRate();
    EXPECT_EQ(window->profileLine(), "Profile: Desk (changed)");
    editReportRate();
    restart();
    EXPECT_EQ(window->profileLine(), "Profile: Desk");
    EXPECT_THAT(trayRows(), ElementsAre("Desk *", "Game"));
}

// keymap.bin holds what the keyboard is about to be given before anything is sent: a kill
// once the keyboard has a combination's or a launch's code loses neither. A use and the bus's
// Apply, each checked before the send can end (it ends on this thread).
TEST_F(ProfileUse, AssignmentsAreKeptBeforeTheKeyboardIsGivenThem) {
    start();
    const ConfigReading reading = readConfiguration(
        R"({"format": 1, "keys": {"Caps": {"combination": ["LShift", "A"]},
            "F3": {"launch": "/home/ann/Music", "kind": "folder"}}})",
        ValueRange::Keyboard);
    ASSERT_TRUE(reading.request);
    const auto kept = [&](std::size_t key) {
        DeviceSettings image;
        auto table = std::make_unique<AssignmentTable>();
        EXPECT_EQ(
            LoadKeymapFile(folder.filePath("keymap.bin").toStdU16String(), false, image, *table),
            DataFileLoad::Read);
        return (*table)[key];
    };
    const std::size_t caps = *pictureKeyNamed("Caps", state.keyNames);
    const std::size_t f3 = *pictureKeyNamed("F3", state.keyNames);
    writeProfile(u"Plain");
    ASSERT_FALSE(window->applyRequest(*reading.request, false, {}).empty());
    EXPECT_EQ(kept(caps).type, static_cast<std::uint8_t>(AssignmentType::Combination));
    EXPECT_EQ(kept(f3).type, static_cast<std::uint8_t>(AssignmentType::OpenFolder));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
    const KeyAssignment combination = kept(caps);
    writeProfile(u"Combined");
    use(u"Plain");
    ASSERT_EQ(kept(caps).type, static_cast<std::uint8_t>(AssignmentType::SingleKey));
    window->useProfile(u"Combined");
    EXPECT_EQ(kept(caps), combination);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
}

// A configuration that no profile holds is never replaced unasked: kept in the active
// profile, discarded, or left as it is.
TEST_F(ProfileUse, AConfigurationInNoProfileIsAskedAbout) {
    start();
    writeProfile(u"Game");
    writeProfile(u"Desk", [](DeviceSettings& s) { s.lighting.effect = 6; });
    use(u"Game");
    struct Case {
        std::size_t choice;
        bool used;
        bool keptInGame;
    };
    for (const Case c : {Case{2, false, false}, Case{1, true, false}, Case{0, true, true}}) {
        editReportRate();
        const std::uint8_t edited = record().reportRate;
        messages.choices = {c.choice};
        use(u"Desk");
        EXPECT_THAT(messages.offered.back(),
                    ElementsAre(u"Keep it in \"Game\"", u"Discard it", u"Cancel"));
        EXPECT_EQ(messages.shown.back(),
                  u"The keyboard's configuration is not saved in any profile, and using \"Desk\" "
                  u"replaces it. | Profile");
        EXPECT_EQ(commandsSent().empty(), !c.used) << c.choice;
        EXPECT_EQ(window->profileLine(), c.used ? "Profile: Desk" : "Profile: Game (changed)");
        const auto game = readFileBytes(profileFile(u"Game"), kKeymapFileSize);
        ASSERT_TRUE(game);
        EXPECT_EQ((*game)[offsetof(DeviceSettings, reportRate)] == edited, c.keptInGame);
        if (!c.used) editReportRate();  // as it was
        use(u"Game");
        // Game as it is on disk now, kept edit included.
        EXPECT_EQ(window->profileLine(), "Profile: Game") << c.choice;
    }
    // With no profile active, it is kept in a new one.
    ASSERT_EQ(state.profiles.setActive({}).result, ProfileStore::Result::Done);
    editReportRate();
    messages.choices = {0};
    use(u"Desk");
    EXPECT_THAT(messages.offered.back(),
                ElementsAre(u"Keep it in a new profile \"Profile_1\"", u"Discard it", u"Cancel"));
    EXPECT_EQ(window->profileLine(), "Profile: Desk");
    EXPECT_THAT(trayRows(), ElementsAre("Desk *", "Game", "Profile_1"));
}

// Game mode on over a profile without it is what a read makes, lost by nobody; turned on in
// the window it is an edit, which a Use asks about.
TEST_F(ProfileUse, GameModeTurnedOnInTheWindowIsAnEditAUseAsksAbout) {
    start();
    writeProfile(u"Quiet", [](DeviceSettings& s) { s.gameMode = 0; });
    writeProfile(u"Desk", [](DeviceSettings& s) { s.lighting.effect = 6; });
    messages.choices = {1};
    use(u"Quiet");
    ASSERT_EQ(keyboard.memory().gameMode, 0);
    const std::size_t asked = messages.offered.size();
    {
        std::lock_guard lock(state.keyboard.recordMutex);
        state.keyboard.settings.gameMode = 1;
    }
    EXPECT_EQ(window->profileLine(), "Profile: Quiet (changed)");
    messages.choices = {2};  // cancelled
    use(u"Desk");
    EXPECT_EQ(messages.offered.size(), asked + 1);
    EXPECT_TRUE(commandsSent().empty());
}

TEST_F(ProfileUse, WhatCannotBeUsedIsSaidAndNothingIsSent) {
    start();
    writeProfile(u"Game");
    std::filesystem::create_directories(profileFile(u"New").parent_path());
    testing::writeRawFile(profileFile(u"New"), std::vector<std::uint8_t>(2412, 0));
    // Refused before the question about a configuration kept nowhere: a keep would be for
    // nothing.
    editReportRate();
    use(u"New");
    EXPECT_TRUE(messages.offered.empty());
    editReportRate();
    use(u"Gone");
    EXPECT_TRUE(commandsSent().empty());
    ASSERT_EQ(messages.warnings.size(), 2U);
    EXPECT_TRUE(messages.warnings[0].starts_with(
        u"This profile is empty: it holds no keyboard settings yet"));
    EXPECT_EQ(messages.warnings[1], u"There is no profile named \"Gone\" any more. | Profile");
    EXPECT_EQ(window->profileLine(), "");
}

// A damaged profile, used from the window or through the bus, is said (which value, or its
// size), sends nothing and leaves the active profile as it was.
TEST_F(ProfileUse, ADamagedProfileIsSaidAndNeitherSentNorMadeActive) {
    start();
    writeProfile(u"Game");
    use(u"Game");
    ASSERT_EQ(state.profiles.activeName(), u"Game");
    BusRequests requests(state, timers);
    requests.attach(*window);
    struct Row {
        std::uintmax_t size;
        std::function<void(DeviceSettings&)> change;
        const char16_t* said;
        const char* answered;
    };
    const Row rows[] = {
        {1500, {}, u"It is 1500 bytes; a profile's file is 199272 bytes", "is 1500 bytes"},
        {std::uintmax_t{1} << 30, {}, u"It is 1073741824 bytes", "is 1073741824 bytes"},
        {kKeymapFileSize, [](DeviceSettings& s) { s.reportRate = 0x9c; },
         u"USB Report Rate: 156 is not one of the four rates (125, 250, 500 and 1000 Hz).",
         "/reportRate: 156 is outside 0..3"},
        {kKeymapFileSize, [](DeviceSettings& s) { s.responseTime = 0; },
         u"Response Time: 0 ms; the keyboard takes 2 to 20 ms.",
         "/responseTimeMs: 0 is outside 2..20"},
    };
    const KeyboardMemory before = keyboard.memory();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answered);
        writeProfile(u"Bad", row.change);
        std::filesystem::resize_file(profileFile(u"Bad"), row.size);
        messages.warnings.clear();
        use(u"Bad");
        ASSERT_EQ(messages.warnings.size(), 1U);
        EXPECT_TRUE(messages.warnings[0].starts_with(
            u"This profile's file is damaged, so nothing was loaded:\n" +
            profileFile(u"Bad").u16string() + u"\n" + row.said))
            << QString::fromStdU16String(messages.warnings[0]).toStdString();
        std::optional<BusAnswer> answer;
        requests.useProfile("Bad", Unkept::Discard, [&](BusAnswer a) { answer = std::move(a); });
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(answer->error, bus::Error::BadProfile);
        EXPECT_THAT(answer->message, ::testing::HasSubstr(row.answered));
        EXPECT_FALSE(window->keyboardBusy());
        EXPECT_TRUE(commandsSent().empty());
        EXPECT_EQ(keyboard.memory(), before);
        EXPECT_EQ(state.profiles.activeName(), u"Game");
        EXPECT_EQ(window->profileLine(), "Profile: Game");
    }
    // Refused before anything is kept for it: Game, no longer what the keyboard holds, is not
    // written over for a use that cannot be.
    writeProfile(u"Game", [](DeviceSettings& s) { s.lighting.brightness ^= 1; });
    const auto game = readFileBytes(profileFile(u"Game"), kKeymapFileSize);
    std::optional<BusAnswer> answer;
    requests.useProfile("Bad", Unkept::Keep, [&](BusAnswer a) { answer = std::move(a); });
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->error, bus::Error::BadProfile);
    EXPECT_EQ(readFileBytes(profileFile(u"Game"), kKeymapFileSize), game);
}

TEST_F(ProfileUse, WithoutAKeyboardNothingIsLoaded) {
    keyboard.unplug();
    start();
    writeProfile(u"Game", [](DeviceSettings& s) { s.lighting.effect = 6; });
    use(u"Game");
    EXPECT_THAT(messages.warnings,
                ElementsAre(u"No keyboard is connected, so the profile \"Game\" was not used. | "
                            u"Profile"));
    EXPECT_NE(record().lighting.effect, 6);
    EXPECT_EQ(window->profileLine(), "");
}

// The tooltip follows Cancel although the window hides; after Exit leaves the keyboard on
// Breathing, a profile with another lighting is no longer the one it holds.
TEST_F(ProfileUse, TheTooltipFollowsCancelAndTheMarkFollowsExit) {
    for (const std::uint8_t effect : {std::uint8_t{6}, std::uint8_t{1}}) {
        SCOPED_TRACE(effect);
        start();
        writeProfile(u"Game", [effect](DeviceSettings& s) { s.lighting.effect = effect; });
        messages.choices = {1};  // what the keyboard held is discarded
        use(u"Game");
        editReportRate();
        window->repaint();
        EXPECT_EQ(window->trayIcon().toolTip(), "TQ260 104vez VANTOR\nProfile: Game (changed)");
        click(890, 615);  // Cancel
        EXPECT_EQ(window->trayIcon().toolTip(), "TQ260 104vez VANTOR\nProfile: Game");
        window->exitFromTray();
        EXPECT_EQ(state.profiles.activeName(), effect == 1 ? u"Game" : u"");
        window.reset();
    }
}

// A factory reset leaves the keyboard in no profile, unless the active one is the factory
// settings.
TEST_F(ProfileUse, AFactoryResetForgetsAProfileTheKeyboardNoLongerHas) {
    start();
    writeProfile(u"Game", [](DeviceSettings& s) { s.lighting.brightness = 3; });
    messages.choices = {1};  // what the keyboard held is discarded
    use(u"Game");
    ASSERT_EQ(state.profiles.activeName(), u"Game");
    const auto reset = [&] {
        window->restoreFactory({});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
    };
    reset();
    EXPECT_EQ(state.profiles.activeName(), u"");
    EXPECT_EQ(window->profileLine(), "");
    writeProfile(u"Factory");
    use(u"Factory");
    reset();
    EXPECT_EQ(state.profiles.activeName(), u"Factory");
}

// A tiling desktop floats a window whose size is fixed instead of cutting it to a tile.
TEST_F(ProfileUse, TheWindowAsksForItsOwnSize) {
    start();
    EXPECT_EQ(window->minimumSize(), QSize(1000, 640));
    EXPECT_EQ(window->maximumSize(), QSize(1000, 640));
}

// The menu lists the profiles as they are on disk each time it opens.
TEST_F(ProfileUse, TheTrayListFollowsAddRenameAndDelete) {
    start();
    writeProfile(u"Game");
    use(u"Game");
    EXPECT_THAT(trayRows(), ElementsAre("Game *"));
    // Changed, then saved into the profile (as the dialog's Save does): still changed while
    // the keyboard lacks the edit, the profile again once the window's Save sends it.
    editReportRate();
    EXPECT_EQ(window->profileLine(), "Profile: Game (changed)");
    const LiveConfiguration live{state.keyboard.settings, *state.assignments.table,
                                 state.keyboard.recordMutex};
    ASSERT_EQ(state.profiles.save(0, live).result, ProfileStore::Result::Done);
    EXPECT_EQ(window->profileLine(), "Profile: Game (changed)");
    click(950, 615);
    EXPECT_EQ(window->profileLine(), "Profile: Game");
    ASSERT_EQ(state.profiles.create().result, ProfileStore::Result::Done);
    EXPECT_THAT(trayRows(), ElementsAre("Game *", "Profile_1 (empty) -"));
    ASSERT_EQ(state.profiles.rename(*state.profiles.rowOf(u"Game"), u"Arena & Co").result,
              ProfileStore::Result::Done);
    EXPECT_THAT(trayRows(), ElementsAre("Arena && Co *", "Profile_1 (empty) -"));
    EXPECT_EQ(window->trayIcon().toolTip(), "TQ260 104vez VANTOR\nProfile: Arena & Co");
    ASSERT_EQ(state.profiles.remove(*state.profiles.rowOf(u"Arena & Co")).result,
              ProfileStore::Result::Done);
    EXPECT_THAT(trayRows(), ElementsAre("Profile_1 (empty) -"));
    EXPECT_EQ(window->trayIcon().toolTip(), "TQ260 104vez VANTOR");
    testing::writeRawFile(profileFile(u"Broken"), std::vector<std::uint8_t>(1000, 1));
    EXPECT_THAT(trayRows(), ElementsAre("Broken (damaged) -", "Profile_1 (empty) -"));
}

}  // namespace
}  // namespace tq260
