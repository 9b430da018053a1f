#pragma once

// The main window with the program's real dialogs, answered by scripted hooks, message boxes
// and choosers: a click opens a dialog, and the steps a test gives run inside it.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/qt_dialogs.h"
#include "keys/key_picture.h"
#include "keys/keymap_file.h"
#include "support/scripted_key_hook.h"
#include "support/scripted_pickers.h"
#include "window_fixture.h"

namespace tq260::testing {

inline QPoint keyCentre(std::size_t key) {
    const KeyRectangle& r = KeyRectangleTable[key];
    return {kKeyboardPictureX + (r.left + r.right) / 2, kKeyboardPictureY + (r.top + r.bottom) / 2};
}

class DialogFlow : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        realDialogs = std::make_unique<QtDialogs>(state, hook, messages, pickers, typingClock);
        dialogs.forwardTo = realDialogs.get();
    }

    // The window, with the dialogs opening over it as the program opens them.
    void start() {
        MainWindowTest::start();
        realDialogs->setOwner(window.get());
    }

    // Clicks the key in the picture; the steps then run inside its dialog.
    void clickKey(std::size_t key, std::function<void(KeyAssignmentDialog&)> steps) {
        bool ran = false;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            KeyAssignmentDialog* open = nullptr;
            for (KeyAssignmentDialog* d :
                 {static_cast<KeyAssignmentDialog*>(&realDialogs->keyMap()),
                  static_cast<KeyAssignmentDialog*>(&realDialogs->keymapDlg2())}) {
                if (d->isVisible()) open = d;
            }
            if (open == nullptr || ran) return;
            ran = true;
            steps(*open);
            // A dialog the steps left open would hold the test forever.
            if (open->isVisible()) open->done(QDialog::Rejected);
        });
        poll.start();
        click(keyCentre(key).x(), keyCentre(key).y());
        EXPECT_TRUE(ran) << "no dialog opened";
    }

    // Runs open (a click, a key) and, once the dialog is up, the steps inside it.
    void whileOpen(QDialog& dialog, const std::function<void()>& open,
                   const std::function<void()>& steps) {
        bool ran = false;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!dialog.isVisible() || ran) return;
            ran = true;
            steps();
            // A dialog the steps left open would hold the test forever.
            if (dialog.isVisible()) dialog.done(QDialog::Rejected);
        });
        poll.start();
        open();
        EXPECT_TRUE(ran) << "the dialog did not open";
    }
    // Clicks at (x, y); once the dialog is up, the steps run inside it.
    template <typename Dialog>
    void inDialog(Dialog& dialog, QPoint at, std::function<void(Dialog&)> steps) {
        whileOpen(
            dialog, [&] { click(at.x(), at.y()); }, [&] { steps(dialog); });
    }
    // A profile in the data folder: what the keyboard holds now, at this brightness.
    void putProfile(const QString& name, int brightness) {
        DeviceSettings settings = record();
        settings.lighting.brightness = static_cast<std::uint8_t>(brightness);
        std::filesystem::create_directories(folder.filePath("Configure").toStdString());
        ASSERT_TRUE(saveKeymapFile(folder.filePath("Configure/" + name + ".bin").toStdString(),
                                   settings, *state.assignments.table));
    }
    // Clicks the macro bar; the steps then run inside the macro manager.
    void inMacroManager(std::function<void(CMacroRecordDlg&)> steps) {
        inDialog(realDialogs->macroManager(), QPoint(100, 160), std::move(steps));
    }
    // Clicks the profile button; the steps then run inside the profile dialog.
    void inProfiles(std::function<void(CConfigureDlg&)> steps) {
        inDialog(realDialogs->profiles(), QPoint(50, 620), std::move(steps));
    }

    static void press(KeyAssignmentDialog& dialog, QPoint at) {
        QTest::mouseClick(&dialog, Qt::LeftButton, {}, at);
    }

    testing::ScriptedKeyHook hook;
    testing::ScriptedPickers pickers;
    // The keyboard's worker threads move the protocol's clock on as they wait; the typing
    // has a clock of its own.
    VirtualClock typingClock;
    std::unique_ptr<QtDialogs> realDialogs;
};

}  // namespace tq260::testing
