// SPDX-License-Identifier: MIT
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/background/DialogDriver.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <qpa/qwindowsysteminterface.h>

#include <csignal>
#include <sys/resource.h>

using namespace apptest;

// The question before an etched picture is lost, on every road that loses it, and the picture's modified
// state with the caption's mark.
class TestSaveModified : public QObject {
    Q_OBJECT
    enum Road { Exit, CloseBox, Logout, New };
    enum Answer { Unmodified, SaveAsOk, SaveAsCancel, SaveAsFails, SaveOk, SaveFails, DontSave, Cancel };
    std::unique_ptr<QTemporaryDir> m_pSettings = IsolateSettings(), m_pDir;

private Q_SLOTS:
    void initTestCase() {
        theApp.InitApplication();      // Qt's Japanese texts, which the question's buttons use
        std::signal(SIGXFSZ, SIG_IGN); // past the file-size limit a write fails
    }
    void init() {
        m_pDir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_pDir->path()));
        QVERIFY(StartApp({}) && QTest::qWaitForWindowExposed(Frame()));
        CDialogDriver driver;
        driver.Expect("backgroundDlg", CDialogDriver::Click(IDC_USE_THIS));
        Frame()->SendCommand(ID_FILE_NEW);
    }
    void cleanup() { StopApp(); }

    void discard_data() {
        QTest::addColumn<int>("road");
        QTest::addColumn<int>("answer");
        // Each road once goes on and once stays.
        QTest::newRow("Exit, 保存, Save As writes") << +Exit << +SaveAsOk;
        QTest::newRow("Exit, キャンセル") << +Exit << +Cancel;
        QTest::newRow("close box, 保存 after a Save As, Save writes") << +CloseBox << +SaveOk;
        QTest::newRow("close box, 保存, Save As cancelled") << +CloseBox << +SaveAsCancel;
        QTest::newRow("close box, 保存 after a Save As, Save fails") << +CloseBox << +SaveFails;
        QTest::newRow("logout, 保存しない") << +Logout << +DontSave;
        QTest::newRow("logout, 保存, Save As fails") << +Logout << +SaveAsFails;
        QTest::newRow("logout, キャンセル") << +Logout << +Cancel;
        QTest::newRow("New, unmodified") << +New << +Unmodified;
        QTest::newRow("New, 保存, Save As writes") << +New << +SaveAsOk;
        QTest::newRow("New, 保存しない, the choice quits") << +New << +DontSave;
        QTest::newRow("New, キャンセル") << +New << +Cancel;
    }
    // Exit and the close box close the window, logging out may go on, New starts the choice: at once when
    // nothing would be lost, else once the picture is written or given up. Otherwise nothing happens: the
    // window, the picture, its name and the caption stay as they were. A picture given up is not asked about
    // again when the session's end closes the window, nor when the choice after New quits.
    void discard() {
        QFETCH(int, road);
        QFETCH(int, answer);
        const bool bNamed = answer == SaveOk || answer == SaveFails, bAsks = answer != Unmodified;
        const bool bFails = answer == SaveAsFails || answer == SaveFails;
        const bool bGoesOn = !bAsks || answer == SaveAsOk || answer == SaveOk || answer == DontSave;
        const QString written = m_pDir->filePath(bNamed ? "前の絵.bmp" : "新しい絵.bmp");
        const CDialogDriver::Step saveAs = [&written](QDialog* pDialog) { TypeName(pDialog, written); };
        CDialogDriver driver;
        if (bNamed) {
            driver.Expect("saveAsDialog", saveAs);
            Frame()->SendCommand(ID_FILE_SAVE_AS);
        }
        Frame()->SendCommand(ID_PEN_BOLD);
        if (bAsks)
            QTest::mouseClick(View(), Qt::LeftButton, {}, {30, 40});
        // The mark follows the title: the document's, or the name chosen in Save As.
        QCOMPARE(Caption(), bNamed ? "前の絵.bmp*" : bAsks ? "無題* - Zelvorandine" : "無題 - Zelvorandine");
        const QImage picture = View()->m_bmpCover.copy();
        const QString name = View()->m_strName, caption = Caption();
        QStringList asked; // the question's buttons
        if (bAsks)
            driver.Expect("afxMessageBox", [&asked, answer, name](QDialog* pDialog) {
                auto* pBox = qobject_cast<QMessageBox*>(pDialog);
                QCOMPARE(pBox->text(), "「" + name + "」への変更を保存しますか？");
                for (QAbstractButton* pButton : pBox->buttons())
                    asked << pButton->text();
                if (answer == DontSave || answer == Cancel)
                    return pBox->button(answer == DontSave ? QMessageBox::Discard : QMessageBox::Cancel)
                        ->click();
                QTest::keyClick(pBox, Qt::Key_Return); // 保存, the default
            });
        if (answer == SaveAsOk || answer == SaveAsCancel || answer == SaveAsFails)
            driver.Expect("saveAsDialog", answer == SaveAsCancel ? &QDialog::reject : saveAs);
        if (bFails) // why it was not written
            driver.Expect("afxMessageBox", [](QDialog* pDialog) { pDialog->accept(); });
        if (road == New && bGoesOn)
            driver.Expect("backgroundDlg",
                          CDialogDriver::Click(answer == DontSave ? IDC_QUIT_PROGRAM : IDC_USE_THIS));
        rlimit limit{bFails ? 16384 : RLIM_INFINITY, RLIM_INFINITY};
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        if (road == Exit || road == New)
            Frame()->SendCommand(road == Exit ? ID_APP_EXIT : ID_FILE_NEW);
        const bool bSessionMayEnd = road != Logout || Frame()->OnQueryEndSession();
        // The close box, or the session's end: the window system asks the window to close.
        if (road == CloseBox || (road == Logout && bSessionMayEnd))
            QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(
                Frame()->windowHandle());
        limit.rlim_cur = RLIM_INFINITY;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        QVERIFY2(driver.Finished(), qPrintable(driver.Faults().join(u'\n')));
        QCOMPARE(asked, (bAsks ? QStringList{"保存", "キャンセル", "保存しない"} : QStringList()));
        QCOMPARE(Frame()->isVisible(), !bGoesOn || (road == New && answer != DontSave));
        QCOMPARE(bSessionMayEnd, bGoesOn || road != Logout);
        QVERIFY(View()->IsModified() != bGoesOn && Frame()->isWindowModified() != bGoesOn);
        QCOMPARE(QImage(written).convertToFormat(QImage::Format_RGB32) == picture,
                 answer == SaveAsOk || answer == SaveOk);
        if (bGoesOn)
            return;
        QVERIFY(View()->m_bmpCover == picture && View()->m_strName == name && Caption() == caption);
        // Opening a file keeps the etched picture, marked after the file's name.
        QVERIFY(QFile("開いた絵.bmp").open(QIODevice::WriteOnly) && theApp.OpenDocumentFile("開いた絵.bmp"));
        QCOMPARE(Caption(), "開いた絵.bmp* - Zelvorandine");
    }
};

QTEST_MAIN(TestSaveModified)
#include "tst_savemodified.moc"
