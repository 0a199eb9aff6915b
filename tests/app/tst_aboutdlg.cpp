#include "app/AboutDlg.h"
#include "app/framework/DialogBuilder.h"
#include "app/framework/Document.h"
#include "app/framework/ToolBar.h"
#include "frame/MainFrame.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace apptest;

class TestAboutDlg : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_settingsHome;

    // What the About box must leave as it was.
    struct State {
        QString caption;
        CDocument* pDoc;
        QStringList recent;
        QImage surface;
        int nPenWidth;
        bool bBars;
        QList<QWidget*> windows;
        bool operator==(const State&) const = default;
    };

    static State Take() {
        auto* frame = static_cast<CMainFrame*>(Frame());
        return State{Caption(),
                     frame->GetActiveDocument(),
                     RecentFiles(),
                     View()->WindowSurface(),
                     View()->m_nPenWidth,
                     frame->m_wndToolBar->isVisible() && frame->m_wndPenBar->isVisible() &&
                         frame->m_wndStatusBar->isVisible(),
                     VisibleTopLevels()};
    }

    // What the test saw of the box while it was open.
    struct Seen {
        bool bSeen = false;
        QString className, title;
        QSize size;
        QRect okGeometry;
        bool bOkDefault = false;
        QStringList texts;
        bool bIcon = false;
        bool bModal = false;
    };

    static void Record(QWidget* w, Seen& seen) {
        seen.bSeen = true;
        seen.className = QString::fromLatin1(w->metaObject()->className());
        seen.title = w->windowTitle();
        seen.size = w->size();
        seen.bModal = w->isModal();
        if (auto* ok = w->findChild<QPushButton*>(QStringLiteral("control%1").arg(IDOK))) {
            seen.okGeometry = ok->geometry();
            seen.bOkDefault = ok->isDefault();
            seen.texts << ok->text();
        }
        for (QLabel* label : w->findChildren<QLabel*>()) {
            if (!label->pixmap().isNull()) {
                seen.bIcon = true;
            } else if (!label->text().isEmpty()) {
                seen.texts << label->text();
            }
        }
    }

private Q_SLOTS:
    void initTestCase() {
        m_settingsHome = IsolateSettings();
        QVERIFY(StartApp({}));
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
    }

    void cleanupTestCase() { StopApp(); }

    void dialogUnits_data() {
        QTest::addColumn<QRect>("units");
        QTest::addColumn<QRect>("pixels");
        // Base units 7 x 12: x * 7 / 4 and y * 12 / 8, halves rounded away from zero.
        QTest::newRow("About box") << QRect(0, 0, 235, 55) << QRect(0, 0, 411, 83);
        QTest::newRow("OK button") << QRect(178, 7, 50, 14) << QRect(312, 11, 87, 21);
        QTest::newRow("icon") << QRect(11, 12, 20, 20) << QRect(19, 18, 35, 30);
        QTest::newRow("version text") << QRect(40, 10, 119, 8) << QRect(70, 15, 208, 12);
        QTest::newRow("one unit") << QRect(1, 1, 1, 1) << QRect(2, 2, 2, 1);
        QTest::newRow("four by eight") << QRect(4, 8, 4, 8) << QRect(7, 12, 7, 12);
        QTest::newRow("empty") << QRect(5, 5, 0, 0) << QRect(9, 8, 0, 0);
        QTest::newRow("negative origin") << QRect(-2, -4, 4, 8) << QRect(-4, -6, 8, 12);
    }

    void dialogUnits() {
        QFETCH(QRect, units);
        QFETCH(QRect, pixels);
        // Right and bottom edges are converted, not sizes: neighbouring controls never overlap or part.
        const QRect mapped =
            CDialogBuilder::MapDialogRect(units.x(), units.y(), units.width(), units.height());
        QCOMPARE(mapped, pixels);
    }

    void close_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK button") << "ok";
        QTest::newRow("Enter") << "enter";
        QTest::newRow("Return") << "return";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }

    void close() {
        QFETCH(QString, how);
        const State before = Take();
        Seen seen;
        auto watch = DriveNextModal([&seen, how](QWidget* w) {
            Record(w, seen);
            if (how == QLatin1String("ok")) {
                QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("control%1").arg(IDOK)),
                                  Qt::LeftButton);
            } else if (how == QLatin1String("enter")) {
                QTest::keyClick(w, Qt::Key_Enter);
            } else if (how == QLatin1String("return")) {
                QTest::keyClick(w, Qt::Key_Return);
            } else if (how == QLatin1String("escape")) {
                QTest::keyClick(w, Qt::Key_Escape);
            } else {
                w->close();
            }
        });
        Frame()->SendCommand(ID_APP_ABOUT);
        QVERIFY(seen.bSeen);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(seen.className, QStringLiteral("CAboutDlg"));
        QCOMPARE(seen.title, QString::fromUtf8("Zelvorandineのﾊﾞｰｼﾞｮﾝ情報"));
        QVERIFY(seen.bModal);
        QCOMPARE(seen.size, QSize(411, 83));
        QCOMPARE(seen.okGeometry, QRect(312, 11, 87, 21));
        QVERIFY(seen.bOkDefault);
        QVERIFY(seen.bIcon);
        QVERIFY2(seen.texts.contains(QStringLiteral("OK")), qPrintable(seen.texts.join('|')));
        QVERIFY2(seen.texts.contains(QStringLiteral("Zelvorandine Version 1.0")),
                 qPrintable(seen.texts.join('|')));
        // Nothing else is left open and nothing changed.
        QVERIFY(Take() == before);
    }

    void opensFromMenuAndToolBar_data() {
        QTest::addColumn<QString>("from");
        QTest::newRow("Help menu") << "menu";
        QTest::newRow("standard toolbar") << "toolbar";
    }

    void opensFromMenuAndToolBar() {
        QFETCH(QString, from);
        auto* frame = static_cast<CMainFrame*>(Frame());
        auto watch = DriveNextModal(Dismiss);
        if (from == QLatin1String("menu")) {
            QAction* item = nullptr;
            for (QAction* action : frame->GetMenu(2)->actions()) {
                if (action->text() == QString::fromUtf8("Zelvorandine のﾊﾞｰｼﾞｮﾝ情報(&A)...")) {
                    item = action;
                }
            }
            QVERIFY(item != nullptr);
            item->trigger();
        } else {
            QWidget* button = frame->m_wndToolBar->widgetForAction(frame->FindCommandAction(ID_APP_ABOUT));
            QVERIFY(button != nullptr);
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QVERIFY(watch->bSeen);
        QCOMPARE(watch->className, QStringLiteral("CAboutDlg"));
    }
};

QTEST_MAIN(TestAboutDlg)
#include "tst_aboutdlg.moc"
