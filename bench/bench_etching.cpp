// SPDX-License-Identifier: MIT
// Etching cost follows the stroke, not the canvas. A 1000-segment stroke of each pen at 640x480,
// 1920x1080 and 3840x2160, segments about 10 pixels long as a quick drag gives them.
//
// Stroke/<pen>/<size>: per segment the line into the cover (plus the disc of the cover pen) and the AND of
// the colour layer (three bytes a pixel, as the view keeps it once accepted) over the rectangle the segment
// touched, as a mouse move does. Each iteration also walks a few segments of the same stroke composing the
// whole canvas instead, so the two costs and their ratio come from one run: counters dirty_us, full_us
// (per segment) and ratio = full / dirty.
//
// View/<pen>/<size>: the same stroke through the real view, offscreen: each segment is a mouse-move event
// sent to the view (cursor, drawing, composition, the touched rectangle gathered for the next frame);
// move_us per segment. ViewPaint/<pen>/<size> also runs the event loop after every move (paint_us), so
// that the view repaints as it does on screen, at most once per display frame.
//
// Budgets are judged on the medians of the repetitions (5 unless --benchmark_repetitions says otherwise),
// and the program ends with a non-zero status when one is missed, for View and ViewPaint alike:
//   - a bold-pen mouse move through the view costs less than 20 us per segment at 3840x2160
//     (where one full composition costs milliseconds);
//   - and at most 2.5 times what it costs at 640x480.

#include "canvas/surface/Compositor.h"
#include "canvas/surface/ImageSurface.h"
#include "canvas/ZelvorandineView.h"

#include "bench/MedianReporter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSegments = 1000;
// Segments composed in full per iteration, walking on through the stroke from one iteration to the next.
constexpr int kFullSamples = 3;

struct SPen {
    const char* pName;
    int nWidth;
    bool bReveal;
};
constexpr SPen kPens[] = {{"fine", 1, true}, {"medium", 2, true}, {"bold", 4, true}, {"cover", 10, false}};
const QSize kSizes[] = {{640, 480}, {1920, 1080}, {3840, 2160}};

std::string SizeName(const QSize& size) {
    return std::to_string(size.width()) + "x" + std::to_string(size.height());
}

// Loops round the middle of the canvas at a swaying radius, one step of about 10 pixels per segment.
std::vector<QPoint> StrokePath(const QSize& size) {
    std::vector<QPoint> points;
    const double cx = size.width() / 2.0, cy = size.height() / 2.0;
    const double rMax = 0.4 * std::min(size.width(), size.height());
    double angle = 0;
    for (int k = 0; k <= kSegments; ++k) {
        const double r = rMax * (0.55 + 0.45 * std::sin(k * 0.013));
        points.emplace_back(int(std::lround(cx + r * std::cos(angle))),
                            int(std::lround(cy + r * std::sin(angle))));
        angle += 10.0 / r;
    }
    return points;
}

QImage ColourLayer(const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            row[x] = qRgb((x * 7) & 0xFF, (y * 5) & 0xFF, ((x ^ y) * 3) & 0xFF);
    }
    return CCompositor::Packed(image);
}

QImage BlackLayer(const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(0xFF000000u);
    return image;
}

// What a mouse move draws into the cover: the segment, and for the cover pen the disc round its end.
QRect DrawSegment(QImage& cover, const SPen& pen, const QPoint& from, const QPoint& to) {
    const PackedColor color = pen.bReveal ? kWhite : kBlack;
    CImageSurface dc(cover);
    dc.SelectPen(CPenSpec{pen.nWidth, color});
    dc.SelectBrush(color);
    dc.MoveTo(from.x(), from.y());
    dc.LineTo(to.x(), to.y());
    if (!pen.bReveal) {
        const int h = pen.nWidth / 2;
        dc.Ellipse(to.x() - h, to.y() - h, to.x() + h, to.y() + h);
    }
    return dc.TakeDirtyRect();
}

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

void BM_Stroke(benchmark::State& state, SPen pen, QSize size) {
    const QImage colour = ColourLayer(size);
    QImage cover = BlackLayer(size);
    const std::vector<QPoint> path = StrokePath(size);
    double dirtySeconds = 0;
    double fullSeconds = 0;
    std::int64_t nFull = 0;
    int nNext = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        for (int i = 1; i <= kSegments; ++i) {
            const QRect dirty = DrawSegment(cover, pen, path[i - 1], path[i]);
            CCompositor::AndInto(cover, colour, dirty);
        }
        const double dirty = Seconds(start);
        benchmark::DoNotOptimize(cover.constBits());

        const Clock::time_point fullStart = Clock::now();
        for (int s = 0; s < kFullSamples; ++s) {
            const int i = 1 + nNext;
            nNext = (nNext + 1) % kSegments;
            DrawSegment(cover, pen, path[i - 1], path[i]);
            CCompositor::AndInto(cover, colour, cover.rect());
        }
        fullSeconds += Seconds(fullStart);
        benchmark::DoNotOptimize(cover.constBits());
        nFull += kFullSamples;

        dirtySeconds += dirty;
        state.SetIterationTime(dirty);
    }
    const double dirtyUs = dirtySeconds / double(state.iterations() * kSegments) * 1e6;
    const double fullUs = fullSeconds / double(nFull) * 1e6;
    state.counters["dirty_us"] = dirtyUs;
    state.counters["full_us"] = fullUs;
    state.counters["ratio"] = fullUs / dirtyUs;
    state.SetItemsProcessed(state.iterations() * kSegments);
}

// One offscreen view per canvas size, holding layers of that size, shown so that updates lead to paints.
// They go before the application object does.
std::map<int, std::unique_ptr<CZelvorandineView>>& Views() {
    static std::map<int, std::unique_ptr<CZelvorandineView>> views;
    return views;
}

CZelvorandineView& View(const QSize& size) {
    std::unique_ptr<CZelvorandineView>& view = Views()[size.width()];
    if (!view) {
        view = std::make_unique<CZelvorandineView>();
        view->OnCreate();
        view->resize(size);
        view->m_bmpColor = ColourLayer(size);
        view->m_bmpCover = BlackLayer(size);
        view->m_nLayerWidth = size.width();
        view->m_nLayerHeight = size.height();
        view->m_bReady = 1;
        view->show();
        QCoreApplication::processEvents();
    }
    return *view;
}

void SendMouse(QWidget& view, QEvent::Type type, const QPoint& p, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(p), view.mapToGlobal(QPointF(p)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&view, &e);
}

void BM_View(benchmark::State& state, SPen pen, QSize size, bool bPaint) {
    CZelvorandineView& view = View(size);
    if (view.size() != size) {
        state.SkipWithError("the view did not take the canvas size");
        return;
    }
    view.m_nPenWidth = pen.nWidth;
    view.m_bReveal = pen.bReveal ? 1 : 0;
    const std::vector<QPoint> path = StrokePath(size);
    QCoreApplication::processEvents();
    double seconds = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        SendMouse(view, QEvent::MouseButtonPress, path[0], Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= kSegments; ++i) {
            SendMouse(view, QEvent::MouseMove, path[i], Qt::NoButton, Qt::LeftButton);
            if (bPaint)
                QCoreApplication::processEvents();
        }
        SendMouse(view, QEvent::MouseButtonRelease, path[kSegments], Qt::LeftButton, Qt::NoButton);
        const double stroke = Seconds(start);
        seconds += stroke;
        state.SetIterationTime(stroke);
        // Whatever is still to paint goes outside the timing.
        QCoreApplication::processEvents();
    }
    state.counters[bPaint ? "paint_us" : "move_us"] = seconds / double(state.iterations() * kSegments) * 1e6;
    state.SetItemsProcessed(state.iterations() * kSegments);
}

// Keeps every repetition's counters by run and name, for their medians.
class CCounterReporter : public CMedianReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
                for (const auto& [name, counter] : run.counters)
                    m_values[run.run_name.function_name][name].push_back(counter.value);
        CMedianReporter::ReportRuns(reports);
    }

    // The median over the repetitions; 0 when the run or its counter is missing.
    double Value(const std::string& run, const std::string& counter) const {
        const auto it = m_values.find(run);
        if (it == m_values.end())
            return 0;
        const auto jt = it->second.find(counter);
        if (jt == it->second.end() || jt->second.empty())
            return 0;
        std::vector<double> values = jt->second;
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }

private:
    std::map<std::string, std::map<std::string, std::vector<double>>> m_values;
};

void Timing(benchmark::internal::Benchmark* pBenchmark) {
    pBenchmark->Unit(benchmark::kMillisecond)->UseManualTime();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    struct SViewsGone {
        ~SViewsGone() { Views().clear(); }
    } viewsGone;
    CZelvorandineView::s_bFirstPaintDone = true; // no title splash, no background choice

    for (const QSize& size : kSizes) {
        for (const SPen& pen : kPens) {
            const std::string tail = std::string("/") + pen.pName + "/" + SizeName(size);
            benchmark::RegisterBenchmark(("Stroke" + tail).c_str(), BM_Stroke, pen, size)->Apply(Timing);
            benchmark::RegisterBenchmark(("View" + tail).c_str(), BM_View, pen, size, false)->Apply(Timing);
            benchmark::RegisterBenchmark(("ViewPaint" + tail).c_str(), BM_View, pen, size, true)
                ->Apply(Timing);
        }
    }
    // Defaults that the command line may override.
    std::vector<char*> arguments(argv, argv + argc + 1); // with the closing null
    std::string minTime = "--benchmark_min_time=0.3", repetitions = "--benchmark_repetitions=5";
    arguments.insert(arguments.begin() + 1, {minTime.data(), repetitions.data()});
    CCounterReporter reporter;
    if (!reporter.RunInterleaved(int(arguments.size()) - 1, arguments.data()))
        return 1;

    std::printf("\nper segment of a 1000-segment stroke, in microseconds, medians (- not run):\n");
    std::printf("%-7s %-10s %10s %10s %8s %10s %10s\n", "pen", "canvas", "dirty", "full", "ratio",
                "view move", "+ paint");
    auto cell = [](double value, const char* format) {
        char text[32] = "-";
        if (value > 0)
            std::snprintf(text, sizeof text, format, value);
        return std::string(text);
    };
    for (const QSize& size : kSizes) {
        for (const SPen& pen : kPens) {
            const std::string tail = std::string("/") + pen.pName + "/" + SizeName(size);
            std::printf("%-7s %-10s %10s %10s %8s %10s %10s\n", pen.pName, SizeName(size).c_str(),
                        cell(reporter.Value("Stroke" + tail, "dirty_us"), "%.2f").c_str(),
                        cell(reporter.Value("Stroke" + tail, "full_us"), "%.1f").c_str(),
                        cell(reporter.Value("Stroke" + tail, "ratio"), "%.0f").c_str(),
                        cell(reporter.Value("View" + tail, "move_us"), "%.2f").c_str(),
                        cell(reporter.Value("ViewPaint" + tail, "paint_us"), "%.2f").c_str());
        }
    }

    // The budgets hold for a move alone and for a move with its repaint.
    bool bAll = true;
    bool bChecked = false;
    for (const auto& [run, counter] : {std::pair{"View", "move_us"}, std::pair{"ViewPaint", "paint_us"}}) {
        const double small = reporter.Value(std::string(run) + "/bold/640x480", counter);
        const double large = reporter.Value(std::string(run) + "/bold/3840x2160", counter);
        if (small <= 0 || large <= 0)
            continue;
        bChecked = true;
        const bool bTime = large < 20;
        const bool bFlat = large <= 2.5 * small;
        bAll = bAll && bTime && bFlat;
        std::printf("\n%s/bold at 3840x2160: %.2f us per move   budget < 20 us            %s\n", run, large,
                    bTime ? "ok" : "MISSED");
        std::printf("  against 640x480 (%.2f us): %.2f          budget <= 2.5             %s\n", small,
                    large / small, bFlat ? "ok" : "MISSED");
    }
    if (!bChecked)
        std::printf("\nbudgets not checked: run View or ViewPaint for bold at 640x480 and 3840x2160\n");
    return bAll ? 0 : 1;
}
