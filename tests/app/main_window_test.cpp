#include <gmock/gmock.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/instance_messages.h"
#include "controls/skin_image.h"
#include "controls/window_messages.h"
#include "emulator/virtual_hot_plug_watcher.h"
#include "keys/key_light_bit.h"
#include "keys/key_picture.h"
#include "support/normal_user.h"
#include "window_fixture.h"

namespace tq260 {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using testing::MainWindowTest;
using KeyDialog = DialogLauncher::KeyDialog;

QPoint keyCentre(int key) {
    const KeyRectangle& r = KeyRectangleTable[static_cast<std::size_t>(key)];
    return {kKeyboardPictureX + (r.left + r.right) / 2, kKeyboardPictureY + (r.top + r.bottom) / 2};
}

int countWrites(const std::vector<int>& commands, int code) {
    return static_cast<int>(std::count(commands.begin(), commands.end(), code));
}

class MainWindow : public MainWindowTest {};

TEST_F(MainWindow, StartsWithTheKeyboardsSettingsAndEveryFileInPlace) {
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting = {6, 40, 4, 2, 0}; });
    start();
    EXPECT_EQ(window->size(), QSize(1000, 640));
    EXPECT_EQ(window->windowTitle(), "TQ260 104vez VANTOR");
    EXPECT_EQ(record().lighting.effect, 6);
    EXPECT_EQ(window->brightnessSlider()->value(), 40);
    EXPECT_EQ(window->speedSlider()->value(), 3);
    EXPECT_EQ(QFile(folder.filePath("keymap.bin")).size(), 199'272);
    EXPECT_EQ(QFile(folder.filePath("MacroDefine.bin")).size(), 169'860);
    {
        std::lock_guard lock(state.keyboard.recordMutex);
        EXPECT_EQ(state.keyboard.shadow.record(), state.keyboard.settings);
    }
    state.language = Language::Chinese;  // the task bar names it as the tray does
    restart();
    EXPECT_EQ(window->windowTitle(), "TQ260 104vez星岚版");
}

TEST_F(MainWindow, KeyClicksOpenTheRightDialogVariant) {
    start();
    click(keyCentre(35).x(), keyCentre(35).y());
    click(294 + 29, 108 + 77);
    click(294 + 28, 108 + 77);                    // no key
    click(keyCentre(17).x(), keyCentre(17).y());  // a media key: never
    EXPECT_THAT(dialogs.opened, ElementsAre(KeyDialog::Navigation, KeyDialog::Other));
    EXPECT_EQ(window->windowState().selectedKey, -1);
}

TEST_F(MainWindow, WithTheEffectListOpenAClickOnAButtonOnlyClosesIt) {
    start();
    click(100, 115);  // open the lighting section
    click(100, 165);  // the effect bar
    ASSERT_TRUE(window->windowState().effectListOpen);
    EXPECT_FALSE(window->brightnessSlider()->isVisible());
    // Nothing of the panel shows beside the rows: where "Bright" ends, the list's ground.
    const QImage picture = window->renderWindow();
    EXPECT_EQ(picture.pixel(255, 250), qRgb(0x3B, 0x3B, 0x3B));
    EXPECT_EQ(picture.pixel(22, 330), qRgb(0x3B, 0x3B, 0x3B));  // and the macro bar's edge
    keyboard.wireLog().clear();  // a first paint syncs the sliders with the keyboard
    click(950, 615);             // Save
    EXPECT_FALSE(window->windowState().effectListOpen);
    EXPECT_TRUE(commandsSent().empty());
}

// Every list and menu against every control under it: its rows take the clicks, and no
// slider shows through.
TEST_F(MainWindow, AnOpenListTakesTheClicksOnItsRowsAndHidesTheSlidersUnderIt) {
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting[0] = 6; });  // speed and brightness
    start();
    click(100, 115);  // lighting open
    ASSERT_TRUE(window->speedSlider()->isVisible());
    ASSERT_TRUE(window->brightnessSlider()->isVisible());
    const DeviceSettings before = record();

    const int header = 200 + 158 + 48;  // the response time header under them
    click(100, header + 5);
    for (const auto& [y, value] : {std::pair{240, 1}, std::pair{285, 3}}) {
        click(100, header + 35);  // the bar opens its list upwards, over both sliders
        ASSERT_TRUE(window->windowState().responseListOpen);
        EXPECT_FALSE(window->speedSlider()->isVisible());
        EXPECT_FALSE(window->brightnessSlider()->isVisible());
        click(150, y);  // a row right over the brightness, then the speed slider
        EXPECT_FALSE(window->windowState().responseListOpen);
        EXPECT_EQ(record().responseTime, value);
        EXPECT_EQ(record().lighting, before.lighting);
        EXPECT_TRUE(commandsSent().empty());
        EXPECT_TRUE(window->brightnessSlider()->isVisible());
    }

    click(100, 165);  // the effect list, over both sliders
    ASSERT_TRUE(window->windowState().effectListOpen);
    EXPECT_FALSE(window->speedSlider()->isVisible());
    EXPECT_FALSE(window->brightnessSlider()->isVisible());
    click(150, 173 + 4 * 20 + 10);  // the fifth effect, over the speed slider
    EXPECT_EQ(record().lighting.effect, 5);
    EXPECT_EQ(record().lighting.speed, before.lighting.speed);
}

TEST_F(MainWindow, ChoosingAnEffectWritesItAfterAPauseOf300Ms) {
    services.timers = &timers;
    start();
    click(100, 115);
    click(100, 165);
    keyboard.wireLog().clear();    // a first paint syncs the sliders with the keyboard
    click(100, 173 + 5 * 20 + 5);  // Wave
    EXPECT_EQ(record().lighting.effect, 6);
    EXPECT_FALSE(window->windowState().diyEditMode);
    timers.advance(299);
    EXPECT_EQ(countWrites(commandsSent(), 0x08), 0);
    EXPECT_EQ(keyboard.memory().lighting[0], 1);
    timers.advance(1);
    EXPECT_EQ(countWrites(commandsSent(), 0x08), 1);
    EXPECT_EQ(keyboard.memory().lighting[0], 6);
}

// Cancel and Close leave the keyboard showing the lighting the window shows: a preview it
// took goes back in one write, and one still waiting for its pause never goes out.
class PreviewThenLeft : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PreviewThenLeft, TheKeyboardShowsTheSavedLightingAgain) {
    const bool close = GetParam();
    services.timers = &timers;
    start();
    const LightingSettings saved = record().lighting;
    ASSERT_NE(saved.brightness, 10);
    click(100, 115);
    if (close) {
        // Cancel moves the slider back, which sends by itself: the effect alone tells there.
        window->brightnessSlider()->setValue(10);
        ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard.memory().lighting[1] == 10; }, 20000));
    }
    click(100, 165);
    click(100, 173 + 5 * 20 + 5);  // Wave
    timers.advance(300);
    ASSERT_EQ(keyboard.memory().lighting[0], 6);
    keyboard.wireLog().clear();
    if (close) {
        window->closeFromButton();
    } else {
        click(890, 615);  // Cancel
    }
    EXPECT_EQ(countWrites(commandsSent(), 0x08), 1);
    EXPECT_EQ(keyboard.memory().lighting[0], saved.effect);
    EXPECT_EQ(keyboard.memory().lighting[1], saved.brightness);
    if (close) return;
    keyboard.wireLog().clear();
    click(100, 165);
    click(100, 173 + 5 * 20 + 5);  // Wave again, then Cancel within the pause
    click(890, 615);
    timers.advance(300);
    EXPECT_EQ(countWrites(commandsSent(), 0x08), 0);
}

INSTANTIATE_TEST_SUITE_P(CancelOrClose, PreviewThenLeft, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Close" : "Cancel"; });

// An unplug while the settings are read is told, and the window says no keyboard is there
// until one is read again.
TEST_F(MainWindow, AnUnplugDuringTheStartUpReadIsToldAndStaysShown) {
    VirtualHotPlugWatcher watcher{transport};
    services.watcher = &watcher;
    services.timers = &timers;
    keyboard.unplugAfterReports(20);
    start();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->windowState().notice == "No Gaming Keyboard Detected!"; }, 20000));
    timers.advance(60'000);
    EXPECT_EQ(window->windowState().notice, "No Gaming Keyboard Detected!");
    EXPECT_TRUE(messages.shown.empty());  // told once, not again as a failed read
    window.reset();                       // before the watcher it registered with
}

// Each direction button sets its own direction, which Save sends (Wave runs that way).
TEST_F(MainWindow, EachDirectionButtonSetsItsDirectionForSave) {
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting = {6, 40, 4, 1, 0}; });
    start();
    click(100, 115);  // open the lighting section
    struct Button {
        int left;
        std::uint8_t direction;
    };
    for (const Button b : {Button{29, 3}, Button{79, 4}, Button{179, 1}, Button{129, 2}}) {
        click(b.left + 17, 205);
        EXPECT_EQ(record().lighting.direction, b.direction) << b.left;
        EXPECT_TRUE(commandsSent().empty()) << "sent before Save: " << b.left;
        click(950, 615);  // Save
        std::vector<std::uint8_t> sent;
        for (const WireEntry& e : keyboard.wireLog().entries()) {
            if (e.channel == TraceChannel::Command && e.op == TraceOp::Set && e.bytes.size() > 5 &&
                e.bytes[1] == 0x08) {
                sent = e.bytes;
            }
        }
        ASSERT_FALSE(sent.empty()) << b.left;
        EXPECT_EQ(sent[5], b.direction) << b.left;
        EXPECT_EQ(keyboard.memory().lighting[3], b.direction) << b.left;
        keyboard.wireLog().clear();
    }
}

TEST_F(MainWindow, CancelAfterChangingGameModeRestoresItAndSendsNothing) {
    start();
    ASSERT_EQ(record().gameMode, 1);  // every full read turns game mode on
    click(100, 195);                  // open the game mode section
    click(83, 188 + 37);              // OFF
    EXPECT_EQ(record().gameMode, 0);
    click(890, 615);  // Cancel
    EXPECT_EQ(record().gameMode, 1);
    EXPECT_TRUE(window->isVisible());  // no notification area to come back from
    EXPECT_TRUE(commandsSent().empty());
}

TEST_F(MainWindow, SaveSendsExactlyWhatChanged) {
    start();
    AssignmentRequest volumeUp;
    volumeUp.type = AssignmentType::SingleKey;
    volumeUp.count = 1;
    volumeUp.keyList[0] = 0xAF;
    dialogs.answer = volumeUp;
    click(keyCentre(63).x(), keyCentre(63).y());  // A becomes Volume up
    EXPECT_EQ(state.assignments.marks[63], 1);
    click(100, 195);
    click(83, 188 + 37);  // game mode off
    keyboard.wireLog().clear();
    click(950, 615);  // Save
    EXPECT_THAT(commandsSent(), ElementsAre(0x08, 0x0C, 0x0D, 0x01, 0x04, 0x02));
    const KeyboardMemory memory = keyboard.memory();
    EXPECT_EQ(memory.keyBlocks[1][2], 0xE9);
    EXPECT_EQ(memory.keyBlocks[1][3], 0x30);
    EXPECT_EQ(memory.gameMode, 0);

    keyboard.wireLog().clear();
    click(950, 615);  // nothing changed since: no block goes out
    EXPECT_THAT(commandsSent(), ElementsAre(0x08, 0x01, 0x04, 0x02));
}

// What Save sent stays through a Cancel or a Close after it, and through a new start: the
// assignments' saved state moves with Save, or the next Cancel would undo a launch key.
class SavedThenLeft : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SavedThenLeft, SaveThenCancelOrCloseKeepsEveryAssignmentSaved) {
    const bool close = GetParam();
    start();
    AssignmentRequest launch;
    launch.type = AssignmentType::LaunchExe;
    const std::u16string path = u"/opt/games/run.exe";
    std::copy(path.begin(), path.end(), launch.launchPath.begin());
    dialogs.answer = launch;
    click(keyCentre(1).x(), keyCentre(1).y());  // F1 opens the game
    AssignmentRequest volumeUp;
    volumeUp.count = 1;
    volumeUp.keyList[0] = 0xAF;
    dialogs.answer = volumeUp;
    click(keyCentre(63).x(), keyCentre(63).y());  // A becomes Volume up
    click(950, 615);                              // Save

    const auto expectSaved = [&](const char* when) {
        const KeyAssignment& f1 = (*state.assignments.table)[1];
        EXPECT_EQ(f1.type, static_cast<std::uint8_t>(AssignmentType::LaunchExe)) << when;
        EXPECT_EQ(std::u16string(f1.launchPath.data()), path) << when;
        EXPECT_EQ(state.assignments.marks[1], 1) << when;
        EXPECT_EQ((*state.assignments.table)[63].data[0], 0xAF) << when;
        EXPECT_EQ(state.assignments.marks[63], 1) << when;
    };
    if (close) {
        window->closeFromButton();
    } else {
        click(890, 615);  // Cancel
        expectSaved("after Cancel");
    }
    restart();
    expectSaved("after a new start");
    // A's slot, 64, is the second pair of the second key block: Volume up's usage.
    EXPECT_EQ(keyboard.memory().keyBlocks[1][2], 0xE9);
}

INSTANTIATE_TEST_SUITE_P(CancelOrClose, SavedThenLeft, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Close" : "Cancel"; });

TEST_F(MainWindow, SaveRunsBehindTheWindowShowsItsProgressAndStartsOnlyOnce) {
    services.timers = &timers;
    start();
    click(100, 195);
    click(83, 188 + 37);  // game mode off
    keyboard.wireLog().clear();
    clickAndGoOn(950, 615);  // Save
    // Until its end is handled here, the window says what runs and takes no second one.
    ASSERT_TRUE(window->keyboardBusy());
    EXPECT_EQ(window->windowState().operation.kind, OperationDisplay::Kind::Saving);
    clickAndGoOn(950, 615);
    clickAndGoOn(830, 615);  // Return
    clickAndGoOn(890, 615);  // Cancel
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(messages.shown.empty());  // the reset never asked

    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
    EXPECT_THAT(commandsSent(), ElementsAre(0x08, 0x01, 0x04, 0x02));
    EXPECT_EQ(keyboard.memory().gameMode, 0);
    EXPECT_EQ(window->windowState().operation.kind, OperationDisplay::Kind::Saved);
    {
        std::lock_guard lock(state.keyboard.recordMutex);
        EXPECT_EQ(state.keyboard.shadow.record(), state.keyboard.settings);
    }
    // The news goes after three seconds.
    timers.advance(2999);
    EXPECT_EQ(window->windowState().operation.kind, OperationDisplay::Kind::Saved);
    timers.advance(1);
    EXPECT_EQ(window->windowState().operation.kind, OperationDisplay::Kind::None);
}

TEST_F(MainWindow, MovingTheBrightnessSliderWritesLightingOnce) {
    start();
    click(100, 115);
    window->brightnessSlider()->setValue(10);
    // The slider reports its value when it paints next.
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard.memory().lighting[1] == 10; }, 20000));
    keyboard.wireLog().clear();
    window->brightnessSlider()->setValue(11);
    ASSERT_TRUE(QTest::qWaitFor([&] { return countWrites(commandsSent(), 0x08) > 0; }, 20000));
    EXPECT_EQ(keyboard.memory().lighting[1], 11);
    // Reports of the same value again (a repaint, the pointer passing) write nothing more;
    // both report at once, so there is nothing to wait for.
    window->brightnessSlider()->repaint();
    QTest::mouseMove(window->brightnessSlider(), QPoint(100, 8));
    QTest::mouseMove(window->brightnessSlider(), QPoint(101, 8));
    EXPECT_EQ(countWrites(commandsSent(), 0x08), 1);
}

TEST_F(MainWindow, ExitLeavesTheKeyboardOnEffect1) {
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting[0] = 5; });
    start();
    window->exitFromTray();
    EXPECT_EQ(keyboard.memory().lighting[0], 1);
}

TEST_F(MainWindow, FactoryResetAsksThenResetsRereadsAndForgetsAssignments) {
    start();
    state.assignments.marks[63] = 1;
    (*state.assignments.table)[63].type = 3;
    messages.answers = {false};
    click(830, 615);
    EXPECT_TRUE(commandsSent().empty());
    messages.answers = {true};
    click(830, 615);
    const auto commands = commandsSent();
    ASSERT_GE(commands.size(), 6U);
    EXPECT_THAT(std::vector<int>(commands.begin(), commands.begin() + 6),
                ElementsAre(0x13, 0x02, 0x02, 0x02, 0x02, 0x8C));
    EXPECT_EQ(commands.back(), 0x82);
    EXPECT_EQ(state.assignments.marks[63], 0);
    EXPECT_EQ((*state.assignments.table)[63].type, 0);
    EXPECT_EQ((*state.assignments.table)[63].identity, 'A');
    std::lock_guard lock(state.keyboard.recordMutex);
    EXPECT_EQ(state.keyboard.shadow.record(), state.keyboard.settings);
}

class FirmwareCheck
    : public MainWindowTest,
      public ::testing::WithParamInterface<std::tuple<const char*, int, int, const char16_t*>> {};

TEST_P(FirmwareCheck, NewerInstalledFirmwareProposesItsUpdater) {
    const auto& [version, major, minor, program] = GetParam();
    QFile file(folder.filePath("VER.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(version);
    file.close();
    keyboard.editMemory([&, major = major, minor = minor](KeyboardMemory& m) {
        m.firmware = {static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor)};
    });
    messages.answers = {true};
    start();
    if (program == nullptr) {
        EXPECT_TRUE(programs.started.empty());
        EXPECT_TRUE(messages.shown.empty());
    } else {
        EXPECT_THAT(programs.started, ElementsAre(toU16(folder.path() + "/") + program));
    }
}

INSTANTIATE_TEST_SUITE_P(ThreeCases, FirmwareCheck,
                         ::testing::Values(std::tuple{"xxxxx2x0", 1, 9, u"Updraft"},
                                           std::tuple{"xxxxx1x5", 1, 3,
                                                      u"TQ377 Gaming Keyboard Zidaze_Viraru"},
                                           std::tuple{"xxxxx1x3", 1, 5, nullptr}));

TEST_F(MainWindow, HelpMenuStartsTheUpdaterFromItsSecondRow) {
    start();
    click(944, 12);
    ASSERT_TRUE(window->windowState().helpMenuOpen);
    click(850, 22 + 25 + 5);
    EXPECT_FALSE(window->windowState().helpMenuOpen);
    EXPECT_THAT(programs.started, ElementsAre(toU16(folder.path() + "/Updraft")));
    click(944, 12);
    click(850, 30);
    EXPECT_EQ(programs.pages.size(), 1U);
    EXPECT_TRUE(messages.shown.empty());

    // Nothing there to start: said, naming where it was looked for.
    programs.startsPrograms = false;
    click(944, 12);
    click(850, 22 + 25 + 5);
    EXPECT_THAT(messages.shown,
                ElementsAre(u"The firmware updater could not be started. It is not installed "
                            u"here:\n" +
                            toU16(QDir::toNativeSeparators(folder.path() + "/Updraft")) +
                            u" | TQ260 104vez VANTOR"));
    // The version row opens About.
    click(944, 12);
    click(850, 22 + 50 + 5);
    EXPECT_EQ(messages.shown.back(), u"TQ260 104vez VANTOR\nVersion 1.0 | About");
}

// Where the desktop has no notification area (the fixture makes none), nothing hides the
// window out of reach.
TEST_F(MainWindow, WithoutANotificationAreaTheWindowStaysWithinReach) {
    start();
    EXPECT_TRUE(window->windowState().notice.isEmpty());
    click(965, 12);  // minimise: to the task bar
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
    window->showNormal();
    click(890, 615);  // Cancel
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindow, ResponseTimeListSetsTheValueForTheNextSave) {
    start();
    click(100, 243);  // open the response time section (header at 236)
    click(100, 236 + 32);
    ASSERT_TRUE(window->windowState().responseListOpen);
    const int top = 236 - 173;
    click(100, top + 6 * 20 + 5);
    EXPECT_EQ(record().responseTime, 7);
    EXPECT_FALSE(window->windowState().responseListOpen);
    EXPECT_TRUE(commandsSent().empty());
}

TEST_F(MainWindow, PaintingTheLightPatternOfAUserEffect) {
    start();
    click(100, 115);
    click(100, 165);
    click(100, 173 + 7 * 20 + 5);  // DIY1
    ASSERT_TRUE(window->windowState().diyEditMode);
    click(keyCentre(63).x(), keyCentre(63).y());
    click(294 + 340, 108 + 230);  // key 100 counts while painting
    const CustomLightMask mask = record().customLightMasks[0];
    EXPECT_TRUE(mask.bit(KeyLightBit[63]));
    EXPECT_TRUE(mask.bit(KeyLightBit[100]));
    EXPECT_TRUE(dialogs.opened.empty());
    const QImage picture = window->renderWindow();
    // The key's face is lit, inside its cap, away from the legend in its middle.
    const KeyRectangle& a = KeyRectangleTable[63];
    EXPECT_EQ(picture.pixel(kKeyboardPictureX + a.left + 4, kKeyboardPictureY + a.top + 4),
              qRgb(255, 255, 0));
    EXPECT_NE(picture.pixel(kKeyboardPictureX + a.left, kKeyboardPictureY + a.bottom),
              qRgb(255, 255, 0));  // the cap's rim stays
    click(30, 205);                // "Keymap": clicks go back to assigning
    EXPECT_FALSE(window->windowState().diyEditMode);
}

TEST_F(MainWindow, TheKeyWhoseDialogIsOpenStaysLitUntilItCloses) {
    start();
    const QPoint at = keyCentre(64);  // S
    QImage during;
    dialogs.whileOpen = [&] { during = window->renderWindow(); };
    click(at.x(), at.y());  // the dialog is cancelled
    ASSERT_FALSE(during.isNull());
    const QImage after = window->renderWindow();
    const QPoint face(at.x() - 6, at.y() - 5);
    const QImage lit(QStringLiteral(TQ260_TEST_SKINS) + "/english/kb_hl.png");
    ASSERT_FALSE(lit.isNull());
    const QRgb litPixel = lit.pixel(face.x() - kKeyboardPictureX, face.y() - kKeyboardPictureY);
    EXPECT_EQ(during.pixel(face), litPixel);
    EXPECT_NE(after.pixel(face), litPixel);
}

// The offscreen desktop has no window move of its own, as some desktops do not.
TEST_F(MainWindow, DraggingTheBackgroundMovesTheWindowWhereTheDesktopCannot) {
    start();
    const QPoint from = window->pos();
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        const QPointF local(at);
        QMouseEvent event(type, local, window->mapToGlobal(local), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
    };
    send(QEvent::MouseButtonPress, {600, 500}, Qt::LeftButton);  // the empty background
    send(QEvent::MouseMove, {605, 503}, Qt::LeftButton);
    send(QEvent::MouseMove, {640, 530}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {640, 530}, Qt::NoButton);
    EXPECT_EQ(window->pos(), from + QPoint(35, 27));
    EXPECT_EQ(window->windowState().selectedKey, -1);  // the drag's end was no click
}

TEST_F(MainWindow, TheNoKeyboardNewsStaysFiveSeconds) {
    services.timers = &timers;
    start();
    sendWindowMessage(window.get(), WM_TRAY_BALLOON, 15, 0);
    EXPECT_EQ(window->windowState().notice, "No Gaming Keyboard Detected!");
    timers.advance(4999);
    EXPECT_EQ(window->windowState().notice, "No Gaming Keyboard Detected!");
    timers.advance(1);
    EXPECT_TRUE(window->windowState().notice.isEmpty());
}

TEST_F(MainWindow, ChangedKeysAreDrawnFromTheLitPicture) {
    start();
    const QImage lit = SkinImage::load(folder.filePath("png/english/kb_hl.png")).image();
    const QPoint inKey(80, 170);  // inside key A, picture coordinates
    const QRgb before =
        window->renderWindow().pixel(inKey + QPoint(kKeyboardPictureX, kKeyboardPictureY));
    EXPECT_NE(before, lit.pixel(inKey));
    state.assignments.marks[63] = 1;
    const QRgb after =
        window->renderWindow().pixel(inKey + QPoint(kKeyboardPictureX, kKeyboardPictureY));
    EXPECT_EQ(after, lit.pixel(inKey));
}

TEST_F(MainWindow, LaunchKeyMessageStartsTheAssignedFileOrSaysWhyNot) {
    start();
    KeyAssignment& f1 = (*state.assignments.table)[1];
    f1.type = static_cast<std::uint8_t>(AssignmentType::LaunchExe);
    const std::u16string path = u"C:\\Games\\run.exe";
    std::copy(path.begin(), path.end(), f1.launchPath.begin());
    handleInstanceMessage(*window, QStringLiteral("launch-key 112"));
    EXPECT_THAT(shell.opened, ElementsAre(u"C:\\Games|run.exe"));
    EXPECT_TRUE(messages.shown.empty());
    // 368 is 112 modulo 256: a message from another copy is checked as the command line is.
    for (const char* other : {"launch-key 368", "launch-key -144", "launch-key 112x"}) {
        handleInstanceMessage(*window, QString::fromLatin1(other));
    }
    EXPECT_EQ(shell.opened.size(), 1U);

    // A file that is gone, or that nothing opens, is reported with its path.
    shell.result = ShellLauncher::Result::NotFound;
    handleInstanceMessage(*window, QStringLiteral("launch-key 112"));
    shell.result = ShellLauncher::Result::Failed;
    handleInstanceMessage(*window, QStringLiteral("launch-key 112"));
    EXPECT_THAT(messages.shown,
                ElementsAre(u"The file or folder this key opens no longer exists:\n"
                            u"C:\\Games\\run.exe | TQ260 104vez VANTOR",
                            u"The file or folder this key opens could not be opened:\n"
                            u"C:\\Games\\run.exe | TQ260 104vez VANTOR"));
}

TEST(QtShellLauncher, AFileThatIsGoneIsNotFoundAndNothingStarts) {
    QTemporaryDir folder;
    QtShellLauncher shell;
    EXPECT_EQ(shell.open(folder.path().toStdU16String(), u"gone.exe"),
              ShellLauncher::Result::NotFound);
}

TEST_F(MainWindow, SecondStartShowsTheHiddenWindow) {
    start();
    click(965, 12);  // minimise (to the task bar: the tests have no notification area)
    ASSERT_TRUE(window->isMinimized());
    handleInstanceMessage(*window, QStringLiteral("show"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(MainWindow, WithoutKeyboardOrNotificationAreaTheWindowStaysInView) {
    keyboard.unplug();
    start();
    EXPECT_FALSE(link.isConnected());
    EXPECT_FALSE(window->startsHidden());
    // It says why nothing works, where a balloon would have.
    EXPECT_EQ(window->windowState().notice, "No Gaming Keyboard Detected!");
    // Save says what is wrong, not a cure for a keyboard that is not there.
    click(950, 615);
    EXPECT_THAT(messages.shown,
                ElementsAre(u"No keyboard is connected, so nothing was saved to it.\nPlug the "
                            u"keyboard in: its settings are read when it arrives. | "
                            u"TQ260 104vez VANTOR"));
}

TEST_F(MainWindow, MacroManagerOkBuildsTheBlocksAndWritesTheMacroFile) {
    start();
    dialogs.macroEdit = [](MacroTable& table) {
        table[0].setName(u"Combo");
        table[0].loopCount = 300;
        table[0].deviceEvents[0] = 0x01;
        table[0].deviceEvents[1] = 0x04;
    };
    click(100, 140 + 20);  // the macro bar
    EXPECT_EQ(dialogs.macroManagerRuns, 1);
    EXPECT_EQ(record().macroBlocks[0][0], 0x01);
    EXPECT_EQ(record().macroBlocks[0][1], 0x2C);
    QFile file(folder.filePath("MacroDefine.bin"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(10).left(10), QByteArray("C\0o\0m\0b\0o\0", 10));
}

TEST_F(MainWindow, AFailedSaveIsSaidOnceNamingTheFile) {
    // keymap.bin links into a folder that is not there: no save can reach it.
    ASSERT_TRUE(QFile::link(folder.filePath("gone/keymap.bin"), folder.filePath("keymap.bin")));
    start();          // what was read is stored at once: the first failure
    click(950, 615);  // Save
    click(950, 615);
    const std::u16string path =
        QDir::toNativeSeparators(folder.filePath("keymap.bin")).toStdU16String();
    EXPECT_THAT(messages.shown, ElementsAre(u"Changes could not be saved to this file:\n" + path +
                                            u" | TQ260 104vez VANTOR"));
    EXPECT_TRUE(QFileInfo(folder.filePath("keymap.bin")).isSymLink());
}

// Root reads a file of mode 000, so this proves something only as a normal user; the test
// script runs it again as one.
TEST_F(MainWindow, AnUnreadableKeymapIsToldAndNeverWrittenOverAsANormalUser) {
    if (!testing::permissionsStopThisProcess()) GTEST_SKIP() << "root reads a file of mode 000";
    const QByteArray kept(199272, '\x5C');
    QFile file(folder.filePath("keymap.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kept);
    file.close();
    ASSERT_TRUE(file.setPermissions(QFileDevice::Permissions()));
    start();
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_TRUE(messages.shown.front().starts_with(u"This file exists but cannot be read."));
    click(950, 615);  // Save, which writes keymap.bin
    window->closeFromButton();
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), kept);
}

}  // namespace
}  // namespace tq260
