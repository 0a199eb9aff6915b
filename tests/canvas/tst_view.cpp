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
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <malloc.h>
#include <optional>
#include <sys/resource.h>

namespace {

using Points = QList<QPoint>;

const QTemporaryDir kScratch;

QImage Filled(QSize size, const QColor& color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// A shown view with layers as after a background was accepted: a black cover over colours that differ from
// pixel to pixel and are never black or white, packed in three bytes a pixel (or in four, as when the packed
// copy could not be had).
std::unique_ptr<CZelvorandineView> MakeView(QSize size = QSize(303, 200), bool bPacked = true) {
    auto view = std::make_unique<CZelvorandineView>();
    view->resize(size);
    QImage colors = view->m_bmpCover = Filled(size, Qt::black);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            colors.setPixel(x, y, qRgb(0xFF - (x & 0xFF), y, 0x80 | x >> 8));
    view->m_bmpColor = bPacked ? CCompositor::Packed(colors) : colors;
    view->m_nLayerWidth = size.width();
    view->m_nLayerHeight = size.height();
    view->m_bReady = 1;
    view->show();
    return view;
}

void Send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Pressed at the first point, dragged through the others, released at the last. A press outside the view
// goes to another window: the view sees a drag coming in.
void Stroke(QWidget* w, const Points& points) {
    if (w->rect().contains(points[0]))
        Send(w, QEvent::MouseButtonPress, points[0], Qt::LeftButton, Qt::LeftButton);
    for (qsizetype i = 1; i < points.size(); ++i)
        Send(w, QEvent::MouseMove, points[i], Qt::NoButton, Qt::LeftButton);
    Send(w, QEvent::MouseButtonRelease, points.back(), Qt::LeftButton, Qt::NoButton);
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

// Both ways of showing the view, a save (before any repaint could mend what it reads) and the screen, where
// only what a change asks for is painted anew (within a frame), each against what it shows by the rules:
// layer from the top-left corner, the window's own colour elsewhere. A window without pixels has no picture
// to save.
QString Unlike(CZelvorandineView& view, const QImage& layer) {
    if (view.size().isEmpty())
        return {};
    QImage expected = Filled(view.size(), view.palette().color(QPalette::Window));
    QPainter(&expected).drawImage(0, 0, layer.convertToFormat(QImage::Format_RGB32));
    view.m_strName = kScratch.filePath(QStringLiteral("shown.bmp"));
    if (!view.OnFileSave() || QImage(view.m_strName).convertToFormat(QImage::Format_RGB32) != expected)
        return QStringLiteral("saved");
    const auto onScreen = [&] { return view.screen()->grabWindow(view.winId()).toImage() == expected; };
    return QTest::qWaitFor(onScreen) ? QString() : QStringLiteral("shown");
}

// From now on the process gets no more than 2 MiB of new memory, as on a machine whose memory ran out; false:
// as much as it likes again.
void LimitMemory(bool bLimit) {
    QFile file(QStringLiteral("/proc/self/status"));
    const QByteArray status = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const rlim_t nKib = status.mid(status.indexOf("VmData:") + 7).trimmed().split(' ')[0].toULongLong();
    const rlimit limit{bLimit ? nKib * 1024 + (2 << 20) : RLIM_INFINITY, RLIM_INFINITY};
    QVERIFY(setrlimit(RLIMIT_DATA, &limit) == 0);
}

} // namespace

class TestView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // As the program does: every picture-sized block is a mapping of its own, which a memory limit
        // governs (the heap's growth it measures differently).
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        CZelvorandineView::s_bFirstPaintDone = true; // only shown() goes through the splash and the choice
    }

    void strokes_data() {
        QTest::addColumn<int>("w"); // the tool by its width: 1 fine, 2 medium, 4 bold, 10 cover
        QTest::addColumn<Points>("points");
        for (int w : {1, 2, 4, 10}) {
            QTest::addRow("click, pen %d", w) << w << Points{{90, 80}};
            QTest::addRow("across, down, diagonal, pen %d", w)
                << w << Points{{20, 20}, {100, 20}, {100, 100}, {180, 180}};
            // A drag that started outside the view starts where it comes in: here a drag of no length.
            QTest::addRow("from outside to a point, pen %d", w) << w << Points{{-5, 80}, {90, 80}};
        }
        QTest::newRow("fine") << 1 << Points{{5, 5}, {60, 5}, {60, 90}, {190, 140}, {120, 10}};
        QTest::newRow("bold, along the edges") << 4 << Points{{0, 199}, {0, 0}, {302, 0}};
        QTest::newRow("cover") << 10 << Points{{40, 50}, {100, 50}, {160, 40}};
        QTest::newRow("leaving and coming back")
            << 4 << Points{{20, 40}, {280, 40}, {330, 40}, {360, 90}, {330, 120}, {280, 120}};
    }
    // The tool takes effect at once, its cursor once the pointer presses or moves. A click leaves a filled
    // square; a drag draws along the segments between the points seen inside, exactly as wide as the pen, the
    // cover pen also a disc at every point a move reached. What changed is composed and shown within a frame,
    // and a save writes it. A stroke marks the picture modified, but not the same stroke again once it is
    // saved, which changes nothing.
    void strokes() {
        QFETCH(int, w);
        QFETCH(Points, points);
        const int command = QList{0, ID_PEN_FINE, ID_PEN_MEDIUM, 0, ID_PEN_BOLD}.value(w, ID_PEN_COVER);
        const bool bReveal = w < 10;
        // The fine pen draws on a colour layer in four bytes a pixel, the others on the packed one.
        auto view = MakeView(QSize(303, 200), w > 1);
        if (!bReveal) // the cover pen on a revealed picture
            view->m_bmpCover = view->m_bmpColor.convertToFormat(QImage::Format_RGB32);
        // The screen shows the cover: after the stroke, what the stroke asks for is shown anew.
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->repaint();
        const QImage colors = view->m_bmpColor, cover = view->m_bmpCover;
        view->OnCmdMsg(command, CmdCode::Command, nullptr);
        Stroke(view.get(), points);
        Points inside = points;
        inside.removeIf([&](QPoint p) { return !view->rect().contains(p); });
        const Points discs = bReveal ? Points() : inside.mid(view->rect().contains(points[0]) ? 1 : 0);
        // A click's mark: a square whose box starts at the point and is w wide, outlined w thick along the
        // box's edges, an even pen's extra row and column right of and below them (the fine pen: the pixel).
        const QRect mark(points[0] - QPoint((w - 1) / 2, (w - 1) / 2), QSize(2 * w - 1, 2 * w - 1));
        // A wider pen covers what lies within w/2 of the segments, an even pen's running half a pixel right
        // of and below the points; which pixels the fine pen takes is the surface's own test (unknown here).
        const auto want = [&](QPoint p) -> std::optional<bool> {
            if (points.size() == 1)
                return mark.contains(p);
            if (w == 1)
                return Distance(p, inside) < 1 ? std::nullopt : std::optional(false);
            return Distance(p, inside, QPointF(1, 1) * (1 - w % 2) / 2) <= w / 2.0 ||
                   std::ranges::any_of(discs, [p](QPoint q) {
                       return std::hypot(p.x() - q.x() + 0.5, p.y() - q.y() + 0.5) < 10;
                   });
        };
        QString fault; // a pixel breaking the rule: only wanted ones change, to the pen's colour
        int nChanged = 0;
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
        QCOMPARE(view->IsModified(), nChanged > 0);
        QCOMPARE(Unlike(*view, view->m_bmpCover), QString());
        Stroke(view.get(), points);
        QVERIFY(!view->IsModified() && view->cursor().hotSpot() == (bReveal ? QPoint(1, 1) : QPoint(16, 16)));
    }

    void shown_data() {
        QTest::addColumn<QSize>("size");  // from the splash on; the first paint comes at 300 x 200
        QTest::addColumn<bool>("memory"); // for the cover when the background is accepted
        // 16390: wider or taller than a layer can be.
        for (QSize size : {QSize(300, 200), QSize(0, 0), QSize(300, 0), QSize(0, 300), QSize(1, 1),
                           QSize(777, 1), QSize(16390, 3), QSize(3, 16390)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size << true;
#if !defined(__SANITIZE_ADDRESS__)
        // A memory limit on the whole process would starve the address sanitizer's own bookkeeping.
        QTest::newRow("2600x2100, no memory for the cover") << QSize(2600, 2100) << false;
#endif
    }
    // From the first paint on, the screen and a save show the same: black where the first paint blacked the
    // window out (less what a resize took away, also once it grows again), then the offered background, then
    // the black cover. Layers stop at 16384 pixels a side; beyond them, also once the window is enlarged, the
    // window shows its own colour and strokes change nothing.
    // A cover that cannot be had on accepting ends the choice with a message; the view is black again and
    // strokes draw nothing. New then brings a background and a cover, and keeps the tool.
    void shown() {
        QFETCH(QSize, size);
        QFETCH(bool, memory);
        CZelvorandineView view;
        CDialogDriver driver;
        driver.Expect(QStringLiteral("splashDlg"), [&](QDialog* pDialog) {
            view.resize(size / 2);
            view.resize(size);
            QCOMPARE(Unlike(view, Filled((size / 2).boundedTo(QSize(300, 200)), Qt::black)), QString());
            CDialogDriver::SendKey(pDialog, Qt::Key_Escape);
        });
        driver.Expect(QStringLiteral("backgroundDlg"), [&](QDialog* pDialog) {
            QCOMPARE(Unlike(view, view.m_bmpColor), QString());
            LimitMemory(!memory);
            CDialogDriver::Click(IDC_USE_THIS)(pDialog);
        });
        if (!memory)
            driver.Expect(QStringLiteral("afxMessageBox"), [](QDialog* pDialog) {
                QCOMPARE(qobject_cast<QMessageBox*>(pDialog)->text(),
                         CResources::Format(IDS_LAYER_FAILED, CSystemError::Text(ENOMEM)));
                pDialog->accept();
            });
        CZelvorandineView::s_bFirstPaintDone = false;
        view.OnCmdMsg(ID_PEN_COVER, CmdCode::Command, nullptr); // the tool stays through the choice
        view.resize(300, 200);
        view.show();
        QTRY_VERIFY2(driver.Finished() && view.m_bReady == 1, qPrintable(driver.Faults().join(u',')));
        LimitMemory(false);
        const QImage black = Filled(size.boundedTo(QSize(16384, 16384)), Qt::black);
        // The cover pen, and its cursor from the press on: black on black, or nothing without a cover.
        Stroke(&view, {{10, 10}, {200, 100}});
        QCOMPARE(Unlike(view, black), QString());
        driver.Expect(QStringLiteral("backgroundDlg"), CDialogDriver::Click(IDC_USE_THIS));
        view.OnCmdMsg(ID_FILE_NEW, CmdCode::Command, nullptr);
        const QPoint end(size.width() - 1, size.height() - 1);
        QVERIFY(driver.Finished() && view.m_bmpCover == black && view.m_bmpColor.size() == black.size());
        QVERIFY(view.m_nPenWidth == 10 && view.m_bReveal == 0 && view.cursor().hotSpot() == QPoint(16, 16));
        view.resize(size + QSize(100, 80));
        view.OnCmdMsg(ID_PEN_BOLD, CmdCode::Command, nullptr);
        Stroke(&view, {end + QPoint(10, 10), end + QPoint(90, 70)});
        QVERIFY(!view.IsModified() && view.m_bmpCover.size() == black.size());
        Stroke(&view, {{0, 0}, end, end + QPoint(90, 70)});
        QCOMPARE(Unlike(view, view.m_bmpCover), QString());
        view.resize(size / 2);
        QCOMPARE(Unlike(view, view.m_bmpCover), QString());
    }

    // One picture pixel to ten device units from the printable area's top-left; too large, fitted keeping
    // proportions. The top-right quadrant and a column of the top-left one covered, composed only by
    // printing (the print preview too): a real page at 72 dpi has the composition there, sharp and exact.
    void printing() {
        QCOMPARE(CZelvorandineView::PrintRect(QSize(1920, 1080), QRect(50, 70, 480, 700)),
                 QRect(50, 70, 480, 270));
        auto view = MakeView(QSize(48, 36));
        QImage want = view->m_bmpColor.convertToFormat(QImage::Format_RGB32);
        view->m_bmpCover.fill(Qt::white);
        for (QImage* pImage : {&view->m_bmpCover, &want}) {
            QPainter(pImage).fillRect(24, 0, 24, 18, Qt::black);
            QPainter(pImage).fillRect(12, 0, 1, 18, Qt::black);
        }
        const QString pdf = kScratch.filePath("page.pdf"), png = kScratch.filePath("page");
        QPrinter printer;
        printer.setOutputFileName(pdf);
        printer.setResolution(72);
        CDialogDriver driver; // the print preview lays the page out, composed, before anything is printed
        driver.Expect(QString(), [](QDialog* pDialog) { pDialog->reject(); });
        view->SetPrinter([&printer]() -> QPrinter& { return printer; });
        QVERIFY(view->OnCmdMsg(ID_FILE_PRINT_PREVIEW, CmdCode::Command, nullptr) && view->m_bmpCover == want);
        QVERIFY(view->PrintTo(printer));
        // pdftoppm (poppler-utils) draws the page; each picture pixel's middle is compared.
        QCOMPARE(QProcess::execute("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, png}), 0);
        const QImage page = QImage(png + ".png").copy(printer.pageLayout().paintRectPixels(72));
        QCOMPARE(page.copy(0, 0, 480, 360).scaled(48, 36).convertToFormat(QImage::Format_RGB32), want);
    }
};

QTEST_MAIN(TestView)
#include "tst_view.moc"
