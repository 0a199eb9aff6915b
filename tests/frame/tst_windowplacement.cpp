// SPDX-License-Identifier: MIT
#include "frame/ToolBar.h"
#include "frame/MainFrame.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"

#include <QScreen>
#include <QTest>

using namespace apptest;

// The main window comes back as it was left, within the screen, run after run.
class TestWindowPlacement : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_home;

    static QRect Area() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    static void Start() { QVERIFY(StartApp({}) && QTest::qWaitForWindowExposed(Frame())); }
    // As the window's close box ends the program, then the next run.
    static void Restart() {
        QVERIFY(Frame()->close());
        StopApp();
        Start();
    }

private Q_SLOTS:
    void init() { m_home = IsolateSettings(); }
    void cleanup() { StopApp(); }

    // The first start takes three quarters of the screen; size, position and bars come back at the next
    // start, and so does a maximised window.
    void placementComesBack() {
        Start();
        QCOMPARE(Frame()->size(), QSize(Area().width() * 3 / 4, Area().height() * 3 / 4));
        const QRect placed(Area().topLeft() + QPoint(40, 30), QSize(500, 350));
        Frame()->setGeometry(placed);
        auto* pMain = static_cast<CMainFrame*>(Frame());
        pMain->addToolBar(Qt::BottomToolBarArea, pMain->m_wndToolBar);
        Frame()->SendCommand(ID_VIEW_PENBAR);
        Restart();
        QCOMPARE(Frame()->geometry(), placed);
        pMain = static_cast<CMainFrame*>(Frame());
        QCOMPARE(pMain->toolBarArea(pMain->m_wndToolBar), Qt::BottomToolBarArea);
        QVERIFY(pMain->m_wndPenBar->isHidden() && !pMain->FindCommandAction(ID_VIEW_PENBAR)->isChecked());
        Frame()->showMaximized();
        QTRY_VERIFY(Frame()->isMaximized());
        Restart();
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
        theApp.OpenSettings()->setValue("Window/Geometry", before.saveGeometry());
        Start();
        const QRect frame = Frame()->frameGeometry();
        QCOMPARE(Area().united(frame), Area()); // wholly on the screen
        QCOMPARE(size.isValid() ? Frame()->size() : frame.size(), size.isValid() ? size : Area().size());
    }
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
