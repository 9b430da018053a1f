#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <memory>

#include "app/application_state.h"
#include "app/dialog_launcher.h"
#include "app/main_window.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"
#include "support/recording_events.h"
#include "support/scripted_messages.h"
#include "support/virtual_timers.h"

namespace tq260::testing {

class RecordingPrograms final : public ProgramStarter {
  public:
    bool start(const std::u16string& program, const std::u16string&) override {
        started.push_back(program);
        return startsPrograms;
    }
    bool openWebPage(const std::u16string& address) override {
        pages.push_back(address);
        return opensPages;
    }
    std::vector<std::u16string> started;
    std::vector<std::u16string> pages;
    bool startsPrograms = true;
    bool opensPages = true;
};

class RecordingShell final : public ShellLauncher {
  public:
    Result open(const std::u16string& folder, const std::u16string& file) override {
        opened.push_back(folder + u"|" + file);
        return result;
    }
    std::vector<std::u16string> opened;
    Result result = Result::Opened;
};

// Key dialogs answered with a prepared request, or passed on to real dialogs; every
// opening is kept.
class ScriptedDialogs final : public DialogLauncher {
  public:
    bool runKeyDialog(KeyDialog dialog, std::size_t key, bool disabled, KeyAssignment& record,
                      AssignmentRequest& request) override {
        opened.push_back(dialog);
        if (whileOpen) whileOpen();
        if (forwardTo != nullptr) {
            return forwardTo->runKeyDialog(dialog, key, disabled, record, request);
        }
        if (!answer) return false;
        request = *answer;
        return true;
    }
    bool runMacroManager(MacroTables& macros) override {
        ++macroManagerRuns;
        if (forwardTo != nullptr) return forwardTo->runMacroManager(macros);
        if (!macroEdit) return false;
        macroEdit(*macros.working);
        return true;
    }
    void runProfiles(const QRect& mainWindow, const std::function<void(const std::u16string&)>& use,
                     const std::function<void()>& changed) override {
        ++profileRuns;
        if (forwardTo != nullptr) forwardTo->runProfiles(mainWindow, use, changed);
    }
    void profilesChanged() override {
        if (forwardTo != nullptr) forwardTo->profilesChanged();
    }

    std::vector<KeyDialog> opened;
    // Runs while a key dialog is up, as the window may paint meanwhile.
    std::function<void()> whileOpen;
    DialogLauncher* forwardTo = nullptr;
    std::optional<AssignmentRequest> answer;
    std::function<void(MacroTable&)> macroEdit;
    int macroManagerRuns = 0;
    int profileRuns = 0;
};

// A main window on the virtual keyboard and virtual time, in a fresh application folder
// that finds the program's skins.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QFile::link(QStringLiteral(TQ260_TEST_SKINS), folder.filePath("png")));
        state.applicationFolder = folder.path() + "/";
    }

    // Builds the window and waits until the keyboard's settings have been read.
    void start() {
        window = std::make_unique<CGameKeyboardDlg>(state, services);
        window->initialise();
        window->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->session().reader().running(); }, 20000));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        keyboard.wireLog().clear();
    }

    // A new start, with nothing in memory but what keymap.bin and the keyboard hold.
    void restart() {
        window.reset();
        {
            std::lock_guard lock(state.keyboard.recordMutex);
            state.keyboard.settings = DeviceSettings{};
            state.keyboard.shadow.synchronise(DeviceSettings{});
        }
        state.assignments.marks.fill(0);
        state.assignments.table->fill(KeyAssignment{});
        state.assignments.shadow->fill(KeyAssignment{});
        start();
    }

    // A click, and whatever Save or factory reset it starts, run to its end.
    void click(int x, int y) {
        clickAndGoOn(x, y);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
    }
    // A click, on whatever a user would hit there (a slider lies above the window); an
    // operation it starts goes on in the background.
    void clickAndGoOn(int x, int y) {
        const QPoint at(x, y);
        QWidget* target = window->childAt(at);
        if (target == nullptr || !target->isVisible()) target = window.get();
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(window.get(), at));
    }
    void hover(int x, int y) { QTest::mouseMove(window.get(), QPoint(x, y)); }

    DeviceSettings record() {
        std::lock_guard lock(state.keyboard.recordMutex);
        return state.keyboard.settings;
    }

    // The command codes of the feature reports sent, in order.
    std::vector<int> commandsSent() const {
        std::vector<int> codes;
        for (const WireEntry& e : keyboard.wireLog().entries()) {
            if (e.channel == TraceChannel::Command && e.op == TraceOp::Set && e.bytes.size() > 1) {
                codes.push_back(e.bytes[1]);
            }
        }
        return codes;
    }

    QTemporaryDir folder;
    VirtualClock clock;
    EmulatorTransport transport{clock};
    VirtualKeyboard& keyboard = transport.addKeyboard();
    DeviceLink link{transport, clock};
    ApplicationState state;
    ScriptedMessages messages;
    RecordingPrograms programs;
    RecordingShell shell;
    ScriptedDialogs dialogs;
    RecordingDiagnostics diagnostics;
    // Given to the window by a test that times its pauses (services.timers = &timers).
    VirtualTimers timers;
    MainWindowServices services{link,        messages, programs, shell, dialogs,
                                diagnostics, nullptr,  false,    false};
    std::unique_ptr<CGameKeyboardDlg> window;
};

}  // namespace tq260::testing
