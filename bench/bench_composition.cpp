// SPDX-License-Identifier: MIT
// Recomposing what one stroke segment touched against recomposing the whole canvas, measured side by
// side in one run; the counters give the times and their ratio.
#include "canvas/surface/Compositor.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

QImage Layer(int w, int h, QRgb fill) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_SegmentAgainstFull(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0));
    const int h = static_cast<int>(state.range(1));
    QImage cover = Layer(w, h, 0xFFFFFFFFu);
    const QImage color = Layer(w, h, 0xFF3C7AB4u);
    const QRect segment(w / 2 - 8, h / 2 - 8, 16, 16);
    constexpr int kSegments = 1000;
    std::chrono::steady_clock::duration full{};
    std::chrono::steady_clock::duration part{};
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        CCompositor::AndInto(cover, color, cover.rect());
        auto t1 = std::chrono::steady_clock::now();
        for (int i = 0; i < kSegments; ++i)
            CCompositor::AndInto(cover, color, segment);
        auto t2 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(cover.constBits());
        full += t1 - t0;
        part += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    const double fullUs = Seconds(full) / n * 1e6;
    const double segmentUs = Seconds(part) / (n * kSegments) * 1e6;
    state.counters["full_us"] = fullUs;
    state.counters["segment_us"] = segmentUs;
    state.counters["ratio"] = fullUs / segmentUs;
}

void BM_FullComposition(benchmark::State& state) {
    QImage cover = Layer(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 0xFFFFFFFFu);
    const QImage color = Layer(cover.width(), cover.height(), 0xFF3C7AB4u);
    for (auto _ : state) {
        CCompositor::AndInto(cover, color, cover.rect());
        benchmark::DoNotOptimize(cover.constBits());
    }
    state.SetBytesProcessed(state.iterations() * cover.sizeInBytes() * 2);
}

void BM_SegmentComposition(benchmark::State& state) {
    QImage cover = Layer(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 0xFFFFFFFFu);
    const QImage color = Layer(cover.width(), cover.height(), 0xFF3C7AB4u);
    const QRect segment(cover.width() / 2 - 8, cover.height() / 2 - 8, 16, 16);
    for (auto _ : state) {
        CCompositor::AndInto(cover, color, segment);
        benchmark::DoNotOptimize(cover.constBits());
    }
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Args({640, 480})->Args({1920, 1080})->Args({3840, 2160});
}

} // namespace

BENCHMARK(BM_SegmentAgainstFull)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullComposition)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SegmentComposition)->Apply(Sizes)->Unit(benchmark::kNanosecond);

BENCHMARK_MAIN();
