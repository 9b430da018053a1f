// The program's interface on a real session bus (a dbus-daemon of the test's own): what
// comes through it reaches the keyboard through Save's path and shows in the window; edits
// of the window are never overwritten; calls wait for a dialog, then say Busy.
#include "app/bus_service.h"

#include <gmock/gmock.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDialog>
#include <QLineEdit>
#include <QProcess>

#include "app/bus_requests.h"
#include "app/front_profiles.h"
#include "config/profile_rules_file.h"
#include "keys/keymap_file.h"
#include "window_fixture.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class BusServiceTest : public testing::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        ASSERT_TRUE(daemon.waitForReadyRead(20000)) << "dbus-daemon did not start";
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        server = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("tq260-program")));
        client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("tq260-script")));
        ASSERT_TRUE(server->isConnected() && client->isConnected());
        services.timers = &timers;
        start();
        requests = std::make_unique<BusRequests>(state, timers);
        requests->attach(*window);
        service = BusService::offer(*requests, *server, true);
        ASSERT_NE(service, nullptr);
        window->setChangeListener({[this] { ++configurationChanges; },
                                   [this](const std::u16string& name) {
                                       service->profileChanged(QString::fromStdU16String(name));
                                   }});
    }
    void TearDown() override {
        service.reset();
        window.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("tq260-program"));
        QDBusConnection::disconnectFromBus(QStringLiteral("tq260-script"));
        daemon.kill();
        daemon.waitForFinished();
    }

    QDBusPendingCall send(const QString& method, const QList<QVariant>& arguments = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(bus::kService), QString::fromLatin1(bus::kObject),
            QString::fromLatin1(bus::kInterface), method);
        call.setArguments(arguments);
        keyboard.wireLog().clear();
        return client->asyncCall(call, 60000);
    }
    // The reply, once it has come back over the bus and what it started has ended.
    QDBusMessage finish(QDBusPendingCall call) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return call.isFinished(); }, 20000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
        return call.reply();
    }
    QDBusMessage callAndWait(const QString& method, const QList<QVariant>& arguments = {}) {
        return finish(send(method, arguments));
    }
    std::string errorOf(const QDBusMessage& reply) {
        return reply.type() == QDBusMessage::ErrorMessage ? reply.errorName().toStdString()
                                                          : "no error";
    }
    void writeProfile(const std::u16string& name, int brightness) {
        DeviceSettings settings = record();
        settings.lighting.brightness = static_cast<std::uint8_t>(brightness);
        const auto file = std::filesystem::path(folder.filePath("Configure").toStdU16String()) /
                          std::filesystem::path(name + u".bin");
        std::filesystem::create_directories(file.parent_path());
        ASSERT_TRUE(saveKeymapFile(file, settings, *state.assignments.table));
    }

    QProcess daemon;
    std::unique_ptr<QDBusConnection> server;
    std::unique_ptr<QDBusConnection> client;
    std::unique_ptr<BusRequests> requests;
    std::unique_ptr<BusService> service;
    int configurationChanges = 0;
    const QString brighter = QStringLiteral(
        R"({"format": 1, "lighting": {"brightness": 7}, "keys": {"Caps": {"key": "LCtrl"}}})");
};

TEST_F(BusServiceTest, ApplyIsSentAsSaveSendsAndShowsInTheWindowAtOnce) {
    const DeviceSettings before = record();
    const QDBusMessage reply = callAndWait(QStringLiteral("Apply"), {brighter, false});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(reply.arguments().at(0).toStringList(),
              QStringList(
                  {QStringLiteral("/lighting/brightness: %1 -> 7").arg(before.lighting.brightness),
                   QStringLiteral(R"(/keys/Caps: "default" -> {"key":"LCtrl"})")}));
    // The key table's block and the lighting, nothing else: only what differs.
    EXPECT_THAT(commandsSent(), ElementsAre(0x08, 0x0C, 0x0D, 0x01, 0x04, 0x02));
    EXPECT_EQ(keyboard.memory().lighting[1], 7);
    EXPECT_EQ(window->brightnessSlider()->value(), 7);
    EXPECT_FALSE(window->hasUnsavedEdits());
    EXPECT_EQ(configurationChanges, 1);
    // A dry run says the same and sends nothing.
    const QDBusMessage dry = callAndWait(
        QStringLiteral("Apply"), {QStringLiteral(R"({"format": 1, "gameMode": false})"), true});
    EXPECT_EQ(dry.arguments().at(0).toStringList().size(), 1);
    EXPECT_TRUE(commandsSent().empty());
    EXPECT_EQ(configurationChanges, 1);
}

TEST_F(BusServiceTest, FaultsAreNamedAtTheirPointerAndNothingIsSent) {
    const QDBusMessage reply =
        callAndWait(QStringLiteral("Apply"),
                    {QStringLiteral(R"({"format": 1, "keys": {"Caps": {"key": "Nope"}}})"), false});
    EXPECT_EQ(errorOf(reply), "org.tq260.Vantor1.Error.InvalidJson");
    EXPECT_THAT(reply.errorMessage().toStdString(), HasSubstr("/keys/Caps/key"));
    EXPECT_TRUE(commandsSent().empty());
}

TEST_F(BusServiceTest, UnsavedEditsOfTheWindowAreNeverOverwritten) {
    writeProfile(u"Game", 3);
    // An edit of the record, then one of what only the computer keeps (a launch path).
    const std::function<void()> edits[] = {
        [&] { state.keyboard.settings.lighting.brightness = 33; },
        [&] { state.assignments.table->at(5).launchPath[0] = u'x'; }};
    for (const auto& edit : edits) {
        {
            std::lock_guard lock(state.keyboard.recordMutex);
            state.keyboard.shadow.restore(state.keyboard.settings);
            edit();
        }
        const DeviceSettings edited = record();
        for (const auto& [method, arguments] : std::vector<std::pair<QString, QList<QVariant>>>{
                 {QStringLiteral("Apply"), {brighter, false}},
                 {QStringLiteral("UseProfile"), {QStringLiteral("Game")}},
                 {QStringLiteral("FactoryReset"), {}}}) {
            SCOPED_TRACE(method.toStdString());
            EXPECT_EQ(errorOf(callAndWait(method, arguments)),
                      "org.tq260.Vantor1.Error.UnsavedChanges");
            const DeviceSettings now = record();
            EXPECT_EQ(std::memcmp(&edited, &now, sizeof(DeviceSettings)), 0);
            EXPECT_TRUE(commandsSent().empty());
        }
    }
    // A dry run changes nothing and is not refused: it compares with what the keyboard holds.
    const QDBusMessage dry =
        callAndWait(QStringLiteral("Apply"),
                    {QStringLiteral(R"({"format": 1, "lighting": {"brightness": 33}})"), true});
    EXPECT_EQ(dry.arguments().value(0).toStringList().size(), 1) << errorOf(dry);
    // What the keyboard holds can still be read, and is not the edit.
    const QDBusMessage dumped = callAndWait(QStringLiteral("Dump"));
    EXPECT_THAT(dumped.arguments().at(0).toString().toStdString(),
                Not(HasSubstr("\"brightness\": 33")));
}

TEST_F(BusServiceTest, ChangesWaitForAnOpenDialogThenRunOrSayBusy) {
    struct Row {
        int dialogOpenMs;
        bool answered;
    };
    for (const Row row : {Row{5000, true}, Row{BusRequests::kBusyLimitMs + 500, false}}) {
        SCOPED_TRACE(row.dialogOpenMs);
        auto dialog = std::make_unique<QDialog>(window.get());
        dialog->setModal(true);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
        const std::size_t pending = timers.pending();
        QDBusPendingCall call = send(QStringLiteral("Apply"), {brighter, true});
        // The call has reached the program and waits there.
        ASSERT_TRUE(QTest::qWaitFor([&] { return timers.pending() > pending; }, 20000));
        timers.advance(std::min(row.dialogOpenMs, BusRequests::kBusyLimitMs) - 100);
        QCoreApplication::processEvents();
        EXPECT_FALSE(call.isFinished());
        if (row.answered) dialog.reset();
        timers.advance(200);
        const QDBusMessage reply = finish(call);
        EXPECT_EQ(errorOf(reply), row.answered ? "no error" : "org.tq260.Vantor1.Error.Busy");
    }
}

TEST_F(BusServiceTest, UseProfileGivesItTheKeyboardAndTellsWhoListens) {
    writeProfile(u"Game", 3);
    QLineEdit profileSeen;  // a slot that takes the signal's one string
    ASSERT_TRUE(
        client->connect(QString::fromLatin1(bus::kService), QString::fromLatin1(bus::kObject),
                        QString::fromLatin1(bus::kInterface), QStringLiteral("ProfileChanged"),
                        &profileSeen, SLOT(setText(QString))));
    EXPECT_EQ(callAndWait(QStringLiteral("Profiles")).arguments().at(0).toStringList(),
              QStringList({QStringLiteral("Game")}));
    EXPECT_EQ(errorOf(callAndWait(QStringLiteral("UseProfile"), {QStringLiteral("Nope")})),
              "org.tq260.Vantor1.Error.NoSuchProfile");
    // What the keyboard has is kept first, so the use drops nothing.
    ASSERT_EQ(errorOf(callAndWait(QStringLiteral("SaveProfile"), {QStringLiteral("Desk")})),
              "no error");
    const QDBusMessage used = callAndWait(QStringLiteral("UseProfile"), {QStringLiteral("Game")});
    ASSERT_EQ(used.type(), QDBusMessage::ReplyMessage) << used.errorMessage().toStdString();
    EXPECT_EQ(keyboard.memory().lighting[1], 3);
    EXPECT_EQ(window->profileLine(), "Profile: Game");
    EXPECT_TRUE(QTest::qWaitFor([&] { return profileSeen.text() == "Game"; }, 20000));
    QDBusMessage get = QDBusMessage::createMethodCall(
        QString::fromLatin1(bus::kService), QString::fromLatin1(bus::kObject),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QString::fromLatin1(bus::kInterface) << QStringLiteral("ActiveProfile");
    const QDBusMessage active = finish(client->asyncCall(get));
    EXPECT_EQ(active.arguments().at(0).value<QDBusVariant>().variant().toString(), "Game");
}

}  // namespace
}  // namespace tq260

namespace tq260 {
namespace {

// Stands for the program's own watcher of the desktop (X11, sway): running, and quiet.
class QuietWatcher final : public FrontApplicationWatcher {
  public:
    bool start(Listener) override { return true; }
    void stop() override {}
    std::optional<std::vector<FrontApplication>> openApplications() override { return {}; }
};

// A desktop's script reports each window coming to the front; the profile follows once one
// has settled, and the program's own window changes nothing. Where the program watches the
// desktop itself, the calls are answered and the watcher believed instead.
TEST_F(BusServiceTest, TheProfileFollowsTheApplicationInFrontOnceItSettles) {
    writeProfile(u"Game", 3);
    writeProfile(u"Desk", record().lighting.brightness);  // what the keyboard holds
    std::string why;
    ASSERT_TRUE(writeProfileRules(state.dataFolderPath(),
                                  {true, {{"steam", "", u"Game"}}, std::nullopt, true}, why))
        << why;
    for (const bool ownWatcher : {true, false}) {
        FrontProfiles front(*window, state, timers);
        if (ownWatcher) front.watch(FrontSource::X11, std::make_unique<QuietWatcher>());
        service->setFrontListener([&](const FrontApplication& app) { front.frontFromBus(app); });
        for (const char* id : {"Steam", "firefox", "steam", "org.tq260.vantor"}) {
            const QDBusMessage told = callAndWait(QStringLiteral("FrontApplicationChanged"),
                                                  {QString::fromLatin1(id), QString()});
            ASSERT_EQ(told.type(), QDBusMessage::ReplyMessage) << told.errorMessage().toStdString();
        }
        timers.advance(FrontProfileSwitcher::kSettleMs - 1);
        EXPECT_EQ(front.switches(), 0);
        timers.advance(1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
        EXPECT_EQ(front.switches(), ownWatcher ? 0 : 1);
    }
    EXPECT_EQ(keyboard.memory().lighting[1], 3);
    EXPECT_EQ(window->profileLine(), "Profile: Game");
    // The rules ask for a notice; without a notification area it is shown in the window.
    EXPECT_EQ(window->windowState().notice, "Switched to the profile \"Game\".");
    service->setFrontListener({});
}

// Ids and paths longer than any application's are refused at the bus, and never kept.
TEST_F(BusServiceTest, IdsAndPathsLongerThanAnyApplicationsAreRefused) {
    std::vector<FrontApplication> told;
    service->setFrontListener([&](const FrontApplication& app) { told.push_back(app); });
    struct Row {
        qsizetype id;
        qsizetype path;
        bool taken;
    };
    for (const Row& row :
         {Row{255, 511, true}, Row{256, 0, false}, Row{1, 512, false}, Row{4 << 20, 0, false}}) {
        SCOPED_TRACE(row.id);
        told.clear();
        const QDBusMessage reply = callAndWait(QStringLiteral("FrontApplicationChanged"),
                                               {QString(row.id, 'a'), QString(row.path, '/')});
        EXPECT_EQ(reply.type() == QDBusMessage::ReplyMessage, row.taken)
            << reply.errorName().toStdString();
        EXPECT_EQ(told.size(), row.taken ? 1u : 0u);
    }
    service->setFrontListener({});
}

}  // namespace
}  // namespace tq260

namespace tq260 {
namespace {

// A use that would drop a configuration no profile holds is refused, unless the call says to
// keep it (where the window would) or to let it go.
TEST_F(BusServiceTest, AUseNeverDropsAConfigurationNoProfileHoldsUnasked) {
    writeProfile(u"Game", 3);
    const auto game = readFileBytes(folder.filePath("Configure/Game.bin").toStdString(), 200000);
    const int shown = record().lighting.brightness;
    struct Row {
        QList<QVariant> arguments;
        std::string error;
        QString keptIn;
        int brightness;
    };
    const QString name = QStringLiteral("Game");
    for (const Row& row : {
             Row{{name}, "org.tq260.Vantor1.Error.NotInProfile", {}, shown},
             Row{{name, QStringLiteral("sideways")},
                 "org.freedesktop.DBus.Error.InvalidArgs",
                 {},
                 shown},
             Row{{QStringLiteral("a/b")}, "org.tq260.Vantor1.Error.InvalidName", {}, shown},
             Row{{name, QStringLiteral("keep")}, "no error", QStringLiteral("Profile_1"), 3},
         }) {
        SCOPED_TRACE(row.error);
        const QDBusMessage reply =
            callAndWait(row.arguments.size() == 2 ? QStringLiteral("UseProfileWith")
                                                  : QStringLiteral("UseProfile"),
                        row.arguments);
        EXPECT_EQ(errorOf(reply), row.error) << reply.errorMessage().toStdString();
        EXPECT_EQ(keyboard.memory().lighting[1], row.brightness);
        if (!row.keptIn.isEmpty()) {
            EXPECT_EQ(reply.arguments().value(0).toString(), row.keptIn);
        }
    }
    const auto kept =
        readFileBytes(folder.filePath("Configure/Profile_1.bin").toStdString(), 200000);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->at(0x91B), shown);
    // Changed since, in the active profile's place: kept there, or let go.
    ASSERT_EQ(errorOf(callAndWait(QStringLiteral("Apply"), {brighter, false})), "no error");
    const QDBusMessage refused = callAndWait(QStringLiteral("UseProfile"), {name});
    EXPECT_THAT(refused.errorMessage().toStdString(),
                HasSubstr("add --keep to keep it in \"Game\" first"));
    const QDBusMessage dropped =
        callAndWait(QStringLiteral("UseProfileWith"), {name, QStringLiteral("discard")});
    EXPECT_EQ(dropped.arguments().value(0).toString(), QString()) << errorOf(dropped);
    EXPECT_EQ(keyboard.memory().lighting[1], 3);
    EXPECT_EQ(readFileBytes(folder.filePath("Configure/Game.bin").toStdString(), 200000), game);
}

// Reading what the keyboard holds waits for no dialog, and gives what the keyboard shows: a
// lighting previewed, which a save into a profile keeps.
TEST_F(BusServiceTest, ReadsAnswerWhileADialogIsOpenWithWhatTheKeyboardShows) {
    click(100, 115);  // the lighting's section, with its sliders
    window->brightnessSlider()->setValue(10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard.memory().lighting[1] == 10; }, 20000));
    QDialog dialog(window.get());
    dialog.setModal(true);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    const QDBusMessage dumped = callAndWait(QStringLiteral("Dump"));
    EXPECT_THAT(dumped.arguments().value(0).toString().toStdString(),
                HasSubstr("\"brightness\": 10,"))
        << errorOf(dumped);
    const QDBusMessage listed = callAndWait(QStringLiteral("Keyboards"));
    EXPECT_EQ(listed.arguments().value(0).toString(),
              "keyboard 1\n  command channel: /dev/virtual-hidraw3\n  event channel:   "
              "/dev/virtual-hidraw1\n  firmware:        1.2\n")
        << errorOf(listed);
    EXPECT_TRUE(commandsSent().empty());
    dialog.reject();
    const QDBusMessage saved =
        callAndWait(QStringLiteral("SaveProfile"), {QStringLiteral("Shown")});
    ASSERT_EQ(errorOf(saved), "no error");
    const auto shownThere =
        readFileBytes(folder.filePath("Configure/Shown.bin").toStdString(), 200000);
    ASSERT_TRUE(shownThere);
    EXPECT_EQ(shownThere->at(0x91B), 10);
}

}  // namespace
}  // namespace tq260
