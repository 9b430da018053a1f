// The key dialogs: opening one until it is painted, as a key click does, and one captured
// key from the hook's report to the repainted box.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "against_plain_copy.h"
#include "controls/window_messages.h"
#include "dialogs/key_map.h"
#include "dialogs/keymap_dlg2.h"
#include "keys/key_layout.h"

namespace tq260 {
namespace {

QString applicationFolder;

class Quiet final : public MessageBoxes, public FilePickers, public KeyHook {
  public:
    void tell(const std::u16string&, const std::u16string&) override {}
    bool ask(const std::u16string&, const std::u16string&) override { return false; }
    std::optional<std::u16string> openFile(const Request&) override { return std::nullopt; }
    std::optional<std::u16string> saveFile(const Request&) override { return std::nullopt; }
    std::optional<std::u16string> folder(const Request&) override { return std::nullopt; }
    bool install(WindowHandle, int) override { return true; }
    void remove() override {}
};

// The program's dialogs as it builds them at start, with six saved macros.
struct Dialogs {
    Dialogs() {
        for (std::size_t i = 0; i < kKeyboardMacroSlots; ++i) (*macros)[i].setName(u"Macro");
    }
    KeyDialogContext context() {
        return {applicationFolder, Language::English, names, *macros, quiet, quiet, quiet};
    }
    const KeyNameTable names;
    std::unique_ptr<MacroTable> macros = std::make_unique<MacroTable>();
    Quiet quiet;
};

// Opens the dialog on a key with a stored media function (the tree's page, the fullest),
// paints it, and closes it.
void OpeningAKeyDialogUntilPainted(benchmark::State& state) {
    Dialogs dialogs;
    CKeymapDlg2 dialog(dialogs.context());
    KeyAssignment record;
    record.identity = KeyLayout[63].virtualKey;
    record.type = 3;
    record.data = {3, 0, 0xCD, 0};
    AssignmentRequest request;
    for (auto _ : state) {
        dialog.prepare(63, record, request);
        dialog.show();
        benchmark::DoNotOptimize(dialog.render());
        dialog.done(QDialog::Rejected);
    }
}
BENCHMARK(OpeningAKeyDialogUntilPainted)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One report of the hook, alternating two keys, until the box shows it.
void OneCapturedKeyUntilTheBoxIsRepainted(benchmark::State& state) {
    Dialogs dialogs;
    CKeyMap dialog(dialogs.context());
    KeyAssignment record;
    AssignmentRequest request;
    dialog.prepare(35, record, request);
    dialog.show();
    QCoreApplication::processEvents();
    std::uint8_t key = 'A';
    for (auto _ : state) {
        sendWindowMessage(&dialog, WM_HOOK_KEY, key, 0);
        sendWindowMessage(&dialog, WM_HOOK_KEY, key, static_cast<qintptr>(KeyHook::kReleaseFlag));
        dialog.keyBox()->repaint();
        key = key == 'A' ? 'B' : 'A';
    }
    dialog.done(QDialog::Rejected);
}
BENCHMARK(OneCapturedKeyUntilTheBoxIsRepainted)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
}  // namespace tq260

TQ260_QT_BENCHMARK_MAIN(tq260::applicationFolder, "/../application/")
