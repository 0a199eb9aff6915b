// SPDX-License-Identifier: MIT
#include "app/framework/Document.h"
#include "app/resources/DialogBuilder.h"
#include "frame/MainFrame.h"
#include "frame/StatusBar.h"
#include "frame/ToolBar.h"
#include "res/DialogTemplates.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolTip>
#include <QWhatsThis>

using namespace apptest;

// The running program: its main window's bars, commands and dialogs, its command line, start-up.
// Commands go to the view, the document, the frame, then the application: the first that takes one runs it.
class TestMainFrame : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_home = IsolateSettings();
    QTemporaryDir m_files;

    static CMainFrame* Main() { return static_cast<CMainFrame*>(Frame()); }
    static QString Pane0() { return Main()->m_wndStatusBar->GetPaneText(0); }
    const QString kIdle = QString::fromUtf8("ﾍﾙﾌﾟを表示するには [F1] を押してください。");
    // Per bar (standard, status, pen): shown, and the check mark of its View item.
    static QString Bars() {
        Q_EMIT Frame()->GetMenu(1)->aboutToShow();
        QString bars;
        for (auto [id, bar] : {std::pair<int, QWidget*>{ID_VIEW_TOOLBAR, Main()->m_wndToolBar},
                               {ID_VIEW_STATUS_BAR, Main()->m_wndStatusBar},
                               {ID_VIEW_PENBAR, Main()->m_wndPenBar}})
            bars += QString(" %1%2").arg(bar->isVisible()).arg(Frame()->FindCommandAction(id)->isChecked());
        return bars;
    }

    // A bar's buttons by command, its close box "x", a line of them after another ("/" between); a line runs
    // along the bar's orientation.
    static QString Lines(CToolBar* bar) {
        QString lines;
        int nLine = -1;
        for (QAction* action : bar->actions())
            if (const QWidget* button = bar->widgetForAction(action);
                !action->isSeparator() && button->isVisible()) {
                const int nAcross = bar->orientation() == Qt::Horizontal ? button->y() : button->x();
                lines += nLine < 0 ? "" : nAcross != nLine ? "/" : " ";
                lines += action->data().isValid() ? action->data().toString() : "x";
                nLine = nAcross;
            }
        return lines;
    }

    // The owners whose own maps take nID, in the order the frame offers it to them.
    static QString Owners(int nID) {
        QStringList owners;
        for (auto [name, bTakes] :
             {std::pair{"view", View()->OnCmdMsg(nID, CmdCode::Probe, nullptr)},
              {"doc", Frame()->GetActiveDocument()->OnCmdMsg(nID, CmdCode::Probe, nullptr)},
              {"frame", Frame()->CCmdTarget::OnCmdMsg(nID, CmdCode::Probe, nullptr)},
              {"app", theApp.OnCmdMsg(nID, CmdCode::Probe, nullptr)}})
            if (bTakes)
                owners << name;
        return owners.join(' ');
    }
    // "on" or "grey", then "+check" or "-check" for an item with a check mark.
    static QString State(int nID, QAction* action) {
        int nCheck = -1;
        const bool bEnabled =
            action != nullptr ? action->isEnabled() : Frame()->IsCommandEnabled(nID, &nCheck);
        if (action != nullptr && action->isCheckable())
            nCheck = action->isChecked();
        return QString(bEnabled ? "on" : "grey") + (nCheck < 0 ? "" : nCheck ? "+check" : "-check");
    }
    // The status prompt, the tooltip of its toolbar button and its keys.
    static QString Texts(QAction* action) {
        if (action == nullptr)
            return "||";
        QString tooltip;
        for (QToolBar* bar : Frame()->findChildren<QToolBar*>())
            if (QWidget* button = bar->widgetForAction(action))
                tooltip = button->toolTip();
        return action->statusTip() + '|' + tooltip + '|' + QKeySequence::listToString(action->shortcuts());
    }
    // Chooses the command as a user does (its first key, else its item) and names the modal window that
    // opens, and whether it belongs to the main window; a background on offer is taken, any other closed.
    static QString Choose(int nID, QAction* action) {
        const auto seen = DriveNextModal([](QWidget* w) {
            auto* use = w->findChild<QAbstractButton*>(QStringLiteral("control%1").arg(IDC_USE_THIS));
            use != nullptr ? use->click() : void(w->close());
        });
        if (action != nullptr && !action->shortcuts().isEmpty())
            QTest::keySequence(Frame(), action->shortcuts().first());
        else if (action != nullptr)
            action->trigger();
        else
            Frame()->SendCommand(nID);
        QCoreApplication::processEvents(); // a driver that found no window is spent here
        return *seen;
    }

private Q_SLOTS:
    void initTestCase() {
        theApp.InitApplication(); // the program's own fonts, which the dialog labels must fit
        QVERIFY(QDir::setCurrent(m_files.path())); // where Save writes
        QVERIFY(StartApp({}));
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
    }
    // Without a window manager nothing gives the activation back after a dialog; keys need it.
    void init() {
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
    }
    void cleanupTestCase() { StopApp(); }

    void prompts_data() {
        QTest::addColumn<int>("id");
        // The message pane|the tooltip, the pointer on its button or menu item.
        QTest::addColumn<QString>("tips");
        QTest::newRow("New") << ID_FILE_NEW << "新規にﾌｧｲﾙを作成|新規ﾌｧｲﾙ";
        QTest::newRow("pen, no string") << ID_PEN_FINE << "|";
        QTest::newRow("描画設定, no string") << ID_VIEW_PENBAR << "|";
    }
    // A command's string gives its button and menu item the status prompt and its button the tooltip; a
    // command without one shows neither. Once the pointer has gone the pane shows the idle text.
    void prompts() {
        QFETCH(int, id);
        QFETCH(QString, tips);
        if (QWidget* button =
                (id == ID_PEN_FINE ? Main()->m_wndPenBar : Main()->m_wndToolBar)->GetButton(id)) {
            QToolTip::hideText();
            QTRY_VERIFY(!QToolTip::isVisible());
            QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
            QCoreApplication::sendEvent(button, &help);
            const QString tooltip = QToolTip::isVisible() ? QToolTip::text() : "";
            QTest::mouseMove(button);
            QCOMPARE(Pane0() + '|' + tooltip, tips);
            QTest::mouseMove(Main()->m_wndStatusBar);
            QCOMPARE(Pane0(), kIdle);
        }
        for (QMenu* menu : Frame()->menuBar()->findChildren<QMenu*>())
            if (menu->actions().contains(Frame()->FindCommandAction(id))) {
                menu->popup(QPoint(0, 0));
                menu->setActiveAction(Frame()->FindCommandAction(id));
                const QString shown = Pane0();
                menu->hide();
                QCOMPARE(shown + '|' + Pane0(), tips.section('|', 0, 0) + '|' + kIdle);
            }
    }

    void commands_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("owners");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("texts"); // status prompt|tooltip|keys
        QTest::addColumn<QString>("opens"); // "-": not chosen here (it closes, hides or prints)
        const auto row = [](const char* pName, int nID, const char* pOwners, const char* pState,
                            const char* pTexts, const char* pOpens) {
            QTest::newRow(pName) << nID << pOwners << pState << QString::fromUtf8(pTexts) << pOpens;
        };
        // The view comes before the application: New runs the background choice, not a new document.
        row("New", ID_FILE_NEW, "view app", "on", "新規にﾌｧｲﾙを作成|新規ﾌｧｲﾙ|Ctrl+N", "CBackgroundDlg");
        row("Open", ID_FILE_OPEN, "app", "on", "既存のﾌｧｲﾙを開く||Ctrl+O", "QFileDialog");
        row("Save", ID_FILE_SAVE, "view", "on", "作業中のﾌｧｲﾙを上書きして保存|保存|Ctrl+S", "");
        row("Save As", ID_FILE_SAVE_AS, "view", "on", "作業中のﾌｧｲﾙを新しい名前で保存||", "QFileDialog");
        row("Print", ID_FILE_PRINT, "view", "on", "作業中のﾌｧｲﾙを印刷|印刷|Ctrl+P", "QPrintDialog");
        row("Print preview", ID_FILE_PRINT_PREVIEW, "view", "on", "印刷ｲﾒｰｼﾞを表示||", "QPrintPreviewDialog");
        row("Print setup", ID_FILE_PRINT_SETUP, "app", "on", "ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更||", "QPageSetupDialog");
        row("Print direct", ID_FILE_PRINT_DIRECT, "view", "on", "||", "-");
        row("recent files, none yet", ID_FILE_MRU_FILE1, "app", "grey", "指定のﾌｧｲﾙを開く||", "");
        row("last recent file", ID_FILE_MRU_FILE16, "app", "on", "||", "");
        row("past the recent files", ID_EDIT_CLEAR, "", "grey", "||", "");
        row("Exit", ID_APP_EXIT, "view", "on", "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示||", "-");
        row("Undo", ID_EDIT_UNDO, "", "grey", "直前に行った動作を元に戻す||Ctrl+Z; Alt+Backspace", "");
        row("Cut", ID_EDIT_CUT, "", "grey", "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存||Ctrl+X; Shift+Del", "");
        row("Copy", ID_EDIT_COPY, "", "grey", "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存||Ctrl+C; Ctrl+Ins", "");
        row("Paste", ID_EDIT_PASTE, "", "grey", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け||Ctrl+V; Shift+Ins", "");
        row("Next pane", ID_NEXT_PANE, "", "grey", "次のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え||F6", "");
        row("Previous pane", ID_PREV_PANE, "", "grey", "前のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え||Shift+F6", "");
        row("Toolbar", ID_VIEW_TOOLBAR, "frame", "on+check", "ﾂｰﾙ ﾊﾞｰの 表示/非表示||", "-");
        row("Status bar", ID_VIEW_STATUS_BAR, "frame", "on+check", "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示||", "-");
        row("Help", ID_HELP, "frame", "on", "作業中のﾀｽｸやｺﾏﾝﾄﾞのﾍﾙﾌﾟを表示||F1", "-");
        row("Context help", ID_CONTEXT_HELP, "frame", "on", "ﾎﾞﾀﾝ、ﾒﾆｭｰ、ｳｨﾝﾄﾞｳのﾍﾙﾌﾟを表示||Shift+F1", "-");
        row("Help topics", ID_HELP_FINDER, "frame", "on", "||", "-");
        row("Default help", ID_DEFAULT_HELP, "frame", "on", "||", "-");
        row("About", ID_APP_ABOUT, "app", "on", "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示|ﾊﾞｰｼﾞｮﾝ情報|",
            "CAboutDlg");
        row("Fine pen", ID_PEN_FINE, "view", "on", "||", "");
        row("Cover pen", ID_PEN_COVER, "view", "on", "||", "");
        row("Colour settings", ID_BACKGROUND_SETTINGS, "view", "on", "||", "CColorSettingsDlg");
    }

    void commands() {
        QFETCH(int, id);
        QFETCH(QString, opens);
        QAction* action = Frame()->FindCommandAction(id);
        QTEST(Owners(id), "owners");
        QTEST(State(id, action), "state");
        QTEST(Texts(action), "texts");
        if (opens != "-")
            QCOMPARE(Choose(id, action), opens);
        QTRY_VERIFY(QApplication::activeWindow() == Frame()); // the keyboard is back after a dialog
    }

    void bars_data() {
        QTest::addColumn<int>("view");       // the bar's View item
        QTest::addColumn<QString>("hidden"); // the bars, that one hidden
        QTest::addColumn<QString>("lines");  // floated, its bottom edge a line lower, its right edge a button
                                             // narrower, docked again
        // Both toolbars carry 59392; its item acts on the standard one.
        QTest::newRow("status bar") << ID_VIEW_STATUS_BAR << " 11 00 11"
                                    << "";
        QTest::newRow("pen bar")
            << ID_VIEW_PENBAR << " 11 11 00"
            << "32775 32776 32777 32778 x|32775 32776 32777/32778 x|32775 32776/32777 32778/x|"
               "32775 32776 32777 32778";
        QTest::newRow("standard toolbar") << ID_VIEW_TOOLBAR << " 00 11 11"
                                          << "57600 57603 57607 57664 x|57600 57603 57607/57664 x|"
                                             "57600 57603/57607 57664/x|57600 57603 57607 57664";
    }
    // Each bar hidden, then shown again from its View item. Dragged off by its grip, a toolbar floats with
    // its buttons in one line and a close box, which hides it until its View item shows it again. Dragging
    // its bottom or right edge lays the buttons out in as many lines as the new shape holds; docked again,
    // they lie in one line once more.
    void bars() {
        QFETCH(int, view);
        QFETCH(QString, hidden);
        for (QString bars : {hidden, QString(" 11 11 11")}) {
            Frame()->FindCommandAction(view)->trigger();
            QCOMPARE(Bars(), bars);
        }
        if (view == ID_VIEW_STATUS_BAR)
            return;
        CToolBar* bar = view == ID_VIEW_PENBAR ? Main()->m_wndPenBar : Main()->m_wndToolBar;
        // From and to in the bar's coordinates when the drag starts: a dragged grip moves the bar.
        const auto drag = [bar](QPoint from, QPoint to) {
            const QPoint global = bar->mapToGlobal(to);
            QTest::mousePress(bar, Qt::LeftButton, {}, from);
            QTest::mouseMove(bar, from + QPoint(4, 4));
            QTest::mouseMove(bar, bar->mapFromGlobal(global));
            QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(global));
        };
        const auto grip = [bar] {
            return bar->orientation() == Qt::Vertical ? QPoint(bar->width() / 2, 5)
                                                      : QPoint(5, bar->height() / 2);
        };
        const auto frame = [bar](QPoint p) { return bar->mapFrom(Frame(), p); };
        QStringList lines;
        drag(grip(), frame(Frame()->rect().center()));
        QVERIFY(bar->isFloating());
        lines << Lines(bar);
        const QSize button = bar->widgetForAction(bar->actions().first())->size();
        drag(QPoint(bar->width() / 2, bar->height() - 1),
             QPoint(bar->width() / 2, bar->height() + button.height()));
        lines << Lines(bar);
        drag(QPoint(bar->width() - 1, 3), QPoint(bar->width() - 2 - button.width(), 3));
        lines << Lines(bar);
        bar->findChild<QAction*>("closeFloatingBar")->trigger();
        QCOMPARE(Bars(), hidden);
        Frame()->FindCommandAction(view)->trigger();
        QVERIFY(Bars() == " 11 11 11" && bar->isFloating());
        drag(grip(),
             frame(view == ID_VIEW_PENBAR ? QPoint(2, Frame()->height() / 2)
                                          : QPoint(Frame()->width() / 2, Frame()->menuBar()->height() + 2)));
        QTRY_VERIFY(!bar->isFloating());
        lines << Lines(bar);
        QTEST(lines.join('|'), "lines");
    }

    void statusBarAndHelp() {
        QTest::keySequence(Frame(), QKeySequence(Qt::Key_F1));
        auto* window = Frame()->findChild<QWidget*>("helpWindow");
        QVERIFY(window != nullptr && window->isVisible());
        window->close();
        init();
        QTest::keySequence(Frame(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
        QCOMPARE(Pane0(), QString::fromUtf8("ﾍﾙﾌﾟを使用するｵﾌﾞｼﾞｪｸﾄを選択"));
        QWhatsThis::leaveWhatsThisMode();
        QCOMPARE(Pane0(), kIdle);
    }

    void dragIntoTheView_data() {
        QTest::addColumn<QString>("start");    // where the left button goes down
        QTest::addColumn<bool>("after_click"); // the last thing in the view was a click, not a stroke
        QTest::addColumn<bool>("draws");
        QTest::newRow("status bar's message pane") << "pane" << false << true;
        QTest::newRow("status bar's message pane, after a click") << "pane" << true << true;
        QTest::newRow("toolbar's empty end") << "toolbar" << false << true;
        QTest::newRow("toolbar button") << "button" << false << false;
    }
    // The toolkit gives a drag to the widget that took the press. One that starts on the frame's background
    // and reaches the view etches from where the view's last stroke ended (or its last press) to each
    // position seen; a button keeps its drag to itself.
    void dragIntoTheView() {
        QFETCH(QString, start);
        QFETCH(bool, after_click);
        QFETCH(bool, draws);
        CZelvorandineView* view = View();
        view->m_bmpColor = view->m_bmpCover = QImage(view->size(), QImage::Format_RGB32);
        view->m_bmpColor.fill(qRgb(40, 200, 90));
        view->m_bmpCover.fill(Qt::black);
        view->m_nLayerWidth = view->width();
        view->m_nLayerHeight = view->height();
        view->m_bReady = 1;
        Frame()->SendCommand(ID_PEN_BOLD);
        QWindow* window = Frame()->windowHandle();
        const auto in = [](QWidget* w, QPoint p) { return w->mapTo(Frame(), p); };
        const QPoint a(30, 30), b(60, 40), c(120, 90), d(160, 60);
        const QPoint end = after_click ? a : b;
        QTest::mousePress(window, Qt::LeftButton, {}, in(view, a));
        if (!after_click)
            QTest::mouseMove(window, in(view, b));
        QTest::mouseRelease(window, Qt::LeftButton, {}, in(view, end));

        CToolBar* toolBar = Main()->m_wndToolBar;
        QWidget* pressed = start == "pane"      ? Main()->m_wndStatusBar->GetPane(0)
                           : start == "toolbar" ? toolBar
                                                : toolBar->GetButton(ID_APP_ABOUT);
        const QPoint at = start == "toolbar" ? QPoint(toolBar->width() - 3, toolBar->height() / 2)
                                             : pressed->rect().center();
        QTest::mousePress(window, Qt::LeftButton, {}, in(pressed, at));
        QTest::mouseMove(window, in(view, c));
        QTest::mouseMove(window, in(view, d));
        QTest::mouseRelease(window, Qt::LeftButton, {}, in(view, d));
        for (QPoint p : {(end + c) / 2, c, (c + d) / 2, d}) // the first on the way from the stroke's end
            QVERIFY2((view->m_bmpCover.pixel(p) == view->m_bmpColor.pixel(p)) == draws,
                     qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
    }

    // Enter presses the focused OK button.
    void about() {
        QSize size;
        DriveNextModal([&](QWidget* w) {
            size = w->size();
            QTest::keyClick(w->focusWidget() != nullptr ? w->focusWidget() : w, Qt::Key_Return);
        });
        Frame()->SendCommand(ID_APP_ABOUT);
        // A dialog unit is a quarter of the base unit across and an eighth of it down.
        QCOMPARE(size, QSize(qRound(g_aboutDialog.cx * CDialogBuilder::kBaseUnitX / 4.0),
                             qRound(g_aboutDialog.cy * CDialogBuilder::kBaseUnitY / 8.0)));
    }

    void labelsShowTheirWholeText() {
        for (const DialogTemplate* tmpl : {&g_aboutDialog, &g_backgroundDialog, &g_colorSettingsDialog}) {
            QDialog dialog;
            CDialogBuilder::Build(dialog, *tmpl);
            // A text label's height for its width, wrapped or not.
            for (QLabel* label : dialog.findChildren<QLabel*>())
                QVERIFY2(label->text().isEmpty() ||
                             (label->height() >= label->heightForWidth(label->width()) &&
                              label->geometry().bottom() < dialog.height()),
                         qPrintable(label->text()));
        }
    }

    // Opening a file from another folder leaves the current folder, where Save writes, alone.
    void openAndRecentFiles() {
        const QString gone = m_files.filePath("開く絵.bmp"), kept = m_files.filePath("kept.bmp");
        QVERIFY(QFile(gone).open(QIODevice::WriteOnly) && QFile(kept).open(QIODevice::WriteOnly));
        QTemporaryDir current;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(current.path()));
        auto seen = DriveNextModal([this](QWidget* w) {
            qobject_cast<QFileDialog*>(w)->setDirectory(m_files.path()); // as the user goes there
            qobject_cast<QFileDialog*>(w)->selectFile("開く絵.bmp");     // and picks the file
            static_cast<QDialog*>(w)->accept();                          // with its Open button
        });
        QTest::keySequence(Frame(), QKeySequence(Qt::CTRL | Qt::Key_O)); // opened: see the recent files below
        QCOMPARE(*seen, QStringLiteral("QFileDialog"));
        QCOMPARE(QDir::currentPath(), QDir(current.path()).canonicalPath());
        Frame()->SendCommand(ID_FILE_SAVE);
        QVERIFY(QFileInfo::exists(current.filePath("名称未決定")));
        QVERIFY(QDir::setCurrent(before));
        QVERIFY(theApp.OpenDocumentFile(kept) && QFile::remove(gone));
        seen = DriveNextModal();
        Frame()->SendCommand(ID_FILE_MRU_FILE1 + 1); // the second entry, gone meanwhile
        QVERIFY2(seen->contains(gone) && RecentFiles() == QStringList{kept}, qPrintable(*seen));
    }

    // The real program (built above tests/) started without any display, the row's name its argument.
    void commandLine_data() {
        QTest::addColumn<QString>("output"); // the start of standard output|standard error
        QTest::newRow("--version")
            << "Zelvorandine 1.0.0.1\nCopyright (C) 2026 The Zelvorandine developers\n"
               "MIT ﾗｲｾﾝｽのもとで、誰でも無償で使用、複製、改変、再配布できます。無保証です。\n|";
        QTest::newRow("--help") << "使い方: zelvorandine";
    }

    void commandLine() {
        QFETCH(QString, output);
        QProcess process;
        process.start("env", {"-u", "QT_QPA_PLATFORM", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                              QCoreApplication::applicationDirPath() + "/../../zelvorandine",
                              QTest::currentDataTag()});
        QVERIFY(process.waitForFinished(15000) && process.exitStatus() == QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QString all =
            QString::fromLocal8Bit(process.readAllStandardOutput() + '|' + process.readAllStandardError());
        QVERIFY2(all.startsWith(output), qPrintable(all));
    }

    // A file's name, "[*]" included, is the caption.
    void startWithFile() {
        StopApp();
        const QString path = m_files.filePath(QString::fromUtf8("絵 [*].bmp"));
        QVERIFY(QFile(path).open(QIODevice::WriteOnly) && StartApp({path}));
        QCOMPARE(Caption(), QString::fromUtf8("絵 [*].bmp - Zelvorandine"));
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
