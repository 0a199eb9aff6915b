#include "background/RandomSource.h"
#include "background/ShapeGenerator.h"
#include "canvas/ImageSurface.h"
#include "tests/background/RecordingSurface.h"

#include <QSet>
#include <QTest>

#include <random>

// Every background the colour settings can ask for must be painted, in bounded time, with colours that
// respect the ceilings and the floor. A hang here ends in the test's time-out.
class TestBackgroundSettings : public QObject {
    Q_OBJECT

    QImage m_image{1920, 1080, QImage::Format_RGB32};

    static int ChannelMax(int nCeiling) { return nCeiling > 1 ? nCeiling - 1 : 0; }

    static void AddRow(QSet<QString>& names, int r, int g, int b, int floor) {
        const QString name = QStringLiteral("%1,%2,%3 floor %4").arg(r).arg(g).arg(b).arg(floor);
        if (!names.contains(name)) {
            names.insert(name);
            QTest::newRow(qPrintable(name)) << r << g << b << floor;
        }
    }

    void Columns() {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("floor");
    }

    void CheckBackground() {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        QFETCH(int, floor);
        CShapeGenerator generator(r, g, b, floor, 150);
        m_image.fill(0xFF123456u);
        CImageSurface image(m_image);
        CRecordingSurface dc(m_image.width(), m_image.height(), &image);
        generator.Draw(dc);

        const int nFloor = r + g + b < floor ? r + g + b - 100 : floor;
        QCOMPARE(generator.m_nContrast, nFloor);
        const int nEffective = std::min(nFloor, ChannelMax(r) + ChannelMax(g) + ChannelMax(b));
        const QList<PackedColor> colors = dc.FigureColors();
        QCOMPARE(colors.size(), 502);
        for (PackedColor c : colors) {
            QVERIFY2(RedOf(c) <= ChannelMax(r) && GreenOf(c) <= ChannelMax(g) && BlueOf(c) <= ChannelMax(b),
                     qPrintable(QString::number(c, 16)));
            QVERIFY2(RedOf(c) + GreenOf(c) + BlueOf(c) >= nEffective, qPrintable(QString::number(c, 16)));
        }
        // The background rectangle really covered the image.
        for (int y = 0; y < m_image.height(); y += 61) {
            for (int x = 0; x < m_image.width(); x += 67)
                QVERIFY(m_image.pixel(x, y) != 0xFF123456u);
        }
    }

private Q_SLOTS:
    void init() { CRandomSource::Reset(); }

    void boundaries_data() {
        Columns();
        QSet<QString> names;
        const int ceilings[] = {0, 1, 2, 254, 255};
        for (int r : ceilings) {
            for (int g : ceilings) {
                for (int b : ceilings) {
                    const int nReachable = ChannelMax(r) + ChannelMax(g) + ChannelMax(b);
                    for (int floor : {-1000, 0, nReachable - 1, nReachable, nReachable + 1, r + g + b, 10000})
                        AddRow(names, r, g, b, floor);
                }
            }
        }
    }
    void boundaries() { CheckBackground(); }

    // A seeded sample, half of it with floors close to the reachable maximum where retries get rare.
    void sample_data() {
        Columns();
        QSet<QString> names;
        std::mt19937 random(20240611u);
        std::uniform_int_distribution<int> ceiling(0, 255);
        for (int i = 0; i < 300; ++i) {
            const int r = ceiling(random);
            const int g = ceiling(random);
            const int b = ceiling(random);
            const int nReachable = ChannelMax(r) + ChannelMax(g) + ChannelMax(b);
            const int floor = i % 2 == 0 ? std::uniform_int_distribution<int>(-50, r + g + b + 10)(random)
                                         : nReachable - std::uniform_int_distribution<int>(0, 40)(random);
            AddRow(names, r, g, b, floor);
        }
    }
    void sample() { CheckBackground(); }
};

QTEST_APPLESS_MAIN(TestBackgroundSettings)
#include "tst_backgroundsettings.moc"
