// The program holds the virtual keyboard's lock through everything its window opens: each
// dialog, message box and file chooser (Qt's choosers read the files they list, the lock
// file among them), while it is open and after it closed.
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <algorithm>
#include <optional>

#include "app/front_profiles.h"
#include "app/qt_platform.h"
#include "dialog_flow_fixture.h"
#include "dialogs/profile_rules_dialog.h"
#include "platform/device_claim.h"
#include "support/other_process_lock.h"

namespace tq260 {
namespace {

using testing::anotherProcessLocks;
using testing::OtherProcess;

// The chooser has listed its folder and looked into every file there, as Qt does to tell
// a file's type.
bool listed(QFileDialog& chooser) {
    auto* model = chooser.findChild<QFileSystemModel*>();
    if (model == nullptr) return false;
    // Every file shown whatever the filter, so that each one's row says whether it was read.
    model->setNameFilterDisables(true);
    model->setFilter(model->filter() | QDir::Files);
    const QDir folder = chooser.directory();
    const QStringList files = folder.entryList(QDir::Files);
    return !files.isEmpty() && std::all_of(files.begin(), files.end(), [&](const QString& file) {
        return !model->type(model->index(folder.filePath(file))).isEmpty();
    });
}

class LockAcrossDialogs : public testing::DialogFlow {
  protected:
    void SetUp() override {
        DialogFlow::SetUp();
        // The program's dialogs with Qt's own choosers.
        realDialogs = std::make_unique<QtDialogs>(state, hook, messages, choosers, typingClock);
        dialogs.forwardTo = realDialogs.get();
        // Where the program takes it when it runs on the virtual keyboard.
        lock = (state.dataPath() + "VirtualKeyboard.lock").toStdString();
        ASSERT_EQ(DeviceClaim::takeLockFile(lock, claim), DeviceClaim::Outcome::Claimed);
    }

    // Runs open, which brings up a modal Window; once it is up and ready, runs inside in it
    // and closes it.
    template <typename Window>
    void whileModal(
        const std::function<void()>& open, const std::function<void()>& inside,
        const std::function<bool(Window&)>& ready = [](Window&) { return true; }) {
        bool closed = false;
        const QDeadlineTimer deadline(20000);
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* window = dynamic_cast<Window*>(QApplication::activeModalWidget());
            if (window == nullptr || closed) return;
            const bool isReady = ready(*window);
            if (!isReady && !deadline.hasExpired()) return;
            if (isReady) inside();
            closed = true;
            static_cast<QDialog*>(window)->done(QDialog::Rejected);
        });
        poll.start();
        open();
        EXPECT_TRUE(closed) << "it did not open";
    }
    // A chooser opened from the profile dialog in the data folder, asked for as Export asks
    // (Load and the folder chooser leave out what they do not use).
    using Pick = std::optional<std::u16string> (FilePickers::*)(const FilePickers::Request&);
    void inChooser(Pick pick, const std::function<void()>& inside) {
        FilePickers::Request request;
        request.folder = folder.path().toStdU16String();
        request.filterName = u"bin Files";
        request.filterPattern = u"*.bin";
        request.mustExist = false;
        request.defaultSuffix = u"bin";
        for (const char* own : {"keymap.bin", "MacroDefine.bin", "VirtualKeyboard.bin"}) {
            request.hidden.push_back(folder.filePath(own).toStdU16String());
        }
        inProfiles([&](CConfigureDlg&) {
            whileModal<QFileDialog>([&] { (choosers.*pick)(request); }, inside, listed);
        });
    }

    QtFilePickers choosers;
    QtMessageBoxes boxes;
    std::string lock;
    std::unique_ptr<DeviceClaim> claim;
};

TEST_F(LockAcrossDialogs, AnotherProgramIsShutOutWhileEachIsOpenAndAfter) {
    start();
    boxes.setOwner(window.get());
    FrontProfiles front(*window, state, timers);
    realDialogs->setProfileRules([&](QWidget* owner) { front.runRulesWindow(owner, messages); });
    using Inside = std::function<void()>;
    const struct {
        const char* name;
        std::function<void(const Inside&)> open;
    } windows[] = {
        {"a navigation key's dialog",
         [&](const Inside& in) { clickKey(35, [&](KeyAssignmentDialog&) { in(); }); }},
        {"another key's dialog",
         [&](const Inside& in) { clickKey(63, [&](KeyAssignmentDialog&) { in(); }); }},
        {"the macro manager",
         [&](const Inside& in) { inMacroManager([&](CMacroRecordDlg&) { in(); }); }},
        {"the profile dialog",
         [&](const Inside& in) { inProfiles([&](CConfigureDlg&) { in(); }); }},
        {"the rules window",
         [&](const Inside& in) {
             whileModal<ProfileRulesDialog>([&] { realDialogs->runProfileRules(); }, in);
         }},
        {"a question",
         [&](const Inside& in) {
             whileModal<QMessageBox>([&] { boxes.ask(u"Restore?", u"Factory Setting"); }, in);
         }},
        {"a Save or Export chooser",
         [&](const Inside& in) { inChooser(&FilePickers::saveFile, in); }},
        {"a Load chooser", [&](const Inside& in) { inChooser(&FilePickers::openFile, in); }},
        {"a folder chooser", [&](const Inside& in) { inChooser(&FilePickers::folder, in); }},
    };
    for (const auto& opened : windows) {
        SCOPED_TRACE(opened.name);
        std::optional<OtherProcess> whileOpen;
        opened.open([&] { whileOpen = anotherProcessLocks(lock); });
        EXPECT_EQ(whileOpen, OtherProcess::Refused) << "while open";
        EXPECT_EQ(anotherProcessLocks(lock), OtherProcess::Refused) << "once closed";
    }
}

}  // namespace
}  // namespace tq260
