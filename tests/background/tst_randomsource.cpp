#include "background/RandomSource.h"

#include <QTest>

class TestRandomSource : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { CRandomSource::Reset(); }

    void freshProcessSeedsWithOne() {
        QVERIFY(!CRandomSource::IsSeeded());
        const QList<int> expected{41, 18467, 6334, 26500, 19169, 15724};
        QList<int> values;
        for (int i = 0; i < expected.size(); ++i)
            values.append(CRandomSource::Next());
        QCOMPARE(values, expected);
        QVERIFY(CRandomSource::IsSeeded());
    }

    void resetStartsTheSequenceAgain() {
        for (int i = 0; i < 1000; ++i)
            CRandomSource::Next();
        CRandomSource::Reset();
        QVERIFY(!CRandomSource::IsSeeded());
        QCOMPARE(CRandomSource::Next(), 41);
    }

    void explicitSeed_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("one") << 1u << QList<int>{41, 18467, 6334};
        QTest::newRow("zero") << 0u << QList<int>{38, 7719, 21238};
        // The state wraps modulo 2^32.
        QTest::newRow("all bits") << 0xFFFFFFFFu << QList<int>{35, 29739, 3374};
    }
    void explicitSeed() {
        QFETCH(quint32, seed);
        QFETCH(QList<int>, expected);
        CRandomSource::Seed(seed);
        QList<int> values;
        for (int i = 0; i < expected.size(); ++i)
            values.append(CRandomSource::Next());
        QCOMPARE(values, expected);
    }

    void valuesStayWithinFifteenBits() {
        int nMin = CRandomSource::kMaxValue;
        int nMax = 0;
        for (int i = 0; i < 200000; ++i) {
            const int v = CRandomSource::Next();
            nMin = std::min(nMin, v);
            nMax = std::max(nMax, v);
        }
        QCOMPARE(nMin, 0);
        QCOMPARE(nMax, CRandomSource::kMaxValue);
    }
};

QTEST_APPLESS_MAIN(TestRandomSource)
#include "tst_randomsource.moc"
