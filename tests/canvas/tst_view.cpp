// SPDX-License-Identifier: MIT
#include "app/ZelvorandineApp.h"
#include "app/resources/Resources.h"
#include "canvas/ZelvorandineView.h"
#include "canvas/surface/Compositor.h"
#include "files/SystemError.h"
#include "res/ResourceIds.h"
#include "tests/background/DialogDriver.h"

#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <functional>
#include <malloc.h>
#include <optional>
#include <sys/resource.h>

// A memory limit on the whole process would starve the address sanitizer's own bookkeeping.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPlainAllocator = false;
#else
constexpr bool kPlainAllocator = true;
#endif

namespace {

using Points = QList<QPoint>;
const QPoint kPlanted(250, 150); // a white pixel in the cover that no stroke reaches

QImage Filled(QSize size, const QColor& color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// A shown view with layers as after a background was accepted: a black cover over colours that differ from
// pixel to pixel and are never black or white, packed in three bytes a pixel.
std::unique_ptr<CZelvorandineView> MakeView(bool bLayers = true, QSize size = QSize(300, 200)) {
    auto view = std::make_unique<CZelvorandineView>();
    view->OnCreate();
    view->resize(size);
    if (bLayers) {
        QImage colors = view->m_bmpCover = Filled(size, Qt::black);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                colors.setPixel(x, y, qRgb(x & 0xFF, y, 0x80 | x >> 8));
        view->m_bmpColor = CCompositor::Packed(colors);
        view->m_nLayerWidth = size.width();
        view->m_nLayerHeight = size.height();
        view->m_bReady = 1;
    }
    view->show();
    if (!size.isEmpty() && !QTest::qWaitForWindowExposed(view.get()))
        QTest::qFail("the view was never shown", __FILE__, __LINE__);
    return view;
}

bool Accept(CZelvorandineView& v, CDialogDriver::Step step = CDialogDriver::Click(IDC_USE_THIS)) {
    CDialogDriver driver;
    if (v.IsModified()) // the etched picture is given up first
        driver.Expect(QStringLiteral("afxMessageBox"), [](QDialog* pDialog) {
            qobject_cast<QMessageBox*>(pDialog)->button(QMessageBox::Discard)->click();
        });
    driver.Expect(QStringLiteral("backgroundDlg"), step);
    v.OnCmdMsg(ID_FILE_NEW, CmdCode::Command, nullptr);
    return driver.Finished() && v.m_bReady == 1;
}

// What a repaint from scratch shows, as after another window passed over the view.
QImage Repainted(QWidget& view) {
    view.repaint();
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

// What the window shows by the rules: its own colour, black over the rectangle the first paint blacked out,
// the layer from the top-left corner.
QImage Expected(const QWidget& view, const QRect& black, const QImage& layer) {
    QImage image = Filled(view.size(), view.palette().color(QPalette::Window));
    if (!image.isNull()) {
        QPainter painter(&image);
        painter.fillRect(black, Qt::black);
        painter.drawImage(0, 0, layer.convertToFormat(QImage::Format_RGB32));
    }
    return image;
}

// Both ways of showing the view, a save (before any repaint could mend what it reads) and a paint, each
// against expected.
QString Unlike(CZelvorandineView& view, const QString& path, const QImage& expected) {
    view.m_strName = path;
    view.OnFileSave();
    if (QImage(path).convertToFormat(QImage::Format_RGB32) != expected)
        return QStringLiteral("saved");
    return Repainted(view) == expected ? QString() : QStringLiteral("painted");
}

// While it lives the process gets no more than nMargin bytes of new memory, like a machine whose memory ran
// out.
struct SMemoryLimit {
    explicit SMemoryLimit(qint64 nMargin) {
        getrlimit(RLIMIT_DATA, &m_old);
        QFile file(QStringLiteral("/proc/self/status"));
        const QByteArray status = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const qint64 nData = status.mid(status.indexOf("VmData:") + 7).trimmed().split(' ')[0].toLongLong();
        const rlimit limit{rlim_t(nData * 1024 + nMargin), m_old.rlim_max};
        setrlimit(RLIMIT_DATA, &limit); // unset, no message comes and the test fails
    }
    ~SMemoryLimit() { setrlimit(RLIMIT_DATA, &m_old); }
    rlimit m_old{};
};

} // namespace

class TestView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        theApp.InitApplication(); // printing goes through the application's printer
        // As the program does: every picture-sized block is a mapping of its own, which a memory limit
        // governs (the heap's growth it measures differently).
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        CZelvorandineView::s_bFirstPaintDone = true;
    }

    void strokes_data() {
        QTest::addColumn<int>("w"); // the tool by its width: 1 fine, 2 medium, 4 bold, 10 cover
        QTest::addColumn<bool>("press");
        QTest::addColumn<Points>("points");
        for (int w : {1, 2, 4, 10}) {
            QTest::addRow("click, pen %d", w) << w << true << Points{{90, 80}};
            QTest::addRow("horizontal, pen %d", w) << w << true << Points{{40, 100}, {200, 100}};
            QTest::addRow("vertical, pen %d", w) << w << true << Points{{150, 30}, {150, 170}};
            QTest::addRow("diagonal, pen %d", w) << w << true << Points{{30, 30}, {170, 170}};
            // Moves without a press (a drag that started outside the view) start where they are: a drag of no
            // length, no click.
            QTest::addRow("single point, pen %d", w) << w << false << Points{{90, 80}};
        }
        QTest::newRow("fine") << 1 << true << Points{{5, 5}, {60, 5}, {60, 90}, {190, 140}, {120, 10}};
        QTest::newRow("bold, along the edges") << 4 << true << Points{{0, 199}, {0, 0}, {299, 0}};
        QTest::newRow("cover") << 10 << true << Points{{40, 50}, {100, 50}, {160, 40}};
        QTest::newRow("leaving and coming back")
            << 4 << true << Points{{20, 40}, {280, 40}, {330, 40}, {360, 90}, {330, 120}, {280, 120}};
    }
    // The tool takes effect at once, its cursor at the next move, and survives New. A click leaves a filled
    // square; a drag draws along the segments between the points seen inside, exactly as wide as the pen, the
    // cover pen also a disc at every point a move reached. Only what changed is recomposed and shown anew.
    void strokes() {
        QFETCH(int, w);
        QFETCH(bool, press);
        QFETCH(Points, points);
        const int command = QList{0, ID_PEN_FINE, ID_PEN_MEDIUM, 0, ID_PEN_BOLD}.value(w, ID_PEN_COVER);
        const bool bReveal = w < 10;
        const QPoint hotSpot = bReveal ? QPoint(1, 1) : QPoint(16, 16);
        auto view = MakeView();
        if (!bReveal) // the cover pen on a revealed picture
            view->m_bmpCover = view->m_bmpColor.convertToFormat(QImage::Format_RGB32);
        view->Compose();
        const QImage colors = view->m_bmpColor;
        // The screen shows the cover before the stroke: after it, it shows only what the stroke asked for.
        QVERIFY(Repainted(*view) == view->m_bmpCover && OnScreen(*view) == view->m_bmpCover);
        view->OnCmdMsg(command, CmdCode::Command, nullptr);
        Send(view.get(), QEvent::MouseMove, QPoint(2, 2), Qt::NoButton);
        QCOMPARE(view->cursor().hotSpot(), hotSpot);
        view->m_bmpCover.setPixel(kPlanted, 0xFFFFFFFFu);
        const QImage cover = view->m_bmpCover.copy();
        Stroke(view.get(), points, press);
        Points inside = points;
        inside.removeIf([&](QPoint p) { return !view->rect().contains(p); });
        const Points discs = bReveal ? Points() : press ? inside.mid(1) : inside;
        // A click's mark: a square whose box starts at the point and is w wide, outlined w thick along the
        // box's edges, an even pen's extra row and column right of and below them (the fine pen: the pixel).
        const QRect mark(points[0] - QPoint((w - 1) / 2, (w - 1) / 2), QSize(2 * w - 1, 2 * w - 1));
        // A wider pen covers what lies within w/2 of the segments, an even pen's running half a pixel right
        // of and below the points; which pixels the fine pen takes is the surface's own test.
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
        QString fault; // the first pixel breaking the rule; changed ones are black or the background
        int nChanged = 0, nSteps = 0;
        for (int y = 0; y < cover.height(); ++y)
            for (int x = 0; x < cover.width(); ++x) {
                const QRgb now = view->m_bmpCover.pixel(x, y), color = colors.pixel(x, y),
                           black = 0xFF000000u;
                const bool bChanged = now != cover.pixel(x, y);
                const std::optional<bool> bWanted = want({x, y});
                if (fault.isEmpty() &&
                    ((bWanted == true && now != (bReveal ? color : black)) ||
                     (bWanted == false && bChanged) || (bChanged && now != color && now != black)))
                    fault = QStringLiteral("%1,%2").arg(x).arg(y);
                nChanged += bChanged;
            }
        QCOMPARE(fault, QString());
        for (qsizetype i = 1; i < inside.size(); ++i)
            nSteps += qMax(qAbs((inside[i] - inside[i - 1]).x()), qAbs((inside[i] - inside[i - 1]).y()));
        QVERIFY(w > 1 || (press && points.size() == 1) || nChanged == nSteps); // a pixel a step
        const auto shown = [&] { // the planted pixel may be shown as it is or not at all
            QImage screen = OnScreen(*view);
            screen.setPixel(kPlanted, cover.pixel(kPlanted));
            return screen;
        };
        QTRY_COMPARE(shown(), view->m_bmpCover); // a frame later at the latest
        QVERIFY(view->m_bmpColor == colors && Accept(*view));
        QVERIFY(view->m_nPenWidth == w && view->m_bReveal == bReveal && view->m_hCursor.hotSpot() == hotSpot);
    }

    void windowSizes_data() {
        QTest::addColumn<QSize>("size");
        const int nBeyond = CZelvorandineView::kMaxLayerSide + 6; // wider or taller than a layer can be
        for (QSize size : {QSize(300, 200), QSize(0, 0), QSize(300, 0), QSize(0, 300), QSize(1, 1),
                           QSize(777, 1), QSize(2600, 2100), QSize(nBeyond, 3), QSize(3, nBeyond)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size;
    }
    // Strokes draw nothing before the layers exist, nor while a background is on offer, which a repaint
    // shows; accepted, all is black, and every pen etches over the edges. Layers stop at 16384
    // pixels a side whatever the window's size; beyond them, also once enlarged, the window shows its own
    // colour, and a save writes what it shows.
    void windowSizes() {
        QFETCH(QSize, size);
        auto view = MakeView(false, size);
        const QPoint end(size.width() - 1, size.height() - 1);
        const auto etch = [&] {
            for (int command : {ID_PEN_FINE, ID_PEN_BOLD, ID_PEN_COVER}) {
                view->OnCmdMsg(command, CmdCode::Command, nullptr);
                Stroke(view.get(), {{0, 0}, end / 2, end});
                Stroke(view.get(), {end});
            }
        };
        const QImage shown = Repainted(*view);
        etch();
        QVERIFY(view->m_bmpCover.isNull() && Repainted(*view) == shown);
        QVERIFY(Accept(*view, [&](QDialog* pDialog) {
            etch();
            QVERIFY(view->m_bmpCover.isNull() && Repainted(*view) == Expected(*view, {}, view->m_bmpColor));
            CDialogDriver::Click(IDC_USE_THIS)(pDialog);
        }));
        const int nMax = CZelvorandineView::kMaxLayerSide;
        const QImage black = Filled(size.boundedTo(QSize(nMax, nMax)), Qt::black);
        QVERIFY(view->m_bmpCover == black && view->m_bmpColor.size() == black.size() &&
                Repainted(*view) == Expected(*view, {}, black));
        etch();
        QTemporaryDir dir;
        view->resize(size + QSize(100, 80));
        QCoreApplication::processEvents();
        Stroke(view.get(), {end / 2, end + QPoint(90, 70)});
        QCOMPARE(Unlike(*view, dir.filePath("shown.bmp"), Expected(*view, {}, view->m_bmpCover)), QString());
        QCOMPARE(view->m_bmpCover.size(), black.size());
    }

    // From the first paint on, a repaint and a save show the same: black where the first paint blacked the
    // window out (less what a resize took away), then the offered background, then the cover, also once the
    // window is made smaller; the window's own colour wherever the view has nothing.
    void shownPicture() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shown.bmp"));
        std::unique_ptr<CZelvorandineView> view;
        CDialogDriver driver;
        driver.Expect(QStringLiteral("splashDlg"), [&](QDialog* pDialog) {
            view->resize(250, 180);
            view->resize(340, 230);
            QCOMPARE(Unlike(*view, path, Expected(*view, QRect(0, 0, 250, 180), {})), QString());
            CDialogDriver::SendKey(pDialog, Qt::Key_Escape);
        });
        driver.Expect(QStringLiteral("backgroundDlg"), [&](QDialog* pDialog) {
            QCOMPARE(Unlike(*view, path, Expected(*view, {}, view->m_bmpColor)), QString());
            CDialogDriver::Click(IDC_USE_THIS)(pDialog);
        });
        CZelvorandineView::s_bFirstPaintDone = false;
        view = std::make_unique<CZelvorandineView>();
        view->OnCreate();
        view->resize(300, 200);
        view->show();
        QTRY_VERIFY(driver.Finished() && view->m_bReady == 1);
        QCOMPARE(Unlike(*view, path, Expected(*view, {}, Filled(QSize(340, 230), Qt::black))), QString());
        view->OnCmdMsg(ID_PEN_BOLD, CmdCode::Command, nullptr);
        Stroke(view.get(), {{10, 10}, {330, 220}, {330, 10}});
        const QImage picture = view->m_bmpCover.copy();
        view->resize(200, 100);
        QCOMPARE(Unlike(*view, path, Expected(*view, {}, picture)), QString());
    }

    // A cover that cannot be had on accepting ends the choice with a message; the view is black, as before
    // any background, and saves so. Once there is memory again, New brings a background and a black cover.
    void layerAllocationFails() {
        if (!kPlainAllocator)
            QSKIP("needs the plain allocator");
        auto view = MakeView();
        view->resize(1600, 1200); // 7.3 MiB a layer
        QCoreApplication::processEvents();
        std::optional<SMemoryLimit> limit;
        QString text;
        {
            CDialogDriver driver;
            driver.Expect(QStringLiteral("backgroundDlg"), [&](QDialog* pDialog) {
                limit.emplace(2 << 20);
                CDialogDriver::Click(IDC_USE_THIS)(pDialog);
            });
            driver.Expect(QStringLiteral("afxMessageBox"), [&](QDialog* pDialog) {
                text = qobject_cast<QMessageBox*>(pDialog)->text();
                pDialog->accept();
            });
            view->OnCmdMsg(ID_FILE_NEW, CmdCode::Command, nullptr);
            limit.reset();
            QVERIFY2(driver.Finished(), qPrintable(driver.Faults().join(u',')));
        }
        QCOMPARE(text, CResources::Format(IDS_LAYER_FAILED, CSystemError::Text(ENOMEM)));
        QVERIFY(view->m_bmpColor.isNull() && view->m_bmpCover.isNull());
        QTemporaryDir dir;
        QCOMPARE(Unlike(*view, dir.filePath(QStringLiteral("black.bmp")), Expected(*view, view->rect(), {})),
                 QString());
        QVERIFY(Accept(*view));
        QVERIFY(view->m_bmpColor.size() == view->size() &&
                view->m_bmpCover == Filled(view->size(), Qt::black));
    }

    void printing_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("onPage"); // where it lands in the printable area 50, 70, 899 x 700
        QTest::newRow("tenfold") << QSize(48, 36) << QRect(50, 70, 480, 360);
        QTest::newRow("fitted") << QSize(1920, 1080) << QRect(50, 70, 899, 505);
    }
    // One picture pixel to ten device units from the printable area's top-left; too large, fitted keeping
    // proportions. Red, green, blue and grey quadrants, the green one and a column of the red one covered: a
    // real A4 page at 72 dpi has the composition there, sharp; the print preview shows the page.
    void printing() {
        QFETCH(QSize, picture);
        QTEST(CZelvorandineView::PrintRect(picture, QRect(50, 70, 899, 700)), "onPage");
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        auto view = MakeView(true, picture);
        const int w = picture.width(), h = picture.height();
        const QRgb q[] = {qRgb(220, 30, 30), qRgb(30, 200, 40), qRgb(40, 50, 210), qRgb(128, 128, 128)};
        view->m_bmpColor = CCompositor::Packed(
            QImage(reinterpret_cast<const uchar*>(q), 2, 2, QImage::Format_RGB32).scaled(w, h));
        view->m_bmpCover.fill(Qt::white);
        QPainter(&view->m_bmpCover).fillRect(w / 2, 0, w - w / 2, h / 2, Qt::black);
        QPainter(&view->m_bmpCover).fillRect(w / 4, 0, 1, h / 2, Qt::black);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("page.pdf"), png = dir.filePath("page");
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFileName(pdf);
        printer.setResolution(72);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        QVERIFY(view->PrintTo(printer));
        QCOMPARE(QProcess::execute("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, png}), 0);
        const QImage page = QImage(png + ".png").convertToFormat(QImage::Format_RGB32);
        const double origin = 10 * 72 / 25.4, scale = std::min(10.0 * w, 595.28 - 2 * origin) / w;
        const int step = scale >= 5 ? 1 : 60;
        for (int y = step / 2; y < h; y += step)
            for (int x = step / 2; x < w; x += step) {
                const QRgb want = view->m_bmpCover.pixel(x, y) & view->m_bmpColor.pixel(x, y);
                const QRgb got = page.pixel(int(origin + (x + 0.5) * scale), int(origin + (y + 0.5) * scale));
                QVERIFY2(qAbs(qGray(got) - qGray(want)) < 4, qPrintable(QString::asprintf("%d,%d", x, y)));
            }
        CDialogDriver driver; // the preview draws the page too, once it has laid it out
        driver.Expect(QString(), [&](QDialog* pDialog) {
            auto* pPreview = pDialog->findChild<QPrintPreviewWidget*>();
            const auto nRed = [pPreview, &q] {
                const QImage shown = pPreview->grab().toImage().convertToFormat(QImage::Format_RGB32);
                const auto* pPixels = reinterpret_cast<const QRgb*>(shown.constBits());
                return std::count(pPixels, pPixels + shown.width() * shown.height(), q[0]);
            };
            QTRY_VERIFY(pPreview != nullptr && pPreview->pageCount() == 1 && nRed() > 20);
            pDialog->reject();
        });
        view->SetPrinter([]() -> QPrinter& { return theApp.GetPrinter(); }); // as the application gives it
        QVERIFY(view->OnCmdMsg(ID_FILE_PRINT_PREVIEW, CmdCode::Command, nullptr) && driver.Finished());
    }
};

QTEST_MAIN(TestView)
#include "tst_view.moc"
