// SPDX-License-Identifier: MIT
#include "canvas/surface/Compositor.h"
#include "canvas/surface/ImageSurface.h"

#include <QTest>

#include <random>

namespace {

constexpr QRgb kBack = 0xFF202080u, kPen = 0xFFFF0007u, kBrush = 0xFF00FF00u;
enum EShape { Rect, Ellipse, Black, Line };
constexpr void (CImageSurface::*kFigures[])(int, int, int, int) = {
    &CImageSurface::Rectangle, &CImageSurface::Ellipse, &CImageSurface::FillBlack};

// Random colours, or every pixel `pixel` when seed is 0.
QImage Noise(QSize size, unsigned seed, QRgb pixel = kBack) {
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 random(seed);
    std::generate_n(reinterpret_cast<quint32*>(image.bits()), size.width() * size.height(),
                    [&] { return seed != 0 ? 0xFF000000u | random() : pixel; });
    return image;
}

// box's corners are l, t, r, b (a line runs from the first to the second); returns the dirty rectangle.
QRect Draw(QImage& image, int shape, int pen, const QRect& b) {
    CImageSurface dc(image);
    dc.SelectPen({pen, MakeColor(255, 0, 7)});
    dc.SelectBrush(MakeColor(0, 255, 0));
    dc.MoveTo(b.left(), b.top());
    if (shape == Line) {
        dc.LineTo(b.right(), b.bottom());
    } else {
        // Picked first: GCC's bounds check misreads an index inside a member-pointer call.
        const auto figure = kFigures[shape];
        (dc.*figure)(b.left(), b.top(), b.right(), b.bottom());
    }
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
        QTest::newRow("black, corners swapped")
            << +Black << 1 << QRect(4, 3, -2, -1) << "....../.###../.###../....../";
        QTest::newRow("line: end left out")
            << +Line << 1 << QRect(QPoint(0, 0), QPoint(6, 2)) << "PP...../..PPP../.....P./";
        // An even pen has no middle pixel: its extra row or column lies right of and below the points.
        QTest::newRow("line: pen 4, rising")
            << +Line << 4 << QRect(QPoint(2, 6), QPoint(6, 2))
            << "........./......PP./.....PPPP/....PPPPP/...PPPPP./..PPPPP../.PPPPP.../.PPPP..../..PP...../";
        const int far = 1 << 30;
        for (QRect box :
             {QRect(-5, -7, 15, 13), QRect(20, 25, 20, 20), QRect(-20, -30, 75, 80), QRect(-40, 5, 9, 9),
              QRect(QPoint(33, 29), QPoint(-4, 1)), QRect(QPoint(-far, -far), QPoint(far, far))})
            for (int shape : {Rect, Ellipse, Black, Line})
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
        QImage small = Noise(size, 0), large = Noise(size + QSize(120, 120), 0);
        const QRect dirty = Draw(small, shape, pen, box);
        Draw(large, shape, pen, box.translated(60, 60));
        QCOMPARE(small, large.copy(QRect(QPoint(60, 60), size)));
        QRect inked;
        const QString picture = Picture(small, &inked);
        QCOMPARE(dirty, inked);
        QCOMPARE(want.isEmpty() ? QString() : picture, want);
    }

    void composition_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("mask"); // the colour layer: 0 none, 1 in four bytes a pixel, 2 packed in three
        for (int width : {1, 4, 11, 40})
            for (int mask : {0, 1, 2})
                QTest::addRow("%d pixels, mask %d", width, mask) << width << mask;
    }
    // cover := cover AND colour, bit by bit, within the rectangle and nowhere else. A row as a file stores
    // it: blue, green, red for each pixel, the cover AND-ed with the colour layer when one is given, and
    // nothing written past the row.
    void composition() {
        QFETCH(int, width);
        QFETCH(int, mask);
        const QImage cover = Noise(QSize(width, 9), 1), color = Noise(QSize(width, 9), 2);
        const QImage masks[] = {QImage(), color, CCompositor::Packed(color)};
        QImage anded = cover, expected = cover;
        CCompositor::AndInto(anded, masks[mask], QRect(1, 3, width + 5, 4));
        QByteArray row(3 * width + 4, '\x5A'), bgr = row;
        CCompositor::StoreBgr(reinterpret_cast<uchar*>(row.data()), cover, mask ? &masks[mask] : nullptr, 2,
                              width);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb p = cover.pixel(x, y) & (mask ? color.pixel(x, y) : 0xFFFFFFFFu);
                expected.setPixel(x, y, x >= 1 && y >= 3 && y < 7 ? p : cover.pixel(x, y));
                if (y == 2)
                    bgr.replace(3 * x, 3,
                                QByteArray::fromStdString({char(qBlue(p)), char(qGreen(p)), char(qRed(p))}));
            }
        QCOMPARE(anded, expected);
        QCOMPARE(row, bgr);
    }
};

QTEST_APPLESS_MAIN(TestImageSurface)
#include "tst_imagesurface.moc"
