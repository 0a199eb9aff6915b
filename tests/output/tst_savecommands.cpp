#include "canvas/ZelvorandineView.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/background/DialogDriver.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>

using namespace apptest;

// Save and Save As as the user runs them from the menu: the file dialog answered the way a person answers
// it, the files checked on disk against what the window shows.
namespace {

const QString kUntitled = QString::fromUtf8("名称未決定");
const QString kSaveAsDlg = QStringLiteral("saveAsDialog");
const QString kErrorBox = QStringLiteral("afxMessageBox");
const QString kOverwriteBox; // the file dialog's own question carries no name
const QString kChoiceDlg = QStringLiteral("backgroundDlg");

enum EAnswer { Enter, Accept, CancelButton, Escape, CloseBox };
enum EFault { None, BelowFile, SizeLimit, FolderRemoved, NameIsFolder };

QString Canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}
QString Here() {
    return Canonical(QDir::currentPath());
}

// A picture of the view's own: every channel varies over the colour layer, the cover is etched in
// stripes, and the layers stop short of the client area's right and bottom edges.
void SetPicture(CZelvorandineView& view, int nSeed) {
    const QSize size = view.WindowSurface().size() - QSize(13, 7);
    QImage color(size, QImage::Format_RGB32);
    QImage cover(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            color.setPixel(
                x, y, qRgb((x * 7 + nSeed * 31) & 255, (y * 5 + nSeed * 17) & 255, ((x ^ y) + nSeed) & 255));
            cover.setPixel(x, y, (x / 6 + y / 4 + nSeed) % 3 != 0 ? 0xFFFFFFFFu : 0xFF000000u);
        }
    }
    view.m_bmpColor = color;
    view.m_bmpCover = cover;
    view.m_nLayerWidth = size.width();
    view.m_nLayerHeight = size.height();
    view.m_bReady = 1;
    view.Compose();
}

// Empty when the file decodes to exactly the picture shown, else what differs.
QString Mismatch(const QString& path, const QImage& shown) {
    const QImage decoded(path, "BMP");
    if (decoded.isNull()) {
        return QStringLiteral("%1 is no readable BMP file").arg(path);
    }
    const QImage file = decoded.convertToFormat(QImage::Format_RGB32);
    const QImage window = shown.convertToFormat(QImage::Format_RGB32);
    if (file.size() != window.size()) {
        return QStringLiteral("%1 is %2x%3, the window %4x%5")
            .arg(path)
            .arg(file.width())
            .arg(file.height())
            .arg(window.width())
            .arg(window.height());
    }
    for (int y = 0; y < file.height(); ++y) {
        for (int x = 0; x < file.width(); ++x) {
            if (((file.pixel(x, y) ^ window.pixel(x, y)) & 0xFFFFFFu) != 0) {
                return QStringLiteral("%1 at (%2, %3): file %4, window %5")
                    .arg(path)
                    .arg(x)
                    .arg(y)
                    .arg(file.pixel(x, y) & 0xFFFFFFu, 6, 16, QLatin1Char('0'))
                    .arg(window.pixel(x, y) & 0xFFFFFFu, 6, 16, QLatin1Char('0'));
            }
        }
    }
    return {};
}

using Snapshot = QMap<QString, QByteArray>;

// Every entry below root with its bytes, hidden ones included: equal snapshots mean nothing was written,
// replaced or left behind.
Snapshot Take(const QString& root) {
    Snapshot entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QByteArray content("<folder>");
        if (!it.fileInfo().isDir()) {
            QFile file(path);
            content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
        }
        entries.insert(QDir(root).relativeFilePath(path), content);
    }
    return entries;
}

QString Changes(const Snapshot& before, const Snapshot& after) {
    QStringList changes;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key())) {
            changes << QStringLiteral("gone: ") + it.key();
        } else if (after.value(it.key()) != it.value()) {
            changes << QStringLiteral("changed: ") + it.key();
        }
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key())) {
            changes << QStringLiteral("new: ") + it.key();
        }
    }
    return changes.join(QStringLiteral(", "));
}

QStringList FilesIn(const Snapshot& entries) {
    QStringList files;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        if (it.value() != "<folder>") {
            files << it.key();
        }
    }
    return files;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Lowers the largest file this process may write for its lifetime; a write beyond it fails with EFBIG
// instead of ending the process.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t nBytes) {
        m_bActive = ::getrlimit(RLIMIT_FSIZE, &m_old) == 0;
        if (!m_bActive) {
            return;
        }
        m_pOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = nBytes;
        m_bActive = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~CFileSizeLimit() {
        if (m_pOldHandler != SIG_ERR) {
            ::setrlimit(RLIMIT_FSIZE, &m_old);
            std::signal(SIGXFSZ, m_pOldHandler);
        }
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;
    bool IsActive() const { return m_bActive; }

private:
    rlimit m_old{};
    void (*m_pOldHandler)(int) = SIG_ERR;
    bool m_bActive = false;
};

// What the save dialog showed when it opened.
struct SSaveAsSeen {
    QString proposed;
    QStringList filters;
    QString folder;
};

// The name field, once it has the keyboard focus as it has for the user. Without the focus the dialog
// keeps a file selected in its list over the name typed, which no user meets.
QLineEdit* NameEdit(QDialog* pDialog) {
    auto* pEdit = pDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (pEdit == nullptr) {
        return nullptr;
    }
    // The offscreen platform does not activate a dialog shown over the main window by itself.
    QApplication::setActiveWindow(pDialog);
    pEdit->setFocus(Qt::OtherFocusReason);
    return pEdit->hasFocus() ? pEdit : nullptr;
}

// Ends the save dialog as the user would: keys go to the name field, which has the focus.
void EndSaveAs(QFileDialog* pDialog, EAnswer answer) {
    QLineEdit* pEdit = NameEdit(pDialog);
    QVERIFY(pEdit != nullptr);
    switch (answer) {
    case Enter:
        QTest::keyClick(pEdit, Qt::Key_Return);
        break;
    case Accept:
        // As the Save button does; the dialog's own checks run first.
        static_cast<QDialog*>(pDialog)->accept();
        break;
    case CancelButton: {
        auto* pButtons = pDialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QVERIFY(pButtons != nullptr);
        QAbstractButton* pCancel = pButtons->button(QDialogButtonBox::Cancel);
        QVERIFY(pCancel != nullptr);
        QTest::mouseClick(pCancel, Qt::LeftButton);
        break;
    }
    case Escape:
        QTest::keyClick(pEdit, Qt::Key_Escape);
        break;
    case CloseBox:
        pDialog->close();
        break;
    }
}

// Answers the save dialog: notes what it proposes, types typed into the name field unless it is null,
// and ends the dialog with answer.
CDialogDriver::Step AnswerSaveAs(EAnswer answer, const QString& typed = QString(),
                                 SSaveAsSeen* pSeen = nullptr) {
    return [=](QDialog* pDialog) {
        QCOMPARE(QApplication::activeModalWidget(), pDialog);
        auto* pFileDialog = qobject_cast<QFileDialog*>(pDialog);
        QVERIFY(pFileDialog != nullptr);
        QLineEdit* pEdit = NameEdit(pDialog);
        QVERIFY(pEdit != nullptr);
        if (pSeen != nullptr) {
            pSeen->proposed = pEdit->text();
            pSeen->filters = pFileDialog->nameFilters();
            pSeen->folder = Canonical(pFileDialog->directory().absolutePath());
        }
        if (!typed.isNull()) {
            pEdit->setText(typed);
        }
        EndSaveAs(pFileDialog, answer);
    };
}

// Answers the question the save dialog asks before an existing file is chosen.
CDialogDriver::Step AnswerOverwrite(QMessageBox::StandardButton reply, QString* pText) {
    return [=](QDialog* pDialog) {
        auto* pBox = qobject_cast<QMessageBox*>(pDialog);
        QVERIFY2(pBox != nullptr, pDialog->metaObject()->className());
        *pText = pBox->text();
        QAbstractButton* pButton = pBox->button(reply);
        QVERIFY(pButton != nullptr);
        QTest::mouseClick(pButton, Qt::LeftButton);
    };
}

CDialogDriver::Step AnswerErrorBox(QString* pText) {
    return [=](QDialog* pDialog) {
        auto* pBox = qobject_cast<QMessageBox*>(pDialog);
        QVERIFY(pBox != nullptr);
        *pText = pBox->text();
        QAbstractButton* pOk = pBox->button(QMessageBox::Ok);
        QVERIFY(pOk != nullptr);
        QTest::mouseClick(pOk, Qt::LeftButton);
    };
}

QString Script(const CDialogDriver& driver) {
    return QStringLiteral("seen [%1], faults [%2]").arg(driver.Seen().join(u','), driver.Faults().join(u','));
}

// Every scripted dialog came, in order, and nothing else did.
bool Followed(const CDialogDriver& driver) {
    return driver.Finished() && driver.Faults().isEmpty();
}

} // namespace

class TestSaveCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_settingsHome;
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_oldFolder;
    CZelvorandineView* m_pView = nullptr;
    QString m_frameCaption;

    QString Root() const { return Canonical(m_pDir->path()); }
    QString InRoot(const QString& relative) const { return QDir(Root()).filePath(relative); }

    static void Command(int nID) { Frame()->SendCommand(nID); }

    // A confirmed Save As into folder (relative to the test's folder, made if missing).
    bool SaveAsInto(const QString& folder, const QString& name) {
        if (!folder.isEmpty() && !QDir(Root()).mkpath(folder)) {
            return false;
        }
        CDialogDriver driver;
        driver.Expect(kSaveAsDlg, AnswerSaveAs(Accept, QDir(InRoot(folder)).filePath(name)));
        Command(ID_FILE_SAVE_AS);
        return Followed(driver) && m_pView->m_strName == name && Here() == Canonical(InRoot(folder));
    }

private Q_SLOTS:
    void initTestCase() { m_settingsHome = IsolateSettings(); }

    void init() {
        m_oldFolder = QDir::currentPath();
        // Japanese all the way down: every path the commands meet holds non-ASCII characters.
        m_pDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QString::fromUtf8("/保存の試験-XXXXXX"));
        QVERIFY(m_pDir->isValid());
        QVERIFY(QDir::setCurrent(Root()));
        QVERIFY(StartApp({}));
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
        m_pView = View();
        QVERIFY(m_pView != nullptr);
        SetPicture(*m_pView, 1);
        m_frameCaption = Caption();
        QVERIFY(!m_frameCaption.isEmpty());
    }

    void cleanup() {
        m_pView = nullptr;
        StopApp();
        QDir::setCurrent(m_oldFolder);
        m_pDir.reset();
    }

    void saveWritesWithoutDialog_data() {
        QTest::addColumn<QByteArray>("earlier");
        QTest::newRow("no file yet") << QByteArray();
        QTest::newRow("an earlier file of that name") << QByteArray("earlier bytes, not a picture");
    }

    void saveWritesWithoutDialog() {
        QFETCH(QByteArray, earlier);
        const QString file = InRoot(kUntitled);
        if (!earlier.isNull()) {
            QVERIFY(WriteFile(file, earlier));
        }

        for (int nSeed : {1, 2}) {
            SetPicture(*m_pView, nSeed);
            CDialogDriver driver;
            Command(ID_FILE_SAVE);
            QVERIFY2(driver.Seen().isEmpty(), qPrintable(Script(driver)));
            const QString mismatch = Mismatch(file, m_pView->WindowSurface());
            QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
            QCOMPARE(FilesIn(Take(Root())), QStringList{kUntitled});
            QCOMPARE(m_pView->m_strName, kUntitled);
            QCOMPARE(Caption(), m_frameCaption);
            QCOMPARE(Here(), Root());
        }
    }

    void saveAsConfirmed_data() {
        QTest::addColumn<QString>("folder");    // made before the dialog opens
        QTest::addColumn<QString>("openFirst"); // a folder typed and entered before the name
        QTest::addColumn<QString>("typed");     // null: the proposal as it is
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("landsIn");
        QTest::addColumn<QString>("nextProposal");

        const QString none;
        const auto s = [](const char* text) { return QString::fromUtf8(text); };
        QTest::newRow("proposal, Enter")
            << none << none << none << int(Enter) << s("名称未決定.bmp") << none << s("名称未決定.bmp");
        QTest::newRow("name with extension")
            << none << none << s("海辺.bmp") << int(Accept) << s("海辺.bmp") << none << s("海辺.bmp");
        QTest::newRow("name without extension")
            << none << none << s("海辺") << int(Enter) << s("海辺.bmp") << none << s("海辺.bmp");
        QTest::newRow("upper-case extension")
            << none << none << s("UMI.BMP") << int(Enter) << s("UMI.BMP") << none << s("UMI.BMP");
        QTest::newRow("other extension")
            << none << none << s("海辺.dib") << int(Enter) << s("海辺.dib") << none << s("海辺.dib.bmp");
        QTest::newRow("title mark in the name")
            << none << none << s("a[*]b") << int(Enter) << s("a[*]b.bmp") << none << s("a[*]b.bmp");
        QTest::newRow("relative path into a Japanese folder")
            << s("絵の箱/二段目") << none << s("絵の箱/二段目/夕焼け") << int(Enter) << s("夕焼け.bmp")
            << s("絵の箱/二段目") << s("夕焼け.bmp");
        QTest::newRow("folder opened, then the name")
            << s("絵の箱") << s("絵の箱") << s("夕焼け.bmp") << int(Enter) << s("夕焼け.bmp") << s("絵の箱")
            << s("夕焼け.bmp");
        // The full path is filled in by the test: the folder is a temporary one.
        QTest::newRow("full path into a Japanese folder")
            << s("絵の箱") << none << s("<root>/絵の箱/夕焼け") << int(Accept) << s("夕焼け.bmp")
            << s("絵の箱") << s("夕焼け.bmp");
    }

    void saveAsConfirmed() {
        QFETCH(QString, folder);
        QFETCH(QString, openFirst);
        QFETCH(QString, typed);
        QFETCH(int, answer);
        QFETCH(QString, name);
        QFETCH(QString, landsIn);
        QFETCH(QString, nextProposal);
        typed.replace(QStringLiteral("<root>"), Root());
        if (!folder.isEmpty()) {
            QVERIFY(QDir(Root()).mkpath(folder));
        }
        const QString file = landsIn.isEmpty() ? name : landsIn + u'/' + name;

        SSaveAsSeen seen;
        bool bOpened = false;
        {
            CDialogDriver driver;
            driver.Expect(kSaveAsDlg, [&](QDialog* pDialog) {
                QLineEdit* pEdit = NameEdit(pDialog);
                QVERIFY(pEdit != nullptr);
                if (!openFirst.isNull()) {
                    const QString proposed = pEdit->text();
                    pEdit->setText(openFirst);
                    QTest::keyClick(pEdit, Qt::Key_Return);
                    // Entering a folder opens it; the dialog stays.
                    bOpened = pDialog->isVisible() &&
                              Canonical(qobject_cast<QFileDialog*>(pDialog)->directory().absolutePath()) ==
                                  Canonical(InRoot(openFirst));
                    pEdit->setText(proposed);
                }
                AnswerSaveAs(EAnswer(answer), typed, &seen)(pDialog);
            });
            Command(ID_FILE_SAVE_AS);
            QVERIFY2(Followed(driver), qPrintable(Script(driver)));
            QCOMPARE(driver.Seen(), QStringList{kSaveAsDlg});
        }
        QCOMPARE(seen.proposed, kUntitled + QStringLiteral(".bmp"));
        if (!openFirst.isNull()) {
            QVERIFY(bOpened);
        } else {
            QCOMPARE(seen.folder, Root());
        }
        QCOMPARE(seen.filters, QStringList{QString::fromUtf8("ビットマップファイル (*.bmp)")});

        QCOMPARE(m_pView->m_strName, name);
        QCOMPARE(Caption(), name);
        QCOMPARE(Here(), Canonical(InRoot(landsIn)));
        QString mismatch = Mismatch(InRoot(file), m_pView->WindowSurface());
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        QCOMPARE(FilesIn(Take(Root())), QStringList{file});

        // Save writes the changed picture there again, under the same name, without asking.
        SetPicture(*m_pView, 3);
        {
            CDialogDriver driver;
            Command(ID_FILE_SAVE);
            QVERIFY2(driver.Seen().isEmpty(), qPrintable(Script(driver)));
        }
        mismatch = Mismatch(InRoot(file), m_pView->WindowSurface());
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        QCOMPARE(FilesIn(Take(Root())), QStringList{file});

        // The next Save As opens in that folder and proposes the name.
        SSaveAsSeen next;
        {
            CDialogDriver driver;
            driver.Expect(kSaveAsDlg, AnswerSaveAs(CancelButton, QString(), &next));
            Command(ID_FILE_SAVE_AS);
            QVERIFY2(Followed(driver), qPrintable(Script(driver)));
        }
        QCOMPARE(next.proposed, nextProposal);
        QCOMPARE(next.folder, Canonical(InRoot(landsIn)));
        QCOMPARE(m_pView->m_strName, name);
    }

    void saveAsNotConfirmed_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("savedBefore");
        for (bool bSavedBefore : {false, true}) {
            const char* when = bSavedBefore ? "after a Save As" : "first";
            QTest::addRow("Cancel button, %s", when) << int(CancelButton) << bSavedBefore;
            QTest::addRow("Escape, %s", when) << int(Escape) << bSavedBefore;
            QTest::addRow("close box, %s", when) << int(CloseBox) << bSavedBefore;
        }
    }

    void saveAsNotConfirmed() {
        QFETCH(int, answer);
        QFETCH(bool, savedBefore);
        if (savedBefore) {
            QVERIFY(SaveAsInto(QString::fromUtf8("前の箱"), QString::fromUtf8("前.bmp")));
            SetPicture(*m_pView, 2);
        }
        const Snapshot before = Take(Root());
        const QString name = m_pView->m_strName;
        const QString caption = Caption();
        const QString folder = Here();
        const QImage shown = m_pView->WindowSurface().copy();

        CDialogDriver driver;
        // A name typed and then thrown away.
        driver.Expect(kSaveAsDlg, AnswerSaveAs(EAnswer(answer), QString::fromUtf8("捨てる絵")));
        Command(ID_FILE_SAVE_AS);
        QVERIFY2(Followed(driver), qPrintable(Script(driver)));
        QCOMPARE(driver.Seen(), QStringList{kSaveAsDlg});

        QCOMPARE(Changes(before, Take(Root())), QString());
        QCOMPARE(m_pView->m_strName, name);
        QCOMPARE(Caption(), caption);
        QCOMPARE(Here(), folder);
        QCOMPARE(m_pView->WindowSurface(), shown);
    }

    void saveAsAsksBeforeReplacing_data() {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("reply");
        const auto s = [](const char* text) { return QString::fromUtf8(text); };
        for (int nReply : {int(QMessageBox::No), int(QMessageBox::Yes)}) {
            const char* reply = nReply == QMessageBox::Yes ? "Yes" : "No";
            QTest::addRow("name typed, %s", reply) << s("古い絵.bmp") << s("古い絵.bmp") << nReply;
            QTest::addRow("extension added, %s", reply) << s("古い絵.bmp") << s("古い絵") << nReply;
            QTest::addRow("proposal, %s", reply) << s("名称未決定.bmp") << QString() << nReply;
        }
    }

    void saveAsAsksBeforeReplacing() {
        QFETCH(QString, existing);
        QFETCH(QString, typed);
        QFETCH(int, reply);
        QVERIFY(WriteFile(InRoot(existing), QByteArray(300, 'x')));
        const Snapshot before = Take(Root());

        QString question;
        bool bStayedOpen = false;
        CDialogDriver driver;
        driver.Expect(kSaveAsDlg, [&](QDialog* pDialog) {
            QLineEdit* pEdit = NameEdit(pDialog);
            QVERIFY(pEdit != nullptr);
            if (!typed.isNull()) {
                pEdit->setText(typed);
            }
            // The question is answered while the key is being handled.
            QTest::keyClick(pEdit, Qt::Key_Return);
            bStayedOpen = pDialog->isVisible();
            if (bStayedOpen) {
                EndSaveAs(qobject_cast<QFileDialog*>(pDialog), CancelButton);
            }
        });
        driver.Expect(kOverwriteBox, AnswerOverwrite(QMessageBox::StandardButton(reply), &question));
        Command(ID_FILE_SAVE_AS);
        QVERIFY2(Followed(driver), qPrintable(Script(driver)));
        QCOMPARE(driver.Seen(), (QStringList{kSaveAsDlg, kOverwriteBox}));
        QVERIFY2(question.contains(existing), qPrintable(question));

        if (reply == QMessageBox::No) {
            QVERIFY(bStayedOpen);
            QCOMPARE(Changes(before, Take(Root())), QString());
            QCOMPARE(m_pView->m_strName, kUntitled);
            QCOMPARE(Caption(), m_frameCaption);
        } else {
            QVERIFY(!bStayedOpen);
            const QString mismatch = Mismatch(InRoot(existing), m_pView->WindowSurface());
            QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
            QCOMPARE(FilesIn(Take(Root())), QStringList{existing});
            QCOMPARE(m_pView->m_strName, existing);
            QCOMPARE(Caption(), existing);
        }
    }

    void failedWriteChangesNothing_data() {
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("typed");       // Save As: the path typed, below the test's folder
        QTest::addColumn<QStringList>("reasons"); // one of them must be shown
        const auto s = [](const char* text) { return QString::fromUtf8(text); };
        const auto e = [](int nError) { return QStringList{qt_error_string(nError)}; };
        QTest::newRow("Save As into a missing folder")
            << true << int(None) << s("無い箱/絵.bmp") << e(ENOENT);
        QTest::newRow("Save As below a regular file")
            << true << int(BelowFile) << s("メモ.txt/絵.bmp") << e(ENOTDIR);
        QTest::newRow("Save As replacing, over the size limit")
            << true << int(SizeLimit) << s("古い絵.bmp") << e(EFBIG);
        QTest::newRow("Save replacing, over the size limit")
            << false << int(SizeLimit) << QString() << e(EFBIG);
        // Linux refuses an unnamed temporary file in a removed folder with EPERM.
        QTest::newRow("Save into a removed folder")
            << false << int(FolderRemoved) << QString() << (e(ENOENT) + e(EPERM));
        // Either the system's words or the file layer's own.
        QTest::newRow("Save where a folder has the name")
            << false << int(NameIsFolder) << QString() << QStringList{QStringLiteral("directory")};
    }

    void failedWriteChangesNothing() {
        QFETCH(bool, saveAs);
        QFETCH(int, fault);
        QFETCH(QString, typed);
        QFETCH(QStringList, reasons);

        // A picture saved before into a folder of its own, then changed: the change must not reach disk.
        const QString folder = InRoot(QString::fromUtf8("前の箱"));
        const QString name = QString::fromUtf8("前.bmp");
        QVERIFY(SaveAsInto(QString::fromUtf8("前の箱"), name));
        SetPicture(*m_pView, 2);

        QString target = saveAs ? InRoot(typed) : QDir(folder).filePath(name);
        switch (fault) {
        case BelowFile:
            QVERIFY(WriteFile(InRoot(QString::fromUtf8("メモ.txt")), "a note"));
            break;
        case SizeLimit:
            if (saveAs) {
                QVERIFY(WriteFile(target, QByteArray(300, 'x')));
            }
            break;
        case FolderRemoved:
            QVERIFY(QDir(folder).removeRecursively());
            break;
        case NameIsFolder:
            QVERIFY(QFile::remove(target));
            QVERIFY(QDir(folder).mkdir(name));
            break;
        default:
            break;
        }

        const Snapshot before = Take(Root());
        const QString caption = Caption();
        const QString current = QDir::currentPath();
        const QImage shown = m_pView->WindowSurface().copy();
        const QImage cover = m_pView->m_bmpCover.copy();
        const QImage color = m_pView->m_bmpColor.copy();

        QString question;
        QString errorText;
        CDialogDriver driver;
        if (saveAs) {
            driver.Expect(kSaveAsDlg, AnswerSaveAs(Enter, target));
            if (QFileInfo::exists(target)) {
                driver.Expect(kOverwriteBox, AnswerOverwrite(QMessageBox::Yes, &question));
            }
        }
        driver.Expect(kErrorBox, AnswerErrorBox(&errorText));
        {
            // Far below the picture's size; the dialogs themselves write nothing.
            CFileSizeLimit limit(fault == SizeLimit ? 16384 : RLIM_INFINITY);
            QVERIFY(limit.IsActive());
            Command(saveAs ? ID_FILE_SAVE_AS : ID_FILE_SAVE);
        }
        QVERIFY2(Followed(driver), qPrintable(Script(driver)));
        QCOMPARE(driver.Count(kErrorBox), 1);

        QVERIFY2(errorText.contains(QString::fromUtf8("保存できませんでした")), qPrintable(errorText));
        // A removed folder has no path left to show.
        const QString named = fault == FolderRemoved ? name : QDir::toNativeSeparators(target);
        QVERIFY2(errorText.contains(named), qPrintable(errorText));
        QVERIFY2(std::any_of(reasons.cbegin(), reasons.cend(),
                             [&](const QString& reason) { return errorText.contains(reason); }),
                 qPrintable(errorText));

        QCOMPARE(Changes(before, Take(Root())), QString());
        QCOMPARE(m_pView->m_strName, name);
        QCOMPARE(Caption(), caption);
        QCOMPARE(QDir::currentPath(), current);
        QCOMPARE(m_pView->WindowSurface(), shown);
        QCOMPARE(m_pView->m_bmpCover, cover);
        QCOMPARE(m_pView->m_bmpColor, color);
        QCOMPARE(m_pView->m_bReady, 1);
    }

    void newKeepsTheName() {
        const QString name = QString::fromUtf8("夜.bmp");
        QVERIFY(SaveAsInto(QString(), name));
        const QByteArray etched = ReadFile(InRoot(name));
        QVERIFY(!etched.isEmpty());

        {
            CDialogDriver driver;
            driver.Expect(kChoiceDlg, CDialogDriver::Click(IDC_USE_THIS));
            Command(ID_FILE_NEW);
            QVERIFY2(Followed(driver), qPrintable(Script(driver)));
        }
        QCOMPARE(m_pView->m_strName, name);
        QCOMPARE(Caption(), name);

        {
            CDialogDriver driver;
            Command(ID_FILE_SAVE);
            QVERIFY2(driver.Seen().isEmpty(), qPrintable(Script(driver)));
        }
        const QString mismatch = Mismatch(InRoot(name), m_pView->WindowSurface());
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        QVERIFY(ReadFile(InRoot(name)) != etched);
        QCOMPARE(FilesIn(Take(Root())), QStringList{name});
    }
};

QTEST_MAIN(TestSaveCommands)
#include "tst_savecommands.moc"
