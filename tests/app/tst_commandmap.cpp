#include "app/framework/Document.h"
#include "app/framework/ToolBar.h"
#include "frame/MainFrame.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace apptest;

enum class Owner { Nobody, View, Frame, App };
Q_DECLARE_METATYPE(Owner)

// Who answers which command once the program runs, and what the keys of unhandled commands do.
class TestCommandMap : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_settingsHome;
    QTemporaryDir m_work;
    QString m_oldCurrent;

    // Everything a command could change that the tests below look at.
    struct Snapshot {
        QString caption;
        CDocument* pDoc = nullptr;
        CView* pView = nullptr;
        bool bToolBar = false, bPenBar = false, bStatusBar = false;
        QStringList recent;
        QImage surface;
        int nPenWidth = 0, bReveal = 0;
        QList<QWidget*> windows;
        QStringList files;

        bool operator==(const Snapshot&) const = default;
    };

    Snapshot Take() const {
        auto* frame = static_cast<CMainFrame*>(Frame());
        Snapshot s;
        s.caption = Caption();
        s.pDoc = frame->GetActiveDocument();
        s.pView = frame->GetActiveView();
        s.bToolBar = frame->m_wndToolBar->isVisible();
        s.bPenBar = frame->m_wndPenBar->isVisible();
        s.bStatusBar = frame->m_wndStatusBar->isVisible();
        s.recent = RecentFiles();
        s.surface = View()->WindowSurface();
        s.nPenWidth = View()->m_nPenWidth;
        s.bReveal = View()->m_bReveal;
        s.windows = VisibleTopLevels();
        s.files = QDir(m_work.path()).entryList(QDir::Files);
        return s;
    }

    static QString Describe(const Snapshot& a, const Snapshot& b) {
        QStringList diff;
        if (a.caption != b.caption)
            diff << "caption " + a.caption + " -> " + b.caption;
        if (a.pDoc != b.pDoc || a.pView != b.pView)
            diff << "document or view replaced";
        if (a.bToolBar != b.bToolBar || a.bPenBar != b.bPenBar || a.bStatusBar != b.bStatusBar)
            diff << "bars";
        if (a.recent != b.recent)
            diff << "recent files";
        if (a.surface != b.surface)
            diff << "picture";
        if (a.nPenWidth != b.nPenWidth || a.bReveal != b.bReveal)
            diff << "pen";
        if (a.windows != b.windows)
            diff << "windows";
        if (a.files != b.files)
            diff << "files: " + b.files.join(',');
        return diff.join(QStringLiteral("; "));
    }

    static void AddRow(const char* name, int id, Owner owner, Owner updater = Owner::Nobody,
                       bool bAppToo = false) {
        QTest::newRow(name) << id << owner << updater << bAppToo;
    }

private Q_SLOTS:
    void initTestCase() {
        m_settingsHome = IsolateSettings();
        QVERIFY(m_work.isValid());
        // Save writes into the current folder.
        m_oldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_work.path()));
        QVERIFY(StartApp({}));
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
    }

    void init() { QVERIFY(ActivateFrame()); }

    void cleanupTestCase() {
        StopApp();
        QDir::setCurrent(m_oldCurrent);
    }

    void cleanup() {
        // A failed check may leave a dialog open; it must not block the next test.
        while (QWidget* w = QApplication::activeModalWidget()) {
            Dismiss(w);
            QCoreApplication::processEvents();
        }
    }

    void probe_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<Owner>("owner");
        QTest::addColumn<Owner>("updater");
        QTest::addColumn<bool>("appToo");

        AddRow("ID_FILE_NEW", ID_FILE_NEW, Owner::View, Owner::Nobody, true);
        AddRow("ID_FILE_SAVE", ID_FILE_SAVE, Owner::View);
        AddRow("ID_FILE_SAVE_AS", ID_FILE_SAVE_AS, Owner::View);
        AddRow("ID_APP_EXIT", ID_APP_EXIT, Owner::View);
        AddRow("ID_PEN_FINE", ID_PEN_FINE, Owner::View);
        AddRow("ID_PEN_MEDIUM", ID_PEN_MEDIUM, Owner::View);
        AddRow("ID_PEN_BOLD", ID_PEN_BOLD, Owner::View);
        AddRow("ID_PEN_COVER", ID_PEN_COVER, Owner::View);
        AddRow("ID_BACKGROUND_SETTINGS", ID_BACKGROUND_SETTINGS, Owner::View);
        AddRow("ID_FILE_PRINT", ID_FILE_PRINT, Owner::View);
        AddRow("ID_FILE_PRINT_DIRECT", ID_FILE_PRINT_DIRECT, Owner::View);
        AddRow("ID_FILE_PRINT_PREVIEW", ID_FILE_PRINT_PREVIEW, Owner::View);

        AddRow("ID_VIEW_PENBAR", ID_VIEW_PENBAR, Owner::Frame, Owner::Frame);
        AddRow("ID_VIEW_TOOLBAR", ID_VIEW_TOOLBAR, Owner::Frame, Owner::Frame);
        AddRow("ID_VIEW_STATUS_BAR", ID_VIEW_STATUS_BAR, Owner::Frame, Owner::Frame);
        AddRow("ID_HELP_FINDER", ID_HELP_FINDER, Owner::Frame);
        AddRow("ID_CONTEXT_HELP", ID_CONTEXT_HELP, Owner::Frame);
        AddRow("ID_HELP", ID_HELP, Owner::Frame);
        AddRow("ID_DEFAULT_HELP", ID_DEFAULT_HELP, Owner::Frame);

        AddRow("ID_APP_ABOUT", ID_APP_ABOUT, Owner::App);
        AddRow("ID_FILE_OPEN", ID_FILE_OPEN, Owner::App);
        AddRow("ID_FILE_PRINT_SETUP", ID_FILE_PRINT_SETUP, Owner::App);
        static QByteArray names[16];
        for (int i = 0; i < 16; ++i) {
            names[i] = "ID_FILE_MRU_FILE" + QByteArray::number(i + 1);
            AddRow(names[i].constData(), ID_FILE_MRU_FILE1 + i, Owner::App,
                   i == 0 ? Owner::App : Owner::Nobody);
        }

        AddRow("ID_EDIT_COPY", ID_EDIT_COPY, Owner::Nobody);
        AddRow("ID_EDIT_CUT", ID_EDIT_CUT, Owner::Nobody);
        AddRow("ID_EDIT_PASTE", ID_EDIT_PASTE, Owner::Nobody);
        AddRow("ID_EDIT_UNDO", ID_EDIT_UNDO, Owner::Nobody);
        AddRow("ID_NEXT_PANE", ID_NEXT_PANE, Owner::Nobody);
        AddRow("ID_PREV_PANE", ID_PREV_PANE, Owner::Nobody);
        AddRow("ID_FILE_CLOSE", ID_FILE_CLOSE, Owner::Nobody);
        AddRow("ID_EDIT_REDO", ID_EDIT_REDO, Owner::Nobody);
        AddRow("just past the recent files", ID_FILE_MRU_FILE16 + 1, Owner::Nobody);
    }

    void probe() {
        QFETCH(int, id);
        QFETCH(Owner, owner);
        QFETCH(Owner, updater);
        QFETCH(bool, appToo);

        CFrameWnd* frame = Frame();
        CView* view = frame->GetActiveView();
        CDocument* doc = frame->GetActiveDocument();
        QVERIFY(view != nullptr && doc != nullptr);

        // Each object alone, its own map and its bases'.
        QCOMPARE(view->OnCmdMsg(id, CmdCode::Probe, nullptr), owner == Owner::View);
        QCOMPARE(doc->OnCmdMsg(id, CmdCode::Probe, nullptr), false);
        QCOMPARE(frame->CCmdTarget::OnCmdMsg(id, CmdCode::Probe, nullptr), owner == Owner::Frame);
        QCOMPARE(theApp.OnCmdMsg(id, CmdCode::Probe, nullptr), owner == Owner::App || appToo);

        // Update handlers, where there are any, belong to one object too.
        QCOMPARE(view->OnCmdMsg(id, CmdCode::Update, nullptr), updater == Owner::View);
        QCOMPARE(doc->OnCmdMsg(id, CmdCode::Update, nullptr), false);
        QCOMPARE(frame->CCmdTarget::OnCmdMsg(id, CmdCode::Update, nullptr), updater == Owner::Frame);
        QCOMPARE(theApp.OnCmdMsg(id, CmdCode::Update, nullptr), updater == Owner::App);

        // The whole road.
        QCOMPARE(frame->OnCmdMsg(id, CmdCode::Probe, nullptr), owner != Owner::Nobody);
        if (id < ID_FILE_MRU_FILE1 || id > ID_FILE_MRU_FILE16) {
            // Recent-file entries are enabled by the list, not by their handler.
            QCOMPARE(frame->IsCommandEnabled(id), owner != Owner::Nobody);
            frame->UpdateCommandUI();
            if (QAction* action = frame->FindCommandAction(id)) {
                QCOMPARE(action->isEnabled(), owner != Owner::Nobody);
            }
        }
    }

    void routedDialogs_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("dialog");

        QTest::newRow("ID_FILE_NEW: background choice") << ID_FILE_NEW << "backgroundDlg";
        QTest::newRow("137: colour settings") << ID_BACKGROUND_SETTINGS << "colorSettingsDlg";
        QTest::newRow("ID_FILE_SAVE_AS: save dialog") << ID_FILE_SAVE_AS << "saveAsDialog";
        QTest::newRow("ID_APP_ABOUT: About box") << ID_APP_ABOUT << "CAboutDlg";
        QTest::newRow("ID_FILE_PRINT_SETUP: page set-up") << ID_FILE_PRINT_SETUP << "QPageSetupDialog";
        QTest::newRow("ID_FILE_PRINT: print dialog") << ID_FILE_PRINT << "QPrintDialog";
        QTest::newRow("ID_FILE_PRINT_PREVIEW: preview") << ID_FILE_PRINT_PREVIEW << "QPrintPreviewDialog";
        QTest::newRow("ID_FILE_OPEN: file dialog") << ID_FILE_OPEN << "QFileDialog";
    }

    // A routed command reaches its owner, shown by the dialog its handler opens; New after start-up
    // reaches the view and creates no new document.
    void routedDialogs() {
        QFETCH(int, id);
        QFETCH(QString, dialog);

        CDocument* doc = Frame()->GetActiveDocument();
        CView* view = Frame()->GetActiveView();
        const QString caption = Caption();
        auto seen = DriveNextModal([](QWidget* w) {
            if (w->objectName() == QLatin1String("backgroundDlg")) {
                // Escape here would ask for the colour settings: take the background instead.
                qobject_cast<QAbstractButton*>(
                    w->findChild<QWidget*>(QStringLiteral("control%1").arg(IDC_USE_THIS)))
                    ->click();
            } else {
                Dismiss(w);
            }
        });
        Frame()->SendCommand(id);
        QVERIFY(seen->bSeen);
        QCOMPARE(seen->objectName.isEmpty() ? seen->className : seen->objectName, dialog);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(Frame()->GetActiveDocument(), doc);
        QCOMPARE(Frame()->GetActiveView(), view);
        QCOMPARE(Caption(), caption);
    }

    void newReachesTheView() {
        View()->m_bReady = 0;
        auto seen = DriveNextModal([](QWidget* w) {
            qobject_cast<QAbstractButton*>(
                w->findChild<QWidget*>(QStringLiteral("control%1").arg(IDC_USE_THIS)))
                ->click();
        });
        Frame()->SendCommand(ID_FILE_NEW);
        QVERIFY(seen->bSeen);
        // The view's background choice ran to its end: a black cover over the accepted background.
        QCOMPARE(View()->m_bReady, 1);
        QVERIFY(!View()->m_bmpColor.isNull());
        QVERIFY(!View()->m_bmpCover.isNull());
        QCOMPARE(View()->m_bmpCover.pixel(0, 0) & 0xFFFFFF, 0u);
    }

    void pens_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("reveal");
        QTest::newRow("fine") << ID_PEN_FINE << 1 << 1;
        QTest::newRow("medium") << ID_PEN_MEDIUM << 2 << 1;
        QTest::newRow("bold") << ID_PEN_BOLD << 4 << 1;
        QTest::newRow("cover") << ID_PEN_COVER << 10 << 0;
    }

    // The pen toolbar's buttons reach the view.
    void pens() {
        QFETCH(int, id);
        QFETCH(int, width);
        QFETCH(int, reveal);
        auto* frame = static_cast<CMainFrame*>(Frame());
        // Start from another tool than the one asked for.
        View()->m_nPenWidth = 7;
        View()->m_bReveal = 1 - reveal;
        QWidget* button = frame->m_wndPenBar->widgetForAction(frame->FindCommandAction(id));
        QVERIFY(button != nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(View()->m_nPenWidth, width);
        QCOMPARE(View()->m_bReveal, reveal);
    }

    void saveReachesTheView() {
        const QString expected = QString::fromUtf8("名称未決定");
        QFile::remove(expected);
        Frame()->SendCommand(ID_FILE_SAVE);
        QFile file(m_work.filePath(expected));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(2), QByteArray("BM"));
        file.close();
        QVERIFY(file.remove());
    }

    void unhandledCommandsDoNothing_data() {
        QTest::addColumn<int>("id");
        QTest::newRow("ID_EDIT_COPY") << ID_EDIT_COPY;
        QTest::newRow("ID_EDIT_CUT") << ID_EDIT_CUT;
        QTest::newRow("ID_EDIT_PASTE") << ID_EDIT_PASTE;
        QTest::newRow("ID_EDIT_UNDO") << ID_EDIT_UNDO;
        QTest::newRow("ID_NEXT_PANE") << ID_NEXT_PANE;
        QTest::newRow("ID_PREV_PANE") << ID_PREV_PANE;
    }

    void unhandledCommandsDoNothing() {
        QFETCH(int, id);
        auto seen = DriveNextModal(Dismiss, 100);
        const Snapshot before = Take();
        Frame()->SendCommand(id);
        QTest::qWait(120);
        const Snapshot after = Take();
        QVERIFY2(before == after, qPrintable(Describe(before, after)));
        QVERIFY(!seen->bSeen);
    }

    void unhandledKeysDoNothing_data() {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<int>("id");
        QTest::newRow("Ctrl+Z") << QKeySequence(Qt::CTRL | Qt::Key_Z) << ID_EDIT_UNDO;
        QTest::newRow("Ctrl+X") << QKeySequence(Qt::CTRL | Qt::Key_X) << ID_EDIT_CUT;
        QTest::newRow("Ctrl+C") << QKeySequence(Qt::CTRL | Qt::Key_C) << ID_EDIT_COPY;
        QTest::newRow("Ctrl+V") << QKeySequence(Qt::CTRL | Qt::Key_V) << ID_EDIT_PASTE;
        QTest::newRow("Alt+Backspace") << QKeySequence(Qt::ALT | Qt::Key_Backspace) << ID_EDIT_UNDO;
        QTest::newRow("Shift+Delete") << QKeySequence(Qt::SHIFT | Qt::Key_Delete) << ID_EDIT_CUT;
        QTest::newRow("Ctrl+Insert") << QKeySequence(Qt::CTRL | Qt::Key_Insert) << ID_EDIT_COPY;
        QTest::newRow("Shift+Insert") << QKeySequence(Qt::SHIFT | Qt::Key_Insert) << ID_EDIT_PASTE;
        QTest::newRow("F6") << QKeySequence(Qt::Key_F6) << ID_NEXT_PANE;
        QTest::newRow("Shift+F6") << QKeySequence(Qt::SHIFT | Qt::Key_F6) << ID_PREV_PANE;
    }

    void unhandledKeysDoNothing() {
        QFETCH(QKeySequence, key);
        QFETCH(int, id);
        QAction* action = Frame()->FindCommandAction(id);
        QVERIFY(action != nullptr);
        QVERIFY(action->shortcuts().contains(key));
        QVERIFY(!action->isEnabled());
        QSignalSpy triggered(action, &QAction::triggered);
        // The keys go where the handled ones work (see handledKeysReachTheirCommands).
        QCOMPARE(QApplication::activeWindow(), static_cast<QWidget*>(Frame()));
        auto seen = DriveNextModal(Dismiss, 100);
        const Snapshot before = Take();
        QTest::keySequence(Frame(), key);
        QTest::qWait(120);
        const Snapshot after = Take();
        QCOMPARE(triggered.count(), 0);
        QVERIFY2(before == after, qPrintable(Describe(before, after)));
        QVERIFY(!seen->bSeen);
    }

    void handledKeysReachTheirCommands_data() {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("Ctrl+N") << QKeySequence(Qt::CTRL | Qt::Key_N) << "backgroundDlg";
        QTest::newRow("Ctrl+O") << QKeySequence(Qt::CTRL | Qt::Key_O) << "QFileDialog";
        QTest::newRow("Ctrl+P") << QKeySequence(Qt::CTRL | Qt::Key_P) << "QPrintDialog";
    }

    // The same keyboard path works for commands that have a handler.
    void handledKeysReachTheirCommands() {
        QFETCH(QKeySequence, key);
        QFETCH(QString, dialog);
        auto seen = DriveNextModal([](QWidget* w) {
            if (w->objectName() == QLatin1String("backgroundDlg")) {
                qobject_cast<QAbstractButton*>(
                    w->findChild<QWidget*>(QStringLiteral("control%1").arg(IDC_USE_THIS)))
                    ->click();
            } else {
                Dismiss(w);
            }
        });
        QTest::keySequence(Frame(), key);
        QTRY_VERIFY(seen->bSeen);
        QCOMPARE(seen->objectName.isEmpty() ? seen->className : seen->objectName, dialog);
    }

    // Last: Exit closes the program without asking anything.
    void exitClosesWithoutAsking() {
        auto seen = DriveNextModal(Dismiss, 100);
        QAction* exit = Frame()->FindCommandAction(ID_APP_EXIT);
        QVERIFY(exit != nullptr && exit->isEnabled());
        exit->trigger();
        QTest::qWait(120);
        QVERIFY(!seen->bSeen);
        QVERIFY(VisibleTopLevels().isEmpty());
    }
};

QTEST_MAIN(TestCommandMap)
#include "tst_commandmap.moc"
