// SPDX-License-Identifier: MIT
// Saving pictures. A 3840 x 2160 picture through CBmpWriter against QImage::save(path, "BMP") on the same
// image, and against a raw write of the same number of bytes made as safe as a save: a temporary file next to
// the target, one write, fdatasync, rename. A 1920 x 1080 etched picture saved as PNG and as BMP. All write
// into one temporary folder on the normal disk. Repetitions run interleaved in random order, so that a
// change in the machine's load falls on all contenders alike; --benchmark_repetitions and
// --benchmark_min_time default to 7 and 1 s and may be given. Budgets are judged on the medians of the
// repetitions; the program ends with a non-zero status when one is missed:
//   - a 3840 x 2160 BMP save takes less than 50 ms;
//   - it is at least 1.5 times faster than QImage::save;
//   - it takes at most 1.3 times the raw write;
//   - it raises the peak memory of the process by at most 1 MiB (measured once, before the timings);
//   - the PNG save of the 1920 x 1080 etched picture takes less than 150 ms.

#include "background/ShapeGenerator.h"
#include "canvas/surface/Compositor.h"
#include "canvas/surface/ImageSurface.h"
#include "output/BmpWriter.h"
#include "output/PictureWriter.h"
#include "output/PngWriter.h"

#include "bench/MedianReporter.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr int kEtchedWidth = 1920;
constexpr int kEtchedHeight = 1080;

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

// A generated background under a black cover etched with many strokes of the three reveal pens, composed
// as the view composes it.
const QImage& EtchedPicture() {
    static const QImage picture = [] {
        QImage color(kEtchedWidth, kEtchedHeight, QImage::Format_RGB32);
        CImageSurface colorSurface(color);
        g_generator.Draw(colorSurface);
        QImage cover(kEtchedWidth, kEtchedHeight, QImage::Format_RGB32);
        cover.fill(Qt::black);
        CImageSurface dc(cover);
        std::mt19937 random(20260101);
        std::uniform_int_distribution<int> step(-30, 30), pen(0, 2);
        for (int nStroke = 0; nStroke < 400; ++nStroke) {
            dc.SelectPen(CPenSpec{1 << pen(random), kWhite});
            int x = int(random() % kEtchedWidth), y = int(random() % kEtchedHeight);
            dc.MoveTo(x, y);
            for (int i = 0; i < 80; ++i)
                dc.LineTo(x += step(random), y += step(random));
        }
        CCompositor::AndInto(cover, color, cover.rect());
        return cover;
    }();
    return picture;
}

double EtchedShare() {
    const QImage& picture = EtchedPicture();
    qint64 nRevealed = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            nRevealed += (picture.pixel(x, y) & 0xFFFFFFu) != 0;
    return double(nRevealed) / (double(picture.width()) * picture.height());
}

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

const qint64 kFileSize = CBmpWriter::FileSize(kWidth, kHeight);

bool Save(const QImage& picture, const QString& name) {
    QString reason;
    if (CPictureWriter().WritePicture(picture, Folder().filePath(name), &reason))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(reason));
    return false;
}

void BM_CBmpWriter(benchmark::State& state) {
    const QImage& picture = Picture();
    for (auto _ : state) {
        if (!Save(picture, QStringLiteral("writer.bmp"))) {
            state.SkipWithError("save failed");
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

// The least any safe save of these bytes can cost.
void BM_RawWrite(benchmark::State& state) {
    const QByteArray bytes(kFileSize, '\x5A');
    const QByteArray temporary = QFile::encodeName(Folder().filePath(QStringLiteral("raw.tmp")));
    const QByteArray target = QFile::encodeName(Folder().filePath(QStringLiteral("raw.bin")));
    for (auto _ : state) {
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        const bool bWritten = fd >= 0 &&
                              ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() &&
                              ::fdatasync(fd) == 0;
        if (fd < 0 || ::close(fd) != 0 || !bWritten ||
            ::rename(temporary.constData(), target.constData()) != 0) {
            state.SkipWithError("raw write failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_EtchedPng(benchmark::State& state) {
    const QImage& picture = EtchedPicture();
    for (auto _ : state) {
        if (!Save(picture, QStringLiteral("etched.png"))) {
            state.SkipWithError("save failed");
            break;
        }
    }
    state.counters["file_KiB"] =
        double(QFileInfo(Folder().filePath(QStringLiteral("etched.png"))).size()) / 1024;
}

void BM_EtchedBmp(benchmark::State& state) {
    const QImage& picture = EtchedPicture();
    for (auto _ : state) {
        if (!Save(picture, QStringLiteral("etched.bmp"))) {
            state.SkipWithError("save failed");
            break;
        }
    }
}

BENCHMARK(BM_CBmpWriter)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QImageSave)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EtchedPng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EtchedBmp)->Unit(benchmark::kMillisecond)->UseRealTime();

// A field of /proc/self/status in KiB, or -1.
qint64 StatusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// How far one save raises the process's peak memory above what it held before, in KiB; -1 when the
// system does not tell.
qint64 PeakGrowthKiB(const QImage& picture, const QString& name) {
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1) // resets the peak
        return -1;
    clearRefs.close();
    const qint64 nBefore = StatusKiB("VmRSS:");
    if (nBefore < 0 || !Save(picture, name))
        return -1;
    return StatusKiB("VmHWM:") - nBefore;
}

} // namespace

int main(int argc, char** argv) {
    if (!Folder().isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    // The defaults first, so that the same options on the command line win.
    std::string repetitions = "--benchmark_repetitions=7", minTime = "--benchmark_min_time=1";
    std::vector<char*> arguments{argv[0], repetitions.data(), minTime.data()};
    arguments.insert(arguments.end(), argv + 1, argv + argc + 1); // with the closing null

    Save(Picture(), QStringLiteral("warm.bmp")); // the code and the file system's paths, not the buffers
    Save(EtchedPicture(), QStringLiteral("warm.png"));
    const qint64 nBmpGrowth = PeakGrowthKiB(Picture(), QStringLiteral("peak.bmp"));
    const qint64 nPngGrowth = PeakGrowthKiB(Picture(), QStringLiteral("peak.png"));

    CMedianReporter reporter;
    if (!reporter.RunInterleaved(int(arguments.size()) - 1, arguments.data()))
        return 1;

    const double writer = reporter.Median("BM_CBmpWriter");
    const double qimage = reporter.Median("BM_QImageSave");
    const double raw = reporter.Median("BM_RawWrite");
    const double png = reporter.Median("BM_EtchedPng");
    std::printf(
        "\nPeak memory added by one %dx%d save: BMP %lld KiB, PNG %lld KiB   budget <= 1024 KiB   %s\n",
        kWidth, kHeight, static_cast<long long>(nBmpGrowth), static_cast<long long>(nPngGrowth),
        nBmpGrowth >= 0 && nBmpGrowth <= 1024 ? "ok" : "MISSED");
    if (writer <= 0 || qimage <= 0 || raw <= 0 || png <= 0) {
        std::printf(
            "budgets not checked: run all of BM_CBmpWriter, BM_QImageSave, BM_RawWrite and BM_EtchedPng\n");
        return 0;
    }
    const double speedUp = qimage / writer;
    const double overRaw = writer / raw;
    const bool bTime = writer < 0.050;
    const bool bSpeedUp = speedUp >= 1.5;
    const bool bOverRaw = overRaw <= 1.3;
    const bool bPng = png < 0.150;
    const bool bMemory = nBmpGrowth >= 0 && nBmpGrowth <= 1024;
    std::printf("%dx%d, %lld bytes, medians of the repetitions:\n", kWidth, kHeight,
                static_cast<long long>(kFileSize));
    std::printf("  CBmpWriter::WritePicture   %7.2f ms   budget < 50 ms          %s\n", writer * 1e3,
                bTime ? "ok" : "MISSED");
    std::printf("  QImage::save / CBmpWriter  %7.2f      budget >= 1.5           %s\n", speedUp,
                bSpeedUp ? "ok" : "MISSED");
    std::printf("  CBmpWriter / raw write     %7.2f      budget <= 1.3           %s\n", overRaw,
                bOverRaw ? "ok" : "MISSED");
    std::printf("  (QImage::save %.2f ms, raw write with fdatasync and rename %.2f ms)\n", qimage * 1e3,
                raw * 1e3);
    std::printf("%dx%d etched picture (%.0f %% etched), medians of the repetitions:\n", kEtchedWidth,
                kEtchedHeight, EtchedShare() * 100);
    std::printf("  PNG save                   %7.2f ms   budget < 150 ms         %s\n", png * 1e3,
                bPng ? "ok" : "MISSED");
    std::printf("  (BMP save %.2f ms)\n", reporter.Median("BM_EtchedBmp") * 1e3);
    return bTime && bSpeedUp && bOverRaw && bPng && bMemory ? 0 : 1;
}
