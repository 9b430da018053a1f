// The program following the application in front, with its window: a switch never throws
// away what the window or the keyboard holds, waits for a dialog, says why it waits, and
// follows the rules file as it changes.
#include "app/front_profiles.h"

#include <gmock/gmock.h>

#include <QTimer>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "app/front_profile_notices.h"
#include "config/profile_rules_file.h"
#include "dialog_flow_fixture.h"
#include "keys/keymap_file.h"
#include "platform/i3_front_watcher.h"
#include "support/fake_i3_server.h"
#include "support/main_queues.h"
#include "support/normal_user.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

class FrontSwitch : public testing::DialogFlow {
  protected:
    void SetUp() override {
        DialogFlow::SetUp();
        services.timers = &timers;
        start();
        putProfile("Game", 3);
        // What the keyboard holds is kept in a profile: a switch loses nothing.
        putProfile("Desk", record().lighting.brightness);
        writeRules(u"Game", false);
        front = std::make_unique<FrontProfiles>(*window, state, timers);
    }
    void writeRules(const std::u16string& profile, bool notice) {
        std::string why;
        ASSERT_TRUE(writeProfileRules(state.dataFolderPath(),
                                      {true, {{"steam", "", profile}}, std::nullopt, notice}, why))
            << why;
    }
    // Long enough for any switch to settle, be sent and end.
    void settle() {
        timers.advance(3 * FrontProfileSwitcher::kSettleMs);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
        timers.advance(0);
    }
    QString notice() const { return window->windowState().notice; }

    // The window manager's time, which only the test moves: no limit runs out on a busy
    // machine. Outlives the watcher in front.
    VirtualClock windowManagerTime;
    std::unique_ptr<FrontProfiles> front;
};

// An unsaved edit, then the same edit saved to the keyboard but into no profile: the switch
// waits for each, and follows once the configuration is kept in a profile. The notice is
// off: only the wait that needs a profile is said.
TEST_F(FrontSwitch, ASwitchNeverDropsAnEditSavedOrNot) {
    {
        std::lock_guard lock(state.keyboard.recordMutex);
        state.keyboard.settings.gameMode ^= 1;
    }
    const std::uint8_t edited = record().gameMode;
    front->frontChanged({"steam", ""});
    settle();
    EXPECT_EQ(front->switches(), 0);
    EXPECT_EQ(record().gameMode, edited);
    EXPECT_EQ(notice(), "");
    click(950, 615);  // Save
    settle();
    EXPECT_EQ(front->switches(), 0);
    EXPECT_EQ(keyboard.memory().gameMode, edited);
    EXPECT_EQ(notice(),
              "\"Game\" waits: the keyboard's configuration is in no profile. Save it into a "
              "profile, or use a profile, and the switch follows.");
    ASSERT_EQ(window->saveKeyboardInProfile(u"Mine").result, ProfileStore::Result::Done);
    settle();
    EXPECT_EQ(front->switches(), 1);
    EXPECT_EQ(keyboard.memory().lighting[1], 3);
    const auto mine =
        readFileBytes(folder.filePath("Configure/Mine.bin").toStdString(), kKeymapFileSize);
    ASSERT_TRUE(mine);
    EXPECT_EQ((*mine)[offsetof(DeviceSettings, gameMode)], edited);
}

TEST_F(FrontSwitch, APendingSwitchWaitsForTheProfileDialog) {
    writeRules(u"Game", true);
    inProfiles([&](CConfigureDlg&) {
        front->frontChanged({"steam", ""});
        timers.advance(10 * FrontProfileSwitcher::kSettleMs);
        EXPECT_EQ(front->switches(), 0);
        EXPECT_EQ(notice(),
                  "\"Game\" waits: a dialog of the program is open. The switch follows once it "
                  "is closed.");
    });
    settle();
    EXPECT_EQ(front->switches(), 1);
    EXPECT_EQ(keyboard.memory().lighting[1], 3);
}

// Each new rules file applies to the application already in front; a profile it cannot use
// is said.
TEST_F(FrontSwitch, NewRulesApplyAtOnceAndAProfileThatCannotBeUsedIsSaid) {
    testing::writeRawFile(folder.filePath("Configure/Blank.bin").toStdString(),
                          std::vector<std::uint8_t>(ProfileStore::kNewProfileBytes, 0));
    struct Row {
        const char16_t* profile;
        const char* said;
    };
    writeRules(u"Gone", true);
    front->frontChanged({"steam", ""});
    for (const Row row : {Row{u"Gone", "No switch for \"steam\": there is no profile \"Gone\"."},
                          Row{u"Blank", "No switch for \"steam\": the profile \"Blank\" is empty."},
                          Row{u"Game", "Switched to the profile \"Game\"."}}) {
        writeRules(row.profile, true);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            settle();
            return notice() == row.said;
        })) << row.said;
    }
    EXPECT_EQ(front->switches(), 1);
}

// An active-profile file that cannot be written (read-only here) is said once, without a box;
// the program knows what it gave the keyboard, so each switch still follows, back included.
TEST_F(FrontSwitch, AnActiveFileThatCannotBeWrittenLeavesNoWrongProfileOnAsANormalUser) {
    if (!testing::permissionsStopThisProcess()) GTEST_SKIP() << "root writes anywhere";
    std::string why;
    ASSERT_TRUE(writeProfileRules(
        state.dataFolderPath(),
        {true, {{"steam", "", u"Game"}, {"code", "", u"Desk"}}, std::nullopt, false}, why));
    ASSERT_EQ(state.profiles.setActive(u"Desk").result, ProfileStore::Result::Done);
    const auto file = state.dataFolderPath() / ProfileStore::kActiveFileName;
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    const std::uint8_t desk = record().lighting.brightness;
    const QString failed =
        QStringLiteral(
            "The file that remembers the keyboard's profile across starts could not be written:"
            "\n%1")
            .arg(QString::fromStdString(file.string()));
    struct Step {
        const char* front;
        std::uint8_t brightness;
        const char16_t* active;
        QString said;
    };
    for (const Step& step : {Step{"steam", 3, u"Game", failed}, Step{"code", desk, u"Desk", ""}}) {
        timers.advance(60 * 1000);  // a notice shown before has gone
        front->frontChanged({step.front, ""});
        settle();
        EXPECT_EQ(keyboard.memory().lighting[1], step.brightness) << step.front;
        EXPECT_EQ(state.profiles.listedActiveName(), step.active) << step.front;
        EXPECT_EQ(notice(), step.said) << step.front;
    }
    EXPECT_EQ(front->switches(), 2);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_THAT(*readFileBytes(file, 100), ::testing::ElementsAre('D', 'e', 's', 'k', '\n'));
}

// A rule whose profile is damaged never switches to it nor marks it active, and says so once,
// not at every change of the application in front; mended, it switches.
TEST_F(FrontSwitch, ADamagedProfileIsSaidOnceAndNeverUsed) {
    const std::filesystem::path game = folder.filePath("Configure/Game.bin").toStdString();
    std::filesystem::resize_file(game, 1500);
    const std::u16string active = state.profiles.activeName();
    const QString damaged =
        "No switch for \"steam\": the profile \"Game\" is damaged. Use it from the profile "
        "list to see what is wrong.";
    int said = 0;
    for (const char* application : {"steam", "doom", "steam", "doom", "steam"}) {
        front->frontChanged({application, ""});
        settle();
        said += notice() == damaged ? 1 : 0;
        // Longer than a notice shows: one said again would show anew.
        timers.advance(6000);
    }
    EXPECT_EQ(said, 1);
    EXPECT_EQ(front->switches(), 0);
    EXPECT_EQ(state.profiles.activeName(), active);
    putProfile("Game", 3);
    front->frontChanged({"steam", ""});
    settle();
    EXPECT_EQ(state.profiles.activeName(), u"Game");
    EXPECT_EQ(front->switches(), 1);
}

// Under sway or i3 nothing waits for the window manager on the main thread: the watcher
// starts at once, and the open windows come while the window goes on serving its events.
TEST_F(FrontSwitch, TheWindowNeverWaitsForTheWindowManager) {
    testing::TemporaryFolder sockets;
    testing::FakeI3Server windowManager(sockets / "ipc", R"({"nodes":[
        {"app_id":"steam","focused":true},{"app_id":"gimp"}]})");
    front->watch(FrontSource::Sway,
                 std::make_unique<I3FrontWatcher>(windowManager.path(), windowManagerTime));
    EXPECT_TRUE(front->watching());
    std::optional<std::vector<std::string>> listed;
    front->openApplications([&](std::vector<FrontApplication> open, bool) {
        listed.emplace();
        for (const FrontApplication& each : open) listed->push_back(each.id);
    });
    // The subscription and the listing were asked, and nothing answered: a timer of the
    // window's still fires.
    ASSERT_TRUE(QTest::qWaitFor([&] { return windowManager.requests() == 2; }));
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return fired; }));
    EXPECT_FALSE(listed.has_value());
    windowManager.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed.has_value(); }));
    EXPECT_EQ(*listed, (std::vector<std::string>{"steam", "gimp"}));
}

// A desktop's script tells the executable as it likes: the rules compare it as the system
// names it, links resolved and "." and ".." gone, and as it was named: a rule may name the
// link or where it leads.
TEST_F(FrontSwitch, AnExecutableFromTheBusIsComparedAsTheSystemNamesIt) {
    struct Row {
        std::string given;
        std::string plain;
    };
    for (const Row& row :
         {Row{"/usr//bin/./steam", "/usr/bin/steam"}, Row{"/opt/game/../steam/", "/opt/steam"},
          Row{"steam", ""}, Row{"", ""}}) {
        EXPECT_EQ(FrontPathResolver::plain(row.given), row.plain) << row.given;
    }
    testing::TemporaryFolder files;
    testing::writeRawFile(files / "game", {1});
    std::filesystem::create_directories(files / "bin");
    std::filesystem::create_symlink(files / "game", files / "bin" / "launcher");
    struct Rule {
        std::filesystem::path path;
        const char16_t* profile;
    };
    int switches = 0;
    for (const Rule& rule : {Rule{std::filesystem::canonical(files / "game"), u"Game"},
                             Rule{files / "bin" / "launcher", u"Desk"}}) {
        std::string why;
        ASSERT_TRUE(writeProfileRules(
            state.dataFolderPath(),
            {true, {{"steam", rule.path.string(), rule.profile}}, std::nullopt, false}, why))
            << why;
        front->frontFromBus({"steam", (files / "bin" / ".." / "bin" / "launcher").string()});
        ++switches;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            settle();
            return front->switches() == switches;
        })) << rule.path;
    }
}

// Only where the focus ended matters: a report whose path is still being resolved never
// comes after a newer one, which has no path to resolve and comes at once.
TEST(FrontPathResolver, AnOlderReportNeverComesAfterANewerOne) {
    std::mutex mutex;
    std::condition_variable changed;
    bool resolving = false;
    bool resolved = false;
    std::vector<std::string> delivered;
    VirtualClock clock;
    testing::ManualMainQueue mainThread(clock);
    FrontPathResolver resolver(
        [&](const FrontApplication& front) { delivered.push_back(front.id); },
        [&](const std::string& path) -> std::optional<std::string> {
            std::unique_lock lock(mutex);
            resolving = true;
            changed.notify_all();
            changed.wait(lock, [&] { return resolved; });
            return path;
        },
        mainThread);
    resolver.resolve({"game", "/usr/games/game"});
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return resolving; });
    }
    resolver.resolve({"desk", ""});
    {
        std::lock_guard lock(mutex);
        resolved = true;
    }
    changed.notify_all();
    ASSERT_TRUE(mainThread.waitForPending(1));  // what "game" brought
    mainThread.runAll();
    EXPECT_EQ(delivered, (std::vector<std::string>{"desk"}));
}

// Control characters and direction marks are written out, not dropped: "Desk" exists, and
// a notice about "Desk\x1b" must not say otherwise.
TEST(FrontProfileNotices, WriteOutWhatANameHidesInIt) {
    EXPECT_EQ(unusableProfileNotice(Language::English,
                                    "st\x1b"
                                    "eam",
                                    u"Desk\x1b", FrontProfileSwitcher::Unusable::Missing),
              "No switch for \"st\\x1beam\": there is no profile \"Desk\\x1b\".");
    EXPECT_EQ(heldSwitchNotice(Language::English, u"Desk\u202e", FrontProfileSwitcher::Hold::Busy),
              "\"Desk\\u202e\" waits: the keyboard is busy. The switch follows once it is done.");
}

}  // namespace
}  // namespace tq260
