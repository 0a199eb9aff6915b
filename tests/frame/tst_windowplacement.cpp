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
    static std::unique_ptr<QSettings> Settings() {
        return std::make_unique<QSettings>(qEnvironmentVariable("XDG_CONFIG_HOME") +
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

    // The first start takes three quarters of the screen; size, position and a maximised window come back at
    // the next start. The bars do not: they start shown, ticked and docked where they belong, also when the
    // settings hold the places an earlier version kept, which go at the next write. (The status bar was never
    // kept.)
    void placementComesBack() {
        Start();
        QCOMPARE(Frame()->size(), QSize(Area().width() * 3 / 4, Area().height() * 3 / 4));
        const QRect placed(Area().topLeft() + QPoint(40, 30), QSize(500, 350));
        Frame()->setGeometry(placed);
        Main()->addToolBar(Qt::BottomToolBarArea, Main()->m_wndToolBar);
        Frame()->SendCommand(ID_VIEW_PENBAR);
        const QByteArray oldBars = Main()->saveState(1);
        Close();
        Settings()->setValue("Window/State", oldBars);
        Start();
        QCOMPARE(Frame()->geometry(), placed);
        QVERIFY(Main()->toolBarArea(Main()->m_wndToolBar) == Qt::TopToolBarArea &&
                Main()->toolBarArea(Main()->m_wndPenBar) == Qt::LeftToolBarArea);
        QVERIFY(Main()->m_wndPenBar->isVisible() && Main()->FindCommandAction(ID_VIEW_PENBAR)->isChecked());
        Frame()->showMaximized();
        QTRY_VERIFY(Frame()->isMaximized());
        Close();
        QVERIFY(!Settings()->contains("Window/State"));
        Start();
        QVERIFY(Frame()->isMaximized());
    }

    void savedGeometryIsFittedToTheScreen_data() {
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<QSize>("size"); // kept; empty: the screen's, the frame included
        QTest::newRow("larger than the screen") << QRect(0, 0, 5000, 4000) << QSize();
        QTest::newRow("beyond the right edge")
            << QRect(Area().right() - 100, 50, 400, 300) << QSize(400, 300);
        QTest::newRow("above and left of it") << QRect(-250, -200, 400, 300) << QSize(400, 300);
    }

    void savedGeometryIsFittedToTheScreen() {
        QFETCH(QRect, saved);
        QFETCH(QSize, size);
        QWidget before; // as a run on a larger screen left it
        before.setGeometry(saved);
        Settings()->setValue("Window/Geometry", before.saveGeometry());
        Start();
        QTRY_COMPARE(Area().united(Frame()->frameGeometry()), Area()); // wholly on the screen
        QCOMPARE(size.isValid() ? Frame()->size() : Frame()->frameGeometry().size(),
                 size.isValid() ? size : Area().size());
    }
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
