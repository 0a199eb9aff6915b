// SPDX-License-Identifier: MIT
#include "files/SystemError.h"
#include "output/PdfStructure.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/SpecialFiles.h"
#include "tests/output/PictureTestSupport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

#include <fcntl.h>

using namespace apptest;

// Save As and printing into a file run from the menu, the real dialogs answered the way a person
// answers them.
class TestSaveCommands : public QObject {
    Q_OBJECT
    enum EAnswer { Enter, PngThenEnter, Escape };
    std::unique_ptr<QTemporaryDir> m_pSettings = IsolateSettings(), m_pDir;
    QString m_root, m_text; // the last message box's text
    QStringList m_dialog;   // the save dialog's file types, the type it opened with, its folder and proposal

    QString In(const QString& relative) const { return QDir(m_root).filePath(relative); }
    // Name, title, current folder and every file with its bytes.
    QStringList State() const {
        return QStringList{View()->m_strName, Caption(), QDir::currentPath()} + Listing(m_root);
    }
    // Types into the name field, which has the focus (or the dialog prefers a file selected in its list).
    CDialogDriver::Step AnswerSaveAs(const QString& typed, EAnswer answer = Enter) {
        return [=, this](QDialog* pDialog) {
            auto* pFileDialog = qobject_cast<QFileDialog*>(pDialog);
            m_dialog = pFileDialog->nameFilters()
                       << pFileDialog->selectedNameFilter() << pFileDialog->directory().absolutePath()
                       << pDialog->findChild<QLineEdit*>("fileNameEdit")->text();
            if (answer == PngThenEnter) // as a person does: the type list, one step down
                QTest::keyClick(pDialog->findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Down);
            TypeName(pDialog, typed, answer == Escape ? Qt::Key_Escape : Qt::Key_Return);
            if (pDialog->isVisible())
                pDialog->reject(); // still open after No to the overwrite question
        };
    }
    CDialogDriver::Step Press(QMessageBox::StandardButton button) {
        return [=, this](QDialog* pDialog) {
            auto* pBox = qobject_cast<QMessageBox*>(pDialog);
            m_text = pBox->text();
            // Our own messages, which only inform, carry names as the user typed them, markup included.
            if (button == QMessageBox::Ok)
                QCOMPARE(pBox->textFormat(), Qt::PlainText);
            QVERIFY2(pBox->button(button) != nullptr, qPrintable(m_text));
            pBox->button(button)->click();
        };
    }

private Q_SLOTS:
    void init() {
        m_pDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/保存の試験-XXXXXX");
        m_root = QFileInfo(m_pDir->path()).canonicalFilePath();
        QVERIFY(QDir::setCurrent(m_root) && QDir(m_root).mkdir("絵の箱"));
        QVERIFY(MakeFile("regular", In("絵の箱/古い絵.bmp")) && StartApp({}) &&
                QTest::qWaitForWindowExposed(Frame()));
        // Short of the right and bottom edges: a mirrored, turned or shifted picture differs.
        const QSize size = View()->size() - QSize(13, 7);
        View()->m_bmpColor = View()->m_bmpCover = picturetest::Picture(size.width(), size.height());
        View()->m_nLayerWidth = size.width();
        View()->m_nLayerHeight = size.height();
    }
    void cleanup() { StopApp(); }

    void saveAs_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("file"); // below the root; empty: nothing is to change
        const auto row = [](const char* pName, EAnswer answer, const QString& typed, const QString& file) {
            QTest::newRow(pName) << int(answer) << typed << file;
        };
        row("bare name, full path into a Japanese folder", Enter, "<root>/絵の箱/夕焼け",
            "絵の箱/夕焼け.bmp");
        row("PNG type, bare name", PngThenEnter, "海辺", "海辺.png");
        row("PNG type, .bmp typed", PngThenEnter, "海辺.bmp", "海辺.bmp");
        row("bitmap type, .PNG typed", Enter, "海辺.PNG", "海辺.PNG");
        row("Escape", Escape, "捨てる絵", "");
        row("No to replacing", Enter, "絵の箱/古い絵", "");
    }

    // The dialog offers both types and opens with bitmap files chosen; the name decides the file type, and
    // the next Save As proposes it. Only a Save As that writes changes the files, the name, the title and the
    // current folder.
    void saveAs() {
        QFETCH(int, answer);
        QFETCH(QString, typed);
        QFETCH(QString, file);
        const QString name = QFileInfo(file).fileName();
        const QStringList before = State();
        CDialogDriver driver;
        driver.Expect("saveAsDialog", AnswerSaveAs(typed.replace("<root>", m_root), EAnswer(answer)));
        if (file.isEmpty() && answer == Enter) // the dialog sees a name that is taken
            driver.Expect("", Press(QMessageBox::No));
        Frame()->SendCommand(ID_FILE_SAVE_AS);
        QVERIFY(driver.Finished());
        const QString bmp = "ビットマップファイル (*.bmp)";
        QCOMPARE(m_dialog, (QStringList{bmp, "PNG ファイル (*.png)", bmp, m_root, "名称未決定.bmp"}));
        if (file.isEmpty()) {
            QCOMPARE(State(), before);
            return;
        }
        QCOMPARE(State().mid(0, 3), (QStringList{name, name, QFileInfo(In(file)).absolutePath()}));
        // What the view shows, in the type the name says.
        QCOMPARE(QImage(In(file)), View()->grab().toImage().convertToFormat(QImage::Format_RGB32));
        QCOMPARE(QImageReader::imageFormat(In(file)),
                 file.endsWith(".png", Qt::CaseInsensitive) ? "png" : "bmp");
        driver.Expect("saveAsDialog", AnswerSaveAs("x", Escape));
        Frame()->SendCommand(ID_FILE_SAVE_AS);
        QVERIFY(driver.Finished());
        QCOMPARE(m_dialog.last(), name);
    }

    void printIntoFile_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("kind"); // what stands at the name typed into the dialog
        // A file there is replaced after the dialog's own question whether to replace it.
        for (const int nCommand : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW})
            for (const QString kind : {"fifo", "link to fifo", "socket", "folder", "regular"})
                QTest::addRow("%s: %s", nCommand == ID_FILE_PRINT ? "print" : "preview", qPrintable(kind))
                    << nCommand << kind;
    }

    // Printing into a file named in the print dialog, reached by 印刷 and by the print preview's print
    // button. A name that is no file to print into is refused when the print button is pressed, before
    // anything opens it (a pipe would keep the program waiting for a reader): the message names it and the
    // dialog stays for another name. Nothing changes in the folder.
    void printIntoFile() {
        QFETCH(int, command);
        QFETCH(QString, kind);
        const QString reason = kind == "regular"  ? ""
                               : kind == "folder" ? "同じ名前のﾌｫﾙﾀﾞがあります。"
                                                  : "通常のﾌｧｲﾙではありません。";
        const QString path = In("out.pdf");
        QVERIFY(MakeFile(kind, path));
        // A reader at a pipe: a writer that opens it goes on instead of hanging the test.
        const int nReader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        const auto closeReader = qScopeGuard([nReader] { ::close(nReader); });
        const QStringList before = Listing(m_root);
        bool bStayed = false;
        CDialogDriver driver;
        if (command == ID_FILE_PRINT_PREVIEW)
            driver.Expect("", [](QDialog* pPreview) {
                for (QAction* pAction : pPreview->findChildren<QAction*>())
                    if (pAction->text() == QCoreApplication::translate("QPrintPreviewDialog", "Print"))
                        pAction->trigger();
                if (pPreview->isVisible())
                    pPreview->reject();
            });
        driver.Expect("", [&](QDialog* pDialog) { // "PDF ファイルに出力", the name, then 印刷(P)
            auto* pPrinters = pDialog->findChild<QComboBox*>("printers");
            pPrinters->setCurrentIndex(pPrinters->count() - 1);
            auto* pName = pDialog->findChild<QLineEdit*>("filename");
            pName->setText(reason.isEmpty() ? path : "out.pdf"); // a bare name: from the current folder
            QTest::keyClick(pName, Qt::Key_Return);
            if ((bStayed = pDialog->isVisible()))
                pDialog->reject();
        });
        driver.Expect("", Press(reason.isEmpty() ? QMessageBox::Yes : QMessageBox::Ok));
        Frame()->SendCommand(command);
        QVERIFY2(driver.Finished(), qPrintable(driver.Faults().join('|')));
        QCOMPARE(bStayed, !reason.isEmpty());
        if (!reason.isEmpty())
            QCOMPARE(m_text, QString("ﾌｧｲﾙ %1 に印刷できませんでした。\n%2").arg(path, reason));
        // Nothing changed, or a whole PDF.
        QVERIFY(reason.isEmpty() ? CPdfStructure::IsComplete(picturetest::Read(path))
                                 : Listing(m_root) == before);
    }
};

QTEST_MAIN(TestSaveCommands)
#include "tst_savecommands.moc"
