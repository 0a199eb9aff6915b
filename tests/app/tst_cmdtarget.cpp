#include "app/framework/CmdTarget.h"
#include "app/framework/CmdUI.h"

#include <QStringList>
#include <QTest>

#include <memory>

// Small targets whose handlers only write down that they ran.
class CBaseTarget : public CCmdTarget {
public:
    QStringList m_calls;

    void OnBaseOwn() { m_calls << QStringLiteral("base 100"); }
    void OnBaseShared() { m_calls << QStringLiteral("base 200"); }
    void OnBaseRange(int nID) { m_calls << QStringLiteral("base range %1").arg(nID); }
    void OnUpdateBaseOwn(CCmdUI* pCmdUI) {
        m_calls << QStringLiteral("base update %1").arg(pCmdUI->m_nID);
        pCmdUI->SetCheck(1);
    }
    void OnUpdateBaseRange(CCmdUI* pCmdUI) {
        m_calls << QStringLiteral("base update range %1").arg(pCmdUI->m_nID);
        pCmdUI->Enable(false);
    }

    DECLARE_MESSAGE_MAP(CBaseTarget)
};

BEGIN_MESSAGE_MAP(CBaseTarget, CCmdTarget)
ON_COMMAND(100, OnBaseOwn)
ON_COMMAND(200, OnBaseShared)
ON_COMMAND_RANGE(300, 309, OnBaseRange)
ON_UPDATE_COMMAND_UI(100, OnUpdateBaseOwn)
ON_UPDATE_COMMAND_UI_RANGE(300, 309, OnUpdateBaseRange)
ON_UPDATE_COMMAND_UI(200, OnUpdateBaseOwn)
END_MESSAGE_MAP()

class CDerivedTarget : public CBaseTarget {
public:
    void OnDerivedShared() { m_calls << QStringLiteral("derived 200"); }
    void OnDerivedInsideBaseRange() { m_calls << QStringLiteral("derived 305"); }
    void OnDerivedRange(int nID) { m_calls << QStringLiteral("derived range %1").arg(nID); }
    void OnDerivedFirst() { m_calls << QStringLiteral("derived first 600"); }
    void OnDerivedSecond(int nID) { m_calls << QStringLiteral("derived second %1").arg(nID); }
    void OnUpdateDerivedOnly(CCmdUI* pCmdUI) {
        m_calls << QStringLiteral("derived update %1").arg(pCmdUI->m_nID);
        pCmdUI->SetCheck(0);
    }

    DECLARE_MESSAGE_MAP(CDerivedTarget)
};

BEGIN_MESSAGE_MAP(CDerivedTarget, CBaseTarget)
ON_COMMAND(200, OnDerivedShared)
ON_COMMAND(305, OnDerivedInsideBaseRange)
ON_COMMAND_RANGE(400, 402, OnDerivedRange)
ON_COMMAND(600, OnDerivedFirst)
ON_COMMAND_RANGE(600, 601, OnDerivedSecond)
ON_UPDATE_COMMAND_UI(500, OnUpdateDerivedOnly)
ON_UPDATE_COMMAND_UI(200, OnUpdateDerivedOnly)
END_MESSAGE_MAP()

// Adds nothing: everything comes from its bases.
class CGrandchildTarget : public CDerivedTarget {
    DECLARE_MESSAGE_MAP(CGrandchildTarget)
};

BEGIN_MESSAGE_MAP(CGrandchildTarget, CDerivedTarget)
END_MESSAGE_MAP()

Q_DECLARE_METATYPE(CmdCode)

class TestCmdTarget : public QObject {
    Q_OBJECT

    static std::unique_ptr<CBaseTarget> Make(const QString& kind) {
        if (kind == QLatin1String("derived")) {
            return std::make_unique<CDerivedTarget>();
        }
        if (kind == QLatin1String("grandchild")) {
            return std::make_unique<CGrandchildTarget>();
        }
        return std::make_unique<CBaseTarget>();
    }

private Q_SLOTS:
    void offer_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("id");
        QTest::addColumn<CmdCode>("code");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("check"); // -1: no handler decided it

        const auto C = CmdCode::Command;
        const auto U = CmdCode::Update;
        const auto P = CmdCode::Probe;
        using L = QStringList;

        // A class of its own.
        QTest::newRow("base: own command") << "base" << 100 << C << true << L{"base 100"} << -1;
        QTest::newRow("base: unknown id") << "base" << 101 << C << false << L{} << -1;
        QTest::newRow("base: range start") << "base" << 300 << C << true << L{"base range 300"} << -1;
        QTest::newRow("base: range end") << "base" << 309 << C << true << L{"base range 309"} << -1;
        QTest::newRow("base: below range") << "base" << 299 << C << false << L{} << -1;
        QTest::newRow("base: above range") << "base" << 310 << C << false << L{} << -1;
        QTest::newRow("base: derived ids unknown") << "base" << 400 << P << false << L{} << -1;
        QTest::newRow("base: update runs handler") << "base" << 100 << U << true << L{"base update 100"} << 1;
        QTest::newRow("base: update range") << "base" << 303 << U << true << L{"base update range 303"} << -1;
        QTest::newRow("base: probe runs nothing") << "base" << 100 << P << true << L{} << -1;
        QTest::newRow("base: probe range") << "base" << 304 << P << true << L{} << -1;

        // Own entries are searched before the base's: the derived class overrides 200 and one id
        // inside the base's range; the rest of the range still reaches the base.
        QTest::newRow("derived: overrides base entry")
            << "derived" << 200 << C << true << L{"derived 200"} << -1;
        QTest::newRow("derived: overrides one id of a base range")
            << "derived" << 305 << C << true << L{"derived 305"} << -1;
        QTest::newRow("derived: rest of base range")
            << "derived" << 306 << C << true << L{"base range 306"} << -1;
        QTest::newRow("derived: inherited command") << "derived" << 100 << C << true << L{"base 100"} << -1;
        QTest::newRow("derived: own range start")
            << "derived" << 400 << C << true << L{"derived range 400"} << -1;
        QTest::newRow("derived: own range end")
            << "derived" << 402 << C << true << L{"derived range 402"} << -1;
        QTest::newRow("derived: past own range") << "derived" << 403 << C << false << L{} << -1;
        QTest::newRow("derived: first own entry wins")
            << "derived" << 600 << C << true << L{"derived first 600"} << -1;
        QTest::newRow("derived: second entry for the rest")
            << "derived" << 601 << C << true << L{"derived second 601"} << -1;
        QTest::newRow("derived: overrides base update")
            << "derived" << 200 << U << true << L{"derived update 200"} << 0;
        QTest::newRow("derived: inherited update")
            << "derived" << 100 << U << true << L{"base update 100"} << 1;

        // An update handler alone is no command handler, and a command handler alone answers no update.
        QTest::newRow("derived: update-only id, update")
            << "derived" << 500 << U << true << L{"derived update 500"} << 0;
        QTest::newRow("derived: update-only id, probe") << "derived" << 500 << P << false << L{} << -1;
        QTest::newRow("derived: update-only id, command") << "derived" << 500 << C << false << L{} << -1;
        QTest::newRow("derived: command-only id, update") << "derived" << 400 << U << false << L{} << -1;

        // An empty map of its own passes everything to the bases.
        QTest::newRow("grandchild: derived entry")
            << "grandchild" << 305 << C << true << L{"derived 305"} << -1;
        QTest::newRow("grandchild: base entry")
            << "grandchild" << 309 << C << true << L{"base range 309"} << -1;
        QTest::newRow("grandchild: unknown") << "grandchild" << 700 << P << false << L{} << -1;
    }

    void offer() {
        QFETCH(QString, target);
        QFETCH(int, id);
        QFETCH(CmdCode, code);
        QFETCH(bool, handled);
        QFETCH(QStringList, calls);
        QFETCH(int, check);

        std::unique_ptr<CBaseTarget> object = Make(target);
        CCmdUI ui(id);
        QCOMPARE(object->OnCmdMsg(id, code, code == CmdCode::Update ? &ui : nullptr), handled);
        QCOMPARE(object->m_calls, calls);
        QCOMPARE(ui.m_check.has_value() ? int(*ui.m_check) : -1, check);
    }

    void updateWithoutStateRunsNothing() {
        // The road may be asked whether an update handler exists without an item to update.
        CDerivedTarget object;
        QVERIFY(object.OnCmdMsg(500, CmdCode::Update, nullptr));
        QVERIFY(object.m_calls.isEmpty());
    }

    void rangeHandlerGetsEveryId() {
        CBaseTarget object;
        for (int id = 300; id <= 309; ++id) {
            QVERIFY(object.OnCmdMsg(id, CmdCode::Command, nullptr));
        }
        QCOMPARE(object.m_calls.size(), 10);
        QCOMPARE(object.m_calls.first(), QStringLiteral("base range 300"));
        QCOMPARE(object.m_calls.last(), QStringLiteral("base range 309"));
    }

    void plainTargetHandlesNothing() {
        CCmdTarget object;
        for (int id : {0, 1, 100, 57600, 65535}) {
            QVERIFY(!object.OnCmdMsg(id, CmdCode::Command, nullptr));
            QVERIFY(!object.OnCmdMsg(id, CmdCode::Probe, nullptr));
        }
    }
};

QTEST_APPLESS_MAIN(TestCmdTarget)
#include "tst_cmdtarget.moc"
