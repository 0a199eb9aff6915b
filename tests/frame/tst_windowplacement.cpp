// SPDX-License-Identifier: MIT
#include "frame/MainFrame.h"
#include "frame/ToolBar.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"

#include <QScreen>
#include <QTest>

using namespace apptest;

// The main window comes back as it was left, within the screen, run after run; the bars always start in
// their places.
class TestWindowPlacement : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_home;

    static QRect Area() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    static CMainFrame* Main() { return static_cast<CMainFrame*>(Frame()); }
    static QSettings Settings() {
        return QSettings(qEnvironmentVariable("XDG_CONFIG_HOME") +
                             "/Local AppWizard-Generated Applications/Zelvorandine.conf",
                         QSettings::IniFormat);
    }
    static void Start() { QVERIFY(StartApp({}) && QTest::qWaitForWindowExposed(Frame())); }
    // As the window's close box ends the program.
    static void Close() {
        QVERIFY(Frame()->close());
        StopApp();
    }

private Q_SLOTS:
    void init() { m_home = IsolateSettings(); }
    void cleanup() { StopApp(); }

    // The first start takes three quarters of the screen; a maximised window comes back at the next start.
    // The bars do not: they start shown, ticked and docked where they belong, also when the settings hold the
    // places an earlier version kept, which go at the next write. (The status bar was never kept.)
    void placementComesBack() {
        Start();
        QCOMPARE(Frame()->size(), QSize(Area().width() * 3 / 4, Area().height() * 3 / 4));
        Main()->addToolBar(Qt::BottomToolBarArea, Main()->m_wndToolBar);
        Frame()->SendCommand(ID_VIEW_PENBAR);
        const QByteArray oldBars = Main()->saveState(1);
        Close();
        Settings().setValue("Window/State", oldBars);
        Start();
        QVERIFY(Main()->toolBarArea(Main()->m_wndToolBar) == Qt::TopToolBarArea &&
                Main()->toolBarArea(Main()->m_wndPenBar) == Qt::LeftToolBarArea);
        QVERIFY(Main()->m_wndPenBar->isVisible() && Main()->FindCommandAction(ID_VIEW_PENBAR)->isChecked());
        Frame()->showMaximized();
        QTRY_VERIFY(Frame()->isMaximized());
        Close();
        QVERIFY(!Settings().contains("Window/State"));
        Start();
        QVERIFY(Frame()->isMaximized());
    }

    void savedGeometryIsFittedToTheScreen_data() {
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<QString>("edges"); // those of the frame on the screen's: left, top, right, bottom
        QTest::newRow("larger than the screen") << QRect(0, 0, 5000, 4000) << "1111";
        QTest::newRow("beyond the bottom right corner")
            << QRect(Area().bottomRight() - QPoint(100, 100), QSize(400, 300)) << "0011";
        // The toolkit itself leaves a title bar's room above.
        QTest::newRow("above and left of it") << QRect(-250, -200, 400, 300) << "1000";
    }

    // As a run on a larger screen left it: moved the shortest way onto the screen, its size kept where it
    // fits.
    void savedGeometryIsFittedToTheScreen() {
        QFETCH(QRect, saved);
        QWidget before;
        before.setGeometry(saved);
        Settings().setValue("Window/Geometry", before.saveGeometry());
        Start();
        const QRect frame = Frame()->frameGeometry(), area = Area();
        QString edges;
        for (bool bOn : {frame.left() == area.left(), frame.top() == area.top(),
                         frame.right() == area.right(), frame.bottom() == area.bottom()})
            edges += bOn ? '1' : '0';
        QTEST(edges, "edges");
        QVERIFY(edges == "1111" || Frame()->size() == saved.size());
    }
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
