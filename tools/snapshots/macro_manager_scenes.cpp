#include "tools/snapshots/macro_manager_scenes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cstdio>
#include <functional>
#include <memory>

#include "controls/window_messages.h"
#include "dialogs/macro_record_dlg.h"
#include "emulator/virtual_clock.h"
#include "macro/macro_event.h"

namespace tq260::snapshots {

namespace {

class Silent final : public MessageBoxes {
  public:
    void tell(const std::u16string&, const std::u16string&) override {}
    bool ask(const std::u16string&, const std::u16string&) override { return false; }
};

// Installs always; the scenes send the keys themselves.
class SceneHook final : public KeyHook {
  public:
    bool install(WindowHandle, int) override { return true; }
    void remove() override {}
};

void save(const QImage& image, const QString& path) {
    if (!image.save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
}

void mouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    QMouseEvent event(type, at, widget.mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void clickAt(CMacroRecordDlg& dialog, QPoint at) {
    mouse(dialog, QEvent::MouseButtonRelease, at, Qt::LeftButton);
}

void hoverAt(CMacroRecordDlg& dialog, QPoint at) {
    mouse(dialog, QEvent::MouseMove, at, Qt::NoButton);
}

void key(CMacroRecordDlg& dialog, VirtualClock& clock, std::uint8_t vk, bool release, int gapMs) {
    clock.sleepMs(gapMs);
    sendWindowMessage(&dialog, WM_HOOK_KEY, vk, release ? qintptr{KeyHook::kReleaseFlag} : 0);
}

void record(CMacroRecordDlg& dialog, VirtualClock& clock, std::initializer_list<int> gaps,
            std::u16string_view keys) {
    auto gap = gaps.begin();
    for (const char16_t k : keys) {
        const int down = gap != gaps.end() ? *gap++ : 30;
        const int up = gap != gaps.end() ? *gap++ : 30;
        key(dialog, clock, static_cast<std::uint8_t>(k), false, down);
        key(dialog, clock, static_cast<std::uint8_t>(k), true, up);
    }
}

const QPoint kRecord(330, 110);
const QPoint kRecordDelay(375, 175);
const QPoint kLoops(303, 322);
const QPoint kNew(45, 380);

}  // namespace

void writeMacroManager(const QString& app, Language language, const QString& out,
                       const QString& suffix) {
    const KeyNameTable names;
    SceneHook hook;
    Silent messages;
    VirtualClock clock;
    CMacroRecordDlg dialog({app, language, names, hook, messages, clock});
    const auto table = std::make_unique<MacroTable>();
    const auto settle = [] {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    };

    dialog.prepare(*table);
    dialog.show();
    settle();
    save(dialog.render(), out + "macro-manager-empty" + suffix);

    // Three macros, the last recorded with its delays and played five times.
    clickAt(dialog, kNew);
    clickAt(dialog, kRecord);
    record(dialog, clock, {}, u"QE");
    clickAt(dialog, kRecord);
    clickAt(dialog, kNew);
    clickAt(dialog, kNew);
    clickAt(dialog, kRecordDelay);
    clickAt(dialog, kLoops);
    dialog.loopsField()->setText(QStringLiteral("5"));
    clickAt(dialog, kRecord);
    record(dialog, clock, {20, 85, 240, 60, 130, 45}, u"1R2");
    clickAt(dialog, kRecord);
    dialog.eventList()->setCurrentRow(4);
    hoverAt(dialog, QPoint(300, 410));
    settle();
    save(dialog.render(), out + "macro-manager-macros" + suffix);

    // Used from the keyboard: the mark around the event list, then on Record.
    dialog.activateWindow();
    settle();
    dialog.focusStops().keyboardUsed();
    dialog.eventList()->setFocus(Qt::TabFocusReason);
    settle();
    save(dialog.render(), out + "macro-manager-keyboard-focus-list" + suffix);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &tab);
    settle();
    save(dialog.render(), out + "macro-manager-keyboard-focus-record" + suffix);
    dialog.macroList()->setFocus(Qt::OtherFocusReason);

    // Recording: the button says how to stop.
    clickAt(dialog, kRecord);
    record(dialog, clock, {10, 95, 180}, u"WA");
    hoverAt(dialog, kRecord);
    settle();
    save(dialog.render(), out + "macro-manager-recording" + suffix);
    clickAt(dialog, kRecord);

    // The context menu over the event list, drawn where it opens.
    dialog.eventList()->setCurrentRow(1);
    hoverAt(dialog, QPoint(200, 20));
    settle();
    QImage withMenu = dialog.render();
    QMenu& menu = *dialog.contextMenu();
    const QPoint menuAt(200, 130);
    menu.popup(dialog.mapToGlobal(menuAt));
    menu.setActiveAction(menu.actions().at(2));
    settle();
    QPainter(&withMenu).drawImage(menuAt, menu.grab().toImage());
    menu.hide();
    save(withMenu, out + "macro-manager-menu" + suffix);

    // A macro made longer than the keyboard holds, line by line.
    dialog.eventList()->setCurrentRow(dialog.eventList()->count() - 1);
    for (int i = 0; i < 30; ++i) {
        dialog.runMenuCommand(kInsertAfterCommand);
        key(dialog, clock, 'S', false, 0);
        key(dialog, clock, 'S', true, 0);
        dialog.eventList()->setCurrentRow(dialog.eventList()->count() - 1);
    }
    dialog.eventList()->scrollToBottom();
    settle();
    save(dialog.render(), out + "macro-manager-too-long" + suffix);
    dialog.done(QDialog::Rejected);
}

}  // namespace tq260::snapshots
