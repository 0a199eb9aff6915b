// SPDX-License-Identifier: MIT
#include "canvas/surface/ImageSurface.h"

#include <QTest>

namespace {

constexpr QRgb kBack = 0xFF202080u, kPen = 0xFFFF0007u, kBrush = 0xFF00FF00u;
enum EShape { Rect, Ellipse, Line };
// Each from the box's corners l, t, r, b; a line runs from the first to the second.
constexpr void (*kFigures[])(CImageSurface&, const QRect&) = {
    [](CImageSurface& dc, const QRect& b) { dc.Rectangle(b.left(), b.top(), b.right(), b.bottom()); },
    [](CImageSurface& dc, const QRect& b) { dc.Ellipse(b.left(), b.top(), b.right(), b.bottom()); },
    [](CImageSurface& dc, const QRect& b) { dc.LineTo(b.right(), b.bottom()); }};

// On the image, filled with the background; returns the dirty rectangle.
QRect Draw(QImage& image, int shape, int pen, const QRect& box) {
    image.fill(kBack);
    CImageSurface dc(image);
    dc.SelectPen({pen, MakeColor(255, 0, 7)});
    dc.SelectBrush(MakeColor(0, 255, 0));
    dc.MoveTo(box.left(), box.top());
    kFigures[shape](dc, box);
    return dc.TakeDirtyRect();
}

// Rows ended by '/', a character a pixel: '.' untouched, 'P' pen, 'B' brush, '#' anything else.
QString Picture(const QImage& image, QRect* pInked) {
    QString s;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x <= image.width(); ++x) {
            const QRgb p = x < image.width() ? image.pixel(x, y) : kBack;
            s += x == image.width() ? u'/' : p == kBack ? u'.' : p == kPen ? u'P' : p == kBrush ? u'B' : u'#';
            *pInked |= p == kBack ? QRect() : QRect(x, y, 1, 1);
        }
    return s;
}

} // namespace

class TestImageSurface : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void figures_data() {
        QTest::addColumn<int>("shape");
        QTest::addColumn<int>("pen");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QString>("want"); // empty: only compared with a larger image
        QTest::newRow("rectangle: corners swapped, columns l..r-1, rows t..b-1")
            << +Rect << 1 << QRect(6, 5, -4, -3) << "......../.PPPPP../.PBBBP../.PBBBP../.PPPPP../......../";
        QTest::newRow("ellipse 7x7") << +Ellipse << 1 << QRect(0, 0, 8, 8)
                                     << "..PPP../.PBBBP./PBBBBBP/PBBBBBP/PBBBBBP/.PBBBP./..PPP../";
        QTest::newRow("line: end left out")
            << +Line << 1 << QRect(QPoint(0, 0), QPoint(6, 2)) << "PP...../..PPP../.....P./";
        const int far = 1 << 30;
        for (QRect box :
             {QRect(-5, -7, 15, 13), QRect(20, 25, 20, 20), QRect(-20, -30, 75, 80), QRect(-40, 5, 9, 9),
              QRect(QPoint(33, 29), QPoint(-4, 1)), QRect(QPoint(-far, -far), QPoint(far, far))})
            for (int shape : {Rect, Ellipse, Line})
                for (int pen : {1, 4, 5})
                    QTest::addRow("shape %d, pen %d, from %d,%d", shape, pen, box.left(), box.top())
                        << shape << pen << box << QString();
    }
    // Whatever lies outside the image is cut off exactly on every side, also far away: the image shows what
    // the middle of a larger one shows. The dirty rectangle bounds exactly what was written.
    void figures() {
        QFETCH(int, shape);
        QFETCH(int, pen);
        QFETCH(QRect, box);
        QFETCH(QString, want);
        const QSize size = want.isEmpty() ? QSize(30, 30) : QSize(want.indexOf(u'/'), want.count(u'/'));
        QImage small(size, QImage::Format_RGB32), large(size + QSize(120, 120), QImage::Format_RGB32);
        const QRect dirty = Draw(small, shape, pen, box);
        Draw(large, shape, pen, box.translated(60, 60));
        QCOMPARE(small, large.copy(QRect(QPoint(60, 60), size)));
        QRect inked;
        const QString picture = Picture(small, &inked);
        QCOMPARE(dirty, inked);
        QCOMPARE(want.isEmpty() ? QString() : picture, want);
    }
};

QTEST_APPLESS_MAIN(TestImageSurface)
#include "tst_imagesurface.moc"
