#include "app/framework/Document.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace apptest;

// The open sequence after start-up: Ctrl+O and the recent-file entries of the File menu.
class TestFileOpen : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_settingsHome;
    QTemporaryDir m_files;

    QString MakeFile(const QString& name) {
        const QString path = m_files.filePath(name);
        QFile file(path);
        return file.open(QIODevice::WriteOnly) ? path : QString();
    }

    // The recent-file part of the File menu as the user sees it when the menu opens.
    static QList<QAction*> RecentItems() {
        QMenu* file = Frame()->GetMenu(0);
        Q_EMIT file->aboutToShow();
        QList<QAction*> items;
        for (QAction* action : file->actions()) {
            const int id = action->data().toInt();
            if (action->isVisible() && id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE16) {
                items << action;
            }
        }
        return items;
    }

    static QStringList Texts(const QList<QAction*>& items) {
        QStringList texts;
        for (QAction* item : items) {
            texts << item->text();
        }
        return texts;
    }

    static QStringList StoredRecentFiles() {
        CRecentFileList list(4, QStringLiteral("Recent File List"), QStringLiteral("File%1"));
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("Local AppWizard-Generated Applications"),
                           QStringLiteral("Zelvorandine"));
        list.ReadList(settings);
        QStringList files;
        for (int i = 0; i < list.GetSize(); ++i) {
            files << list[i];
        }
        return files;
    }

private Q_SLOTS:
    void initTestCase() {
        m_settingsHome = IsolateSettings();
        QVERIFY(m_files.isValid());
    }

    void init() {
        // Each test starts the program anew with an empty list.
        QSettings(QSettings::NativeFormat, QSettings::UserScope,
                  QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("Zelvorandine"))
            .clear();
        QVERIFY(StartApp({}));
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
        QVERIFY(ActivateFrame());
    }

    void cleanup() {
        while (QWidget* w = QApplication::activeModalWidget()) {
            Dismiss(w);
            QCoreApplication::processEvents();
        }
        StopApp();
    }

    void placeholderWhileEmpty() {
        const QList<QAction*> items = RecentItems();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first()->text(), QString::fromUtf8("最近使ったﾌｧｲﾙ"));
        QVERIFY(!items.first()->isEnabled());
    }

    void ctrlO_data() {
        QTest::addColumn<bool>("accept");
        QTest::newRow("file chosen") << true;
        QTest::newRow("cancelled") << false;
    }

    void ctrlO() {
        QFETCH(bool, accept);
        const QString path = MakeFile(QString::fromUtf8("開く絵.bmp"));
        QVERIFY(!path.isEmpty());
        CDocument* doc = Frame()->GetActiveDocument();
        const QImage picture = View()->WindowSurface();
        const QString caption = Caption();

        auto seen = DriveNextModal([path, accept](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            auto* edit =
                dialog != nullptr ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
            if (edit == nullptr || !accept) {
                QTest::keyClick(w, Qt::Key_Escape);
                return;
            }
            // Typed in one go: key by key, every '/' would make the dialog select the folder typed so far.
            edit->setText(path);
            // The completer's list may be open over the edit; Return is for the dialog.
            if (edit->completer() != nullptr && edit->completer()->popup() != nullptr) {
                edit->completer()->popup()->hide();
            }
            // The dialog looks the file up in the background before it lets Open go.
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            QPushButton* open = buttons != nullptr ? buttons->button(QDialogButtonBox::Open) : nullptr;
            if (!QTest::qWaitFor([open] { return open != nullptr && open->isEnabled(); }, 2000)) {
                qWarning("the dialog's Open button stayed disabled");
            }
            QTest::keyClick(edit, Qt::Key_Return);
            // A dialog that ignored the key must not hang the test: it then fails on the caption.
            QTimer::singleShot(2000, dialog, [dialog] { dialog->reject(); });
        });
        QTest::keySequence(Frame(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QVERIFY(seen->bSeen);
        QCOMPARE(seen->className, QStringLiteral("QFileDialog"));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        // Only the caption and the list change: same document, same picture.
        QCOMPARE(Frame()->GetActiveDocument(), doc);
        QCOMPARE(View()->WindowSurface(), picture);
        if (accept) {
            QCOMPARE(Caption(), QString::fromUtf8("開く絵.bmp - Zelvorandine"));
            QCOMPARE(RecentFiles(), QStringList{path});
            QCOMPARE(Texts(RecentItems()), QStringList{"&1 " + path});
            QCOMPARE(StoredRecentFiles(), QStringList{path});
        } else {
            QCOMPARE(Caption(), caption);
            QVERIFY(RecentFiles().isEmpty());
        }
    }

    void menuEntries() {
        QStringList paths;
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"}) {
            paths << MakeFile(QString::fromUtf8(name));
            QVERIFY(theApp.OpenDocumentFile(paths.last()) != nullptr);
        }
        // The four newest, newest first, between the same separators as the placeholder was.
        QList<QAction*> items = RecentItems();
        QCOMPARE(Texts(items),
                 (QStringList{"&1 " + paths[4], "&2 " + paths[3], "&3 " + paths[2], "&4 " + paths[1]}));
        for (QAction* item : items) {
            QVERIFY(item->isEnabled());
        }
        const QList<QAction*> all = Frame()->GetMenu(0)->actions();
        QVERIFY(all.at(all.indexOf(items.first()) - 1)->isSeparator());
        QVERIFY(all.at(all.indexOf(items.last()) + 1)->isSeparator());

        // Choosing the third opens it and moves it to the top.
        items.at(2)->trigger();
        QCOMPARE(Caption(), QStringLiteral("c.bmp - Zelvorandine"));
        QCOMPARE(RecentFiles(), (QStringList{paths[2], paths[4], paths[3], paths[1]}));
        QCOMPARE(Texts(RecentItems()).first(), "&1 " + paths[2]);
    }

    void goneEntry() {
        const QString kept = MakeFile(QStringLiteral("kept.bmp"));
        const QString gone = MakeFile(QStringLiteral("gone.bmp"));
        QVERIFY(theApp.OpenDocumentFile(gone) != nullptr);
        QVERIFY(theApp.OpenDocumentFile(kept) != nullptr);
        QVERIFY(QFile::remove(gone));
        const QString caption = Caption();

        const QList<QAction*> items = RecentItems();
        QCOMPARE(items.size(), 2);
        auto seen = DriveNextModal(Dismiss);
        items.at(1)->trigger();
        QVERIFY(seen->bSeen);
        QCOMPARE(seen->objectName, QStringLiteral("afxMessageBox"));
        QVERIFY2(seen->text.contains(gone), qPrintable(seen->text));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        // The entry went, everything else stayed.
        QCOMPARE(RecentFiles(), QStringList{kept});
        QCOMPARE(StoredRecentFiles(), QStringList{kept});
        QCOMPARE(Texts(RecentItems()), QStringList{"&1 " + kept});
        QCOMPARE(Caption(), caption);
        QVERIFY(Frame()->isVisible());
    }

    void lastEntryGoneBringsBackPlaceholder() {
        const QString gone = MakeFile(QStringLiteral("only.bmp"));
        QVERIFY(theApp.OpenDocumentFile(gone) != nullptr);
        QVERIFY(QFile::remove(gone));
        auto seen = DriveNextModal(Dismiss);
        RecentItems().first()->trigger();
        QVERIFY(seen->bSeen);
        const QList<QAction*> items = RecentItems();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first()->text(), QString::fromUtf8("最近使ったﾌｧｲﾙ"));
        QVERIFY(!items.first()->isEnabled());
        // The greyed placeholder does nothing even when asked directly.
        auto none = DriveNextModal(Dismiss, 100);
        Frame()->SendCommand(ID_FILE_MRU_FILE1);
        QTest::qWait(120);
        QVERIFY(!none->bSeen);
    }
};

QTEST_MAIN(TestFileOpen)
#include "tst_fileopen.moc"
