// SPDX-License-Identifier: MIT
#include "background/RandomSource.h"
#include "background/ShapeGenerator.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <random>
#include <set>

namespace {

// Logs each call ("pen 1 0000ff", "brush 00ff00" in 0xBBGGRR, "rect 0 0 9 9"); keeps pen and brush.
class CRecordingSurface : public CDrawingSurface {
public:
    CRecordingSurface(int nWidth, int nHeight) : m_nWidth(nWidth), m_nHeight(nHeight) {}

    int Width() const override { return m_nWidth; }
    int Height() const override { return m_nHeight; }
    CPenSpec SelectPen(CPenSpec pen) override {
        m_log += QStringLiteral("pen %1 %2\n").arg(pen.nWidth).arg(pen.color, 6, 16, QLatin1Char('0'));
        return std::exchange(m_pen, pen);
    }
    PackedColor SelectBrush(PackedColor brush) override {
        m_log += QStringLiteral("brush %1\n").arg(brush, 6, 16, QLatin1Char('0'));
        return std::exchange(m_brush, brush);
    }
    void Rectangle(int l, int t, int r, int b) override { Figure("rect", l, t, r, b); }
    void Ellipse(int l, int t, int r, int b) override { Figure("ellipse", l, t, r, b); }
    void MoveTo(int, int) override { m_log += "other\n"; }
    void LineTo(int, int) override { m_log += "other\n"; }
    void SetPixel(int, int, PackedColor) override { m_log += "other\n"; }
    void FillBlack(int, int, int, int) override { m_log += "other\n"; }

    QString m_log;
    QList<PackedColor> m_figureColors; // the background's first, then one per shape
    QStringList m_figures;             // "rect 0 0 9 9 0000ff": kind, box and colour (0xBBGGRR)

private:
    void Figure(const char* pKind, int l, int t, int r, int b) {
        const QString figure =
            QStringLiteral("%1 %2 %3 %4 %5").arg(QLatin1String(pKind)).arg(l).arg(t).arg(r).arg(b);
        m_log += figure + u'\n';
        m_figureColors.append(m_brush);
        m_figures.append(figure + QStringLiteral(" %1").arg(m_brush, 6, 16, QLatin1Char('0')));
    }

    int m_nWidth, m_nHeight;
    CPenSpec m_pen;
    PackedColor m_brush = kWhite;
};

int ChannelMax(int nCeiling) {
    return nCeiling > 1 ? nCeiling - 1 : 0;
}

// Below every ceiling, and reaching the generator's floor as far as the ceilings let it.
bool Allowed(const CShapeGenerator& gen, PackedColor c) {
    const int r = ChannelMax(gen.m_nRed), g = ChannelMax(gen.m_nGreen), b = ChannelMax(gen.m_nBlue);
    return RedOf(c) <= r && GreenOf(c) <= g && BlueOf(c) <= b &&
           RedOf(c) + GreenOf(c) + BlueOf(c) >= std::min(gen.m_nContrast, r + g + b);
}

// The generator written again from its rules: values from x := x * 214013 + 2531011 (mod 2^32), seeded with
// 1, each (x >> 16) & 0x7FFF; a value r below n is r n 32769 / 2^30 truncated toward zero; a colour is red,
// green, blue below their ceilings, drawn again until the sum reaches the floor; a background lowers a floor
// above the sum of the ceilings to that sum less 100, then draws its colour and 501 shapes, each its colour,
// left, top, height, width and kind (1 a rectangle).
class CModelGenerator {
public:
    // The figures of one background, as CRecordingSurface lists them.
    QStringList Draw(int red, int green, int blue, int* pFloor, int width, int height) {
        if (red + green + blue < *pFloor)
            *pFloor = red + green + blue - 100;
        QStringList figures{Figure("rect", 0, 0, width, height, Color(red, green, blue, *pFloor))};
        for (int i = 0; i < 501; ++i) {
            const QString color = Color(red, green, blue, *pFloor);
            const int left = Below(width + 100) - 100, top = Below(height + 100) - 100;
            const int h = Below(150), w = Below(150);
            figures << Figure(Below(2) == 1 ? "rect" : "ellipse", left, top, left + w, top + h, color);
        }
        return figures;
    }

    quint32 m_x = 1;

private:
    int Below(int n) { // truncated toward zero
        m_x = m_x * 214013u + 2531011u;
        const qint64 scaled = (qint64(m_x >> 16 & 0x7FFF) * std::abs(n) * 32769) >> 30;
        return int(n < 0 ? -scaled : scaled);
    }
    QString Color(int red, int green, int blue, int floor) {
        int r, g, b;
        do {
            r = Below(red);
            g = Below(green);
            b = Below(blue);
        } while (r + g + b < floor);
        return QString::asprintf("%02x%02x%02x", b & 0xFF, g & 0xFF, r & 0xFF); // packed, 8 bits a channel
    }
    static QString Figure(const char* pKind, int l, int t, int r, int b, const QString& color) {
        return QString::asprintf("%s %d %d %d %d ", pKind, l, t, r, b) + color;
    }
};

} // namespace

class TestShapeGenerator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { CRandomSource::Reset(); }

    void randomBelow_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("highest");
        for (auto [n, highest] : {std::pair{0, 0}, {1, 0}, {2, 1}, {255, 254}, {32767, 32766}})
            QTest::addRow("%d", n) << n << highest;
    }
    // Over every value of the source, each of 0 .. highest comes out and nothing else.
    void randomBelow() {
        QFETCH(int, n);
        QFETCH(int, highest);
        std::set<int> values;
        for (int r = 0; r <= CRandomSource::kMaxValue; ++r) {
            // One step of x * 214013 + 2531011 backwards: 0xB9B33155 * 214013 = 1 (mod 2^32).
            CRandomSource::Seed(((quint32(r) << 16) - 2531011u) * 0xB9B33155u);
            values.insert(CShapeGenerator::RandomBelow(n));
        }
        QVERIFY(*values.begin() == 0 && *values.rbegin() == highest && int(values.size()) == highest + 1);
    }

    // The start-up generator on a fresh source. The background keeps the pen that the context holds; each
    // shape's pen and brush are put back.
    void firstBackgroundAndCallOrder() {
        CRecordingSurface dc(640, 480);
        dc.SelectPen({3, 0x030201});
        dc.SelectBrush(0x070809);
        g_generator.Draw(dc);
        static const QRegularExpression re(
            R"(^pen 3 030201\nbrush 070809\nbrush 7a95ce\nrect 0 0 640 480\nbrush 070809\n(pen 1 (\w+)\n)"
            R"(brush \2\n(rect|ellipse)( -?\d+){4}\nbrush 070809\npen 3 030201\n)+$)");
        QVERIFY(re.match(dc.m_log).hasMatch() && dc.m_figures[1] == "rect 452 0 558 128 d1e459");
    }

    void sameAsModel_data() {
        QTest::addColumn<QList<int>>("visits"); // red, green and blue ceilings and floor for each background
        QTest::addColumn<int>("first");         // the first background's colour, -1: not known
        QTest::newRow("defaults") << QList{255, 255, 255, 200} << int(MakeColor(206, 149, 122));
        QTest::newRow("start-up floor, then each visit's 400")
            << QList{255, 255, 255, 200, 255, 255, 255, 400, 255, 255, 255, 400} << -1;
        QTest::newRow("ceilings 0, 1, 254, 255")
            << QList{0,   1,   254, 100, 255, 254, 1, 300, 1, 0, 255, 150,
                     254, 254, 254, 700, 255, 0,   0, 200, 0, 0, 0,   0}
            << -1;
        QTest::newRow("negative floors")
            << QList{255, 255, 255, -40, 1, 1, 1, 400, 0, 0, 0, 50, 50, 50, 50, 400}
            << int(MakeColor(0, 143, 49));
        QTest::newRow("floor 725, ceilings 255") << QList{255, 255, 255, 725, 255, 255, 255, 725} << -1;
        QTest::newRow("240, 255, 255 at 725") << QList{240, 255, 255, 725} << int(MakeColor(239, 251, 245));
        QTest::newRow("255, 255, 0 at 505") << QList{255, 255, 0, 505} << -1;
        QTest::newRow("negative ceilings") << QList{-5, 255, 255, 300, -255, 255, 255, 400} << -1;
    }
    // The program's backgrounds are the model's, figure for figure, and leave the source where the model's
    // do.
    void sameAsModel() {
        QFETCH(QList<int>, visits);
        QFETCH(int, first);
        CShapeGenerator generator(255, 255, 255, 200, 150);
        CModelGenerator model;
        for (qsizetype i = 0; i < visits.size(); i += 4) {
            generator.m_nRed = visits[i];
            generator.m_nGreen = visits[i + 1];
            generator.m_nBlue = visits[i + 2];
            generator.m_nContrast = visits[i + 3];
            int floor = visits[i + 3];
            CRecordingSurface dc(1920, 1080);
            generator.Draw(dc);
            QCOMPARE(dc.m_figures, model.Draw(visits[i], visits[i + 1], visits[i + 2], &floor, 1920, 1080));
            QCOMPARE(generator.m_nContrast, floor);
            QCOMPARE(CRandomSource::State(), model.m_x);
            QVERIFY(i > 0 || first < 0 || dc.m_figureColors[0] == PackedColor(first));
        }
    }

    void background_data() {
        QTest::addColumn<QList<int>>("settings"); // red, green and blue ceilings, floor
        QTest::addColumn<QList<int>>("expected"); // floor after drawing, how many colours (-1: not known)
        // Floors too high for retries: colours come straight from the few accepted, every one of them.
        QTest::newRow("255,255,255 floor 760") << QList{255, 255, 255, 760} << QList{760, 10};
        QTest::newRow("2,2,2 floor 5") << QList{2, 2, 2, 5} << QList{5, 1};
        // Every setting the dialog can give, in bounded time: corners, then a sample (half near the top
        // floor). Settings whose retries take over ten million values are left to sameAsModel: here they
        // would only cost time.
        const auto add = [](int r, int g, int b, int floor) {
            const CShapeGenerator generator(r, g, b, floor, 150);
            if (generator.UsesRetryLoop() && generator.ExpectedSourceValues() > 1e7)
                return;
            QTest::addRow("%d,%d,%d floor %d", r, g, b, floor)
                << QList<int>{r, g, b, floor} << QList<int>{r + g + b < floor ? r + g + b - 100 : floor, -1};
        };
        const int corners[] = {0, 1, 2, 255};
        for (int i = 0; i < 64; ++i) {
            const int r = corners[i % 4], g = corners[i / 4 % 4], b = corners[i / 16];
            const int nReach = ChannelMax(r) + ChannelMax(g) + ChannelMax(b);
            for (int floor : std::set<int>{-1000, nReach, nReach + 1, r + g + b, 10000})
                add(r, g, b, floor);
        }
        std::mt19937 random(20240611u);
        std::uniform_int_distribution<int> ceiling(0, 255);
        for (int i = 0; i < 100; ++i) {
            const int r = ceiling(random), g = ceiling(random), b = ceiling(random);
            const int nReach = ChannelMax(r) + ChannelMax(g) + ChannelMax(b);
            add(r, g, b, i % 2 ? nReach - ceiling(random) % 40 : ceiling(random) * 3 - 50);
        }
    }
    void background() {
        QFETCH(QList<int>, settings);
        QFETCH(QList<int>, expected);
        CShapeGenerator generator(settings[0], settings[1], settings[2], settings[3], 150);
        CRecordingSurface dc(1920, 1080);
        generator.Draw(dc);
        QCOMPARE(generator.m_nContrast, expected[0]);
        const QList<PackedColor>& colors = dc.m_figureColors;
        QCOMPARE(colors.size(), 502);
        QVERIFY(expected[1] < 0 || QSet<PackedColor>(colors.begin(), colors.end()).size() == expected[1]);
        for (PackedColor c : colors)
            QVERIFY2(Allowed(generator, c), qPrintable(QString::number(c, 16)));
    }
};

QTEST_APPLESS_MAIN(TestShapeGenerator)
#include "tst_shapegenerator.moc"
