// SPDX-License-Identifier: MIT
#include "background/RandomSource.h"
#include "background/ShapeGenerator.h"

#include <QSet>
#include <QTest>

#include <random>
#include <set>

namespace {

// Logs each figure with the pen and brush it is drawn with ("rect 0 0 9 9 pen 1 0000ff brush 0000ff", in
// 0xBBGGRR), and any other drawing, on a 1920 x 1080 surface that holds pen 3 030201 and brush 070809.
struct CRecordingSurface : CDrawingSurface {
    int Width() const override { return 1920; }
    int Height() const override { return 1080; }
    CPenSpec SelectPen(CPenSpec pen) override { return std::exchange(m_pen, pen); }
    PackedColor SelectBrush(PackedColor brush) override { return std::exchange(m_brush, brush); }
    void Rectangle(int l, int t, int r, int b) override { Figure("rect", l, t, r, b); }
    void Ellipse(int l, int t, int r, int b) override { Figure("ellipse", l, t, r, b); }
    void MoveTo(int, int) override { m_log << "other"; }
    void LineTo(int, int) override { m_log << "other"; }
    void SetPixel(int, int, PackedColor) override { m_log << "other"; }
    void Figure(const char* pKind, int l, int t, int r, int b) {
        m_log << QString::asprintf("%s %d %d %d %d pen %d %06x brush %06x", pKind, l, t, r, b, m_pen.nWidth,
                                   m_pen.color, m_brush);
        m_colors << m_brush;
    }

    QStringList m_log;
    QSet<PackedColor> m_colors; // of the figures
    CPenSpec m_pen{3, 0x030201};
    PackedColor m_brush = 0x070809;
};

// The generator written again from its rules: values from x := x * 214013 + 2531011 (mod 2^32), seeded with
// 1, each (x >> 16) & 0x7FFF; a value r below n is r n 32769 / 2^30 truncated toward zero; a colour is red,
// green, blue below their ceilings, drawn again until the sum reaches the floor; a background lowers a floor
// above the sum of the ceilings to that sum less 100, then draws its colour and 501 shapes, each its colour,
// left, top, height, width and kind (1 a rectangle). Pen and brush are put back.
struct SModel {
    quint32 x = 1;
    // A bound, over ten times what the most demanding row takes: a floor out of reach fails at once.
    qint64 nAttemptsLeft = qint64(1) << 27;

    static int ChannelMax(int nCeiling) { return std::max(nCeiling - 1, 0); }
    // The highest channel sum a draw can reach.
    static int Reach(int r, int g, int b) { return ChannelMax(r) + ChannelMax(g) + ChannelMax(b); }
    // Below every ceiling, and reaching the generator's floor as far as the ceilings let it.
    static bool Allowed(const CShapeGenerator& gen, PackedColor c) {
        const int r = gen.m_nRed, g = gen.m_nGreen, b = gen.m_nBlue;
        return RedOf(c) <= ChannelMax(r) && GreenOf(c) <= ChannelMax(g) && BlueOf(c) <= ChannelMax(b) &&
               RedOf(c) + GreenOf(c) + BlueOf(c) >= std::min(gen.m_nContrast, Reach(r, g, b));
    }

    int Below(int n) {
        x = x * 214013u + 2531011u;
        const qint64 scaled = (qint64(x >> 16 & 0x7FFF) * std::abs(n) * 32769) >> 30;
        return int(n < 0 ? -scaled : scaled);
    }
    QString Color(int red, int green, int blue, int floor) {
        while (nAttemptsLeft-- > 0) {
            const int r = Below(red), g = Below(green), b = Below(blue);
            if (r + g + b >= floor) // packed, 8 bits a channel
                return QString::asprintf("%02x%02x%02x", b & 0xFF, g & 0xFF, r & 0xFF);
        }
        return QString::asprintf("(no colour reaches %d in the attempts allowed)", floor);
    }
    // The figures one background draws on a CRecordingSurface.
    QStringList Draw(int red, int green, int blue, int& floor) {
        if (red + green + blue < floor)
            floor = red + green + blue - 100;
        QStringList log{"rect 0 0 1920 1080 pen 3 030201 brush " + Color(red, green, blue, floor)};
        for (int i = 0; i < 501; ++i) {
            const QString color = Color(red, green, blue, floor);
            const int left = Below(2020) - 100, top = Below(1180) - 100, h = Below(150), w = Below(150);
            log << QString::asprintf("%s %d %d %d %d pen 1 ", Below(2) == 1 ? "rect" : "ellipse", left, top,
                                     left + w, top + h) +
                       color + " brush " + color;
        }
        return log;
    }
};

} // namespace

class TestShapeGenerator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { CRandomSource::Reset(); }

    void backgrounds_data() {
        QTest::addColumn<QList<int>>("visits"); // red, green and blue ceilings and floor for each background
        // The first visit keeps the start-up settings.
        QTest::newRow("defaults, then floor 400")
            << QList{255, 255, 255, 200, 255, 255, 255, 400, 255, 255, 255, 400};
        QTest::newRow("ceilings -255 .. 255")
            << QList{0,   1, 254, 100, 255, 254, 1, 300, 1,  0,   255, 150, 254,  254, 254, 700,
                     255, 0, 0,   200, 0,   0,   0, 0,   -5, 255, 255, 300, -255, 255, 255, 400};
        // Retries of over ten million values, which the rows below leave out.
        QTest::newRow("floors near the top")
            << QList{255, 255, 255, 725, 240, 255, 255, 725, 255, 255, 0, 505};
        // A floor too high for retries: colours come straight from the few accepted, every one of them.
        QTest::newRow("255,255,255 floor 760") << QList{255, 255, 255, 760};
        // Every setting the dialog can give, in bounded time: corners with floors at their edges, then a
        // sample, half near the top floor.
        std::mt19937 random(20240611u);
        for (int i = 0; i < 164; ++i) {
            const auto ceiling = [&](int n) {
                return i < 64 ? std::array{0, 1, 2, 255}[n % 4] : int(random() % 256);
            };
            const int r = ceiling(i), g = ceiling(i / 4), b = ceiling(i / 16),
                      nReach = SModel::Reach(r, g, b);
            const std::set corners{-1000, nReach, nReach + 1, r + g + b, 10000};
            const int nSample = i % 2 ? nReach - int(random() % 40) : int(random() % 256) * 3 - 50;
            for (const int floor : i < 64 ? corners : std::set{nSample}) {
                const CShapeGenerator generator(r, g, b, floor, 150);
                if (!generator.UsesRetryLoop() || generator.ExpectedSourceValues() <= 1e7)
                    QTest::addRow("%d,%d,%d floor %d", r, g, b, floor) << QList{r, g, b, floor};
            }
        }
    }
    // The program's backgrounds are the model's, figure for figure, and leave the source where the model's
    // do; the start-up generator draws the first. Where the floor is too high for retries, each colour is
    // below every ceiling and reaches the floor, lowered or not, as far as the ceilings let it.
    void backgrounds() {
        QFETCH(QList<int>, visits);
        SModel model;
        for (qsizetype i = 0; i < visits.size(); i += 4) {
            int floor = visits[i + 3];
            if (i > 0 || !QByteArrayView(QTest::currentDataTag()).startsWith("defaults"))
                std::tie(g_generator.m_nRed, g_generator.m_nGreen, g_generator.m_nBlue,
                         g_generator.m_nContrast) =
                    std::tuple(visits[i], visits[i + 1], visits[i + 2], floor);
            CRecordingSurface dc;
            g_generator.Draw(dc);
            if (!g_generator.UsesRetryLoop()) { // the only visit of its row
                // Sums 760 .. 762 below 255 a channel: 254 254 252, 254 253 253, 254 254 253 in any order,
                // and 254 254 254.
                QVERIFY((visits != QList{255, 255, 255, 760} || dc.m_colors.size() == 10));
                for (PackedColor c : dc.m_colors)
                    QVERIFY2(SModel::Allowed(g_generator, c), qPrintable(QString::number(c, 16)));
                continue;
            }
            QCOMPARE(dc.m_log, model.Draw(visits[i], visits[i + 1], visits[i + 2], floor));
            QVERIFY((dc.m_pen == CPenSpec{3, 0x030201} && dc.m_brush == 0x070809)); // put back
            QCOMPARE(g_generator.m_nContrast, floor);
            QCOMPARE(CRandomSource::State(), model.x);
        }
    }
};

QTEST_APPLESS_MAIN(TestShapeGenerator)
#include "tst_shapegenerator.moc"
