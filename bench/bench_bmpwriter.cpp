// SPDX-License-Identifier: MIT
// Writing a 3840 x 2160 picture: CBmpWriter against QImage::save(path, "BMP") on the same image, and against
// a plain write of the same number of bytes, which is as fast as any writer can be. All three write into one
// temporary folder on the normal disk. The ratios come from one run; the program ends with a non-zero
// status when a budget is missed:
//   - a save takes less than 50 ms;
//   - it is at least 1.5 times faster than QImage::save;
//   - it takes at most 1.6 times the plain write.

#include "output/BmpWriter.h"

#include "bench/MedianReporter.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

const QImage& Picture() {
    static const QImage picture = [] {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        for (int y = 0; y < kHeight; ++y) {
            auto* pLine = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < kWidth; ++x)
                pLine[x] = qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
        }
        return image;
    }();
    return picture;
}

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

const qint64 kFileSize = CBmpWriter::FileSize(kWidth, kHeight);

void BM_CBmpWriter(benchmark::State& state) {
    const QImage& picture = Picture();
    const QString path = Folder().filePath(QStringLiteral("writer.bmp"));
    for (auto _ : state) {
        CBmpWriter writer;
        QString reason;
        if (!writer.WritePicture(picture, path, &reason)) {
            state.SkipWithError(qPrintable(reason));
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_QImageSave(benchmark::State& state) {
    const QImage& picture = Picture();
    const QString path = Folder().filePath(QStringLiteral("qimage.bmp"));
    for (auto _ : state) {
        if (!picture.save(path, "BMP")) {
            state.SkipWithError("QImage::save failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_PlainWrite(benchmark::State& state) {
    const QByteArray bytes(kFileSize, '\x5A');
    const QString path = Folder().filePath(QStringLiteral("plain.bin"));
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
            state.SkipWithError("plain write failed");
            break;
        }
        file.close();
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

// For the report only: the plain write made durable the way a safe save must be (QSaveFile syncs on commit).
void BM_PlainWriteSynced(benchmark::State& state) {
    const QByteArray bytes(kFileSize, '\x5A');
    const QString path = Folder().filePath(QStringLiteral("synced.bin"));
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
            ::fdatasync(file.handle()) != 0) {
            state.SkipWithError("plain write failed");
            break;
        }
        file.close();
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

// The file image alone, without the disk.
void BM_BuildFileImage(benchmark::State& state) {
    const QImage& picture = Picture();
    for (auto _ : state) {
        CBmpWriter::SFileImage image;
        if (!CBmpWriter::BuildFileImage(picture, &image)) {
            state.SkipWithError("no file image");
            break;
        }
        benchmark::DoNotOptimize(image.pBytes.get());
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

// Repetitions run interleaved in random order (see main), so that a change in the machine's load falls on all
// contenders alike and the ratios of the medians hold.
void Timing(benchmark::internal::Benchmark* pBenchmark) {
    pBenchmark->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.2)->Repetitions(7);
}

BENCHMARK(BM_CBmpWriter)->Apply(Timing);
BENCHMARK(BM_QImageSave)->Apply(Timing);
BENCHMARK(BM_PlainWrite)->Apply(Timing);
BENCHMARK(BM_PlainWriteSynced)->Apply(Timing);
BENCHMARK(BM_BuildFileImage)->Apply(Timing);

} // namespace

int main(int argc, char** argv) {
    if (!Folder().isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    CMedianReporter reporter;
    if (!reporter.RunInterleaved(argc, argv))
        return 1;

    const double writer = reporter.Median("BM_CBmpWriter");
    const double qimage = reporter.Median("BM_QImageSave");
    const double plain = reporter.Median("BM_PlainWrite");
    if (writer <= 0 || qimage <= 0 || plain <= 0) {
        std::printf("\nbudgets not checked: run all of BM_CBmpWriter, BM_QImageSave and BM_PlainWrite\n");
        return 0;
    }
    const double speedUp = qimage / writer;
    const double overPlain = writer / plain;
    const bool bTime = writer < 0.050;
    const bool bSpeedUp = speedUp >= 1.5;
    const bool bOverPlain = overPlain <= 1.6;
    std::printf("\n%dx%d, %lld bytes, medians of the repetitions:\n", kWidth, kHeight,
                static_cast<long long>(kFileSize));
    std::printf("  CBmpWriter::WritePicture   %7.2f ms   budget < 50 ms          %s\n", writer * 1e3,
                bTime ? "ok" : "MISSED");
    std::printf("  QImage::save / CBmpWriter  %7.2f      budget >= 1.5           %s\n", speedUp,
                bSpeedUp ? "ok" : "MISSED");
    std::printf("  CBmpWriter / plain write   %7.2f      budget <= 1.6           %s\n", overPlain,
                bOverPlain ? "ok" : "MISSED");
    std::printf(
        "  (QImage::save %.2f ms, plain write %.2f ms, plain write + fdatasync %.2f ms, file image in "
        "memory %.2f ms)\n",
        qimage * 1e3, plain * 1e3, reporter.Median("BM_PlainWriteSynced") * 1e3,
        reporter.Median("BM_BuildFileImage") * 1e3);
    return bTime && bSpeedUp && bOverPlain ? 0 : 1;
}
