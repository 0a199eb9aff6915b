#include "canvas/Compositor.h"
#include "canvas/ImageSurface.h"

#include <QTest>

#include <random>

namespace {

QImage Noise(int w, int h, unsigned seed) {
    QImage image(w, h, QImage::Format_RGB32);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
    }
    return image;
}

} // namespace

class TestCompositor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void andOnPackedColours_data() {
        QTest::addColumn<quint32>("cover");
        QTest::addColumn<quint32>("color");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("white shows the colour") << kWhite << 0x123456u << 0x123456u;
        QTest::newRow("black hides it") << kBlack << 0x123456u << 0u;
        QTest::newRow("green cover keeps green") << 0x00FF00u << 0x123456u << 0x003400u;
        QTest::newRow("bit by bit") << 0xF0F0F0u << 0x3C3C3Cu << 0x303030u;
        QTest::newRow("idempotent") << 0x123456u << 0x123456u << 0x123456u;
    }
    void andOnPackedColours() {
        QFETCH(quint32, cover);
        QFETCH(quint32, color);
        QFETCH(quint32, expected);
        QImage coverImage(5, 3, QImage::Format_RGB32);
        QImage colorImage(5, 3, QImage::Format_RGB32);
        coverImage.fill(CImageSurface::ToPixel(cover));
        colorImage.fill(CImageSurface::ToPixel(color));
        CCompositor::AndInto(coverImage, colorImage, coverImage.rect());
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x)
                QCOMPARE(coverImage.pixel(x, y), CImageSurface::ToPixel(expected));
        }
        QCOMPARE(colorImage.pixel(2, 1), CImageSurface::ToPixel(color)); // the colour layer never changes
    }

    void andIsClipped_data() {
        QTest::addColumn<QSize>("coverSize");
        QTest::addColumn<QSize>("colorSize");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("inside") << QSize(40, 30) << QSize(40, 30) << QRect(5, 6, 7, 8);
        QTest::newRow("over the top left") << QSize(40, 30) << QSize(40, 30) << QRect(-5, -6, 17, 18);
        QTest::newRow("over the bottom right") << QSize(40, 30) << QSize(40, 30) << QRect(30, 20, 50, 50);
        QTest::newRow("colour smaller") << QSize(40, 30) << QSize(20, 25) << QRect(0, 0, 40, 30);
        QTest::newRow("cover smaller") << QSize(20, 25) << QSize(40, 30) << QRect(0, 0, 40, 30);
        QTest::newRow("outside") << QSize(40, 30) << QSize(40, 30) << QRect(40, 0, 10, 10);
        QTest::newRow("empty") << QSize(40, 30) << QSize(40, 30) << QRect();
        QTest::newRow("odd widths") << QSize(37, 3) << QSize(37, 3) << QRect(1, 0, 35, 3);
    }
    void andIsClipped() {
        QFETCH(QSize, coverSize);
        QFETCH(QSize, colorSize);
        QFETCH(QRect, rect);
        const QImage before = Noise(coverSize.width(), coverSize.height(), 1);
        const QImage color = Noise(colorSize.width(), colorSize.height(), 2);
        QImage cover = before;
        CCompositor::AndInto(cover, color, rect);
        for (int y = 0; y < cover.height(); ++y) {
            for (int x = 0; x < cover.width(); ++x) {
                const bool inside = rect.contains(x, y) && color.rect().contains(x, y);
                const QRgb expected = inside ? before.pixel(x, y) & color.pixel(x, y) : before.pixel(x, y);
                QVERIFY2(cover.pixel(x, y) == expected, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        }
    }

    void copy_data() {
        QTest::addColumn<QRect>("from");
        QTest::addColumn<QPoint>("to");
        QTest::newRow("whole") << QRect(0, 0, 30, 20) << QPoint(0, 0);
        QTest::newRow("part moved") << QRect(3, 4, 10, 6) << QPoint(17, 9);
        QTest::newRow("source beyond its image") << QRect(-5, -5, 12, 12) << QPoint(10, 10);
        QTest::newRow("target beyond the edges") << QRect(0, 0, 30, 20) << QPoint(-7, 12);
        QTest::newRow("target far away") << QRect(0, 0, 30, 20) << QPoint(100, 0);
        QTest::newRow("into the bottom right") << QRect(10, 5, 20, 15) << QPoint(25, 15);
    }
    void copy() {
        QFETCH(QRect, from);
        QFETCH(QPoint, to);
        const QImage src = Noise(30, 20, 3);
        const QImage before = Noise(35, 25, 4);
        QImage dst = before;
        CCompositor::Copy(dst, to, src, from);
        for (int y = 0; y < dst.height(); ++y) {
            for (int x = 0; x < dst.width(); ++x) {
                const QPoint s = QPoint(x, y) - to + from.topLeft();
                const bool copied = from.contains(s) && src.rect().contains(s);
                QCOMPARE(dst.pixel(x, y), copied ? src.pixel(s) : before.pixel(x, y));
            }
        }
    }

    void copyWithinOneImage_data() {
        QTest::addColumn<QPoint>("shift");
        QTest::newRow("down") << QPoint(0, 3);
        QTest::newRow("up") << QPoint(0, -3);
        QTest::newRow("right") << QPoint(4, 0);
        QTest::newRow("left") << QPoint(-4, 0);
        QTest::newRow("down right") << QPoint(2, 5);
    }
    void copyWithinOneImage() {
        QFETCH(QPoint, shift);
        QImage image = Noise(30, 20, 5);
        const QImage original = image.copy();
        const QRect from(5, 4, 18, 12);
        CCompositor::Copy(image, from.topLeft() + shift, image, from);
        QImage expected = original.copy();
        CCompositor::Copy(expected, from.topLeft() + shift, original, from);
        QCOMPARE(image, expected);
    }

    // Composition is idempotent per pixel, so recomposing only what each stroke touched gives exactly the
    // picture that recomposing everything gives.
    void dirtyRecompositionMatchesFull_data() {
        QTest::addColumn<unsigned>("seed");
        QTest::newRow("1") << 1u;
        QTest::newRow("2") << 2u;
        QTest::newRow("3") << 3u;
    }
    void dirtyRecompositionMatchesFull() {
        QFETCH(unsigned, seed);
        const QImage color = Noise(97, 71, seed);
        QImage coverFull(color.size(), QImage::Format_RGB32);
        coverFull.fill(0xFF000000u);
        QImage coverDirty = coverFull.copy();
        CImageSurface full(coverFull);
        CImageSurface dirty(coverDirty);
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> x(-20, 117), y(-20, 91), width(1, 25), step(-15, 15);
        for (int stroke = 0; stroke < 60; ++stroke) {
            const CPenSpec pen{width(random), random() % 3 == 0 ? kBlack : kWhite};
            full.SelectPen(pen);
            dirty.SelectPen(pen);
            QPoint p(x(random), y(random));
            full.MoveTo(p.x(), p.y());
            dirty.MoveTo(p.x(), p.y());
            for (int segment = 0; segment < 8; ++segment) {
                p += QPoint(step(random), step(random));
                full.LineTo(p.x(), p.y());
                dirty.LineTo(p.x(), p.y());
                CCompositor::AndInto(coverFull, color, coverFull.rect());
                CCompositor::AndInto(coverDirty, color, dirty.TakeDirtyRect());
            }
            QCOMPARE(coverDirty, coverFull);
        }
        // The strokes revealed something and hid something.
        int revealed = 0;
        for (int y = 0; y < coverFull.height(); ++y) {
            for (int x = 0; x < coverFull.width(); ++x)
                revealed += coverFull.pixel(x, y) == color.pixel(x, y);
        }
        QVERIFY(revealed > 100);
        QVERIFY(revealed < coverFull.width() * coverFull.height());
    }
};

QTEST_APPLESS_MAIN(TestCompositor)
#include "tst_compositor.moc"
