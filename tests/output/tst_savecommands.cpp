// SPDX-License-Identifier: MIT
#include "app/framework/SystemError.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/SpecialFiles.h"
#include "tests/background/DialogDriver.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace apptest;

// Save and Save As run from the menu, the real file dialog answered the way a person answers it.
namespace {

const QString kUntitled = "名称未決定";
enum EAnswer { Enter, CancelButton, SaveOnly };

// One colour, stopping short of the right and bottom edges: a mirrored, turned or stale picture differs.
void SetPicture(CZelvorandineView& view, QRgb rgb) {
    QImage color(view.size() - QSize(13, 7), QImage::Format_RGB32);
    color.fill(rgb);
    view.m_bmpColor = view.m_bmpCover = color;
    view.m_nLayerWidth = color.width();
    view.m_nLayerHeight = color.height();
    view.m_bReady = 1;
    view.Compose();
}

} // namespace

class TestSaveCommands : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_pSettings = IsolateSettings(), m_pDir;
    QString m_root, m_text, m_proposed; // the last message box's text, the save dialog's proposal

    QString In(const QString& relative) const { return QDir(m_root).filePath(relative); }
    // The file holds what the view shows: the picture, the window's own colour right and below it.
    bool Holds(const QString& path) const {
        const QImage shown = View()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint corner(shown.width() - 1, shown.height() - 1);
        return QImage(path) == shown && shown.pixel(0, 0) == View()->m_bmpColor.pixel(0, 0) &&
               shown.pixel(corner) == View()->palette().color(QPalette::Window).rgb();
    }
    bool Run(int nID, CDialogDriver& driver) {
        Frame()->SendCommand(nID);
        return driver.Finished(); // every dialog scripted came, in order, and no other
    }
    // Name, title, current folder and every file with its bytes.
    QStringList State() const {
        return QStringList{View()->m_strName, Caption(), QDir::currentPath()} + Listing(m_root);
    }
    // Types into the name field, which has the focus (or the dialog prefers a file selected in its list).
    CDialogDriver::Step AnswerSaveAs(int answer, const QString& typed) {
        return [=, this](QDialog* pDialog) {
            auto* pEdit = pDialog->findChild<QLineEdit*>("fileNameEdit");
            QApplication::setActiveWindow(pDialog); // offscreen, nothing activates it
            pEdit->setFocus(Qt::OtherFocusReason);
            m_proposed = pEdit->text();
            pEdit->setText(typed);
            if (answer == CancelButton)
                pDialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
            else
                QTest::keyClick(pEdit, Qt::Key_Return);
            if (pDialog->isVisible())
                pDialog->reject(); // still open after No to the overwrite question
        };
    }
    CDialogDriver::Step Press(QMessageBox::StandardButton button) {
        return [=, this](QDialog* pDialog) {
            auto* pBox = qobject_cast<QMessageBox*>(pDialog);
            m_text = pBox->text();
            // Our own messages carry names as the user typed them, markup included.
            if (pBox->objectName() == "afxMessageBox")
                QCOMPARE(pBox->textFormat(), Qt::PlainText);
            pBox->button(button)->click();
        };
    }

private Q_SLOTS:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); } // past the file-size limit a write fails
    void init() {
        m_pDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/保存の試験-XXXXXX");
        m_root = QFileInfo(m_pDir->path()).canonicalFilePath();
        m_text.clear();
        QVERIFY(QDir::setCurrent(m_root) && QDir(m_root).mkdir("絵の箱"));
        QFile old(In("絵の箱/古い絵.bmp"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old bytes") == 9);
        QVERIFY(StartApp({}) && QTest::qWaitForWindowExposed(Frame()));
        SetPicture(*View(), qRgb(200, 40, 10));
    }
    void cleanup() {
        StopApp();
        // The temporary folder cannot remove what it cannot name.
        ::rmdir(QFile::encodeName(m_root) + "/絵\xff");
    }

    void saveAs_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("name without extension") << "海辺";
        QTest::newRow("full path into a Japanese folder") << "<root>/絵の箱/夕焼け.bmp";
        QTest::newRow("Yes to replacing") << "絵の箱/古い絵";
    }

    void saveAs() {
        QFETCH(QString, typed);
        const QString file = QString(typed).remove("<root>/").remove(".bmp") + ".bmp";
        const QString name = QFileInfo(file).fileName(), folder = QFileInfo(In(file)).absolutePath();
        // Before any Save As, Save writes into the current folder without a dialog; the title stays.
        const QString caption = Caption();
        CDialogDriver driver;
        QVERIFY(Run(ID_FILE_SAVE, driver) && Holds(In(kUntitled)) && Caption() == caption);
        driver.Expect("saveAsDialog", AnswerSaveAs(Enter, typed.replace("<root>", m_root)));
        if (name == "古い絵.bmp")
            driver.Expect("", Press(QMessageBox::Yes));
        QVERIFY(Run(ID_FILE_SAVE_AS, driver));
        QCOMPARE(m_proposed, kUntitled + ".bmp");
        QVERIFY2(m_text.isEmpty() || m_text.contains(name), qPrintable(m_text));
        QCOMPARE(State().mid(0, 3), (QStringList{name, name, folder})); // name, title, current folder
        QVERIFY(Holds(In(file)));
        // Save writes the changed picture there again without asking; New keeps the name, which the next
        // Save As proposes.
        SetPicture(*View(), qRgb(10, 90, 220));
        QVERIFY(Run(ID_FILE_SAVE, driver) && Holds(In(file)));
        driver.Expect("backgroundDlg", CDialogDriver::Click(IDC_USE_THIS));
        Frame()->SendCommand(ID_FILE_NEW);
        QCOMPARE(Caption(), name);
        driver.Expect("saveAsDialog", AnswerSaveAs(CancelButton, "x"));
        QVERIFY(Run(ID_FILE_SAVE_AS, driver));
        QCOMPARE(m_proposed, name);
    }

    void fileTypes_data() {
        QTest::addColumn<bool>("bChoosePng"); // the PNG type chosen in the dialog before typing
        QTest::addColumn<QString>("typed");   // empty: the proposal kept
        QTest::addColumn<QString>("file");
        const auto row = [](const char* pName, bool bChoosePng, const QString& typed, const QString& file) {
            QTest::newRow(pName) << bChoosePng << typed << file;
        };
        row("bitmap type, bare name", false, "海辺", "海辺.bmp");
        row("PNG type, bare name", true, "海辺", "海辺.png");
        row("PNG type, proposal", true, "", kUntitled + ".png");
        row("PNG type, .bmp typed", true, "海辺.bmp", "海辺.bmp");
        row("bitmap type, .PNG typed", false, "海辺.PNG", "海辺.PNG");
        row("bitmap type, another suffix", false, "海辺.txt", "海辺.txt");
    }

    // The name decides the file type, for Save As and for the Saves after it; the dialog offers both types
    // and opens with bitmap files chosen.
    void fileTypes() {
        QFETCH(bool, bChoosePng);
        QFETCH(QString, typed);
        QFETCH(QString, file);
        const bool bPng = file.endsWith(".png", Qt::CaseInsensitive);
        QStringList filters;
        QString openedWith;
        CDialogDriver driver;
        driver.Expect("saveAsDialog", [&](QDialog* pDialog) {
            auto* pFileDialog = qobject_cast<QFileDialog*>(pDialog);
            filters = pFileDialog->nameFilters();
            openedWith = pFileDialog->selectedNameFilter();
            if (bChoosePng) { // as a person does: the type list, one step down
                auto* pTypes = pDialog->findChild<QComboBox*>("fileTypeCombo");
                pTypes->setFocus(Qt::OtherFocusReason);
                QTest::keyClick(pTypes, Qt::Key_Down);
            }
            AnswerSaveAs(Enter, typed.isEmpty() ? pDialog->findChild<QLineEdit*>("fileNameEdit")->text()
                                                : typed)(pDialog);
        });
        QVERIFY(Run(ID_FILE_SAVE_AS, driver));
        QCOMPARE(filters, (QStringList{"ビットマップファイル (*.bmp)", "PNG ファイル (*.png)"}));
        QCOMPARE(openedWith, filters.value(0));
        QCOMPARE(State().mid(0, 2), (QStringList{file, file}));
        for (const QRgb rgb : {qRgb(200, 40, 10), qRgb(10, 90, 220)}) { // Save As, then Save
            SetPicture(*View(), rgb);
            QVERIFY(Run(ID_FILE_SAVE, driver) && Holds(In(file)));
            QCOMPARE(QImageReader::imageFormat(In(file)), bPng ? "png" : "bmp");
        }
        driver.Expect("saveAsDialog", AnswerSaveAs(CancelButton, "x"));
        QVERIFY(Run(ID_FILE_SAVE_AS, driver));
        QCOMPARE(m_proposed, file.endsWith(".txt") ? file + ".bmp" : file);
    }

    void vanishedFolder_data() {
        QTest::addColumn<QString>("current"); // the current folder, below the root, removed with its parents
        QTest::addColumn<QString>("opensIn"); // where the dialog opens, below the root
        QTest::newRow("the current folder") << "箱/消えた"
                                            << "箱";
        QTest::newRow("two levels") << "箱/消えた/奥"
                                    << "箱";
    }

    // Save names the folder that is gone; Save As opens in the nearest folder still there and saves where the
    // dialog says.
    void vanishedFolder() {
        QFETCH(QString, current);
        QFETCH(QString, opensIn);
        QVERIFY(QDir(m_root).mkpath(current) && QDir::setCurrent(In(current)));
        for (QString folder = current; folder != opensIn; folder = QFileInfo(folder).path())
            QVERIFY(QDir(m_root).rmdir(folder));
        const QStringList before = State().mid(3);
        CDialogDriver driver;
        driver.Expect("afxMessageBox", Press(QMessageBox::Ok));
        QVERIFY(Run(ID_FILE_SAVE, driver));
        QVERIFY2(m_text.contains(QDir::toNativeSeparators(In(current + "/" + kUntitled))) &&
                     m_text.contains(CSystemError::Text(CSystemError::kFolderRemoved)),
                 qPrintable(m_text));
        QCOMPARE(State().mid(3), before);

        QString directory;
        driver.Expect("saveAsDialog", [&](QDialog* pDialog) {
            directory = qobject_cast<QFileDialog*>(pDialog)->directory().absolutePath();
            AnswerSaveAs(Enter, "海辺")(pDialog);
        });
        QVERIFY(Run(ID_FILE_SAVE_AS, driver));
        QCOMPARE(directory, In(opensIn));
        QVERIFY(Holds(In(opensIn + "/海辺.bmp")));
        QCOMPARE(State().mid(0, 3), (QStringList{"海辺.bmp", "海辺.bmp", In(opensIn)}));
    }

    void changesNothing_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("typed"); // also the file an error box names
        QTest::addColumn<int>("error");     // the reason in the error box, 0 for none
        QTest::newRow("Cancel button") << int(CancelButton) << "捨てる絵" << 0;
        QTest::newRow("No to replacing") << int(Enter) << "古い絵" << 0;
        QTest::newRow("Save As onto a pipe")
            << int(Enter) << "<root>/絵の箱/管.bmp" << CSystemError::kNotRegularFile;
        QTest::newRow("Save As into a folder the encoding cannot read")
            << int(Enter) << "<root>/絵" + QString(QChar::ReplacementCharacter) + "/絵.bmp" << EILSEQ;
        // Save keeps the name of the last Save As, which is the file named here.
        QTest::newRow("Save PNG over the file-size limit")
            << int(SaveOnly) << "<root>/絵の箱/前.png" << EFBIG;
    }

    // After a Save As into a Japanese folder and a change to the picture.
    void changesNothing() {
        QFETCH(int, answer);
        QFETCH(QString, typed);
        QFETCH(int, error);
        typed.replace("<root>", m_root);
        // A pipe, which a faulty save would replace, and a folder whose name shows with U+FFFD.
        QVERIFY(::mkfifo(QFile::encodeName(In("絵の箱/管.bmp")), 0666) == 0);
        QVERIFY(::mkdir(QFile::encodeName(m_root) + "/絵\xff", 0777) == 0);
        CDialogDriver driver;
        driver.Expect("saveAsDialog", AnswerSaveAs(Enter, answer == SaveOnly ? typed : In("絵の箱/前.bmp")));
        QVERIFY(Run(ID_FILE_SAVE_AS, driver));
        SetPicture(*View(), qRgb(10, 90, 220));
        const QStringList before = State();
        if (answer != SaveOnly)
            driver.Expect("saveAsDialog", AnswerSaveAs(answer, typed));
        if (typed == "古い絵")
            driver.Expect("", Press(QMessageBox::No));
        if (error == CSystemError::kNotRegularFile) // the dialog sees a name that is taken
            driver.Expect("", Press(QMessageBox::Yes));
        if (error != 0)
            driver.Expect("afxMessageBox", Press(QMessageBox::Ok));
        // The dialogs write nothing; a picture in one colour makes a PNG file of little more than 1 KiB.
        rlimit limit{error != EFBIG ? RLIM_INFINITY : 128, RLIM_INFINITY};
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        const bool bRan = Run(answer == SaveOnly ? ID_FILE_SAVE : ID_FILE_SAVE_AS, driver);
        limit.rlim_cur = RLIM_INFINITY;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0 && bRan);
        QVERIFY2(error == 0 || (m_text.contains(QDir::toNativeSeparators(typed)) &&
                                m_text.contains(CSystemError::Text(error))),
                 qPrintable(m_text));
        QCOMPARE(State(), before);
    }
};

QTEST_MAIN(TestSaveCommands)
#include "tst_savecommands.moc"
