#include "app/ZelvorandineApp.h"
#include "canvas/ZelvorandineView.h"
#include "res/ResourceIds.h"
#include "tests/background/DialogDriver.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Printing the composed picture: one picture pixel to ten device units from the top-left of the printable
// area, scaled down with its proportions when that does not fit.
namespace {

constexpr double kMarginMm = 10;
constexpr double kPointsPerMm = 72.0 / 25.4;

// A picture of known colours: four quadrants, red, green, blue and grey.
QRgb Quadrant(int x, int y, const QSize& size) {
    const bool bRight = x >= size.width() / 2;
    const bool bBottom = y >= size.height() / 2;
    if (!bRight && !bBottom)
        return qRgb(220, 30, 30);
    if (bRight && !bBottom)
        return qRgb(30, 200, 40);
    if (!bRight)
        return qRgb(40, 50, 210);
    return qRgb(128, 128, 128);
}

// Puts a background and an etched cover into the view: the cover is white except a black square at
// blackSquare (picture pixels) with one white column through its middle, so the print must show the
// composition, not the colour layer.
void SetPicture(CZelvorandineView& view, const QSize& size, const QRect& blackSquare) {
    QImage color(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            color.setPixel(x, y, Quadrant(x, y, size));
    }
    QImage cover(size, QImage::Format_RGB32);
    cover.fill(Qt::white);
    for (int y = blackSquare.top(); y <= blackSquare.bottom(); ++y) {
        for (int x = blackSquare.left(); x <= blackSquare.right(); ++x)
            cover.setPixel(x, y, x == blackSquare.center().x() ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
    view.m_bmpColor = color;
    view.m_bmpCover = cover;
    view.m_nLayerWidth = size.width();
    view.m_nLayerHeight = size.height();
    view.m_bReady = 1;
}

bool Near(QRgb a, QRgb b, int nTolerance) {
    return qAbs(qRed(a) - qRed(b)) <= nTolerance && qAbs(qGreen(a) - qGreen(b)) <= nTolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= nTolerance;
}

// The bounding box of everything that is not (nearly) white.
QRect Inked(const QImage& page) {
    int l = page.width(), t = page.height(), r = -1, b = -1;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QRgb pixel = page.pixel(x, y);
            if (qRed(pixel) < 240 || qGreen(pixel) < 240 || qBlue(pixel) < 240) {
                l = qMin(l, x);
                t = qMin(t, y);
                r = qMax(r, x);
                b = qMax(b, y);
            }
        }
    }
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}

} // namespace

class TestViewPrint : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // The preview prints through the application's printer.
        theApp.InitApplication();
        CZelvorandineView::s_bFirstPaintDone = true;
    }

    void printRect_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("page");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("640x480 tenfold")
            << QSize(640, 480) << QRect(0, 0, 9000, 7000) << QRect(0, 0, 6400, 4800);
        QTest::newRow("at the page's origin")
            << QSize(640, 480) << QRect(50, 70, 9000, 7000) << QRect(50, 70, 6400, 4800);
        QTest::newRow("exactly the page") << QSize(64, 48) << QRect(0, 0, 640, 480) << QRect(0, 0, 640, 480);
        QTest::newRow("one unit too narrow")
            << QSize(64, 48) << QRect(0, 0, 639, 480) << QRect(0, 0, 639, 479);
        QTest::newRow("one unit too low") << QSize(64, 48) << QRect(0, 0, 640, 479) << QRect(0, 0, 638, 479);
        QTest::newRow("wide picture, tall page")
            << QSize(1920, 1080) << QRect(0, 0, 4800, 6800) << QRect(0, 0, 4800, 2700);
        QTest::newRow("tall picture, wide page")
            << QSize(1080, 1920) << QRect(10, 20, 6800, 4800) << QRect(10, 20, 2700, 4800);
        QTest::newRow("one pixel wide, very tall")
            << QSize(1, 10000) << QRect(0, 0, 100, 100) << QRect(0, 0, 1, 100);
        QTest::newRow("no width") << QSize(0, 480) << QRect(0, 0, 9000, 7000) << QRect();
        QTest::newRow("no height") << QSize(640, 0) << QRect(0, 0, 9000, 7000) << QRect();
        QTest::newRow("no picture") << QSize() << QRect(0, 0, 9000, 7000) << QRect();
        QTest::newRow("no page") << QSize(640, 480) << QRect(0, 0, 0, 0) << QRect();
    }
    void printRect() {
        QFETCH(QSize, picture);
        QFETCH(QRect, page);
        QFETCH(QRect, expected);
        const QRect printed = CZelvorandineView::PrintRect(picture, page);
        QCOMPARE(printed.isEmpty(), expected.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE(printed, expected);
    }

    // A real printed page: written as PDF, rendered at 72 dpi (one pixel per point), measured.
    void printedPage_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("pageSize");        // QPageSize::PageSizeId
        QTest::addColumn<QSizeF>("expectedSize"); // points
        const double a4Width = 595.28 - 2 * kMarginMm * kPointsPerMm;
        QTest::newRow("64x48 tenfold") << QSize(64, 48) << int(QPageSize::A3) << QSizeF(640, 480);
        QTest::newRow("1920x1080 fitted to the width")
            << QSize(1920, 1080) << int(QPageSize::A4) << QSizeF(a4Width, a4Width * 1080 / 1920);
        QTest::newRow("1080x1920 fitted to the height")
            << QSize(1080, 1920) << int(QPageSize::A5)
            << QSizeF((595.28 - 2 * kMarginMm * kPointsPerMm) * 1080 / 1920,
                      595.28 - 2 * kMarginMm * kPointsPerMm);
    }
    void printedPage() {
        QFETCH(QSize, picture);
        QFETCH(int, pageSize);
        QFETCH(QSizeF, expectedSize);
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        QTemporaryDir folder;
        QVERIFY(folder.isValid());

        CZelvorandineView view;
        const QRect blackSquare(picture.width() / 8, picture.height() / 8, picture.width() / 8,
                                picture.width() / 8);
        SetPicture(view, picture, blackSquare);
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath(QStringLiteral("page.pdf")));
        printer.setResolution(72);
        printer.setPageSize(QPageSize(QPageSize::PageSizeId(pageSize)));
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                               QPageLayout::Millimeter);
        QVERIFY(view.PrintTo(printer));

        QProcess render;
        render.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                                QStringLiteral("-singlefile"), folder.filePath(QStringLiteral("page.pdf")),
                                folder.filePath(QStringLiteral("page"))});
        QVERIFY(render.waitForFinished(20000));
        QCOMPARE(render.exitCode(), 0);
        const QImage page =
            QImage(folder.filePath(QStringLiteral("page.png"))).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!page.isNull());

        // From the top-left corner of the printable area, at the expected size.
        const double origin = kMarginMm * kPointsPerMm;
        const QRect inked = Inked(page);
        QVERIFY2(qAbs(inked.left() - origin) <= 1.5 && qAbs(inked.top() - origin) <= 1.5,
                 qPrintable(QStringLiteral("inked from %1,%2").arg(inked.left()).arg(inked.top())));
        QVERIFY2(qAbs(inked.width() - expectedSize.width()) <= 2 &&
                     qAbs(inked.height() - expectedSize.height()) <= 2,
                 qPrintable(QStringLiteral("inked %1 x %2").arg(inked.width()).arg(inked.height())));

        // The composed colours where the picture's pixels land.
        const double scale = double(inked.width()) / picture.width();
        auto landed = [&](int x, int y) {
            return page.pixel(int(origin + (x + 0.5) * scale), int(origin + (y + 0.5) * scale));
        };
        auto expect = [&](int x, int y, QRgb expected) {
            QVERIFY2(Near(landed(x, y), expected, 3),
                     qPrintable(
                         QStringLiteral("pixel %1,%2 printed as %3").arg(x).arg(y).arg(landed(x, y), 6, 16)));
        };
        const int w = picture.width(), h = picture.height();
        for (const QPoint& p :
             {QPoint(w / 16, h / 2 - 8), QPoint(w - 8, 4), QPoint(4, h - 8), QPoint(w - 8, h - 8)})
            expect(p.x(), p.y(), Quadrant(p.x(), p.y(), picture));
        const QPoint centre = blackSquare.center();
        expect(blackSquare.left() + blackSquare.width() / 4, centre.y(), qRgb(0, 0, 0));
        if (scale >= 5) {
            // Sharp to the pixel: the quadrants' edges and the one etched column show no bleeding.
            for (const QPoint& p :
                 {QPoint(w / 2 - 1, 1), QPoint(w / 2, 1), QPoint(1, h / 2 - 1), QPoint(1, h / 2)})
                expect(p.x(), p.y(), Quadrant(p.x(), p.y(), picture));
            expect(centre.x(), centre.y(), Quadrant(centre.x(), centre.y(), picture));
            expect(centre.x() - 1, centre.y(), qRgb(0, 0, 0));
            expect(centre.x() + 1, centre.y(), qRgb(0, 0, 0));
        }
        // Nothing lands below or right of the picture.
        QCOMPARE(page.pixel(inked.right() + 3, inked.center().y()) | 0xFF000000u, 0xFFFFFFFFu);
    }

    // The print preview draws its pages with the same composition.
    void printPreview_data() {
        QTest::addColumn<bool>("revealed");
        QTest::newRow("cover etched white") << true;
        QTest::newRow("cover black") << false;
    }
    void printPreview() {
        QFETCH(bool, revealed);
        CZelvorandineView view;
        view.resize(300, 200);
        SetPicture(view, QSize(400, 300), revealed ? QRect() : QRect(0, 0, 400, 300));
        int nRedPixels = -1;
        CDialogDriver driver;
        driver.Expect(QString(), [&](QDialog* pDialog) {
            QVERIFY(qobject_cast<QPrintPreviewDialog*>(pDialog) != nullptr);
            auto* pPreview = pDialog->findChild<QPrintPreviewWidget*>();
            QVERIFY(pPreview != nullptr);
            QTRY_VERIFY(pPreview->pageCount() == 1);
            QTest::qWait(20);
            const QImage shown = pPreview->grab().toImage().convertToFormat(QImage::Format_RGB32);
            nRedPixels = 0;
            for (int y = 0; y < shown.height(); ++y) {
                for (int x = 0; x < shown.width(); ++x)
                    nRedPixels += Near(shown.pixel(x, y), Quadrant(0, 0, QSize(400, 300)), 12) ? 1 : 0;
            }
            pDialog->reject();
        });
        QVERIFY(view.OnCmdMsg(ID_FILE_PRINT_PREVIEW, CmdCode::Command, nullptr));
        QVERIFY2(driver.Finished() && driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
        if (revealed)
            QVERIFY2(nRedPixels > 100, qPrintable(QString::number(nRedPixels)));
        else
            QCOMPARE(nRedPixels, 0);
    }
};

QTEST_MAIN(TestViewPrint)
#include "tst_viewprint.moc"
