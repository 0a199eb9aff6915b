#include "canvas/ImageSurface.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <random>

namespace {

constexpr PackedColor kPen = MakeColor(255, 0, 0);
constexpr PackedColor kBrush = MakeColor(0, 255, 0);
constexpr QRgb kBackground = 0xFF202080u;

QImage Blank(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBackground);
    return image;
}

// One character per pixel: '.' untouched, 'P' pen, 'B' brush, '?' anything else.
QStringList Picture(const QImage& image) {
    QStringList rows;
    for (int y = 0; y < image.height(); ++y) {
        QString row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            row += p == kBackground                      ? QLatin1Char('.')
                   : p == CImageSurface::ToPixel(kPen)   ? QLatin1Char('P')
                   : p == CImageSurface::ToPixel(kBrush) ? QLatin1Char('B')
                                                         : QLatin1Char('?');
        }
        rows.append(row);
    }
    return rows;
}

QSet<QPoint> Painted(const QImage& image) {
    QSet<QPoint> points;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kBackground)
                points.insert(QPoint(x, y));
        }
    }
    return points;
}

QRect BoundingBox(const QImage& image) {
    QRect box;
    for (const QPoint& p : Painted(image))
        box |= QRect(p, QSize(1, 1));
    return box;
}

// Is the pixel centre (x, y) within w/2 of the segment? Exact in integers.
bool NearSegment(qint64 x, qint64 y, qint64 x0, qint64 y0, qint64 x1, qint64 y1, qint64 w) {
    const qint64 dx = x1 - x0, dy = y1 - y0, px = x - x0, py = y - y0;
    const qint64 len2 = dx * dx + dy * dy;
    const qint64 dot = px * dx + py * dy;
    if (len2 == 0 || dot <= 0)
        return 4 * (px * px + py * py) <= w * w;
    if (dot >= len2)
        return 4 * ((x - x1) * (x - x1) + (y - y1) * (y - y1)) <= w * w;
    const qint64 cross = px * dy - py * dx;
    return 4 * cross * cross <= w * w * len2;
}

enum class EShape { Rectangle, Ellipse, Line, Pixel, Black };

void DrawShape(CImageSurface& dc, EShape shape, int pen, int l, int t, int r, int b) {
    dc.SelectPen({pen, kPen});
    dc.SelectBrush(kBrush);
    switch (shape) {
    case EShape::Rectangle:
        dc.Rectangle(l, t, r, b);
        break;
    case EShape::Ellipse:
        dc.Ellipse(l, t, r, b);
        break;
    case EShape::Line:
        dc.MoveTo(l, t);
        dc.LineTo(r, b);
        break;
    case EShape::Pixel:
        dc.SetPixel(l, t, kPen);
        break;
    case EShape::Black:
        dc.FillBlack(l, t, r, b);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(EShape)

class TestImageSurface : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void freshSurfaceState() {
        QImage image = Blank(4, 3);
        CImageSurface dc(image);
        QCOMPARE(dc.Width(), 4);
        QCOMPARE(dc.Height(), 3);
        QCOMPARE(dc.SelectPen({5, kPen}), (CPenSpec{1, kBlack}));
        QCOMPARE(dc.SelectPen({1, kBlack}), (CPenSpec{5, kPen}));
        QCOMPARE(dc.SelectBrush(kBrush), kWhite);
        QCOMPARE(dc.SelectBrush(kWhite), kBrush);
        QVERIFY(dc.TakeDirtyRect().isEmpty());
    }

    void packedColourBecomesImagePixel() {
        QImage image = Blank(2, 1);
        CImageSurface dc(image);
        dc.SetPixel(0, 0, 0x123456);
        dc.SetPixel(1, 0, kWhite);
        QCOMPARE(image.pixel(0, 0), 0xFF563412u);
        QCOMPARE(image.pixel(1, 0), 0xFFFFFFFFu);
        QCOMPARE(qRed(image.pixel(0, 0)), RedOf(0x123456));
        QCOMPARE(qBlue(image.pixel(0, 0)), BlueOf(0x123456));
    }

    void rectangle_data() {
        QTest::addColumn<int>("pen");
        QTest::addColumn<QRect>("box"); // l, t, r, b as left, top, right, bottom of a QRect's coordinates
        QTest::addColumn<QStringList>("expected");
        const QStringList fivePerFour{"........", ".PPPPP..", ".PBBBP..", ".PBBBP..", ".PPPPP..", "........"};
        QTest::newRow("one pixel pen") << 1 << QRect(QPoint(1, 1), QPoint(6, 5)) << fivePerFour;
        QTest::newRow("swapped corners") << 1 << QRect(QPoint(6, 5), QPoint(1, 1)) << fivePerFour;
        QTest::newRow("right and left swapped") << 1 << QRect(QPoint(6, 1), QPoint(1, 5)) << fivePerFour;
        QTest::newRow("single pixel")
            << 1 << QRect(QPoint(2, 2), QPoint(3, 3)) << QStringList{"....", "....", "..P.", "...."};
        QTest::newRow("two by two has no interior")
            << 1 << QRect(QPoint(1, 1), QPoint(3, 3)) << QStringList{"....", ".PP.", ".PP.", "...."};
        QTest::newRow("no width") << 1 << QRect(QPoint(2, 1), QPoint(2, 3))
                                  << QStringList{"....", "....", "....", "...."};
        QTest::newRow("no height") << 3 << QRect(QPoint(0, 2), QPoint(4, 2))
                                   << QStringList{"....", "....", "....", "...."};
        QTest::newRow("pen 3 centred on the outline")
            << 3 << QRect(QPoint(2, 2), QPoint(9, 8))
            << QStringList{"...........", ".PPPPPPPPP.", ".PPPPPPPPP.", ".PPPPPPPPP.", ".PPPBBBPPP.",
                           ".PPPBBBPPP.", ".PPPPPPPPP.", ".PPPPPPPPP.", ".PPPPPPPPP.", "..........."};
        QTest::newRow("pen 2: extra pixel outwards right and below")
            << 2 << QRect(QPoint(2, 2), QPoint(9, 8))
            << QStringList{"...........", "...........", "..PPPPPPPP.", "..PPPPPPPP.", "..PPBBBBPP.",
                           "..PPBBBBPP.", "..PPBBBBPP.", "..PPPPPPPP.", "..PPPPPPPP.", "..........."};
        QTest::newRow("pen wider than the box") << 5 << QRect(QPoint(3, 3), QPoint(5, 4))
                                                << QStringList{"........", ".PPPPPP.", ".PPPPPP.", ".PPPPPP.",
                                                               ".PPPPPP.", ".PPPPPP.", "........"};
    }
    void rectangle() {
        QFETCH(int, pen);
        QFETCH(QRect, box);
        QFETCH(QStringList, expected);
        QImage image = Blank(int(expected[0].size()), int(expected.size()));
        CImageSurface dc(image);
        DrawShape(dc, EShape::Rectangle, pen, box.left(), box.top(), box.right(), box.bottom());
        QCOMPARE(Picture(image), expected);
    }

    void ellipseFillsItsBox_data() {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("pen");
        for (int pen : {1, 2, 3, 4, 7}) {
            for (int w = 1; w <= 14; ++w) {
                for (int h = 1; h <= 14; ++h)
                    QTest::addRow("%dx%d pen %d", w, h, pen) << w << h << pen;
            }
            for (QSize size : {QSize(40, 17), QSize(149, 3), QSize(2, 120), QSize(149, 149), QSize(90, 91)})
                QTest::addRow("%dx%d pen %d", size.width(), size.height(), pen)
                    << size.width() << size.height() << pen;
        }
    }
    void ellipseFillsItsBox() {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(int, pen);
        const int l = 20, t = 11;
        QImage image = Blank(w + 40, h + 40);
        CImageSurface dc(image);
        DrawShape(dc, EShape::Ellipse, pen, l, t, l + w, t + h);

        // A 1-pixel pen covers columns l .. r - 1 and rows t .. b - 1; a wider one reaches w/2 further out
        // on each side, symmetrically.
        const int grow = pen / 2;
        QCOMPARE(BoundingBox(image), QRect(l - grow, t - grow, w + 2 * grow, h + 2 * grow));

        const QStringList picture = Picture(image);
        for (int y = 0; y < image.height(); ++y) {
            const QString& row = picture[y];
            // Mirror images left to right and top to bottom.
            for (int x = 0; x < image.width(); ++x) {
                const int mx = 2 * l + w - 1 - x;
                const int my = 2 * t + h - 1 - y;
                if (mx >= 0 && mx < image.width())
                    QCOMPARE(row[x], row[mx]);
                if (my >= 0 && my < image.height())
                    QCOMPARE(row[x], picture[my][x]);
            }
            // Convex: one run per row, any brush between pen pixels.
            static const QRegularExpression run(QStringLiteral("^\\.*(P+|P+B+P+)?\\.*$"));
            QVERIFY2(run.match(row).hasMatch(), qPrintable(row));
            // No brush pixel touches the outside.
            for (int x = 0; x < image.width(); ++x) {
                if (row[x] != QLatin1Char('B'))
                    continue;
                QVERIFY(row[x - 1] != QLatin1Char('.') && row[x + 1] != QLatin1Char('.'));
                QVERIFY(picture[y - 1][x] != QLatin1Char('.') && picture[y + 1][x] != QLatin1Char('.'));
            }
        }

        // Through the middle the outline band is the pen's width on each side.
        if (w > 2 * pen + 2 && h > 2 * pen + 2) {
            const QString& middle = picture[t + (h - 1) / 2];
            const QString band(pen, QLatin1Char('P'));
            QCOMPARE(middle.mid(l - grow, pen + 1), band + QLatin1Char('B'));
            QCOMPARE(middle.mid(l + w + grow - pen - 1, pen + 1), QLatin1Char('B') + band);
            QString column;
            for (int y = t - grow; y < t - grow + pen + 1; ++y)
                column += picture[y][l + (w - 1) / 2];
            QCOMPARE(column, band + QLatin1Char('B'));
        }
    }

    void smallEllipses_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("1x1") << QSize(1, 1) << QStringList{"P"};
        QTest::newRow("3x3") << QSize(3, 3) << QStringList{"PPP", "PBP", "PPP"};
        QTest::newRow("2x6") << QSize(2, 6) << QStringList{"PP", "PP", "PP", "PP", "PP", "PP"};
        QTest::newRow("7x7") << QSize(7, 7) << QStringList{"..PPP..", ".PBBBP.", "PBBBBBP", "PBBBBBP",
                                                           "PBBBBBP", ".PBBBP.", "..PPP.."};
        QTest::newRow("10x4") << QSize(10, 4)
                              << QStringList{"..PPPPPP..", "PPBBBBBBPP", "PPBBBBBBPP", "..PPPPPP.."};
    }
    void smallEllipses() {
        QFETCH(QSize, size);
        QFETCH(QStringList, expected);
        QImage image = Blank(size.width(), size.height());
        CImageSurface dc(image);
        DrawShape(dc, EShape::Ellipse, 1, 0, 0, size.width(), size.height());
        QCOMPARE(Picture(image), expected);
    }

    void thinLine_data() {
        QTest::addColumn<QLine>("line");
        QTest::addColumn<QList<QPoint>>("expected");
        QTest::newRow("horizontal") << QLine(2, 3, 7, 3)
                                    << QList<QPoint>{{2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}};
        QTest::newRow("leftwards") << QLine(7, 3, 2, 3)
                                   << QList<QPoint>{{7, 3}, {6, 3}, {5, 3}, {4, 3}, {3, 3}};
        QTest::newRow("vertical") << QLine(4, 1, 4, 5) << QList<QPoint>{{4, 1}, {4, 2}, {4, 3}, {4, 4}};
        QTest::newRow("diagonal") << QLine(1, 1, 5, 5) << QList<QPoint>{{1, 1}, {2, 2}, {3, 3}, {4, 4}};
        QTest::newRow("shallow") << QLine(0, 0, 6, 2)
                                 << QList<QPoint>{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}};
        QTest::newRow("steep upwards")
            << QLine(3, 6, 2, 0) << QList<QPoint>{{3, 6}, {3, 5}, {3, 4}, {2, 3}, {2, 2}, {2, 1}};
        QTest::newRow("one step") << QLine(5, 5, 6, 6) << QList<QPoint>{{5, 5}};
        QTest::newRow("zero length") << QLine(3, 3, 3, 3) << QList<QPoint>{};
    }
    void thinLine() {
        QFETCH(QLine, line);
        QFETCH(QList<QPoint>, expected);
        QImage image = Blank(10, 10);
        CImageSurface dc(image);
        dc.SelectPen({1, kPen});
        dc.MoveTo(line.x1(), line.y1());
        dc.LineTo(line.x2(), line.y2());
        QCOMPARE(dc.CurrentPosition(), line.p2());
        QCOMPARE(Painted(image), QSet<QPoint>(expected.begin(), expected.end()));
    }

    void thinLinesAreConnectedPaths() {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> coordinate(0, 63);
        for (int i = 0; i < 300; ++i) {
            const QPoint a(coordinate(random), coordinate(random));
            const QPoint b(coordinate(random), coordinate(random));
            QImage image = Blank(64, 64);
            CImageSurface dc(image);
            dc.SelectPen({1, kPen});
            dc.MoveTo(a.x(), a.y());
            dc.LineTo(b.x(), b.y());
            const QSet<QPoint> painted = Painted(image);
            const int steps = std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
            QCOMPARE(int(painted.size()), steps);
            if (steps == 0)
                continue;
            QVERIFY(painted.contains(a));
            QVERIFY(!painted.contains(b));
            // Every pixel but the start has a neighbour one step closer to the start.
            for (const QPoint& p : painted) {
                if (p == a)
                    continue;
                const int d = std::max(std::abs(p.x() - a.x()), std::abs(p.y() - a.y()));
                bool linked = false;
                for (const QPoint& q : painted)
                    linked |= std::max(std::abs(q.x() - a.x()), std::abs(q.y() - a.y())) == d - 1 &&
                              std::max(std::abs(q.x() - p.x()), std::abs(q.y() - p.y())) == 1;
                QVERIFY(linked);
            }
        }
    }

    void polylineJoinsWithoutGaps() {
        QImage image = Blank(12, 12);
        CImageSurface dc(image);
        dc.SelectPen({1, kPen});
        dc.MoveTo(1, 1);
        dc.LineTo(8, 1);
        dc.LineTo(8, 6);
        dc.LineTo(1, 6);
        dc.LineTo(1, 1);
        const QStringList expected{"............", ".PPPPPPPP...", ".P......P...", ".P......P...",
                                   ".P......P...", ".P......P...", ".PPPPPPPP...", "............",
                                   "............", "............", "............", "............"};
        QCOMPARE(Picture(image), expected);
    }

    void wideLine_data() {
        QTest::addColumn<QLine>("line");
        QTest::addColumn<int>("pen");
        QTest::newRow("horizontal 2") << QLine(10, 20, 40, 20) << 2;
        QTest::newRow("horizontal 5") << QLine(10, 20, 40, 20) << 5;
        QTest::newRow("vertical 4") << QLine(30, 5, 30, 50) << 4;
        QTest::newRow("diagonal 3") << QLine(5, 5, 50, 50) << 3;
        QTest::newRow("diagonal back 2") << QLine(50, 50, 5, 5) << 2;
        QTest::newRow("shallow 6") << QLine(3, 40, 60, 31) << 6;
        QTest::newRow("steep 9") << QLine(31, 2, 24, 61) << 9;
        QTest::newRow("short 20") << QLine(30, 30, 33, 31) << 20;
        QTest::newRow("dot 2") << QLine(30, 30, 30, 30) << 2;
        QTest::newRow("dot 5") << QLine(30, 30, 30, 30) << 5;
        QTest::newRow("dot 30") << QLine(30, 30, 30, 30) << 30;
        QTest::newRow("3-4-5 width 10") << QLine(12, 10, 42, 50) << 10;
    }
    void wideLine() {
        QFETCH(QLine, line);
        QFETCH(int, pen);
        QImage image = Blank(64, 64);
        CImageSurface dc(image);
        dc.SelectPen({pen, kPen});
        dc.MoveTo(line.x1(), line.y1());
        dc.LineTo(line.x2(), line.y2());
        QCOMPARE(dc.CurrentPosition(), line.p2());
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const bool near = NearSegment(x, y, line.x1(), line.y1(), line.x2(), line.y2(), pen);
                QVERIFY2((image.pixel(x, y) != kBackground) == near,
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        }
    }

    void wideLineHasRoundEnds() {
        QImage image = Blank(30, 18);
        CImageSurface dc(image);
        dc.SelectPen({5, kPen});
        dc.MoveTo(10, 10);
        dc.LineTo(20, 10);
        const QStringList picture = Picture(image);
        QCOMPARE(picture[7], QString(30, QLatin1Char('.')));
        QCOMPARE(picture[8], QString(".........PPPPPPPPPPPPP........"));
        QCOMPARE(picture[9], QString("........PPPPPPPPPPPPPPP......."));
        QCOMPARE(picture[10], QString("........PPPPPPPPPPPPPPP......."));
        QCOMPARE(picture[12], picture[8]);
        QCOMPARE(picture[13], picture[7]);
    }

    void zeroLengthWideLineDrawsTheDisc() {
        QImage image = Blank(7, 7);
        CImageSurface dc(image);
        dc.SelectPen({5, kPen});
        dc.MoveTo(3, 3);
        dc.LineTo(3, 3);
        QCOMPARE(Picture(image),
                 (QStringList{".......", "..PPP..", ".PPPPP.", ".PPPPP.", ".PPPPP.", "..PPP..", "......."}));
    }

    void fillBlack() {
        QImage image = Blank(6, 4);
        CImageSurface dc(image);
        dc.FillBlack(4, 3, 1, 1); // corners in either order
        const QStringList picture = Picture(image);
        QCOMPARE(picture[0], QString("......"));
        QCOMPARE(picture[3], QString("......"));
        QCOMPARE(picture[1], QString(".???.."));
        QCOMPARE(image.pixel(2, 2), 0xFF000000u);
    }

    // Whatever lies outside the image is cut off exactly: a small image shows what a larger one shows.
    void clipping_data() {
        QTest::addColumn<EShape>("shape");
        QTest::addColumn<int>("pen");
        QTest::addColumn<QRect>("box");
        const QList<QPair<QString, QRect>> boxes{{"top left", QRect(QPoint(-5, -7), QPoint(10, 6))},
                                                 {"bottom right", QRect(QPoint(20, 25), QPoint(40, 45))},
                                                 {"around", QRect(QPoint(-20, -30), QPoint(55, 50))},
                                                 {"outside", QRect(QPoint(-40, -40), QPoint(-31, -30))},
                                                 {"left edge", QRect(QPoint(-3, 10), QPoint(2, 20))},
                                                 {"reversed", QRect(QPoint(33, 29), QPoint(-4, 1))}};
        const QList<QPair<EShape, int>> shapes{
            {EShape::Rectangle, 1}, {EShape::Rectangle, 4}, {EShape::Ellipse, 1}, {EShape::Ellipse, 5},
            {EShape::Line, 1},      {EShape::Line, 7},      {EShape::Pixel, 1},   {EShape::Black, 1}};
        for (const auto& [name, box] : boxes) {
            for (const auto& [shape, pen] : shapes)
                QTest::addRow("%s %d pen %d", qPrintable(name), int(shape), pen) << shape << pen << box;
        }
    }
    void clipping() {
        QFETCH(EShape, shape);
        QFETCH(int, pen);
        QFETCH(QRect, box);
        const int margin = 60;
        QImage small = Blank(30, 30);
        QImage large = Blank(30 + 2 * margin, 30 + 2 * margin);
        CImageSurface smallDc(small);
        CImageSurface largeDc(large);
        DrawShape(smallDc, shape, pen, box.left(), box.top(), box.right(), box.bottom());
        DrawShape(largeDc, shape, pen, box.left() + margin, box.top() + margin, box.right() + margin,
                  box.bottom() + margin);
        QCOMPARE(small, large.copy(margin, margin, 30, 30));
        QCOMPARE(smallDc.TakeDirtyRect(), BoundingBox(small));
    }

    void farAwayCoordinates_data() {
        QTest::addColumn<EShape>("shape");
        QTest::addColumn<int>("pen");
        QTest::newRow("thin line") << EShape::Line << 1;
        QTest::newRow("wide line") << EShape::Line << 9;
        QTest::newRow("ellipse") << EShape::Ellipse << 1;
        QTest::newRow("wide ellipse") << EShape::Ellipse << 6;
        QTest::newRow("rectangle") << EShape::Rectangle << 3;
    }
    void farAwayCoordinates() {
        // A figure far larger than the image costs what its visible part costs; the diagonal through the
        // image stays where it belongs.
        QFETCH(EShape, shape);
        QFETCH(int, pen);
        const int far = 1 << 30;
        QImage image = Blank(40, 40);
        CImageSurface dc(image);
        DrawShape(dc, shape, pen, -far, -far, far, far);
        if (shape == EShape::Line) {
            QVERIFY(image.pixel(0, 0) != kBackground);
            QVERIFY(image.pixel(39, 39) != kBackground);
            QCOMPARE(image.pixel(39, 0), kBackground);
        } else {
            QCOMPARE(image.pixel(20, 20), CImageSurface::ToPixel(kBrush));
        }
    }

    void dirtyRectangle_data() {
        QTest::addColumn<EShape>("shape");
        QTest::addColumn<int>("pen");
        QTest::addColumn<QRect>("box");
        QTest::newRow("rectangle") << EShape::Rectangle << 1 << QRect(QPoint(3, 4), QPoint(9, 7));
        QTest::newRow("wide rectangle") << EShape::Rectangle << 4 << QRect(QPoint(3, 4), QPoint(9, 7));
        QTest::newRow("ellipse") << EShape::Ellipse << 3 << QRect(QPoint(5, 5), QPoint(17, 12));
        QTest::newRow("thin line") << EShape::Line << 1 << QRect(QPoint(15, 2), QPoint(3, 9));
        QTest::newRow("wide line") << EShape::Line << 6 << QRect(QPoint(2, 2), QPoint(12, 3));
        QTest::newRow("pixel") << EShape::Pixel << 1 << QRect(QPoint(7, 8), QPoint(7, 8));
        QTest::newRow("black") << EShape::Black << 1 << QRect(QPoint(1, 1), QPoint(4, 3));
        QTest::newRow("clipped") << EShape::Ellipse << 9 << QRect(QPoint(-10, 14), QPoint(5, 30));
        QTest::newRow("outside") << EShape::Rectangle << 9 << QRect(QPoint(-30, 0), QPoint(-10, 5));
        QTest::newRow("empty") << EShape::Rectangle << 1 << QRect(QPoint(3, 3), QPoint(3, 9));
    }
    void dirtyRectangle() {
        QFETCH(EShape, shape);
        QFETCH(int, pen);
        QFETCH(QRect, box);
        QImage image = Blank(20, 16);
        CImageSurface dc(image);
        DrawShape(dc, shape, pen, box.left(), box.top(), box.right(), box.bottom());
        QCOMPARE(dc.TakeDirtyRect(), BoundingBox(image));
        QVERIFY(dc.TakeDirtyRect().isEmpty());
    }

    void dirtyRectangleGathersEverything() {
        QImage image = Blank(20, 16);
        CImageSurface dc(image);
        dc.SetPixel(2, 3, kPen);
        dc.SetPixel(15, 1, kPen);
        dc.SelectPen({3, kPen});
        dc.MoveTo(9, 14);
        dc.LineTo(9, 14);
        QCOMPARE(dc.TakeDirtyRect(), QRect(QPoint(2, 1), QPoint(15, 15)));
        dc.SetPixel(4, 4, kPen);
        QCOMPARE(dc.TakeDirtyRect(), QRect(4, 4, 1, 1));
    }
};

QTEST_APPLESS_MAIN(TestImageSurface)
#include "tst_imagesurface.moc"
