// Painting a skinned window the way every window of the program paints: a 1000 x 640
// background, nine more images and twenty labels composed off-screen, then copied once.
// Each figure is reported against one plain copy of a decoded 1000 x 640 image.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <chrono>
#include <vector>

#include "controls/skin_image.h"
#include "controls/skin_image_cache.h"

namespace tq260 {
namespace {

using Clock = std::chrono::steady_clock;

const char* const kImages[] = {"main.png",
                               "kb_BK.png",
                               "logo.png",
                               "itemBK.png",
                               "LEDEffect_open.png",
                               "Light_Item.png",
                               "gamemode_open.png",
                               "button-save-normal.png",
                               "button-cancel-normal.png",
                               "Config.png"};
const QPoint kPlaces[] = {{0, 0},    {294, 108}, {19, 32},   {19, 110},  {19, 130},
                          {28, 158}, {19, 358},  {924, 605}, {800, 605}, {17, 603}};

QString folder;

template <typename Load>
void paintWindow(QImage& screen, Load load) {
    QImage surface(1000, 640, QImage::Format_RGB32);
    QPainter p(&surface);
    for (std::size_t i = 0; i < std::size(kImages); ++i) {
        load(folder + kImages[i]).draw(p, kPlaces[i].x(), kPlaces[i].y());
    }
    for (int label = 0; label < 20; ++label)
        drawLabel(p, "Response Time", 30, 100 + label * 24, 15);
    p.end();
    QPainter(&screen).drawImage(0, 0, surface);
}

template <typename Load>
void measure(benchmark::State& state, Load load) {
    const QImage decoded = SkinImage::load(folder + "main.png").image();
    QImage screen(1000, 640, QImage::Format_RGB32);
    std::chrono::nanoseconds paints{0};
    for (auto _ : state) {
        const auto start = Clock::now();
        paintWindow(screen, load);
        paints += Clock::now() - start;
    }
    // As many plain copies, timed the same way, right after, into an image of their own.
    const auto n = static_cast<double>(state.iterations());
    const auto start = Clock::now();
    QImage target(1000, 640, QImage::Format_RGB32);
    for (benchmark::IterationCount i = 0; i < state.iterations(); ++i) {
        QPainter(&target).drawImage(0, 0, decoded);
    }
    const std::chrono::nanoseconds copies = Clock::now() - start;
    state.counters["copy_ms"] =
        static_cast<double>(copies.count()) / 1e6 / static_cast<double>(state.iterations());
    state.counters["paint_ms"] = static_cast<double>(paints.count()) / 1e6 / n;
    state.counters["paint_over_copy"] =
        static_cast<double>(paints.count()) / static_cast<double>(copies.count());
}

void PaintDecodingEveryImage(benchmark::State& state) {
    measure(state, [](const QString& path) { return SkinImage::load(path); });
}
BENCHMARK(PaintDecodingEveryImage)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void PaintWithDecodedImagesKept(benchmark::State& state) {
    SkinImageCache cache;
    measure(state, [&](const QString& path) -> const SkinImage& { return cache.image(path); });
}
BENCHMARK(PaintWithDecodedImagesKept)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace tq260

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    tq260::folder = QCoreApplication::applicationDirPath() + "/../application/png/english/";
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
