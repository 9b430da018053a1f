// The profile dialog: opening it on six profiles until it is painted, and Copy of a full
// profile against a plain read and write of the same bytes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <memory>
#include <vector>

#include "against_plain_copy.h"
#include "dialogs/configure_dlg.h"
#include "keys/keymap_file.h"
#include "plain_durable_write.h"

namespace tq260 {
namespace {

using Clock = std::chrono::steady_clock;

QString applicationFolder;

class Quiet final : public MessageBoxes, public FilePickers {
  public:
    void tell(const std::u16string&, const std::u16string&) override {}
    bool ask(const std::u16string&, const std::u16string&) override { return false; }
    std::optional<std::u16string> openFile(const Request&) override { return std::nullopt; }
    std::optional<std::u16string> saveFile(const Request&) override { return std::nullopt; }
    std::optional<std::u16string> folder(const Request&) override { return std::nullopt; }
};

// A scratch application folder with the skins and six full profiles.
struct Rig {
    Rig() {
        QFile::link(QDir(applicationFolder).absoluteFilePath("png"), scratch.filePath("png"));
        QDir(scratch.path()).mkpath("Configure");
        for (int i = 1; i <= 6; ++i) {
            QFile file(scratch.filePath(QStringLiteral("Configure/Profile_%1.bin").arg(i)));
            if (file.open(QIODevice::WriteOnly)) file.write(QByteArray(kKeymapFileSize, '\x5A'));
        }
    }
    std::filesystem::path configure() const {
        return std::filesystem::path(scratch.filePath("Configure").toStdString());
    }
    QTemporaryDir scratch;
    DeviceSettings settings;
    std::unique_ptr<AssignmentTable> assignments = std::make_unique<AssignmentTable>();
    RecordMutex lock;
    Quiet quiet;
    ProfileStore store;
};

void OpeningTheProfileDialogOnSixProfilesUntilPainted(benchmark::State& state) {
    Rig rig;
    CConfigureDlg dialog({rig.scratch.path() + "/",
                          rig.scratch.path() + "/",
                          Language::English,
                          {rig.settings, *rig.assignments, rig.lock},
                          rig.quiet,
                          rig.quiet,
                          rig.store});
    for (auto _ : state) {
        dialog.prepare(QRect(0, 0, 1000, 640));
        dialog.show();
        benchmark::DoNotOptimize(dialog.render());
        dialog.done(QDialog::Accepted);
    }
    if (dialog.list()->count() != 6) state.SkipWithError("the six profiles are not listed");
}
BENCHMARK(OpeningTheProfileDialogOnSixProfilesUntilPainted)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// Copy reads the profile, writes the copy beside it in one rename and reads the folder again;
// the plain one reads the same bytes and writes them with an fsync. Both copies are removed
// between rounds, outside the timing.
void CopyOfAFullProfileAgainstAPlainCopy(benchmark::State& state) {
    Rig rig;
    const std::filesystem::path folder = rig.configure();
    std::vector<char> bytes(kKeymapFileSize);
    std::chrono::nanoseconds ours{0};
    std::chrono::nanoseconds plain{0};
    for (auto _ : state) {
        // Five profiles, so that Copy has room for the sixth.
        state.PauseTiming();
        std::filesystem::remove(folder / "Profile_6.bin");
        ProfileStore store;
        store.open(folder);
        state.ResumeTiming();

        auto start = Clock::now();
        {
            std::ifstream in(folder / "Profile_1.bin", std::ios::binary);
            in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            plainDurableWrite(folder / "plain copy.bin", bytes.data(), bytes.size());
        }
        plain += Clock::now() - start;
        start = Clock::now();
        const ProfileStore::Outcome copied = store.copy(0, Language::English);
        ours += Clock::now() - start;

        state.PauseTiming();
        if (copied.result != ProfileStore::Result::Done) state.SkipWithError("Copy failed");
        std::filesystem::remove(folder / "plain copy.bin");
        std::filesystem::rename(folder / "Copy of Profile_1.bin", folder / "Profile_6.bin");
        state.ResumeTiming();
    }
    state.counters["copy_over_plain"] =
        static_cast<double>(ours.count()) / static_cast<double>(plain.count());
    state.counters["copy_us"] =
        static_cast<double>(ours.count()) / 1000.0 / static_cast<double>(state.iterations());
}
BENCHMARK(CopyOfAFullProfileAgainstAPlainCopy)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace
}  // namespace tq260

TQ260_QT_BENCHMARK_MAIN(tq260::applicationFolder, "/../application/")
