#include "background/RandomSource.h"
#include "background/ShapeGenerator.h"
#include "tests/background/RecordingSurface.h"

#include <QSet>
#include <QTest>

#include <cmath>

using EKind = CRecordingSurface::EKind;

namespace {

// Seeds the source so that its next value is r.
void SeedGiving(int r) {
    const quint32 a = 214013u;
    quint32 inverse = a; // Newton's iteration for a^-1 mod 2^32
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - a * inverse;
    CRandomSource::Seed(((static_cast<quint32>(r) << 16) - 2531011u) * inverse);
}

int ChannelMax(int nCeiling) {
    return nCeiling > 1 ? nCeiling - 1 : 0;
}

struct SSettings {
    int r, g, b, floor;
};

// Every (red, green, blue) below the ceilings whose sum reaches the floor, as packed colours.
QSet<PackedColor> AcceptedColors(const SSettings& s) {
    QSet<PackedColor> colors;
    for (int r = 0; r <= ChannelMax(s.r); ++r) {
        for (int g = 0; g <= ChannelMax(s.g); ++g) {
            for (int b = std::max(0, s.floor - r - g); b <= ChannelMax(s.b); ++b)
                colors.insert(MakeColor(r, g, b));
        }
    }
    return colors;
}

// The plain rule: draw red, green and blue, again and again until the sum reaches the floor.
PackedColor RetryColor(const SSettings& s) {
    int r, g, b;
    do {
        r = CShapeGenerator::RandomBelow(s.r);
        g = CShapeGenerator::RandomBelow(s.g);
        b = CShapeGenerator::RandomBelow(s.b);
    } while (r + g + b < s.floor);
    return MakeColor(r, g, b);
}

} // namespace

class TestShapeGenerator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { CRandomSource::Reset(); }

    void startUpValues() {
        QCOMPARE(g_generator.m_nRed, 255);
        QCOMPARE(g_generator.m_nGreen, 255);
        QCOMPARE(g_generator.m_nBlue, 255);
        QCOMPARE(g_generator.m_nContrast, 200);
        QCOMPARE(g_generator.m_nMaxShape, 150);
    }

    void randomBelow_data() {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("expected");
        QTest::newRow("zero ceiling") << 32767 << 0 << 0;
        QTest::newRow("ceiling one") << 32767 << 1 << 0;
        QTest::newRow("lowest value") << 0 << 255 << 0;
        QTest::newRow("highest value gives n-1") << 32767 << 255 << 254;
        QTest::newRow("highest shape size") << 32767 << 150 << 149;
        QTest::newRow("two: last low half") << 16383 << 2 << 0;
        QTest::newRow("two: first high half") << 16384 << 2 << 1;
        QTest::newRow("first rejected red") << 41 << 255 << 0;
        QTest::newRow("first rejected green") << 18467 << 255 << 143;
        QTest::newRow("first rejected blue") << 6334 << 255 << 49;
        QTest::newRow("width plus 100") << 12345 << 740 << 278;
        QTest::newRow("wide area") << 20000 << 2020 << 1232;
        // r * n / 32767 would give 1 here: the scale is 32769 / 2^30, slightly below 1/32767.
        QTest::newRow("below one over max") << 1 << 32767 << 0;
        QTest::newRow("max times max") << 32767 << 32767 << 32766;
        QTest::newRow("negative truncates toward zero") << 32767 << -5 << -4;
    }
    void randomBelow() {
        QFETCH(int, r);
        QFETCH(int, n);
        QFETCH(int, expected);
        SeedGiving(r);
        QCOMPARE(CShapeGenerator::RandomBelow(n), expected);
    }

    void randomBelowCoversItsRange_data() {
        QTest::addColumn<int>("n");
        QTest::newRow("255") << 255;
        QTest::newRow("150") << 150;
        QTest::newRow("3") << 3;
        QTest::newRow("740") << 740;
    }
    void randomBelowCoversItsRange() {
        QFETCH(int, n);
        QList<int> counts(n, 0);
        for (int r = 0; r <= CRandomSource::kMaxValue; ++r) {
            SeedGiving(r);
            const int v = CShapeGenerator::RandomBelow(n);
            QVERIFY2(v >= 0 && v < n, qPrintable(QString::number(v)));
            ++counts[v];
        }
        const auto [lo, hi] = std::minmax_element(counts.begin(), counts.end());
        QVERIFY(*lo >= 32768 / n);
        QVERIFY(*hi <= 32768 / n + 1);
    }

    void randomBelowConsumesOneValueEvenForZero() {
        QCOMPARE(CShapeGenerator::RandomBelow(0), 0); // takes 41
        QCOMPARE(CShapeGenerator::RandomBelow(255), 143);
    }

    void firstBackgroundAndShape() {
        CShapeGenerator generator(255, 255, 255, 200, 150);
        CRecordingSurface dc(640, 480);
        generator.Draw(dc);
        const auto& calls = dc.Calls();
        QVERIFY(calls.size() > 8);

        // (0, 143, 49) sums to 192 and is drawn again.
        QCOMPARE(calls[0].kind, EKind::SelectBrush);
        QCOMPARE(calls[0].brush, PackedColor(0x7A95CE));
        QCOMPARE(calls[1].kind, EKind::Rectangle);
        QCOMPARE(QList<int>({calls[1].l, calls[1].t, calls[1].r, calls[1].b}), QList<int>({0, 0, 640, 480}));
        QCOMPARE(calls[1].pen, (CPenSpec{1, kBlack}));

        const PackedColor shape = MakeColor(89, 228, 209);
        QCOMPARE(calls[3].kind, EKind::SelectPen);
        QCOMPARE(calls[3].pen, (CPenSpec{1, shape}));
        QCOMPARE(calls[4].brush, shape);
        QCOMPARE(calls[5].kind, EKind::Rectangle);
        QCOMPARE(QList<int>({calls[5].l, calls[5].t, calls[5].r, calls[5].b}),
                 QList<int>({452, 0, 558, 128}));
    }

    void callOrderAndShapeCount() {
        CShapeGenerator generator(255, 255, 255, 200, 150);
        CRecordingSurface dc(300, 200);
        const CPenSpec heldPen{3, MakeColor(1, 2, 3)};
        const PackedColor heldBrush = MakeColor(9, 8, 7);
        dc.SelectPen(heldPen);
        dc.SelectBrush(heldBrush);
        const int nBefore = int(dc.Calls().size());
        generator.Draw(dc);
        const QList<CRecordingSurface::SCall> calls = dc.Calls().mid(nBefore);

        QCOMPARE(calls.size(), 3 + 501 * 5);
        QCOMPARE(calls[0].kind, EKind::SelectBrush);
        QCOMPARE(calls[1].kind, EKind::Rectangle);
        QCOMPARE(calls[1].pen, heldPen); // the background keeps the pen the context holds
        QCOMPARE(calls[2].kind, EKind::SelectBrush);
        QCOMPARE(calls[2].brush, heldBrush);
        for (int i = 3; i < calls.size(); i += 5) {
            const auto& pen = calls[i];
            const auto& brush = calls[i + 1];
            const auto& figure = calls[i + 2];
            QCOMPARE(pen.kind, EKind::SelectPen);
            QCOMPARE(pen.pen.nWidth, 1);
            QCOMPARE(brush.kind, EKind::SelectBrush);
            QCOMPARE(brush.brush, pen.pen.color);
            QVERIFY(figure.kind == EKind::Rectangle || figure.kind == EKind::Ellipse);
            QVERIFY(figure.l >= -100 && figure.l < 300);
            QVERIFY(figure.t >= -100 && figure.t < 200);
            QVERIFY(figure.r - figure.l >= 0 && figure.r - figure.l < 150);
            QVERIFY(figure.b - figure.t >= 0 && figure.b - figure.t < 150);
            QCOMPARE(calls[i + 3].kind, EKind::SelectBrush);
            QCOMPARE(calls[i + 3].brush, heldBrush);
            QCOMPARE(calls[i + 4].kind, EKind::SelectPen);
            QCOMPARE(calls[i + 4].pen, heldPen);
        }
        QCOMPARE(dc.Pen(), heldPen);
        QCOMPARE(dc.Brush(), heldBrush);
    }

    // Everyday settings must give the same backgrounds as drawing again and again until the floor is met.
    void exactSequence_data() {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("floor");
        QTest::newRow("start-up") << 255 << 255 << 255 << 200;
        QTest::newRow("settings default") << 255 << 255 << 255 << 400;
        QTest::newRow("highest floor the dialog offers") << 255 << 255 << 255 << 725;
        QTest::newRow("mixed ceilings") << 100 << 200 << 50 << 300;
        QTest::newRow("no green") << 255 << 0 << 255 << 400;
        QTest::newRow("one in eight") << 2 << 2 << 2 << 3;
        QTest::newRow("negative floor after lowering") << 10 << 10 << 10 << 400;
    }
    void exactSequence() {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        QFETCH(int, floor);
        CShapeGenerator generator(r, g, b, floor, 150);
        QVERIFY(generator.UsesRetryLoop() || r + g + b < floor);
        CRecordingSurface dc(640, 480);
        generator.Draw(dc);
        const QList<PackedColor> colors = dc.FigureColors();
        QCOMPARE(colors.size(), 502);

        CRandomSource::Reset();
        const SSettings s{r, g, b, generator.m_nContrast};
        QCOMPARE(colors[0], RetryColor(s));
        for (int i = 1; i < colors.size(); ++i) {
            QCOMPARE(colors[i], RetryColor(s));
            for (int k = 0; k < 5; ++k) // place, size and kind
                CRandomSource::Next();
        }
    }

    void floorRule_data() {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("floor");
        QTest::addColumn<int>("expectedFloor");
        QTest::newRow("lowered to the sum minus 100") << 50 << 50 << 50 << 400 << 50;
        QTest::newRow("lowered below zero") << 10 << 10 << 10 << 400 << -70;
        QTest::newRow("all ceilings zero") << 0 << 0 << 0 << 1 << -100;
        QTest::newRow("equal to the sum: kept") << 255 << 255 << 255 << 765 << 765;
        QTest::newRow("one above the sum") << 255 << 255 << 255 << 766 << 665;
        QTest::newRow("dialog maximum kept") << 255 << 255 << 255 << 725 << 725;
        QTest::newRow("negative kept") << 255 << 255 << 255 << -40 << -40;
    }
    void floorRule() {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        QFETCH(int, floor);
        QFETCH(int, expectedFloor);
        CShapeGenerator generator(r, g, b, floor, 150);
        for (int nRound = 0; nRound < 2; ++nRound) {
            CRecordingSurface dc(200, 100);
            generator.Draw(dc);
            QCOMPARE(generator.m_nContrast, expectedFloor);
            const int nReachable = ChannelMax(r) + ChannelMax(g) + ChannelMax(b);
            for (PackedColor c : dc.FigureColors()) {
                QVERIFY(RedOf(c) <= ChannelMax(r) && GreenOf(c) <= ChannelMax(g) &&
                        BlueOf(c) <= ChannelMax(b));
                QVERIFY(RedOf(c) + GreenOf(c) + BlueOf(c) >= std::min(expectedFloor, nReachable));
            }
        }
    }

    void zeroAndOneCeilingsGiveZero_data() {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::newRow("red 0, green 1") << 0 << 1 << 255;
        QTest::newRow("blue 0") << 255 << 255 << 0;
        QTest::newRow("all 1") << 1 << 1 << 1;
    }
    void zeroAndOneCeilingsGiveZero() {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        CShapeGenerator generator(r, g, b, 0, 150);
        CRecordingSurface dc(200, 100);
        generator.Draw(dc);
        QSet<int> reds, greens, blues;
        for (PackedColor c : dc.FigureColors()) {
            reds.insert(RedOf(c));
            greens.insert(GreenOf(c));
            blues.insert(BlueOf(c));
        }
        QCOMPARE(reds.size() == 1 && reds.contains(0), r <= 1);
        QCOMPARE(greens.size() == 1 && greens.contains(0), g <= 1);
        QCOMPARE(blues.size() == 1 && blues.contains(0), b <= 1);
    }

    void secondDrawContinuesTheSequence() {
        CShapeGenerator generator(255, 255, 255, 200, 150);
        CRecordingSurface first(640, 480);
        CRecordingSurface second(640, 480);
        generator.Draw(first);
        generator.Draw(second);
        QCOMPARE(first.Calls().size(), second.Calls().size());
        QVERIFY(first.FigureColors() != second.FigureColors());
        QVERIFY(first.FigureColors()[0] != second.FigureColors()[0]);
    }

    void acceptance_data() {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("floor");
        QTest::addColumn<double>("probability");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<bool>("retry");
        // Ceilings that are powers of two split the source's values evenly: exact chances.
        QTest::newRow("2,2,2 floor 3") << 2 << 2 << 2 << 3 << 1.0 / 8 << 0.0 << true;
        QTest::newRow("2,2,2 floor 2") << 2 << 2 << 2 << 2 << 0.5 << 0.0 << true;
        QTest::newRow("4,4,4 floor 9") << 4 << 4 << 4 << 9 << 1.0 / 64 << 0.0 << true;
        QTest::newRow("2,2,2 floor above reach") << 2 << 2 << 2 << 4 << 0.0 << 0.0 << false;
        QTest::newRow("all zero") << 0 << 0 << 0 << 0 << 1.0 << 0.0 << true;
        QTest::newRow("negative floor") << 255 << 255 << 255 << -5 << 1.0 << 0.0 << true;
        QTest::newRow("256 only white") << 256 << 256 << 256 << 765 << 1.0 / (1 << 24) << 0.0 << false;
        // 9880 of the 255^3 triples reach 725; RandomBelow's 128/129 split moves that a little.
        QTest::newRow("dialog maximum")
            << 255 << 255 << 255 << 725 << 9880.0 / (255.0 * 255 * 255) << 0.02 << true;
        // 2300 triples: about one in 7200 attempts.
        QTest::newRow("740") << 255 << 255 << 255 << 740 << 2300.0 / (255.0 * 255 * 255) << 0.02 << false;
        QTest::newRow("two channels 505") << 255 << 255 << 0 << 505 << 10.0 / (255.0 * 255) << 0.03 << false;
        QTest::newRow("two channels 500") << 255 << 255 << 0 << 500 << 45.0 / (255.0 * 255) << 0.03 << true;
    }
    void acceptance() {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        QFETCH(int, floor);
        QFETCH(double, probability);
        QFETCH(double, tolerance);
        QFETCH(bool, retry);
        const CShapeGenerator generator(r, g, b, floor, 150);
        const double p = generator.AcceptanceProbability();
        if (tolerance == 0)
            QCOMPARE(p, probability);
        else
            QVERIFY2(std::abs(p / probability - 1) <= tolerance, qPrintable(QString::number(p)));
        QCOMPARE(generator.UsesRetryLoop(), retry);
    }

    // Where the floor is all but out of reach, colours come straight from the accepted set.
    void directDraw_data() {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("floor");
        QTest::addColumn<int>("samples");
        QTest::newRow("ten triples") << 255 << 255 << 255 << 760 << 20000;
        QTest::newRow("ten pairs") << 255 << 255 << 0 << 505 << 20000;
        QTest::newRow("floor at the reachable maximum") << 255 << 255 << 255 << 762 << 2000;
        QTest::newRow("floor above reach, below the sum") << 255 << 255 << 255 << 764 << 2000;
        QTest::newRow("small ceilings above reach") << 2 << 2 << 2 << 5 << 2000;
        QTest::newRow("red zero") << 0 << 255 << 255 << 505 << 20000;
        QTest::newRow("2300 triples") << 255 << 255 << 255 << 740 << 230000;
    }
    void directDraw() {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        QFETCH(int, floor);
        QFETCH(int, samples);
        CShapeGenerator generator(r, g, b, floor, 150);
        QVERIFY(!generator.UsesRetryLoop());
        const int nReachable = ChannelMax(r) + ChannelMax(g) + ChannelMax(b);
        const QSet<PackedColor> accepted = AcceptedColors({r, g, b, std::min(floor, nReachable)});
        QHash<PackedColor, int> seen;
        for (int i = 0; i < samples; ++i) {
            const PackedColor c = generator.RandomColor();
            QVERIFY2(accepted.contains(c), qPrintable(QString::number(c, 16)));
            ++seen[c];
        }
        QCOMPARE(seen.size(), accepted.size());
        // Chi-square against an even spread, with room for RandomBelow's own 128/129 unevenness.
        const double expected = double(samples) / accepted.size();
        double chi2 = 0;
        for (int n : std::as_const(seen))
            chi2 += (n - expected) * (n - expected) / expected;
        const double dof = std::max(1.0, double(accepted.size() - 1));
        QVERIFY2(chi2 < dof + 6 * std::sqrt(2 * dof) + 10, qPrintable(QString::number(chi2)));
        QCOMPARE(generator.m_nContrast, floor); // only Draw lowers the floor, and only below the sum
    }

    void directDrawDependsOnTheSource() {
        CShapeGenerator generator(255, 255, 255, 760, 150);
        QList<PackedColor> first, second;
        for (int i = 0; i < 50; ++i)
            first.append(generator.RandomColor());
        CRandomSource::Reset();
        for (int i = 0; i < 50; ++i)
            second.append(generator.RandomColor());
        QCOMPARE(first, second);
        QVERIFY(QSet<PackedColor>(first.begin(), first.end()).size() > 5);
    }

    void settingsChangesAreSeen() {
        CShapeGenerator generator(255, 255, 255, 760, 150);
        QVERIFY(!generator.UsesRetryLoop());
        generator.RandomColor();
        generator.m_nContrast = 300;
        QVERIFY(generator.UsesRetryLoop());
        generator.m_nRed = generator.m_nGreen = generator.m_nBlue = 2;
        generator.m_nContrast = 4;
        for (int i = 0; i < 20; ++i)
            QCOMPARE(generator.RandomColor(), MakeColor(1, 1, 1));
    }
};

QTEST_APPLESS_MAIN(TestShapeGenerator)
#include "tst_shapegenerator.moc"
