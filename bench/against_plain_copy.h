#pragma once

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QString>
#include <chrono>

// The paint benchmarks' yardstick: as many plain copies of a decoded image as the benchmark
// ran iterations, timed right after them, each into an image of its own size. Reports the
// time per paint, per copy and their ratio under the given names.
inline void reportAgainstPlainCopies(benchmark::State& state, std::chrono::nanoseconds paints,
                                     const QImage& decoded, const char* paintName,
                                     const char* ratioName) {
    QImage target(decoded.size(), QImage::Format_RGB32);
    target.setDevicePixelRatio(decoded.devicePixelRatio());  // pixel for pixel at any density
    const auto start = std::chrono::steady_clock::now();
    for (benchmark::IterationCount i = 0; i < state.iterations(); ++i) {
        QPainter(&target).drawImage(0, 0, decoded);
    }
    const std::chrono::nanoseconds copies = std::chrono::steady_clock::now() - start;
    const auto n = static_cast<double>(state.iterations());
    state.counters[paintName] = static_cast<double>(paints.count()) / 1e6 / n;
    state.counters["copy_ms"] = static_cast<double>(copies.count()) / 1e6 / n;
    state.counters[ratioName] =
        static_cast<double>(paints.count()) / static_cast<double>(copies.count());
}

// Runs a Qt program's benchmarks on the offscreen platform; folder is set to the folder of
// the skins (relative to the benchmark program).
#define TQ260_QT_BENCHMARK_MAIN(folder, relative)                   \
    int main(int argc, char** argv) {                               \
        qputenv("QT_QPA_PLATFORM", "offscreen");                    \
        QApplication application(argc, argv);                       \
        folder = QCoreApplication::applicationDirPath() + relative; \
        benchmark::Initialize(&argc, argv);                         \
        benchmark::RunSpecifiedBenchmarks();                        \
        return 0;                                                   \
    }
