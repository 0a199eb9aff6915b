// SPDX-License-Identifier: MIT
#include "app/framework/ToolBar.h"
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

    static CMainFrame* Main() { return static_cast<CMainFrame*>(Frame()); }
    static QRect Area() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    static void Start() {
        QVERIFY(StartApp({}));
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
    }
    // As the window's close box ends the program.
    static void Close() {
        QVERIFY(Frame()->close());
        StopApp();
    }
    // What a run before, on a screen where it fitted, left in the settings.
    static void SaveGeometry(const QRect& rect) {
        QWidget window;
        window.setGeometry(rect);
        theApp.OpenSettings()->setValue("Window/Geometry", window.saveGeometry());
    }

private Q_SLOTS:
    void init() { m_home = IsolateSettings(); }
    void cleanup() {
        if (AfxGetMainWnd() != nullptr)
            StopApp();
    }

    // The first start takes three quarters of the screen. The window system's own requests (-geometry, a
    // resize past the screen) are tried end to end.
    void firstStartAndResizeWithinTheScreen() {
        Start();
        QCOMPARE(Frame()->size(), QSize(Area().width() * 3 / 4, Area().height() * 3 / 4));
        Frame()->move(Area().topLeft());
        Frame()->resize(99999, 99999);
        QCOMPARE(Frame()->frameGeometry().size(), Area().size()); // as large as the screen allows, no larger
        QVERIFY(Frame()->GetActiveView()->width() < Area().width());
        Close();
        Start();
        QCOMPARE(Area().united(Frame()->frameGeometry()), Area());
    }

    // Size, position and bars come back at the next start, and so does a maximised window.
    void sizePositionAndBarsComeBack() {
        Start();
        const QRect placed(Area().topLeft() + QPoint(40, 30), QSize(500, 350));
        Frame()->setGeometry(placed);
        Main()->addToolBar(Qt::BottomToolBarArea, Main()->m_wndToolBar);
        Frame()->SendCommand(ID_VIEW_PENBAR);
        Close();

        Start();
        QCOMPARE(Frame()->geometry(), placed);
        QCOMPARE(Main()->toolBarArea(Main()->m_wndToolBar), Qt::BottomToolBarArea);
        QVERIFY(Main()->m_wndToolBar->isVisible() && Main()->m_wndPenBar->isHidden() &&
                !Frame()->FindCommandAction(ID_VIEW_PENBAR)->isChecked());
        Frame()->showMaximized();
        QTRY_VERIFY(Frame()->isMaximized());
        Close();
        Start();
        QVERIFY(Frame()->isMaximized());
    }

    void savedGeometryIsFittedToTheScreen_data() {
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<QSize>("size"); // expected; empty where the screen decides
        const QRect area = Area();
        QTest::newRow("larger than the screen") << QRect(0, 0, 5000, 4000) << QSize();
        QTest::newRow("wider than the screen") << QRect(10, 10, area.width() + 300, 300) << QSize();
        QTest::newRow("beyond the right edge") << QRect(area.right() - 100, 50, 400, 300) << QSize(400, 300);
        QTest::newRow("above and left of it") << QRect(-250, -200, 400, 300) << QSize(400, 300);
        QTest::newRow("on a screen that is gone") << QRect(3000, 2500, 400, 300) << QSize(400, 300);
    }

    void savedGeometryIsFittedToTheScreen() {
        QFETCH(QRect, saved);
        QFETCH(QSize, size);
        SaveGeometry(saved);
        Start();
        QCOMPARE(Area().united(Frame()->frameGeometry()), Area()); // wholly on the screen
        if (size.isValid())
            QCOMPARE(Frame()->size(), size);
    }
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
