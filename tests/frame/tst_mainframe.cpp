#include "app/framework/ToolBar.h"
#include "frame/MainFrame.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"

#include <QAction>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QToolTip>
#include <QWhatsThis>

using namespace apptest;

namespace {

// The accelerator table, in its order.
const QList<QPair<QKeySequence, int>>& Accelerators() {
    static const QList<QPair<QKeySequence, int>> table = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), ID_FILE_NEW},
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE},
        {QKeySequence(Qt::CTRL | Qt::Key_P), ID_FILE_PRINT},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), ID_EDIT_UNDO},
        {QKeySequence(Qt::CTRL | Qt::Key_X), ID_EDIT_CUT},
        {QKeySequence(Qt::CTRL | Qt::Key_C), ID_EDIT_COPY},
        {QKeySequence(Qt::CTRL | Qt::Key_V), ID_EDIT_PASTE},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), ID_EDIT_UNDO},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), ID_EDIT_CUT},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), ID_EDIT_COPY},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), ID_EDIT_PASTE},
        {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F1), ID_CONTEXT_HELP},
        {QKeySequence(Qt::Key_F1), ID_HELP},
    };
    return table;
}

} // namespace

// The main window as the program builds it: menus, accelerators, bars, their toggles, status texts, help.
class TestMainFrame : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_settingsHome;

    static CMainFrame* MainFrame() { return static_cast<CMainFrame*>(Frame()); }

    static QMenu* Menu(int i) {
        QMenu* menu = Frame()->GetMenu(i);
        // What the user sees when the menu opens.
        Q_EMIT menu->aboutToShow();
        return menu;
    }

    static QList<QAction*> VisibleItems(QMenu* menu) {
        QList<QAction*> items;
        for (QAction* action : menu->actions()) {
            if (action->isVisible()) {
                items << action;
            }
        }
        return items;
    }

    static QWidget* Button(QToolBar* bar, int id) {
        return bar->widgetForAction(Frame()->FindCommandAction(id));
    }

    static QString ToolTipShownFor(QWidget* widget) {
        // A tip being hidden stays visible for a moment: let it go first.
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) {
            return QStringLiteral("<an earlier tooltip stayed>");
        }
        const QPoint local(2, 2);
        QHelpEvent help(QEvent::ToolTip, local, widget->mapToGlobal(local));
        QCoreApplication::sendEvent(widget, &help);
        const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        return text;
    }

    static void Hover(QWidget* widget, bool bEnter) {
        if (bEnter) {
            const QPointF local(2, 2);
            QEnterEvent enter(local, local, widget->mapToGlobal(local));
            QCoreApplication::sendEvent(widget, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(widget, &leave);
        }
    }

    static int Check(int id) {
        int nCheck = -1;
        Frame()->IsCommandEnabled(id, &nCheck);
        return nCheck;
    }

    static QWidget* HelpWindow() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("helpWindow")) {
                return w;
            }
        }
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase() {
        m_settingsHome = IsolateSettings();
        QVERIFY(StartApp({}));
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
    }

    void cleanupTestCase() { StopApp(); }

    void init() {
        QVERIFY(ActivateFrame());
        QCOMPARE(Pane0(), QString::fromUtf8(kIdleText));
    }

    void cleanup() {
        if (QWhatsThis::inWhatsThisMode()) {
            QWhatsThis::leaveWhatsThisMode();
        }
        if (QWidget* help = HelpWindow()) {
            help->close();
        }
        for (QWidget* bar : {static_cast<QWidget*>(MainFrame()->m_wndToolBar),
                             static_cast<QWidget*>(MainFrame()->m_wndPenBar),
                             static_cast<QWidget*>(MainFrame()->m_wndStatusBar)}) {
            bar->show();
        }
        Frame()->SetMessageText(Frame()->GetIdleText());
    }

    void menuBar() {
        QStringList titles;
        for (QAction* action : Frame()->menuBar()->actions()) {
            titles << action->text();
        }
        // No edit menu.
        QCOMPARE(titles, (QStringList{"ﾌｧｲﾙ(&F)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
    }

    void menuItems_data() {
        QTest::addColumn<int>("menu");
        QTest::addColumn<QStringList>("texts"); // "-" for a separator
        QTest::addColumn<QList<int>>("ids");

        QTest::newRow("File") << 0 << QStringList{"新規作成(&N)\tCtrl+N",    "上書き保存(&S)\tCtrl+S",
                                                  "名前を付けて保存(&A)...", "-",
                                                  "印刷(&P)...\tCtrl+P",     "印刷ﾌﾟﾚﾋﾞｭｰ(&V)",
                                                  "ﾌﾟﾘﾝﾀの設定(&R)...",      "-",
                                                  "最近使ったﾌｧｲﾙ",          "-",
                                                  "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}
                              << QList<int>{ID_FILE_NEW,         ID_FILE_SAVE,
                                            ID_FILE_SAVE_AS,     0,
                                            ID_FILE_PRINT,       ID_FILE_PRINT_PREVIEW,
                                            ID_FILE_PRINT_SETUP, 0,
                                            ID_FILE_MRU_FILE1,   0,
                                            ID_APP_EXIT};
        QTest::newRow("View") << 1 << QStringList{"ﾂｰﾙ ﾊﾞｰ(&T)", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "描画設定"}
                              << QList<int>{ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_PENBAR};
        QTest::newRow("Help") << 2 << QStringList{"Zelvorandine のﾊﾞｰｼﾞｮﾝ情報(&A)..."}
                              << QList<int>{ID_APP_ABOUT};
    }

    void menuItems() {
        QFETCH(int, menu);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, ids);
        const QList<QAction*> items = VisibleItems(Menu(menu));
        QStringList shownTexts;
        QList<int> shownIds;
        for (QAction* item : items) {
            shownTexts << (item->isSeparator() ? QStringLiteral("-") : item->text());
            shownIds << (item->isSeparator() ? 0 : item->data().toInt());
        }
        QCOMPARE(shownTexts, texts);
        QCOMPARE(shownIds, ids);
        for (QAction* item : items) {
            if (item->isSeparator()) {
                continue;
            }
            // While no file was opened, only the recent-file placeholder is greyed.
            QCOMPARE(item->isEnabled(), item->data().toInt() != ID_FILE_MRU_FILE1);
            // Each item has the one action of its command, the one its button and keys trigger.
            QCOMPARE(item, Frame()->FindCommandAction(item->data().toInt()));
        }
    }

    void openHasNoItemNorButton() {
        QAction* open = Frame()->FindCommandAction(ID_FILE_OPEN);
        QVERIFY(open != nullptr);
        for (QObject* holder : open->associatedObjects()) {
            QVERIFY2(qobject_cast<QMenu*>(holder) == nullptr && qobject_cast<QToolBar*>(holder) == nullptr &&
                         qobject_cast<QToolButton*>(holder) == nullptr,
                     holder->metaObject()->className());
        }
        QVERIFY(open->isEnabled());
    }

    void accelerators_data() {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<int>("id");
        int n = 0;
        for (const auto& [key, id] : Accelerators()) {
            QTest::addRow("%02d %s", ++n, qPrintable(key.toString())) << key << id;
        }
    }

    void accelerators() {
        QFETCH(QKeySequence, key);
        QFETCH(int, id);
        QAction* action = Frame()->FindCommandAction(id);
        QVERIFY(action != nullptr);
        QVERIFY2(action->shortcuts().contains(key),
                 qPrintable(QKeySequence::listToString(action->shortcuts())));
        QCOMPARE(action->shortcutContext(), Qt::WindowShortcut);
        // Active in the main window, not only while a menu is open.
        QVERIFY(Frame()->actions().contains(action));
        // No other action claims the key: it would make the key ambiguous and do nothing.
        int nOwners = 0;
        for (QAction* other : Frame()->findChildren<QAction*>()) {
            nOwners += other->shortcuts().contains(key) ? 1 : 0;
        }
        QCOMPARE(nOwners, 1);
    }

    void acceleratorTableIsComplete() {
        // Per command, its keys in the table's order; and nothing more than the table.
        QMap<int, QList<QKeySequence>> expected;
        for (const auto& [key, id] : Accelerators()) {
            expected[id] << key;
        }
        QMap<int, QList<QKeySequence>> actual;
        for (QAction* action : Frame()->findChildren<QAction*>()) {
            if (!action->shortcuts().isEmpty()) {
                actual[action->data().toInt()] = action->shortcuts();
            }
        }
        QCOMPARE(actual, expected);
    }

    void standardToolBar_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("New") << ID_FILE_NEW << "新規にﾌｧｲﾙを作成"
                             << "新規ﾌｧｲﾙ";
        QTest::newRow("Save") << ID_FILE_SAVE << "作業中のﾌｧｲﾙを上書きして保存"
                              << "保存";
        QTest::newRow("Print") << ID_FILE_PRINT << "作業中のﾌｧｲﾙを印刷"
                               << "印刷";
        QTest::newRow("About") << ID_APP_ABOUT << "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示"
                               << "ﾊﾞｰｼﾞｮﾝ情報";
    }

    void standardToolBar() {
        QFETCH(int, id);
        QFETCH(QString, prompt);
        QFETCH(QString, tooltip);
        QWidget* button = Button(MainFrame()->m_wndToolBar, id);
        QVERIFY(button != nullptr);
        QCOMPARE(button->statusTip(), prompt);
        QCOMPARE(ToolTipShownFor(button), tooltip);

        // Resting on the button shows the prompt; leaving it brings back the idle text.
        Hover(button, true);
        QCOMPARE(Pane0(), prompt);
        Hover(button, false);
        QCOMPARE(Pane0(), QString::fromUtf8(kIdleText));
    }

    void toolBarLayout_data() {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QList<int>>("ids"); // 0 for a separator
        QTest::addColumn<QSize>("imageSize");
        QTest::addColumn<Qt::ToolBarArea>("area");
        QTest::newRow("standard") << "standardToolBar"
                                  << QList<int>{ID_FILE_NEW, ID_FILE_SAVE, 0, ID_FILE_PRINT, 0, ID_APP_ABOUT}
                                  << QSize(16, 15) << Qt::TopToolBarArea;
        QTest::newRow("pen") << "penToolBar"
                             << QList<int>{ID_PEN_FINE, ID_PEN_MEDIUM, ID_PEN_BOLD, ID_PEN_COVER}
                             << QSize(18, 17) << Qt::LeftToolBarArea;
    }

    void toolBarLayout() {
        QFETCH(QString, bar);
        QFETCH(QList<int>, ids);
        QFETCH(QSize, imageSize);
        QFETCH(Qt::ToolBarArea, area);
        auto* toolBar = Frame()->findChild<QToolBar*>(bar);
        QVERIFY(toolBar != nullptr);
        QList<int> shown;
        for (QAction* action : toolBar->actions()) {
            if (action->isVisible()) {
                shown << (action->isSeparator() ? 0 : action->data().toInt());
                if (!action->isSeparator()) {
                    QVERIFY(!action->icon().isNull());
                    // Plain push buttons: none stays pressed.
                    QVERIFY(!action->isCheckable());
                }
            }
        }
        QCOMPARE(shown, ids);
        QCOMPARE(toolBar->iconSize(), imageSize);
        QCOMPARE(Frame()->toolBarArea(toolBar), area);
        QVERIFY(toolBar->isMovable());
        QVERIFY(toolBar->isFloatable());
        QCOMPARE(toolBar->allowedAreas(), Qt::AllToolBarAreas);
    }

    void penButtonsShowNothing_data() {
        QTest::addColumn<int>("id");
        QTest::newRow("fine") << ID_PEN_FINE;
        QTest::newRow("medium") << ID_PEN_MEDIUM;
        QTest::newRow("bold") << ID_PEN_BOLD;
        QTest::newRow("cover") << ID_PEN_COVER;
    }

    void penButtonsShowNothing() {
        QFETCH(int, id);
        QWidget* button = Button(MainFrame()->m_wndPenBar, id);
        QVERIFY(button != nullptr);
        QVERIFY(button->statusTip().isEmpty());
        QCOMPARE(ToolTipShownFor(button), QString());
        Hover(button, true);
        QCOMPARE(Pane0(), QString());
        Hover(button, false);
        QCOMPARE(Pane0(), QString::fromUtf8(kIdleText));
    }

    void statusBarPanes() {
        CStatusBar* bar = MainFrame()->m_wndStatusBar;
        QCOMPARE(bar->GetCount(), 5);
        const QList<int> ids{ID_SEPARATOR, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                             ID_INDICATOR_SCRL};
        const QStringList texts{"", "ｶﾅ", "CAP", "NUM", "SCRL"};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(bar->GetItemID(i), ids.at(i));
        }
        QCOMPARE(Frame()->GetMessageBar(), bar);
        QCOMPARE(bar->GetPaneText(0), QString::fromUtf8(kIdleText));
        // Offscreen no lock key is on: the indicators are blank, but keep the width of their text.
        Frame()->UpdateIndicators();
        for (int i = 1; i < 5; ++i) {
            QCOMPARE(bar->GetPaneText(i), QString());
            QLabel* pane = bar->GetPane(i);
            QVERIFY2(pane->width() >= pane->fontMetrics().horizontalAdvance(texts.at(i)),
                     qPrintable(texts.at(i)));
        }
        // Left to right in this order, the message pane taking what the others leave.
        for (int i = 1; i < 5; ++i) {
            QVERIFY(bar->GetPane(i - 1)->geometry().right() < bar->GetPane(i)->geometry().left());
        }
        QVERIFY(bar->GetPane(0)->width() > bar->width() / 2);
    }

    void statusTipEventShowsPrompt() {
        // A prompt sent anywhere inside the window reaches pane 0; an empty one brings back the idle text.
        QStatusTipEvent tip(QString::fromUtf8("作業中のﾌｧｲﾙを印刷"));
        QCoreApplication::sendEvent(View(), &tip);
        QCOMPARE(Pane0(), QString::fromUtf8("作業中のﾌｧｲﾙを印刷"));
        QStatusTipEvent none{QString()};
        QCoreApplication::sendEvent(Frame(), &none);
        QCOMPARE(Pane0(), QString::fromUtf8(kIdleText));
    }

    void checksAfterStart() {
        for (int id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_PENBAR}) {
            QCOMPARE(Check(id), 1);
        }
        for (QAction* item : VisibleItems(Menu(1))) {
            QVERIFY(item->isCheckable());
            QVERIFY2(item->isChecked(), qPrintable(item->text()));
            QVERIFY(item->isEnabled());
        }
    }

    void toggles_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("bar");
        QTest::newRow("ﾂｰﾙ ﾊﾞｰ") << ID_VIEW_TOOLBAR << "standardToolBar";
        QTest::newRow("ｽﾃｰﾀｽ ﾊﾞｰ") << ID_VIEW_STATUS_BAR << "statusBar";
        QTest::newRow("描画設定") << ID_VIEW_PENBAR << "penToolBar";
    }

    // Each View item hides and shows its own bar only, although both toolbars carry id 59392.
    void toggles() {
        QFETCH(int, id);
        QFETCH(QString, bar);
        const QMap<QString, QWidget*> bars{{"standardToolBar", MainFrame()->m_wndToolBar},
                                           {"penToolBar", MainFrame()->m_wndPenBar},
                                           {"statusBar", MainFrame()->m_wndStatusBar}};
        const QMap<QString, int> ids{{"standardToolBar", ID_VIEW_TOOLBAR},
                                     {"penToolBar", ID_VIEW_PENBAR},
                                     {"statusBar", ID_VIEW_STATUS_BAR}};
        QAction* item = Frame()->FindCommandAction(id);
        QVERIFY(VisibleItems(Menu(1)).contains(item));

        for (bool bShown : {false, true}) {
            item->trigger();
            QCoreApplication::processEvents();
            Menu(1);
            for (auto it = bars.cbegin(); it != bars.cend(); ++it) {
                const bool bExpected = it.key() == bar ? bShown : true;
                QVERIFY2(it.value()->isVisible() == bExpected, qPrintable(it.key()));
                QAction* other = Frame()->FindCommandAction(ids.value(it.key()));
                QVERIFY2(other->isChecked() == bExpected, qPrintable(it.key()));
                QCOMPARE(Check(ids.value(it.key())), bExpected ? 1 : 0);
            }
        }
    }

    void penBarHiddenElsewhere() {
        // As when its floating window is closed: the bar goes without the menu being used.
        MainFrame()->m_wndPenBar->setVisible(false);
        QCoreApplication::processEvents();
        QAction* item = Frame()->FindCommandAction(ID_VIEW_PENBAR);
        QVERIFY(!item->isChecked());
        QCOMPARE(Check(ID_VIEW_PENBAR), 0);
        QVERIFY(Frame()->FindCommandAction(ID_VIEW_TOOLBAR)->isChecked());

        // The item brings it back.
        item->trigger();
        QVERIFY(MainFrame()->m_wndPenBar->isVisible());
        QVERIFY(item->isChecked());
        QCOMPARE(Frame()->toolBarArea(MainFrame()->m_wndPenBar), Qt::LeftToolBarArea);
    }

    void floatingBarCloseBox() {
        CToolBar* bar = MainFrame()->m_wndPenBar;
        auto* closeBox = bar->findChild<QAction*>(QStringLiteral("closeFloatingBar"));
        // Docked, the bar shows no close box.
        QVERIFY(closeBox == nullptr || !closeBox->isVisible());

        Q_EMIT bar->topLevelChanged(true);
        closeBox = bar->findChild<QAction*>(QStringLiteral("closeFloatingBar"));
        QVERIFY(closeBox != nullptr);
        QVERIFY(closeBox->isVisible());
        closeBox->trigger();
        QCoreApplication::processEvents();
        QVERIFY(bar->isHidden());
        QVERIFY(!Frame()->FindCommandAction(ID_VIEW_PENBAR)->isChecked());

        Frame()->FindCommandAction(ID_VIEW_PENBAR)->trigger();
        QVERIFY(bar->isVisible());
        Q_EMIT bar->topLevelChanged(false);
        QVERIFY(!closeBox->isVisible());
    }

    void helpWindow_data() {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<int>("id");
        QTest::newRow("F1") << QKeySequence(Qt::Key_F1) << 0;
        QTest::newRow("ID_HELP") << QKeySequence() << ID_HELP;
        QTest::newRow("ID_HELP_FINDER") << QKeySequence() << ID_HELP_FINDER;
        QTest::newRow("ID_DEFAULT_HELP") << QKeySequence() << ID_DEFAULT_HELP;
    }

    void helpWindow() {
        QFETCH(QKeySequence, key);
        QFETCH(int, id);
        QVERIFY(HelpWindow() == nullptr || !HelpWindow()->isVisible());
        for (int i = 0; i < 2; ++i) {
            if (id == 0) {
                QTest::keySequence(Frame(), key);
            } else {
                Frame()->SendCommand(id);
            }
        }
        QWidget* help = HelpWindow();
        QVERIFY(help != nullptr);
        QVERIFY(help->isVisible());
        // Asking twice shows the same window.
        int nHelpWindows = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            nHelpWindows += w->objectName() == QLatin1String("helpWindow") ? 1 : 0;
        }
        QCOMPARE(nHelpWindows, 1);
        auto* browser = help->findChild<QTextBrowser*>();
        QVERIFY(browser != nullptr);
        QVERIFY2(browser->toPlainText().contains(QString::fromUtf8("Zelvorandine の使い方")),
                 qPrintable(browser->toPlainText().left(200)));
        QVERIFY(browser->toPlainText().contains(QString::fromUtf8("背景")));
        help->close();
        // The help window is owned by the frame and closing it only hides it.
        QVERIFY(!help->isVisible());
    }

    void contextHelpMode() {
        QTest::keySequence(Frame(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
        QVERIFY(QWhatsThis::inWhatsThisMode());
        QVERIFY(Frame()->IsInHelpMode());
        QCOMPARE(Pane0(), QString::fromUtf8("ﾍﾙﾌﾟを使用するｵﾌﾞｼﾞｪｸﾄを選択"));
        // Offering it again while in the mode changes nothing.
        Frame()->SendCommand(ID_CONTEXT_HELP);
        QCOMPARE(Pane0(), QString::fromUtf8("ﾍﾙﾌﾟを使用するｵﾌﾞｼﾞｪｸﾄを選択"));

        QWhatsThis::leaveWhatsThisMode();
        QCoreApplication::processEvents();
        QVERIFY(!Frame()->IsInHelpMode());
        QCOMPARE(Pane0(), QString::fromUtf8(kIdleText));

        // An empty prompt in help mode shows the help-mode text, not the idle text.
        Frame()->SendCommand(ID_CONTEXT_HELP);
        QStatusTipEvent none{QString()};
        QCoreApplication::sendEvent(Frame(), &none);
        QCOMPARE(Pane0(), QString::fromUtf8("ﾍﾙﾌﾟを使用するｵﾌﾞｼﾞｪｸﾄを選択"));
        QWhatsThis::leaveWhatsThisMode();
        QCoreApplication::processEvents();
        QCOMPARE(Pane0(), QString::fromUtf8(kIdleText));
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
