// Renders the skins and the skinned controls, in both languages, to PNG files for people to
// look at: the main window's skin composed as the program lays it out, each dialog with its
// buttons and lists, the splash screen and each control on its own.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "app/main_window.h"
#include "controls/bit_slider.h"
#include "controls/resource_bitmaps.h"
#include "controls/skin_folder.h"
#include "controls/skin_image.h"
#include "controls/transparent_list_box.h"
#include "controls/vivid_tree.h"
#include "dialogs/key_map.h"
#include "dialogs/keymap_dlg2.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"
#include "keys/key_layout.h"
#include "keys/key_light_bit.h"
#include "keys/key_picture.h"
#include "keys/keymap_file.h"
#include "keys/named_function_table.h"
#include "platform/real_clock.h"
#include "tools/snapshots/macro_manager_scenes.h"
#include "tools/snapshots/profile_scenes.h"

using namespace tq260;

namespace {

class NoMessageBoxes final : public MessageBoxes {
  public:
    void tell(const std::u16string&, const std::u16string&) override {}
    bool ask(const std::u16string&, const std::u16string&) override { return false; }
};
class NoPrograms final : public ProgramStarter {
  public:
    bool start(const std::u16string&, const std::u16string&) override { return false; }
    bool openWebPage(const std::u16string&) override { return false; }
};
class NoShell final : public ShellLauncher {
  public:
    Result open(const std::u16string&, const std::u16string&) override { return Result::Failed; }
};
class NoDiagnostics final : public Diagnostics {
  public:
    void debugText(std::string_view) override {}
};

void write(const QImage& image, const QString& path);
void writeProfileInUse(const QString& app, Language language, const QString& out,
                       const QString& suffix);

struct Texts {
    bool chinese;
    QString operator()(const char* english, const char* chinese) const {
        return this->chinese ? QString::fromUtf8(chinese) : QString::fromUtf8(english);
    }
};

// The slider's track as the main window draws it: filled to the thumb, empty after it.
void sliderTrack(QPainter& p, QPoint at, int value, int maximum, const QString& folder) {
    const qreal density = p.device()->devicePixelRatioF();
    const QImage filled = resourceBitmap(kSliderChannelFilled, density);
    const QImage empty = resourceBitmap(kSliderChannelEmpty, density);
    const int x = std::clamp(value * (220 - 15) / std::max(1, maximum), 0, 205);
    drawImagePart(p, QRectF(at.x(), at.y(), x + 7, 17), filled, QRect(0, 0, x + 7, 17));
    drawImagePart(p, QRectF(at.x() + x + 7, at.y(), 220 - x - 7, 17), empty,
                  QRect(x + 7, 0, 220 - x - 7, 17));
    drawSkinImage(p, folder, QStringLiteral("Thumb.png"), at.x() + x, at.y() + 2);
}

// The real main window on a virtual keyboard, in a scratch folder that finds the skins.
class MainWindowScene {
  public:
    // With realTime, the keyboard's waits take real time, so that a scene can catch Save
    // while it runs; faults are applied after the start-up read.
    MainWindowScene(const QString& app, Language language, const KeyboardMemory& memory,
                    bool realTime = false, bool plugged = true)
        : realTime_(realTime) {
        QFile::link(QDir(app).absoluteFilePath("png"), scratch_.filePath("png"));
        state_.language = language;
        state_.applicationFolder = scratch_.path() + "/";
        keyboard_.setMemory(memory);
        if (!plugged) keyboard_.unplug();
        window_ = std::make_unique<CGameKeyboardDlg>(state_, services_);
        window_->initialise();
        window_->show();
        while (window_->session().reader().running()) QCoreApplication::processEvents();
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }

    void click(int x, int y) {
        const QPointF at(x, y);
        QMouseEvent down(QEvent::MouseButtonPress, at, window_->mapToGlobal(at), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &down);
        QMouseEvent up(QEvent::MouseButtonRelease, at, window_->mapToGlobal(at), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &up);
        QCoreApplication::processEvents();
    }
    void hover(int x, int y) {
        const QPointF at(x, y);
        QMouseEvent move(QEvent::MouseMove, at, window_->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &move);
        QCoreApplication::processEvents();
    }
    ApplicationState& state() { return state_; }
    VirtualKeyboard& keyboard() { return keyboard_; }
    CGameKeyboardDlg& window() { return *window_; }
    // Runs the event loop for a while of real time.
    static void settle(int ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QImage picture() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
        return window_->renderWindow();
    }
    // A key pressed where the focus is.
    void press(Qt::Key key) {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr) target = window_.get();
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &up);
        QCoreApplication::processEvents();
    }
    // Tab until the place has the focus.
    void tabTo(const QString& id) {
        window_->activateWindow();
        window_->focusStops().sync();
        for (int i = 0; i < 40; ++i) {
            const FocusStopWidget* stop = window_->focusStops().focused();
            if (stop != nullptr && stop->stop().id == id) return;
            press(Qt::Key_Tab);
        }
    }
    // The window with its controls and the focus mark, as the screen shows it.
    QImage screen() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
        return window_->grab().toImage();
    }

  private:
    QTemporaryDir scratch_;
    bool realTime_;
    VirtualClock virtualClock_;
    RealClock realClock_;
    Clock& clock_ = realTime_ ? static_cast<Clock&>(realClock_) : virtualClock_;
    EmulatorTransport transport_{clock_};
    VirtualKeyboard& keyboard_ = transport_.addKeyboard();
    DeviceLink link_{transport_, clock_, nullptr};
    ApplicationState state_;
    NoMessageBoxes messages_;
    NoPrograms programs_;
    NoShell shell_;
    NoDialogs dialogs_;
    NoDiagnostics diagnostics_;
    MainWindowServices services_{link_,        messages_, programs_, shell_, dialogs_,
                                 diagnostics_, nullptr,   false,     false};
    std::unique_ptr<CGameKeyboardDlg> window_;
};

KeyboardMemory memoryWithEffect(std::uint8_t effect) {
    KeyboardMemory memory = KeyboardMemory::factoryDefaults({1, 2});
    memory.lighting = {effect, 36, 7, 2, 0};
    return memory;
}

void writeMainWindowStates(const QString& app, Language language, const QString& out,
                           const QString& suffix) {
    {
        MainWindowScene scene(app, language, memoryWithEffect(1));
        scene.hover(kKeyboardPictureX + 88, kKeyboardPictureY + 177);
        write(scene.picture(), out + "main-window-collapsed" + suffix);
    }
    {
        // Every section open, from the top: each header moves down as the one above opens.
        MainWindowScene scene(app, language, memoryWithEffect(6));
        scene.click(100, 115);
        scene.click(100, 358 + 5);
        scene.click(100, 438 + 5);
        scene.click(100, 518 + 5);
        {
            std::lock_guard lock(scene.state().keyboard.recordMutex);
            for (int key : {1, 2, 63, 64, 98}) {
                scene.state().assignments.marks[static_cast<std::size_t>(key)] = 1;
            }
        }
        scene.hover(kKeyboardPictureX + 700, kKeyboardPictureY + 300);
        write(scene.picture(), out + "main-window-expanded-changed-keys" + suffix);
    }
    {
        MainWindowScene scene(app, language, memoryWithEffect(4));
        scene.click(100, 115);
        scene.click(100, 165);
        scene.hover(100, 173 + 5 * 20 + 8);
        write(scene.picture(), out + "main-window-effect-list" + suffix);
    }
    {
        KeyboardMemory memory = memoryWithEffect(52);
        for (int key : {20, 21, 22, 23, 24, 42, 63, 64, 65, 66, 90, 103, 104, 105}) {
            const int bit = KeyLightBit[static_cast<std::size_t>(key)];
            memory.customLightMasks[18 + bit / 8] |= static_cast<std::uint8_t>(1U << (bit % 8));
        }
        MainWindowScene scene(app, language, memory);
        scene.click(100, 115);
        scene.hover(kKeyboardPictureX + 140, kKeyboardPictureY + 177);
        write(scene.picture(), out + "main-window-diy" + suffix);
    }
    {
        MainWindowScene scene(app, language, memoryWithEffect(1));
        scene.click(944, 12);
        write(scene.picture(), out + "main-window-help-menu" + suffix);
    }
    {
        // Used from the keyboard: the focus mark on a key of the picture, and on a choice.
        MainWindowScene scene(app, language, memoryWithEffect(6));
        scene.tabTo(QStringLiteral("game-mode"));
        scene.press(Qt::Key_Space);
        scene.tabTo(QStringLiteral("keyboard"));
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Right})
            scene.press(key);
        write(scene.screen(), out + "main-window-keyboard-focus-key" + suffix);
        scene.tabTo(QStringLiteral("lighting"));
        scene.press(Qt::Key_Space);
        scene.tabTo(QStringLiteral("direction-down"));
        write(scene.screen(), out + "main-window-keyboard-focus-choice" + suffix);
        scene.tabTo(QStringLiteral("macros"));
        write(scene.screen(), out + "main-window-keyboard-focus-macros" + suffix);
        scene.tabTo(QStringLiteral("effect"));
        scene.press(Qt::Key_Return);
        scene.press(Qt::Key_Down);
        write(scene.screen(), out + "main-window-keyboard-effect-list" + suffix);
    }
    {
        // Save caught while the keyboard holds its third step for a while.
        MainWindowScene scene(app, language, memoryWithEffect(1), true);
        scene.keyboard().fallSilentAfterCommands(2);
        scene.click(950, 615);
        MainWindowScene::settle(300);
        write(scene.picture(), out + "main-window-saving" + suffix);
        while (scene.window().keyboardBusy()) MainWindowScene::settle(50);
    }
    {
        MainWindowScene scene(app, language, memoryWithEffect(1));
        scene.click(950, 615);
        while (scene.window().keyboardBusy()) MainWindowScene::settle(10);
        write(scene.picture(), out + "main-window-saved" + suffix);
    }
    {
        // No keyboard, and (as here) no notification area to say so.
        MainWindowScene scene(app, language, memoryWithEffect(1), false, false);
        write(scene.picture(), out + "main-window-no-keyboard" + suffix);
    }
    writeProfileInUse(app, language, out, suffix);
}

// "Raid night" in use, shown in the bottom bar and ticked in the notification area's menu;
// then changed since.
void writeProfileInUse(const QString& app, Language language, const QString& out,
                       const QString& suffix) {
    MainWindowScene scene(app, language, memoryWithEffect(1));
    ApplicationState& state = scene.state();
    DeviceSettings settings;
    {
        std::lock_guard lock(state.keyboard.recordMutex);
        settings = state.keyboard.settings;
    }
    const auto profile = [&](const QString& name) {
        return (state.dataPath() + "Configure/" + name + ".bin").toStdU16String();
    };
    saveKeymapFile(profile("Arena"), settings, *state.assignments.table);
    settings.lighting.effect = 6;
    saveKeymapFile(profile("Raid night"), settings, *state.assignments.table);
    saveKeymapFile(profile("Office"), DeviceSettings{}, *state.assignments.table);
    scene.window().useProfile(u"Raid night");
    while (scene.window().keyboardBusy()) MainWindowScene::settle(10);
    write(scene.picture(), out + "main-window-profile" + suffix);

    // The menu as it opens, with its Profiles submenu beside it.
    QMenu& menu = scene.window().trayIcon().menu();
    Q_EMIT menu.aboutToShow();
    QMenu& profiles = scene.window().trayIcon().profilesMenu();
    menu.popup(QPoint(0, 0));
    menu.setActiveAction(profiles.menuAction());
    profiles.popup(QPoint(menu.sizeHint().width(), 0));
    MainWindowScene::settle(50);
    const QImage main = menu.grab().toImage();
    const QImage sub = profiles.grab().toImage();
    const int subTop = menu.actionGeometry(profiles.menuAction()).top();
    QImage both(main.width() + sub.width() + 16,
                std::max(main.height(), subTop + sub.height()) + 16, QImage::Format_RGB32);
    both.fill(QColor(0x30, 0x34, 0x3c));
    {
        QPainter p(&both);
        p.drawImage(8, 8, main);
        p.drawImage(8 + main.width(), 8 + subTop, sub);
    }
    profiles.hide();
    menu.hide();
    write(both, out + "tray-menu-profiles" + suffix);

    {
        std::lock_guard lock(state.keyboard.recordMutex);
        state.keyboard.settings.gameMode ^= 1;
    }
    write(scene.picture(), out + "main-window-profile-changed" + suffix);
}

class NoPickers final : public FilePickers {
  public:
    std::optional<std::u16string> openFile(const Request&) override { return std::nullopt; }
    std::optional<std::u16string> saveFile(const Request&) override { return std::nullopt; }
    std::optional<std::u16string> folder(const Request&) override { return std::nullopt; }
};
class NoHook final : public KeyHook {
  public:
    bool install(WindowHandle, int) override { return true; }
    void remove() override {}
};

// A key dialog on a key whose stored record the scene gives, hovered at a point.
struct KeyDialogScene {
    const char* name;
    bool navigation;
    std::size_t key;
    std::function<void(KeyAssignment&)> stored;
    QPoint hover;
    bool disableTicked = false;
};

void writeKeyDialogs(const QString& app, Language language, const QString& out,
                     const QString& suffix) {
    const KeyNameTable names;
    auto macros = std::make_unique<MacroTable>();
    (*macros)[0].setName(u"Combo");
    (*macros)[1].setName(u"Reload");
    (*macros)[2].setName(u"Sprint");
    NoHook hook;
    NoMessageBoxes messages;
    NoPickers pickers;
    const KeyDialogContext context{app, language, names, *macros, hook, messages, pickers};
    CKeyMap keyMap(context);
    CKeymapDlg2 keymapDlg2(context);

    const auto single = [](std::uint8_t key) {
        return [key](KeyAssignment& r) { r.data[0] = key; };
    };
    const auto macro = [](std::uint8_t slot) {
        return [slot](KeyAssignment& r) {
            r.type = 2;
            r.data[0] = 4;
            r.data[1] = 1;
            r.data[2] = slot;
        };
    };
    const auto function = [](std::size_t row) {
        return [row](KeyAssignment& r) {
            r.type = 3;
            const KeyEntry e = NamedFunctionTable[row].entry;
            r.data[0] = e.kind;
            r.data[1] = e.param;
            r.data[2] = e.code;
            r.data[3] = e.extra;
        };
    };
    const auto launch = [](std::uint8_t type, std::u16string_view path) {
        return [type, path](KeyAssignment& r) {
            r.type = type;
            std::copy(path.begin(), path.end(), r.launchPath.begin());
        };
    };
    const KeyDialogScene scenes[] = {
        {"key-map-key-page", true, 35, single(0x42), {290, 255}},
        {"key-map-macro-page", true, 55, macro(1), {230, 255}},
        {"key-map-function-page", true, 36, function(3), {170, 255}},
        {"key-map-launch-page", true, 57, launch(5, u"/usr/games/arena/arena.exe"), {280, 105}},
        {"key-dialog-2-combination",
         false,
         63,
         [](KeyAssignment& r) {
             r.type = 1;
             r.count = 2;
             r.data[0] = 0xA2;
             r.data[1] = 0x43;
         },
         {310, 9}},
        {"key-dialog-2-function-page", false, 1, function(5), {60, 44}, true},
        {"key-dialog-2-stored-macro", false, 64, macro(2), {0, 0}},
        {"key-dialog-2-launch-page", false, 2, launch(7, u"/home/player/Music"), {280, 165}},
    };
    for (const KeyDialogScene& scene : scenes) {
        KeyAssignmentDialog& dialog =
            scene.navigation ? static_cast<KeyAssignmentDialog&>(keyMap) : keymapDlg2;
        KeyAssignment record;
        record.identity = KeyLayout[scene.key].virtualKey;
        scene.stored(record);
        AssignmentRequest request;
        dialog.prepare(scene.key, record, request);
        dialog.show();
        if (scene.disableTicked) {
            const QPoint toggle(24, 255);
            QMouseEvent up(QEvent::MouseButtonRelease, toggle, dialog.mapToGlobal(toggle),
                           Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&dialog, &up);
        }
        const QPointF at(scene.hover);
        QMouseEvent move(QEvent::MouseMove, at, dialog.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&dialog, &move);
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
        write(dialog.render(), out + scene.name + suffix);
        dialog.done(QDialog::Rejected);
    }

    // Before any macro is recorded, the macro page says how to make one.
    const auto none = std::make_unique<MacroTable>();
    CKeyMap withoutMacros({app, language, names, *none, hook, messages, pickers});
    KeyAssignment record;
    AssignmentRequest request;
    withoutMacros.prepare(36, record, request);
    withoutMacros.show();
    const QPoint macroTab(160, 44);
    QMouseEvent up(QEvent::MouseButtonRelease, macroTab, withoutMacros.mapToGlobal(macroTab),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&withoutMacros, &up);
    write(withoutMacros.render(), out + "key-map-macro-page-empty" + suffix);
    withoutMacros.done(QDialog::Rejected);
}

QImage controlsSheet(const QString& app, Language language) {
    // At the screen's density, as the windows are.
    const qreal density = qApp->devicePixelRatio();
    QImage sheet(QSize(520, 380) * density, QImage::Format_RGB32);
    sheet.setDevicePixelRatio(density);
    sheet.fill(QColor(0x0b, 0x0d, 0x12));
    QPainter p(&sheet);
    const QString folder = skinFolder(app, SkinWindow::Main, language);
    drawLabel(p, "CBitSlider track (brightness 0, 25, 50)", 10, 8, 13);
    for (int i = 0; i < 3; ++i) sliderTrack(p, QPoint(10, 28 + i * 24), i * 25, 50, folder);
    drawLabel(p, "VividTree: solid, highlighted, expandable", 260, 8, 13);
    VividTree tree;
    tree.loadPictures();
    tree.backgroundMode = VividTree::Background::Solid;
    tree.setShowSelectionAlways(true);
    tree.resize(240, 120);
    auto* media = new QTreeWidgetItem(&tree, QStringList("Media"));
    for (const char* name : {"Vol+", "Vol-", "Mute"}) new QTreeWidgetItem(media, QStringList(name));
    new QTreeWidgetItem(&tree, QStringList("Shortcut"));
    tree.expandItem(media);
    tree.setCurrentItem(media->child(1));
    p.drawImage(260, 28, tree.grab().toImage());
    drawLabel(p, "CTransparentListBox: event rows, disabled list", 10, 160, 13);
    CTransparentListBox events;
    events.listMode = CTransparentListBox::EventRows;
    events.configure(16, "Arial", Qt::white, QColor(0, 255, 255), true, 2, Qt::black);
    events.resize(113, 180);
    for (const char* row : {"Q  dn", "80 ms", "Q  up", "E  dn", "E  up"}) events.addRow(row);
    events.setCurrentRow(1);
    p.drawImage(10, 180, events.grab().toImage());
    CTransparentListBox disabled;
    disabled.configure(16, "Arial", Qt::white, QColor(0, 255, 255), true, 2, Qt::black);
    disabled.resize(113, 180);
    for (const char* row : {"Combo", "Reload"}) disabled.addRow(row);
    disabled.setEnabled(false);
    p.drawImage(140, 180, disabled.grab().toImage());
    return sheet;
}

void write(const QImage& image, const QString& path) {
    if (!image.save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tq260_snapshots <application folder> <output folder>\n");
        return 2;
    }
    const QString app = QString::fromLocal8Bit(argv[1]);
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + "/";
    QDir().mkpath(out);
    for (const Language language : {Language::English, Language::Chinese}) {
        const QString suffix = language == Language::Chinese ? "-chinese.png" : "-english.png";
        writeMainWindowStates(app, language, out, suffix);
        writeKeyDialogs(app, language, out, suffix);
        snapshots::writeMacroManager(app, language, out, suffix);
        snapshots::writeProfiles(app, language, out, suffix);
        snapshots::writeRulesWindow(language, out, suffix);
        write(SkinImage::load(splashScreenPath(app, language)).image(), out + "splash" + suffix);
        write(controlsSheet(app, language), out + "controls" + suffix);
    }
    return 0;
}
