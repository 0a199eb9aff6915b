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
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace apptest;

// The running program: its main window's bars, commands and dialogs.
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

    // A bar's buttons by their place in ids, its close box "x", a line of them after another ("/" between,
    // the next line starting left of where the last one ended; a floating bar lies across).
    static QString Lines(CToolBar* bar, const QList<int>& ids) {
        QString lines;
        int nLast = 0;
        for (QAction* action : bar->actions())
            if (const QWidget* button = bar->widgetForAction(action);
                !action->isSeparator() && button->isVisible()) {
                lines += lines.isEmpty() ? "" : button->x() < nLast ? "/" : " ";
                lines +=
                    action->data().isValid() ? QString::number(ids.indexOf(action->data().toInt())) : "x";
                nLast = button->x();
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
        if (action == nullptr)
            return Frame()->IsCommandEnabled(nID) ? "on" : "grey";
        return QString(action->isEnabled() ? "on" : "grey") + (!action->isCheckable() ? ""
                                                               : action->isChecked()  ? "+check"
                                                                                      : "-check");
    }
    // Chooses the command as a user does (its first key, else its item) and names the modal window that
    // opens, whether it belongs to the main window, any label there too small for its text and a dialog of
    // ours not of its template's size (a dialog unit is a quarter of the base unit across, an eighth of it
    // down); a background on offer is taken, any other window closed.
    static QString Choose(int nID) {
        QString cut;
        const auto seen = DriveNextModal([&cut](QWidget* w) {
            for (QLabel* label : w->findChildren<QLabel*>())
                if (label->height() < label->heightForWidth(label->width()) ||
                    label->geometry().bottom() >= w->height())
                    cut += " cut: " + label->text();
            for (const DialogTemplate* tmpl : {&g_aboutDialog, &g_backgroundDialog, &g_colorSettingsDialog})
                if (w->windowTitle() == QString::fromUtf8(tmpl->caption) &&
                    w->size() != QSize(qRound(tmpl->cx * CDialogBuilder::kBaseUnitX / 4.0),
                                       qRound(tmpl->cy * CDialogBuilder::kBaseUnitY / 8.0)))
                    cut += " size";
            auto* use = w->findChild<QAbstractButton*>(QStringLiteral("control%1").arg(IDC_USE_THIS));
            use != nullptr ? use->click() : void(w->close());
        });
        if (QAction* action = Frame()->FindCommandAction(nID); action == nullptr)
            Frame()->SendCommand(nID);
        else if (action->shortcuts().isEmpty())
            action->trigger();
        else
            QTest::keySequence(Frame(), action->shortcuts().first());
        QCoreApplication::processEvents(); // a driver that found no window is spent here
        return *seen + cut;
    }

private Q_SLOTS:
    void initTestCase() {
        theApp.InitApplication(); // the program's own fonts, which the dialog labels must fit
        QVERIFY(QDir::setCurrent(m_files.path())); // where Save writes
        QVERIFY(StartApp({}) && QTest::qWaitForWindowExposed(Frame()));
        QCOMPARE(Choose(ID_FILE_NEW), "CBackgroundDlg"); // the view's layers
    }
    // Without a window manager nothing gives the activation back after a dialog; keys need it.
    void init() {
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
    }
    void cleanupTestCase() { StopApp(); }

    void commands_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("owners");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("texts"); // status prompt|tooltip|keys
        QTest::addColumn<QString>("opens"); // "-": not chosen here (it hides a bar or starts help mode)
        const auto row = [](const char* pName, int nID, const char* pOwners, const char* pState,
                            const char* pTexts, const char* pOpens) {
            QTest::newRow(pName) << nID << pOwners << pState << QString::fromUtf8(pTexts) << pOpens;
        };
        // The view comes before the application: New runs the background choice, not a new document.
        row("New", ID_FILE_NEW, "view app", "on", "新規にﾌｧｲﾙを作成|新規ﾌｧｲﾙ|Ctrl+N", "CBackgroundDlg");
        row("Open", ID_FILE_OPEN, "app", "on", "既存のﾌｧｲﾙを開く||Ctrl+O", "QFileDialog");
        row("Save", ID_FILE_SAVE, "view", "on", "作業中のﾌｧｲﾙを上書きして保存|保存|Ctrl+S", "");
        row("Print", ID_FILE_PRINT, "view", "on", "作業中のﾌｧｲﾙを印刷|印刷|Ctrl+P", "QPrintDialog");
        row("Print setup", ID_FILE_PRINT_SETUP, "app", "on", "ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更||", "QPageSetupDialog");
        row("recent files, none yet", ID_FILE_MRU_FILE1, "app", "grey", "指定のﾌｧｲﾙを開く||", "");
        row("last recent file", ID_FILE_MRU_FILE16, "app", "on", "||", "");
        row("past the recent files", ID_EDIT_CLEAR, "", "grey", "||", "");
        row("Context help", ID_CONTEXT_HELP, "frame", "on", "ﾎﾞﾀﾝ、ﾒﾆｭｰ、ｳｨﾝﾄﾞｳのﾍﾙﾌﾟを表示||Shift+F1", "-");
        row("Undo", ID_EDIT_UNDO, "", "grey", "直前に行った動作を元に戻す||Ctrl+Z; Alt+Backspace", "");
        row("Pen bar, no string", ID_VIEW_PENBAR, "frame", "on+check", "||", "-");
        row("Status bar", ID_VIEW_STATUS_BAR, "frame", "on+check", "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示||", "-");
        row("About", ID_APP_ABOUT, "app", "on", "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示|ﾊﾞｰｼﾞｮﾝ情報|",
            "CAboutDlg");
        row("Fine pen", ID_PEN_FINE, "view", "on", "||", "");
        row("Colour settings", ID_BACKGROUND_SETTINGS, "view", "on", "||", "CColorSettingsDlg");
    }

    // The prompt shows in the message pane while the command's menu item is highlighted (a greyed one cannot
    // be), nothing for a command without a string; once the menu has gone the pane shows the idle text.
    void commands() {
        QFETCH(int, id);
        QFETCH(QString, texts);
        QFETCH(QString, opens);
        QAction* action = Frame()->FindCommandAction(id);
        QTEST(Owners(id), "owners");
        QTEST(State(id, action), "state");
        if (opens != "-")
            QCOMPARE(Choose(id), opens);
        QTRY_VERIFY(QApplication::activeWindow() == Frame()); // the keyboard is back after a dialog
        QString tooltip;
        for (QToolBar* bar : Frame()->findChildren<QToolBar*>())
            if (QWidget* button = bar->widgetForAction(action))
                tooltip = button->toolTip();
        for (QMenu* menu : Frame()->menuBar()->findChildren<QMenu*>())
            if (menu->actions().contains(action) && action->isEnabled()) {
                menu->popup(QPoint(0, 0));
                menu->setActiveAction(action);
                const QString shown = Pane0();
                menu->hide();
                QCOMPARE(shown + '|' + Pane0(), texts.section('|', 0, 0) + '|' + kIdle);
            }
        QCOMPARE(action == nullptr ? "||"
                                   : action->statusTip() + '|' + tooltip + '|' +
                                         QKeySequence::listToString(action->shortcuts()),
                 texts);
    }

    void bars_data() {
        QTest::addColumn<int>("view");       // the bar's View item
        QTest::addColumn<QString>("hidden"); // the bars, that one hidden
        QTest::addColumn<QList<int>>("ids"); // its buttons' commands in order
        // Both toolbars carry 59392; its item acts on the standard one.
        QTest::newRow("status bar") << ID_VIEW_STATUS_BAR << " 11 00 11" << QList<int>{};
        QTest::newRow("pen bar") << ID_VIEW_PENBAR << " 11 11 00"
                                 << QList<int>{ID_PEN_FINE, ID_PEN_MEDIUM, ID_PEN_BOLD, ID_PEN_COVER};
        QTest::newRow("standard toolbar")
            << ID_VIEW_TOOLBAR << " 00 11 11"
            << QList<int>{ID_FILE_NEW, ID_FILE_SAVE, ID_FILE_PRINT, ID_APP_ABOUT};
    }
    // Each bar hidden, then shown again from its View item. Dragged off by its grip, a toolbar floats with
    // its buttons in one line and a close box, which hides it until its View item shows it again. Dragging
    // its bottom or right edge lays the buttons out in as many lines as the new shape holds; docked again
    // (at the left), they lie in one line once more.
    void bars() {
        QFETCH(int, view);
        QFETCH(QString, hidden);
        QFETCH(QList<int>, ids);
        for (QString bars : {hidden, QString(" 11 11 11")}) {
            Frame()->FindCommandAction(view)->trigger();
            QCOMPARE(Bars(), bars);
        }
        if (view == ID_VIEW_STATUS_BAR)
            return;
        CToolBar* bar = view == ID_VIEW_PENBAR ? Main()->m_wndPenBar : Main()->m_wndToolBar;
        // From and to in the bar's coordinates when the drag starts: a dragged grip, at the bar's start,
        // moves the bar.
        const auto drag = [bar](QPoint from, QPoint to) {
            const QPoint global = bar->mapToGlobal(to);
            QTest::mousePress(bar, Qt::LeftButton, {}, from);
            QTest::mouseMove(bar, from + QPoint(4, 4));
            QTest::mouseMove(bar, bar->mapFromGlobal(global));
            QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(global));
        };
        const QPoint grip(4, 4);
        QStringList lines;
        drag(grip, bar->mapFrom(Frame(), Frame()->rect().center()));
        QVERIFY(bar->isFloating());
        lines << Lines(bar, ids);
        const QSize button = bar->widgetForAction(bar->actions().first())->size();
        drag(QPoint(bar->width() / 2, bar->height() - 1),
             QPoint(bar->width() / 2, bar->height() + button.height()));
        lines << Lines(bar, ids);
        drag(QPoint(bar->width() - 1, 3), QPoint(bar->width() - 2 - button.width(), 3));
        lines << Lines(bar, ids);
        bar->findChild<QAction*>("closeFloatingBar")->trigger();
        QCOMPARE(Bars(), hidden);
        Frame()->FindCommandAction(view)->trigger();
        QVERIFY(Bars() == " 11 11 11" && bar->isFloating());
        drag(grip, bar->mapFrom(Frame(), QPoint(2, Frame()->height() / 2))); // to the left edge
        QTRY_VERIFY(!bar->isFloating());
        lines << Lines(bar, ids);
        // Floated, its bottom edge a line lower, its right edge a button narrower, docked again.
        QCOMPARE(lines.join('|'), "0 1 2 3 x|0 1 2/3 x|0 1/2 3/x|0 1 2 3");
        // Each button shows its own picture, cut from the strip that holds them in order, on the button's
        // light grey face.
        const QImage strip(QString(ZELVORANDINE_SOURCE_DIR "/res/artwork/toolbar_%1.png")
                               .arg(view == ID_VIEW_PENBAR ? IDR_PENBAR : IDR_MAINFRAME));
        QVERIFY(!strip.isNull());
        const QSize size(strip.width() / ids.size(), strip.height());
        for (int i = 0; i < ids.size(); ++i) {
            QImage shown(size, QImage::Format_RGB32);
            shown.fill(QColor(192, 192, 192));
            QPainter(&shown).drawPixmap(
                0, 0, qobject_cast<QToolButton*>(bar->GetButton(ids[i]))->icon().pixmap(size));
            QCOMPARE(shown, strip.copy(i * size.width(), 0, size.width(), size.height())
                                .convertToFormat(QImage::Format_RGB32));
        }
    }

    // F1 opens the help window. The indicator panes from the left read as they do while their keys are
    // locked.
    void helpAndIndicators() {
        QTest::keySequence(Frame(), QKeySequence(Qt::Key_F1));
        auto* window = Frame()->findChild<QWidget*>("helpWindow");
        QVERIFY(window != nullptr && window->isVisible());
        window->close();
        CStatusBar* status = Main()->m_wndStatusBar;
        QMap<int, QString> indicators;
        for (int i = 1; i < status->GetCount(); ++i) {
            status->SetIndicatorOn(status->GetItemID(i), true);
            indicators[status->GetPane(i)->x()] = status->GetPaneText(i);
        }
        QCOMPARE(QStringList(indicators.values()).join(' '), QString::fromUtf8("ｶﾅ CAP NUM SCRL"));
    }

    // The toolkit gives a drag to the widget that took the press. One that starts on the frame's background
    // and reaches the view etches from the view's last press to each position seen; a button keeps its drag
    // to itself.
    void dragIntoTheView() {
        CZelvorandineView* view = View();
        view->m_bmpColor.fill(qRgb(40, 200, 90));
        view->m_bmpCover.fill(Qt::black);
        Frame()->SendCommand(ID_PEN_BOLD);
        QWindow* window = Frame()->windowHandle();
        const auto in = [](QWidget* w, QPoint p) { return w->mapTo(Frame(), p); };
        const QPoint a(30, 30), c(120, 90), d(160, 60);
        QTest::mouseClick(window, Qt::LeftButton, {}, in(view, a));
        for (QWidget* pressed : {Main()->m_wndToolBar->GetButton(ID_APP_ABOUT),
                                 static_cast<QWidget*>(Main()->m_wndStatusBar->GetPane(0))}) {
            QTest::mousePress(window, Qt::LeftButton, {}, in(pressed, pressed->rect().center()));
            QTest::mouseMove(window, in(view, c));
            QTest::mouseMove(window, in(view, d));
            QTest::mouseRelease(window, Qt::LeftButton, {}, in(view, d));
            QString drawn; // the first point on the way from the click
            for (QPoint p : {(a + c) / 2, c, (c + d) / 2, d})
                drawn += view->m_bmpCover.pixel(p) == view->m_bmpColor.pixel(p) ? '1' : '0';
            QCOMPARE(drawn, pressed->inherits("QToolButton") ? "0000" : "1111");
        }
    }

    // A file's name, "[*]" included, is the caption. A recent file gone meanwhile is named and leaves the
    // list.
    void openAndRecentFiles() {
        const QString gone = m_files.filePath("絵 [*].bmp"), kept = m_files.filePath("kept.bmp");
        QVERIFY(QFile(gone).open(QIODevice::WriteOnly) && QFile(kept).open(QIODevice::WriteOnly));
        auto seen = DriveNextModal([](QWidget* w) {
            qobject_cast<QFileDialog*>(w)->selectFile("絵 [*].bmp"); // as the user picks the file
            static_cast<QDialog*>(w)->accept();                      // with its Open button
        });
        QTest::keySequence(Frame(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(*seen + '|' + Caption().section(".bmp", 0, 0), QString::fromUtf8("QFileDialog|絵 [*]"));
        QVERIFY(theApp.OpenDocumentFile(kept) && QFile::remove(gone));
        seen = DriveNextModal();
        Frame()->SendCommand(ID_FILE_MRU_FILE1 + 1); // the second entry
        const CRecentFileList& recent = *theApp.GetRecentFileList();
        QVERIFY2(seen->contains(gone) && recent.GetSize() == 1 && recent[0] == kept, qPrintable(*seen));
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
