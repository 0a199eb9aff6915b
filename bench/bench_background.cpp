// SPDX-License-Identifier: MIT
// One background at the window sizes people use, at the start-up floor, the settings' default floor and
// the highest floor the settings dialog offers; plus the slowest setting that still retries and one
// that draws colours directly.
#include "background/ShapeGenerator.h"
#include "canvas/ImageSurface.h"

#include <benchmark/benchmark.h>

namespace {

void Background(benchmark::State& state, int nFloor) {
    QImage image(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), QImage::Format_RGB32);
    CShapeGenerator generator(255, 255, 255, nFloor, 150);
    for (auto _ : state) {
        CImageSurface dc(image);
        generator.Draw(dc);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["floor"] = nFloor;
    state.counters["acceptance"] = generator.AcceptanceProbability();
    state.counters["retry_loop"] = generator.UsesRetryLoop() ? 1 : 0;
}

// The highest floor at which colours still come from retries: the most attempts per colour.
int SlowestRetryFloor() {
    CShapeGenerator generator(255, 255, 255, 0, 150);
    int nFloor = 0;
    for (int f = 600; f <= 765; ++f) {
        generator.m_nContrast = f;
        if (generator.UsesRetryLoop())
            nFloor = f;
    }
    return nFloor;
}

void BM_BackgroundStartUpFloor(benchmark::State& state) {
    Background(state, 200);
}
void BM_BackgroundDefaultFloor(benchmark::State& state) {
    Background(state, 400);
}
void BM_BackgroundHighestDialogFloor(benchmark::State& state) {
    Background(state, 725);
}
void BM_BackgroundSlowestRetry(benchmark::State& state) {
    Background(state, SlowestRetryFloor());
}
void BM_BackgroundDirectDraw(benchmark::State& state) {
    Background(state, 764);
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Args({640, 480})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_BackgroundStartUpFloor)->Apply(Sizes);
BENCHMARK(BM_BackgroundDefaultFloor)->Apply(Sizes);
BENCHMARK(BM_BackgroundHighestDialogFloor)->Apply(Sizes);
BENCHMARK(BM_BackgroundSlowestRetry)->Apply(Sizes);
BENCHMARK(BM_BackgroundDirectDraw)->Apply(Sizes);

BENCHMARK_MAIN();
