// SPDX-License-Identifier: MIT
#include "app/ZelvorandineApp.h"
#include "canvas/ZelvorandineView.h"
#include "canvas/surface/Compositor.h"
#include "res/ResourceIds.h"
#include "tests/background/DialogDriver.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

using Points = QList<QPoint>;

QImage Filled(QSize size, const QColor& color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// A shown view with layers as after a background was accepted: a black cover over colours that differ from
// pixel to pixel and are never black or white, packed in three bytes a pixel.
std::unique_ptr<CZelvorandineView> MakeView(QSize size = QSize(303, 200)) {
    auto view = std::make_unique<CZelvorandineView>();
    view->OnCreate();
    view->resize(size);
    QImage colors = view->m_bmpCover = Filled(size, Qt::black);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            colors.setPixel(x, y, qRgb(x & 0xFF, y, 0x80 | x >> 8));
    view->m_bmpColor = CCompositor::Packed(colors);
    view->m_nLayerWidth = size.width();
    view->m_nLayerHeight = size.height();
    view->m_bReady = 1;
    view->show();
    return view;
}

// What a repaint from scratch shows, as after another window passed over the view.
QImage Repainted(QWidget& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// What the screen shows: only what a change asks for is painted anew.
QImage OnScreen(QWidget& view) {
    return view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

void Send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Pressed at the first point (unless bPress is false), dragged through the others, released at the last.
void Stroke(QWidget* w, const Points& points, bool bPress = true) {
    if (bPress)
        Send(w, QEvent::MouseButtonPress, points[0], Qt::LeftButton);
    for (qsizetype i = bPress ? 1 : 0; i < points.size(); ++i)
        Send(w, QEvent::MouseMove, points[i], Qt::LeftButton);
    Send(w, QEvent::MouseButtonRelease, points.back(), Qt::NoButton);
}

// From p to the nearest of the segments joining the points of path, all moved by shift; a lone point counts.
double Distance(QPointF p, const Points& path, QPointF shift = {}) {
    double d = HUGE_VAL;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QPointF a = path[i] + shift, ab = QPointF(path[std::min(i + 1, path.size() - 1)]) + shift - a;
        const double len2 = QPointF::dotProduct(ab, ab);
        const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / len2, 0.0, 1.0) : 0.0;
        d = std::min(d, std::hypot(p.x() - a.x() - t * ab.x(), p.y() - a.y() - t * ab.y()));
    }
    return d;
}

// Both ways of showing the view, a save (before any repaint could mend what it reads) and a paint, each
// against what it shows by the rules: layer from the top-left corner, the window's own colour elsewhere. A
// window without pixels has no picture to save.
QString Unlike(CZelvorandineView& view, const QImage& layer) {
    static const QTemporaryDir dir;
    if (view.size().isEmpty())
        return {};
    QImage expected = Filled(view.size(), view.palette().color(QPalette::Window));
    QPainter(&expected).drawImage(0, 0, layer.convertToFormat(QImage::Format_RGB32));
    view.m_strName = dir.filePath(QStringLiteral("shown.bmp"));
    view.OnFileSave();
    if (QImage(view.m_strName).convertToFormat(QImage::Format_RGB32) != expected)
        return QStringLiteral("saved");
    return Repainted(view) == expected ? QString() : QStringLiteral("painted");
}

} // namespace

class TestView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        theApp.InitApplication(); // printing goes through the application's printer
        CZelvorandineView::s_bFirstPaintDone = true;
    }

    void strokes_data() {
        QTest::addColumn<int>("w"); // the tool by its width: 1 fine, 2 medium, 4 bold, 10 cover
        QTest::addColumn<bool>("press");
        QTest::addColumn<Points>("points");
        for (int w : {1, 2, 4, 10}) {
            QTest::addRow("click, pen %d", w) << w << true << Points{{90, 80}};
            QTest::addRow("across, down, diagonal, pen %d", w)
                << w << true << Points{{20, 20}, {100, 20}, {100, 100}, {180, 180}};
            // Moves without a press (a drag that started outside the view) start where they are: a drag of no
            // length, no click.
            QTest::addRow("single point, pen %d", w) << w << false << Points{{90, 80}};
        }
        QTest::newRow("fine") << 1 << true << Points{{5, 5}, {60, 5}, {60, 90}, {190, 140}, {120, 10}};
        QTest::newRow("bold, along the edges") << 4 << true << Points{{0, 199}, {0, 0}, {302, 0}};
        QTest::newRow("cover") << 10 << true << Points{{40, 50}, {100, 50}, {160, 40}};
        QTest::newRow("leaving and coming back")
            << 4 << true << Points{{20, 40}, {280, 40}, {330, 40}, {360, 90}, {330, 120}, {280, 120}};
    }
    // The tool takes effect at once, its cursor once the pointer presses or moves, and survives New. A click
    // leaves a filled square; a drag draws along the segments between the points seen inside, exactly as wide
    // as the pen, the cover pen also a disc at every point a move reached. What changed is composed and shown
    // within a frame, and a save writes it. A stroke marks the picture modified, but not the same stroke
    // again once it is saved, which changes nothing.
    void strokes() {
        QFETCH(int, w);
        QFETCH(bool, press);
        QFETCH(Points, points);
        const int command = QList{0, ID_PEN_FINE, ID_PEN_MEDIUM, 0, ID_PEN_BOLD}.value(w, ID_PEN_COVER);
        const bool bReveal = w < 10;
        const QPoint hotSpot = bReveal ? QPoint(1, 1) : QPoint(16, 16);
        auto view = MakeView();
        if (w == 1) // a colour layer in four bytes a pixel, as when the packed copy could not be had
            view->m_bmpColor = view->m_bmpColor.convertToFormat(QImage::Format_RGB32);
        if (!bReveal) // the cover pen on a revealed picture
            view->m_bmpCover = view->m_bmpColor.convertToFormat(QImage::Format_RGB32);
        // The screen shows the cover: after the stroke, what the stroke asks for is shown anew.
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->repaint();
        const QImage colors = view->m_bmpColor, cover = view->m_bmpCover;
        view->OnCmdMsg(command, CmdCode::Command, nullptr);
        Stroke(view.get(), points, press);
        Points inside = points;
        inside.removeIf([&](QPoint p) { return !view->rect().contains(p); });
        const Points discs = bReveal ? Points() : press ? inside.mid(1) : inside;
        // A click's mark: a square whose box starts at the point and is w wide, outlined w thick along the
        // box's edges, an even pen's extra row and column right of and below them (the fine pen: the pixel).
        const QRect mark(points[0] - QPoint((w - 1) / 2, (w - 1) / 2), QSize(2 * w - 1, 2 * w - 1));
        // A wider pen covers what lies within w/2 of the segments, an even pen's running half a pixel right
        // of and below the points; which pixels the fine pen takes is the surface's own test (unknown here).
        const auto want = [&](QPoint p) -> std::optional<bool> {
            if (press && points.size() == 1)
                return mark.contains(p);
            if (w == 1)
                return Distance(p, inside) < 1 ? std::nullopt : std::optional(false);
            const double half = w % 2 == 0 ? 0.5 : 0.0;
            bool bCovered = Distance(p, inside, QPointF(half, half)) <= w / 2.0;
            for (QPoint q : discs)
                bCovered = bCovered || std::hypot(p.x() - q.x() + 0.5, p.y() - q.y() + 0.5) < 10;
            return bCovered;
        };
        QString fault; // a pixel breaking the rule: only wanted ones change, to the pen's colour
        int nChanged = 0, nSteps = 0;
        for (int y = 0; y < cover.height(); ++y)
            for (int x = 0; x < cover.width(); ++x) {
                const QRgb now = view->m_bmpCover.pixel(x, y),
                           pen = bReveal ? colors.pixel(x, y) : 0xFF000000u;
                const bool bChanged = now != cover.pixel(x, y);
                if (want({x, y}).value_or(bChanged) ? now != pen : bChanged)
                    fault = QStringLiteral("%1,%2").arg(x).arg(y);
                nChanged += bChanged;
            }
        QCOMPARE(fault, QString());
        for (qsizetype i = 1; i < inside.size(); ++i)
            nSteps += qMax(qAbs((inside[i] - inside[i - 1]).x()), qAbs((inside[i] - inside[i - 1]).y()));
        QVERIFY(w > 1 || (press && points.size() == 1) || nChanged == nSteps); // a pixel a step
        QTRY_COMPARE(OnScreen(*view), view->m_bmpCover);                       // a frame later at the latest
        QCOMPARE(view->IsModified(), nChanged > 0);
        QCOMPARE(Unlike(*view, view->m_bmpCover), QString());
        Stroke(view.get(), points, press);
        QVERIFY(!view->IsModified() && view->m_bmpColor == colors && view->cursor().hotSpot() == hotSpot);
        CDialogDriver driver;
        driver.Expect(QStringLiteral("backgroundDlg"), CDialogDriver::Click(IDC_USE_THIS));
        view->OnCmdMsg(ID_FILE_NEW, CmdCode::Command, nullptr);
        QVERIFY(driver.Finished() && view->m_bReady == 1);
        QVERIFY(view->m_nPenWidth == w && view->m_bReveal == bReveal && view->m_hCursor.hotSpot() == hotSpot);
    }

    void shown_data() {
        QTest::addColumn<QSize>("size");
        // 16390: wider or taller than a layer can be.
        for (QSize size : {QSize(300, 200), QSize(0, 0), QSize(300, 0), QSize(0, 300), QSize(1, 1),
                           QSize(777, 1), QSize(2600, 2100), QSize(16390, 3), QSize(3, 16390)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size;
    }
    // A repaint and a save show the same: the offered background, then the black cover. Layers stop at 16384
    // pixels a side; beyond them, also once the window is enlarged, the window shows its own colour and
    // strokes change nothing; within them every pen etches up to the edges.
    void shown() {
        QFETCH(QSize, size);
        CZelvorandineView view;
        view.OnCreate();
        view.resize(size);
        view.show();
        CDialogDriver driver;
        driver.Expect(QStringLiteral("backgroundDlg"), [&](QDialog* pDialog) {
            QCOMPARE(Unlike(view, view.m_bmpColor), QString());
            CDialogDriver::Click(IDC_USE_THIS)(pDialog);
        });
        view.OnCmdMsg(ID_FILE_NEW, CmdCode::Command, nullptr);
        QVERIFY2(driver.Finished() && view.m_bReady == 1, qPrintable(driver.Faults().join(u',')));
        const QImage black = Filled(size.boundedTo(QSize(16384, 16384)), Qt::black);
        const QPoint end(size.width() - 1, size.height() - 1);
        QVERIFY(view.m_bmpCover == black && view.m_bmpColor.size() == black.size());
        view.resize(size + QSize(100, 80));
        view.OnCmdMsg(ID_PEN_BOLD, CmdCode::Command, nullptr);
        Stroke(&view, {end + QPoint(10, 10), end + QPoint(90, 70)});
        QVERIFY(!view.IsModified());
        QCOMPARE(Unlike(view, black), QString());
        for (int command : {ID_PEN_FINE, ID_PEN_BOLD, ID_PEN_COVER}) {
            view.OnCmdMsg(command, CmdCode::Command, nullptr);
            Stroke(&view, {{0, 0}, end, end + QPoint(90, 70)});
            Stroke(&view, {end});
        }
        QCOMPARE(Unlike(view, view.m_bmpCover), QString());
        QCOMPARE(view.m_bmpCover.size(), black.size());
        view.resize(size / 2);
        QCOMPARE(Unlike(view, view.m_bmpCover), QString());
    }

    // One picture pixel to ten device units from the printable area's top-left; too large, fitted keeping
    // proportions. Red, green, blue and grey quadrants, the green one and a column of the red one covered and
    // composed only by printing: a real A4 page at 72 dpi has the composition there, sharp; the print preview
    // shows the page.
    void printing() {
        const QRect area(50, 70, 480, 700);
        QCOMPARE(CZelvorandineView::PrintRect(QSize(48, 36), area), QRect(50, 70, 480, 360));
        QCOMPARE(CZelvorandineView::PrintRect(QSize(1920, 1080), area), QRect(50, 70, 480, 270));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        auto view = MakeView(QSize(48, 36));
        const QRgb q[] = {qRgb(220, 30, 30), qRgb(30, 200, 40), qRgb(40, 50, 210), qRgb(128, 128, 128)};
        view->m_bmpColor = CCompositor::Packed(
            QImage(reinterpret_cast<const uchar*>(q), 2, 2, QImage::Format_RGB32).scaled(48, 36));
        view->m_bmpCover.fill(Qt::white);
        QPainter(&view->m_bmpCover).fillRect(24, 0, 24, 18, Qt::black);
        QPainter(&view->m_bmpCover).fillRect(12, 0, 1, 18, Qt::black);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("page.pdf"), png = dir.filePath("page");
        QPrinter printer;
        printer.setOutputFileName(pdf);
        printer.setResolution(72);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        QVERIFY(view->PrintTo(printer));
        QCOMPARE(QProcess::execute("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, png}), 0);
        const QImage page(png + ".png");
        for (int y = 0; y < 36; ++y)
            for (int x = 0; x < 48; ++x) { // the pixel's middle, 10 mm from the page's corner
                const QRgb want = view->m_bmpCover.pixel(x, y) & view->m_bmpColor.pixel(x, y);
                const QRgb got =
                    page.pixel(int(10 * 72 / 25.4 + 10 * x + 5), int(10 * 72 / 25.4 + 10 * y + 5));
                QVERIFY2(qAbs(qGray(got) - qGray(want)) < 4, qPrintable(QString::asprintf("%d,%d", x, y)));
            }
        CDialogDriver driver; // the preview draws the page too, once it has laid it out
        driver.Expect(QString(), [&q](QDialog* pDialog) {
            const auto nRed = [pDialog, &q] {
                const QImage shown = Repainted(*pDialog->findChild<QPrintPreviewWidget*>());
                const auto* pPixels = reinterpret_cast<const QRgb*>(shown.constBits());
                return std::count(pPixels, pPixels + shown.width() * shown.height(), q[0]);
            };
            QTRY_VERIFY(nRed() > 20);
            pDialog->reject();
        });
        view->SetPrinter([]() -> QPrinter& { return theApp.GetPrinter(); }); // as the application gives it
        QVERIFY(view->OnCmdMsg(ID_FILE_PRINT_PREVIEW, CmdCode::Command, nullptr) && driver.Finished());
    }
};

QTEST_MAIN(TestView)
#include "tst_view.moc"
