// Painting a skinned window the way every window of the program paints: a 1000 x 640
// background, nine more images and twenty labels composed off-screen, then copied once.
// Each figure is reported against one plain copy of a decoded 1000 x 640 image.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <chrono>
#include <vector>

#include "against_plain_copy.h"
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
    reportAgainstPlainCopies(state, paints, decoded, "paint_ms", "paint_over_copy");
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

TQ260_QT_BENCHMARK_MAIN(tq260::folder, "/../application/png/english/")
