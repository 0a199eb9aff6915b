// SPDX-License-Identifier: MIT
#include "background/RandomSource.h"
#include "background/ShapeGenerator.h"

#include <QSet>
#include <QTest>

#include <random>
#include <set>

namespace {

// Logs each call ("pen 1 0000ff", "brush 00ff00" in 0xBBGGRR, "rect 0 0 9 9") on a 1920 x 1080 surface. It
// holds pen 3 030201 and brush 070809 to begin with.
class CRecordingSurface : public CDrawingSurface {
public:
    int Width() const override { return 1920; }
    int Height() const override { return 1080; }
    CPenSpec SelectPen(CPenSpec pen) override {
        m_log << QString::asprintf("pen %d %06x", pen.nWidth, pen.color);
        return std::exchange(m_pen, pen);
    }
    PackedColor SelectBrush(PackedColor brush) override {
        m_log << QString::asprintf("brush %06x", brush);
        return std::exchange(m_brush, brush);
    }
    void Rectangle(int l, int t, int r, int b) override { Figure("rect", l, t, r, b); }
    void Ellipse(int l, int t, int r, int b) override { Figure("ellipse", l, t, r, b); }
    void MoveTo(int, int) override { m_log << "other"; }
    void LineTo(int, int) override { m_log << "other"; }
    void SetPixel(int, int, PackedColor) override { m_log << "other"; }
    void FillBlack(int, int, int, int) override { m_log << "other"; }

    QStringList m_log;
    QList<PackedColor> m_figureColors; // the background's first, then one per shape

private:
    void Figure(const char* pKind, int l, int t, int r, int b) {
        m_log << QString::asprintf("%s %d %d %d %d", pKind, l, t, r, b);
        m_figureColors.append(m_brush);
    }

    CPenSpec m_pen{3, 0x030201};
    PackedColor m_brush = 0x070809;
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
// left, top, height, width and kind (1 a rectangle). Pen and brush are put back after each figure.
class CModelGenerator {
public:
    // The calls one background makes on a CRecordingSurface.
    QStringList Draw(int red, int green, int blue, int* pFloor) {
        if (red + green + blue < *pFloor)
            *pFloor = red + green + blue - 100;
        QStringList log{"brush " + Color(red, green, blue, *pFloor), "rect 0 0 1920 1080", "brush 070809"};
        for (int i = 0; i < 501; ++i) {
            const QString color = Color(red, green, blue, *pFloor);
            const int left = Below(2020) - 100, top = Below(1180) - 100;
            const int h = Below(150), w = Below(150);
            log << "pen 1 " + color << "brush " + color
                << QString::asprintf("%s %d %d %d %d", Below(2) == 1 ? "rect" : "ellipse", left, top,
                                     left + w, top + h)
                << "brush 070809"
                << "pen 3 030201";
        }
        return log;
    }

    quint32 m_x = 1;
    static constexpr int kAttempts = 1 << 22;
    bool m_bOutOfReach = false;

private:
    int Below(int n) { // truncated toward zero
        m_x = m_x * 214013u + 2531011u;
        const qint64 scaled = (qint64(m_x >> 16 & 0x7FFF) * std::abs(n) * 32769) >> 30;
        return int(n < 0 ? -scaled : scaled);
    }
    // Given up once no attempt of hundreds of times what the rarest colour of the rows takes on average
    // reaches the floor: it is out of reach.
    QString Color(int red, int green, int blue, int floor) {
        for (int i = 0; i < kAttempts && !m_bOutOfReach; ++i) {
            const int r = Below(red), g = Below(green), b = Below(blue);
            if (r + g + b >= floor) // packed, 8 bits a channel
                return QString::asprintf("%02x%02x%02x", b & 0xFF, g & 0xFF, r & 0xFF);
        }
        m_bOutOfReach = true;
        return QString::asprintf("(no colour reaches %d in %d attempts)", floor, kAttempts);
    }
};

} // namespace

class TestShapeGenerator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { CRandomSource::Reset(); }

    void backgrounds_data() {
        QTest::addColumn<QList<int>>("visits"); // red, green and blue ceilings and floor for each background
        QTest::addColumn<int>("colours");       // how many different ones a direct draw gives, -1: not known
        // The first visit keeps the start-up settings.
        QTest::newRow("defaults, then floor 400")
            << QList{255, 255, 255, 200, 255, 255, 255, 400, 255, 255, 255, 400} << -1;
        QTest::newRow("ceilings -255 .. 255")
            << QList{0,   1, 254, 100, 255, 254, 1, 300, 1,  0,   255, 150, 254,  254, 254, 700,
                     255, 0, 0,   200, 0,   0,   0, 0,   -5, 255, 255, 300, -255, 255, 255, 400}
            << -1;
        // Retries of over ten million values, which the rows below leave out.
        QTest::newRow("floors near the top")
            << QList{255, 255, 255, 725, 240, 255, 255, 725, 255, 255, 0, 505} << -1;
        // A floor too high for retries: colours come straight from the few accepted, every one of them.
        QTest::newRow("255,255,255 floor 760") << QList{255, 255, 255, 760} << 10;
        // Every setting the dialog can give, in bounded time: corners, then a sample, half near the top
        // floor.
        const auto add = [](int r, int g, int b, const std::set<int>& floors) {
            for (int floor : floors) {
                const CShapeGenerator generator(r, g, b, floor, 150);
                if (!generator.UsesRetryLoop() || generator.ExpectedSourceValues() <= 1e7)
                    QTest::addRow("%d,%d,%d floor %d", r, g, b, floor) << QList<int>{r, g, b, floor} << -1;
            }
        };
        const int corners[] = {0, 1, 2, 255};
        for (int i = 0; i < 64; ++i) {
            const int r = corners[i % 4], g = corners[i / 4 % 4], b = corners[i / 16];
            const int nReach = ChannelMax(r) + ChannelMax(g) + ChannelMax(b);
            add(r, g, b, {-1000, nReach, nReach + 1, r + g + b, 10000});
        }
        std::mt19937 random(20240611u);
        std::uniform_int_distribution<int> ceiling(0, 255);
        for (int i = 0; i < 100; ++i) {
            const int r = ceiling(random), g = ceiling(random), b = ceiling(random);
            const int nReach = ChannelMax(r) + ChannelMax(g) + ChannelMax(b);
            add(r, g, b, {i % 2 ? nReach - ceiling(random) % 40 : ceiling(random) * 3 - 50});
        }
    }
    // The program's backgrounds are the model's, call for call, and leave the source where the model's do;
    // the start-up generator draws the first. Where the floor is too high for retries, each colour is below
    // every ceiling and reaches the floor, lowered or not, as far as the ceilings let it.
    void backgrounds() {
        QFETCH(QList<int>, visits);
        QFETCH(int, colours);
        CModelGenerator model;
        for (qsizetype i = 0; i < visits.size(); i += 4) {
            if (i > 0 || !QByteArrayView(QTest::currentDataTag()).startsWith("defaults"))
                std::tie(g_generator.m_nRed, g_generator.m_nGreen, g_generator.m_nBlue,
                         g_generator.m_nContrast) =
                    std::tuple(visits[i], visits[i + 1], visits[i + 2], visits[i + 3]);
            int floor = visits[i + 3];
            CRecordingSurface dc;
            g_generator.Draw(dc);
            if (!g_generator.UsesRetryLoop()) { // the only visit of its row
                const QList<PackedColor>& colors = dc.m_figureColors;
                QVERIFY(colours < 0 || QSet<PackedColor>(colors.begin(), colors.end()).size() == colours);
                for (PackedColor c : colors)
                    QVERIFY2(Allowed(g_generator, c), qPrintable(QString::number(c, 16)));
                continue;
            }
            QCOMPARE(dc.m_log, model.Draw(visits[i], visits[i + 1], visits[i + 2], &floor));
            QCOMPARE(g_generator.m_nContrast, floor);
            QCOMPARE(CRandomSource::State(), model.m_x);
        }
    }
};

QTEST_APPLESS_MAIN(TestShapeGenerator)
#include "tst_shapegenerator.moc"
