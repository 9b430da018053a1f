// The macro manager: one key report at its worst (a 190-byte insertion and the record
// write), filling the event list from a full record, and how closely recorded delays follow
// the real gaps between keys.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

#include "against_plain_copy.h"
#include "app/qt_key_hook.h"
#include "controls/window_messages.h"
#include "dialogs/macro_record_dlg.h"
#include "emulator/virtual_clock.h"
#include "platform/real_clock.h"

namespace tq260 {
namespace {

QString applicationFolder;

class Quiet final : public MessageBoxes, public KeyHook {
  public:
    void tell(const std::u16string&, const std::u16string&) override {}
    bool ask(const std::u16string&, const std::u16string&) override { return false; }
    bool install(WindowHandle, int) override { return true; }
    void remove() override {}
};

// A macro whose strings hold 188 bytes: 94 presses and releases of A without delays.
std::unique_ptr<MacroTable> nearlyFullTable() {
    auto table = std::make_unique<MacroTable>();
    MacroRecord& record = (*table)[0];
    record.setName(u"Full");
    record.loopCount = 1;
    for (std::size_t o = 0; o + 2 < kEventStringSize; o += 2) {
        const bool release = o % 4 == 2;
        record.keyEvents[o] = record.deviceEvents[o] = release ? 0x81 : 0x01;
        record.keyEvents[o + 1] = 'A';
        record.deviceEvents[o + 1] = 0x04;
    }
    return table;
}

// An armed insertion before the first line: the press shifts all 188 bytes of both strings,
// the list is made again and the record written. The editor is set up again outside the
// measurement each time.
void OneKeyReportInsertedAtTheFront(benchmark::State& state) {
    const KeyNameTable names;
    Quiet quiet;
    VirtualClock clock;
    const auto original = nearlyFullTable();
    auto table = std::make_unique<MacroTable>();
    MacroEditor editor(names, quiet, clock);
    for (auto _ : state) {
        state.PauseTiming();
        (*table)[0] = (*original)[0];
        editor.open(*table, WindowHandle{1});
        editor.selectEventLine(0);
        editor.insertBefore();
        state.ResumeTiming();
        editor.hookKey('B', false);
    }
    if ((*table)[0].keyEvents[1] != 'B') state.SkipWithError("nothing was inserted");
}
BENCHMARK(OneKeyReportInsertedAtTheFront)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// The same report as the window handles it: the editor, then the event list brought in line.
void OneKeyReportUntilTheListIsRepainted(benchmark::State& state) {
    const KeyNameTable names;
    Quiet quiet;
    VirtualClock clock;
    const auto original = nearlyFullTable();
    auto table = std::make_unique<MacroTable>();
    CMacroRecordDlg dialog({applicationFolder, Language::English, names, quiet, quiet, clock});
    for (auto _ : state) {
        state.PauseTiming();
        (*table)[0] = (*original)[0];
        dialog.prepare(*table);
        dialog.show();
        dialog.eventList()->setCurrentRow(0);
        dialog.runMenuCommand(kInsertBeforeCommand);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        sendWindowMessage(&dialog, WM_HOOK_KEY, 'B', 0);
        dialog.eventList()->viewport()->repaint();
    }
    dialog.done(QDialog::Rejected);
}
BENCHMARK(OneKeyReportUntilTheListIsRepainted)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// Selecting a macro whose strings are full: 94 events read, 94 lines made.
void FillingTheEventListFromAFullRecord(benchmark::State& state) {
    const KeyNameTable names;
    Quiet quiet;
    VirtualClock clock;
    auto table = nearlyFullTable();
    (*table)[1] = (*table)[0];
    MacroEditor editor(names, quiet, clock);
    editor.open(*table, WindowHandle{1});
    int line = 0;
    for (auto _ : state) {
        editor.selectMacro(line);
        line ^= 1;
        benchmark::DoNotOptimize(editor.eventLines().size());
    }
}
BENCHMARK(FillingTheEventListFromAFullRecord)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// The same in the window, until both lists are repainted.
void FillingTheEventListInTheWindow(benchmark::State& state) {
    const KeyNameTable names;
    Quiet quiet;
    VirtualClock clock;
    auto table = nearlyFullTable();
    (*table)[1] = (*table)[0];
    (*table)[1].keyEvents[1] = 'B';
    (*table)[1].deviceEvents[1] = 0x05;
    CMacroRecordDlg dialog({applicationFolder, Language::English, names, quiet, quiet, clock});
    dialog.prepare(*table);
    dialog.show();
    QCoreApplication::processEvents();
    int line = 1;
    for (auto _ : state) {
        dialog.macroList()->setCurrentRow(line);
        dialog.eventList()->viewport()->repaint();
        line ^= 1;
    }
    dialog.done(QDialog::Rejected);
}
BENCHMARK(FillingTheEventListInTheWindow)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Keys typed through the program's own key hook at known gaps on the real clock. The gap is
// measured between the moments the key events are handed to the window; the recorded delay
// must be within 1 ms of it.
void RecordedDelaysAgainstRealGaps(benchmark::State& state) {
    const auto gapMs = static_cast<int>(state.range(0));
    const KeyNameTable names;
    Quiet quiet;
    RealClock clock;
    QtKeyHook hook;
    auto table = std::make_unique<MacroTable>();
    CMacroRecordDlg dialog({applicationFolder, Language::English, names, hook, quiet, clock});
    double worst = 0;
    double total = 0;
    int samples = 0;
    for (auto _ : state) {
        (*table)[0] = MacroRecord{};
        (*table)[0].setName(u"Timed");
        dialog.prepare(*table);
        dialog.show();
        QCoreApplication::processEvents();
        for (const QPointF at : {QPointF(375, 175), QPointF(330, 110)}) {  // Record Delay, Record
            QMouseEvent click(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(&dialog, &click);
        }
        const auto send = [&](QEvent::Type type) {
            // Q, by its position (evdev 16, scan code 24), as the X server reports it.
            QKeyEvent key(type, Qt::Key_Q, Qt::NoModifier, 24, 0, 0, QStringLiteral("q"));
            const auto at = std::chrono::steady_clock::now();
            QApplication::sendEvent(dialog.macroList(), &key);
            return at;
        };
        const auto pressed = send(QEvent::KeyPress);
        std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
        const auto released = send(QEvent::KeyRelease);
        const double measured =
            std::chrono::duration<double, std::milli>(released - pressed).count();
        const MacroRecord& record = (*table)[0];
        const std::uint8_t type = record.keyEvents[2];
        const int recorded =
            (type & 0x7F) == 0x7F ? record.keyEvents[4] << 8 | record.keyEvents[5] : type & 0x7F;
        const double error = std::abs(recorded - measured);
        worst = std::max(worst, error);
        total += error;
        ++samples;
        dialog.done(QDialog::Rejected);
    }
    state.counters["worst_error_ms"] = worst;
    state.counters["mean_error_ms"] = total / std::max(1, samples);
    if (worst >= 1.0) state.SkipWithError("a recorded delay is 1 ms or more off its gap");
}
BENCHMARK(RecordedDelaysAgainstRealGaps)
    ->Arg(5)
    ->Arg(50)
    ->Arg(500)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tq260

TQ260_QT_BENCHMARK_MAIN(tq260::applicationFolder, "/../application/")
