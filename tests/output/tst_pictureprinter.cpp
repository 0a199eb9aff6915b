// SPDX-License-Identifier: MIT
#include "output/PdfStructure.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/SpecialFiles.h"
#include "tests/background/DialogDriver.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <fcntl.h>

using namespace apptest;

// Printing into a file named in the print dialog, reached by 印刷 and by the print preview's print button.
class TestPicturePrinter : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_pSettings = IsolateSettings();

private Q_SLOTS:
    void initTestCase() { QVERIFY(StartApp({})); }
    void cleanupTestCase() { StopApp(); }

    void printDialog_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("kind");   // what stands at the name typed into the dialog
        QTest::addColumn<QString>("reason"); // why it is refused; empty: it is printed into
        // A file there is replaced after the dialog's own question whether to replace it.
        for (const int nCommand : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW})
            for (const QString kind : {"fifo", "link to fifo", "socket", "folder", "regular"})
                QTest::addRow("%s: %s", nCommand == ID_FILE_PRINT ? "print" : "preview", qPrintable(kind))
                    << nCommand << kind
                    << QString(kind == "regular"  ? ""
                               : kind == "folder" ? "同じ名前のﾌｫﾙﾀﾞがあります。"
                                                  : "通常のﾌｧｲﾙではありません。");
    }

    // A name that is no file to print into is refused when the print button is pressed, before anything opens
    // it (a pipe would keep the program waiting for a reader): the message names it and the dialog stays for
    // another name. Nothing changes in the folder.
    void printDialog() {
        QFETCH(int, command);
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath("out.pdf");
        QVERIFY(QDir::setCurrent(dir.path()) && MakeFile(kind, path));
        // A reader at a pipe: a writer that opens it goes on instead of hanging the test.
        const int nReader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        const auto closeReader = qScopeGuard([nReader] { ::close(nReader); });
        const QStringList before = Listing(dir.path());
        bool bStayed = false;
        QString shown;
        CDialogDriver driver;
        if (command == ID_FILE_PRINT_PREVIEW) {
            driver.Expect("", [](QDialog* pPreview) {
                for (QAction* pAction : pPreview->findChildren<QAction*>())
                    if (pAction->text() == QCoreApplication::translate("QPrintPreviewDialog", "Print"))
                        pAction->trigger();
                if (pPreview->isVisible())
                    pPreview->reject();
            });
        }
        driver.Expect("", [&](QDialog* pDialog) { // "PDF ファイルに出力", the name, then 印刷(P)
            auto* pPrinters = pDialog->findChild<QComboBox*>("printers");
            pPrinters->setCurrentIndex(pPrinters->count() - 1);
            auto* pName = pDialog->findChild<QLineEdit*>("filename");
            pName->selectAll();
            QTest::keyClicks(pName,
                             reason.isEmpty() ? path : "out.pdf"); // a bare name: from the current folder
            auto* pButtons = pDialog->findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
            QTest::mouseClick(pButtons->button(QDialogButtonBox::Ok), Qt::LeftButton);
            if ((bStayed = pDialog->isVisible()))
                pDialog->reject();
        });
        driver.Expect("", [&](QDialog* pBox) {
            auto* pMessage = qobject_cast<QMessageBox*>(pBox);
            shown = pMessage->text();
            reason.isEmpty() ? pMessage->button(QMessageBox::Yes)->click() : (void)pMessage->close();
        });
        Frame()->SendCommand(command);
        QVERIFY2(driver.Finished(), qPrintable(driver.Seen().join('|')));
        QCOMPARE(bStayed, !reason.isEmpty());
        if (QFile pdf(path); reason.isEmpty()) {
            QVERIFY(pdf.open(QIODevice::ReadOnly) && CPdfStructure::IsComplete(pdf.readAll()));
            return;
        }
        QCOMPARE(shown, QString("ﾌｧｲﾙ %1 に印刷できませんでした。\n%2").arg(path, reason));
        QCOMPARE(Listing(dir.path()), before);
    }
};

QTEST_MAIN(TestPicturePrinter)
#include "tst_pictureprinter.moc"
