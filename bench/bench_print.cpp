// SPDX-License-Identifier: MIT
// One printed page of a 1920 x 1080 picture through the view's OnPrint: into a PDF file (the path every
// print takes on Linux, where CUPS receives PDF) and into an image of the page's size at 300 dpi (what a
// raster printer driver does). For comparison: the same PDF page with the image written the toolkit's
// default way (JPEG), and the composition alone. Figures are the medians of interleaved repetitions.

#include "canvas/surface/Compositor.h"
#include "canvas/ZelvorandineView.h"

#include "bench/MedianReporter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRasterDpi = 300;

// A background of many colours under a cover etched in strips, like a picture in progress.
void SetPicture(CZelvorandineView& view) {
    QImage color(kWidth, kHeight, QImage::Format_RGB32);
    QImage cover(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* pColor = reinterpret_cast<QRgb*>(color.scanLine(y));
        auto* pCover = reinterpret_cast<QRgb*>(cover.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            pColor[x] = qRgb((x * 7) & 0xFF, (y * 5) & 0xFF, ((x ^ y) * 3) & 0xFF);
            pCover[x] = ((x / 16 + y / 16) % 3) != 0 ? 0xFFFFFFFFu : 0xFF000000u;
        }
    }
    view.m_bmpColor = color;
    view.m_bmpCover = cover;
    view.m_nLayerWidth = kWidth;
    view.m_nLayerHeight = kHeight;
    view.m_bReady = 1;
}

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

void SetUpPdf(QPrinter& printer, const QString& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
}

void BM_PrintPdfPage(benchmark::State& state) {
    CZelvorandineView view;
    SetPicture(view);
    const QString path = Folder().filePath(QStringLiteral("page.pdf"));
    qint64 nBytes = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        SetUpPdf(printer, path);
        if (!view.PrintTo(printer)) {
            state.SkipWithError("the PDF could not be written");
            break;
        }
    }
    nBytes = QFile(path).size();
    state.counters["pdf_bytes"] = double(nBytes);
}

// The same page with the image handed to the PDF writer without asking for lossless rendering.
void BM_PdfPageJpegReference(benchmark::State& state) {
    CZelvorandineView view;
    SetPicture(view);
    CCompositor::AndInto(view.m_bmpCover, view.m_bmpColor, view.m_bmpCover.rect());
    const QString path = Folder().filePath(QStringLiteral("jpeg.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        SetUpPdf(printer, path);
        QPainter painter;
        if (!painter.begin(&printer)) {
            state.SkipWithError("the PDF could not be written");
            break;
        }
        const QRect page(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
        painter.drawImage(CZelvorandineView::PrintRect(view.m_bmpCover.size(), page), view.m_bmpCover);
        painter.end();
    }
    state.counters["pdf_bytes"] = double(QFile(path).size());
}

void BM_PrintRasterPage(benchmark::State& state) {
    CZelvorandineView view;
    SetPicture(view);
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, Folder().filePath(QStringLiteral("unused.pdf")));
    printer.setResolution(kRasterDpi);
    QImage page(printer.pageLayout().paintRectPixels(kRasterDpi).size(), QImage::Format_RGB32);
    for (auto _ : state) {
        page.fill(Qt::white);
        QPainter painter(&page);
        view.OnPrint(painter, printer);
        painter.end();
        benchmark::DoNotOptimize(page.constBits());
    }
    state.counters["page_pixels"] = double(page.width()) * page.height();
}

void BM_ComposeOnly(benchmark::State& state) {
    CZelvorandineView view;
    SetPicture(view);
    for (auto _ : state) {
        CCompositor::AndInto(view.m_bmpCover, view.m_bmpColor, view.m_bmpCover.rect());
        benchmark::DoNotOptimize(view.m_bmpCover.constBits());
    }
}

void Timing(benchmark::internal::Benchmark* pBenchmark) {
    pBenchmark->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.2)->Repetitions(5);
}

BENCHMARK(BM_PrintPdfPage)->Apply(Timing);
BENCHMARK(BM_PdfPageJpegReference)->Apply(Timing);
BENCHMARK(BM_PrintRasterPage)->Apply(Timing);
BENCHMARK(BM_ComposeOnly)->Apply(Timing);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!Folder().isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    CMedianReporter reporter;
    if (!reporter.RunInterleaved(argc, argv))
        return 1;

    const double pdf = reporter.Median("BM_PrintPdfPage");
    const double jpeg = reporter.Median("BM_PdfPageJpegReference");
    const double raster = reporter.Median("BM_PrintRasterPage");
    const double compose = reporter.Median("BM_ComposeOnly");
    std::printf("\n%dx%d picture, one A4 page, medians of the repetitions:\n", kWidth, kHeight);
    if (pdf > 0)
        std::printf("  OnPrint into a PDF file (1200 dpi)     %8.2f ms\n", pdf * 1e3);
    if (jpeg > 0)
        std::printf("  same page, image as JPEG (reference)   %8.2f ms\n", jpeg * 1e3);
    if (raster > 0)
        std::printf("  OnPrint into a %d dpi page image      %8.2f ms\n", kRasterDpi, raster * 1e3);
    if (compose > 0)
        std::printf("  composition alone                      %8.2f ms\n", compose * 1e3);
    if (pdf > 0 && jpeg > 0)
        std::printf("  lossless PDF page / JPEG PDF page      %8.2f\n", pdf / jpeg);
    if (pdf > 0 && raster > 0)
        std::printf("  PDF page / raster page                 %8.2f\n", pdf / raster);
    return 0;
}
