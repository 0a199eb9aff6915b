// SPDX-License-Identifier: MIT
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/background/DialogDriver.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <tuple>

using namespace apptest;

// The question before an etched picture is lost, on every road that loses it, and the picture's modified
// state with the caption's mark.
namespace {

const QString kQuestion = "afxMessageBox", kSaveAs = "saveAsDialog", kChoice = "backgroundDlg";

enum Road { Exit, CloseBox, Logout, New };
enum Answer {
    Unmodified,      // nothing etched: no question
    SavedFirst,      // etched, then Ctrl+S: no question
    SaveByEnter,     // 保存 by Enter, Save As writes
    SaveAsCancelled, // 保存, Save As cancelled
    SaveAsFails,     // 保存, Save As into a missing folder
    SaveWrites,      // 保存 after a Save As: Save writes without a dialog
    SaveFails,       // 保存 after a Save As: Save over the file-size limit
    DontSave,        // 保存しない
    Cancel,          // キャンセル
    Escape,
    QuestionClosed, // the question's close box
};

// One thing the user does; false when it did not go as it should.
using Act = std::function<bool()>;

void Mouse(QWidget* w, QEvent::Type type, QPoint p) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Pressed at the first point, dragged through the others, released at the last: one point is a click.
void Etch(int nPen, const QList<QPoint>& points) {
    Frame()->SendCommand(nPen);
    Mouse(View(), QEvent::MouseButtonPress, points.front());
    for (qsizetype i = 1; i < points.size(); ++i)
        Mouse(View(), QEvent::MouseMove, points[i]);
    Mouse(View(), QEvent::MouseButtonRelease, points.back());
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Act)

class TestSaveModified : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_pSettings = IsolateSettings(), m_pDir;
    QString m_root;
    // The question's text, the texts of its 保存, 保存しない and キャンセル, then how many buttons it has.
    QString m_text;
    QStringList m_buttons;

    QString In(const QString& relative) const { return QDir(m_root).filePath(relative); }

    // Types a name into the save dialog's name field and presses Enter, or cancels it.
    static CDialogDriver::Step AnswerSaveAs(const QString& typed) {
        return [typed](QDialog* pDialog) {
            if (typed.isEmpty()) {
                pDialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
                return;
            }
            auto* pEdit = pDialog->findChild<QLineEdit*>("fileNameEdit");
            QApplication::setActiveWindow(pDialog); // offscreen, nothing activates it
            pEdit->setFocus(Qt::OtherFocusReason);
            pEdit->setText(typed);
            QTest::keyClick(pEdit, Qt::Key_Return);
        };
    }
    CDialogDriver::Step AnswerQuestion(int answer) {
        return [this, answer](QDialog* pDialog) {
            auto* pBox = qobject_cast<QMessageBox*>(pDialog);
            m_text = pBox->text();
            for (QMessageBox::StandardButton button :
                 {QMessageBox::Save, QMessageBox::Discard, QMessageBox::Cancel})
                m_buttons << (pBox->button(button) != nullptr ? pBox->button(button)->text() : QString());
            m_buttons << QString::number(pBox->buttons().size());
            if (answer == SaveByEnter)
                QTest::keyClick(pBox, Qt::Key_Return);
            else if (answer == Escape)
                QTest::keyClick(pBox, Qt::Key_Escape);
            else if (answer == QuestionClosed)
                pBox->close();
            else
                pBox->button(answer == DontSave ? QMessageBox::Discard
                             : answer == Cancel ? QMessageBox::Cancel
                                                : QMessageBox::Save)
                    ->click();
        };
    }

private Q_SLOTS:
    void initTestCase() {
        theApp.InitApplication();      // Qt's Japanese texts, which the question's buttons use
        std::signal(SIGXFSZ, SIG_IGN); // past the file-size limit a write fails
    }
    void init() {
        m_pDir = std::make_unique<QTemporaryDir>();
        m_root = QFileInfo(m_pDir->path()).canonicalFilePath();
        m_buttons.clear();
        m_text.clear();
        QVERIFY(QDir::setCurrent(m_root) && QDir(m_root).mkdir("箱"));
        QVERIFY(StartApp({}) && QTest::qWaitForWindowExposed(Frame()));
        CDialogDriver driver;
        driver.Expect(kChoice, CDialogDriver::Click(IDC_USE_THIS));
        Frame()->SendCommand(ID_FILE_NEW);
        QVERIFY(driver.Finished() && View()->m_bReady == 1 && !View()->IsModified());
    }
    void cleanup() { StopApp(); }

    void modifiedState_data() {
        QTest::addColumn<bool>("etched"); // a drag with the bold pen first
        QTest::addColumn<Act>("act");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("caption"); // %1 where the mark goes
        const QString untitled = "無題%1 - Zelvorandine";
        const auto etch = [](int nPen, QList<QPoint> points) {
            return Act([=] { return Etch(nPen, points), true; });
        };
        QTest::newRow("drag, fine pen")
            << false << etch(ID_PEN_FINE, {{10, 10}, {60, 20}}) << true << untitled;
        QTest::newRow("click, bold pen") << false << etch(ID_PEN_BOLD, {{50, 50}}) << true << untitled;
        QTest::newRow("drag, cover pen")
            << false << etch(ID_PEN_COVER, {{10, 10}, {60, 20}}) << true << untitled;
        QTest::newRow("click, cover pen") << false << etch(ID_PEN_COVER, {{50, 50}}) << true << untitled;
        QTest::newRow("drag beyond the layers") << false << Act([] { // the window grew after the choice
            const int x = View()->m_nLayerWidth;
            Frame()->resize(Frame()->size() + QSize(120, 0));
            if (!QTest::qWaitFor([x] { return View()->width() >= x + 100; }))
                return false;
            Etch(ID_PEN_COVER, {{x + 10, 20}, {x + 60, 40}});
            Etch(ID_PEN_BOLD, {{x + 30, 30}});
            return true;
        }) << false << untitled;
        // Neither of these changes the picture.
        const std::tuple<const char*, Act, QString> neutral[] = {
            {"pen chosen", [] { return Frame()->SendCommand(ID_PEN_COVER), true; }, untitled},
            {"colour settings",
             [] {
                 CDialogDriver driver;
                 driver.Expect("colorSettingsDlg", CDialogDriver::Click(IDC_SETTINGS_DONE));
                 Frame()->SendCommand(ID_BACKGROUND_SETTINGS);
                 return driver.Finished();
             },
             untitled},
            {"printed",
             [this] {
                 theApp.GetPrinter().setOutputFileName(In("page.pdf"));
                 Frame()->SendCommand(ID_FILE_PRINT_DIRECT);
                 return QFileInfo(In("page.pdf")).size() > 0;
             },
             untitled},
            {"file opened",
             [this] {
                 return QFile(In("開いた絵.bmp")).open(QIODevice::WriteOnly) &&
                        theApp.OpenDocumentFile(In("開いた絵.bmp")) != nullptr;
             },
             "開いた絵.bmp%1 - Zelvorandine"},
            {"bars hidden and shown",
             [] {
                 for (int nID : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_PENBAR, ID_VIEW_TOOLBAR,
                                 ID_VIEW_STATUS_BAR, ID_VIEW_PENBAR})
                     Frame()->SendCommand(nID);
                 return true;
             },
             untitled}};
        for (const auto& [name, act, caption] : neutral) {
            QTest::addRow("%s", name) << false << act << false << caption;
            QTest::addRow("etched, %s", name) << true << act << true << caption;
        }
        const Act saveAs = [this] {
            CDialogDriver driver;
            driver.Expect(kSaveAs, AnswerSaveAs(In("絵.bmp")));
            Frame()->SendCommand(ID_FILE_SAVE_AS);
            return driver.Finished();
        };
        QTest::newRow("saved under a name, etched") << false << Act([=] {
            return saveAs() && (Etch(ID_PEN_FINE, {{70, 70}}), true);
        }) << true << "絵.bmp%1";
    }
    // The caption marks a modified picture after its title: the document's, an opened file's, or the name
    // chosen in Save As. (A save clearing the mark is part of discard.)
    void modifiedState() {
        QFETCH(bool, etched);
        QFETCH(Act, act);
        QFETCH(QString, caption);
        if (etched)
            Etch(ID_PEN_BOLD, {{30, 40}, {120, 90}});
        QVERIFY(View()->IsModified() == etched &&
                Caption() == QString("無題%1 - Zelvorandine").arg(etched ? "*" : ""));
        QVERIFY(act());
        QTEST(View()->IsModified(), "modified");
        QTEST(Frame()->isWindowModified(), "modified");
        QCOMPARE(Caption(), caption.arg(View()->IsModified() ? "*" : ""));
    }

    void discard_data() {
        QTest::addColumn<int>("road");
        QTest::addColumn<int>("answer");
        const std::pair<const char*, Road> roads[] = {
            {"Exit", Exit}, {"close box", CloseBox}, {"logout", Logout}, {"New", New}};
        const std::pair<const char*, Answer> answers[] = {{"unmodified", Unmodified},
                                                          {"saved first", SavedFirst},
                                                          {"保存 by Enter, Save As writes", SaveByEnter},
                                                          {"保存, Save As cancelled", SaveAsCancelled},
                                                          {"保存, Save As fails", SaveAsFails},
                                                          {"保存 after a Save As, Save writes", SaveWrites},
                                                          {"保存 after a Save As, Save fails", SaveFails},
                                                          {"保存しない", DontSave},
                                                          {"キャンセル", Cancel},
                                                          {"Escape", Escape},
                                                          {"question closed", QuestionClosed}};
        for (auto [roadName, road] : roads)
            for (auto [answerName, answer] : answers)
                QTest::addRow("%s, %s", roadName, answerName) << int(road) << int(answer);
    }
    // Exit and the close box close the window, logging out may go on, New starts the choice: at once when
    // nothing would be lost, else once the picture is written or given up. Otherwise nothing happens: the
    // window, the picture, its name, the caption and the files stay as they were. A picture given up is not
    // asked about again when the session's end closes the window, nor when the choice after New quits.
    void discard() {
        QFETCH(int, road);
        QFETCH(int, answer);
        const bool bNamed = answer == SaveWrites || answer == SaveFails;
        const QString named = In("箱/前の絵.bmp"), written = bNamed ? named : In("新しい絵.bmp");
        CDialogDriver driver;
        if (bNamed) {
            driver.Expect(kSaveAs, AnswerSaveAs(named));
            Frame()->SendCommand(ID_FILE_SAVE_AS);
        }
        if (answer != Unmodified)
            Etch(ID_PEN_BOLD, {{30, 40}, {120, 90}, {160, 40}});
        if (answer == SavedFirst)
            Frame()->SendCommand(ID_FILE_SAVE);
        const QImage picture = View()->m_bmpCover.copy();
        const QString name = View()->m_strName, caption = Caption();
        const QByteArray oldBytes = Bytes(named);

        const bool bAsks = answer != Unmodified && answer != SavedFirst;
        const bool bGoesOn = !bAsks || answer == SaveByEnter || answer == SaveWrites || answer == DontSave;
        if (bAsks)
            driver.Expect(kQuestion, AnswerQuestion(answer));
        if (answer == SaveByEnter || answer == SaveAsCancelled || answer == SaveAsFails)
            driver.Expect(kSaveAs, AnswerSaveAs(answer == SaveByEnter   ? written
                                                : answer == SaveAsFails ? In("無い箱/絵.bmp")
                                                                        : QString()));
        if (answer == SaveAsFails || answer == SaveFails)
            driver.Expect(kQuestion, [](QDialog* pDialog) { pDialog->accept(); }); // why it was not written
        if (road == New && bGoesOn)
            driver.Expect(kChoice,
                          CDialogDriver::Click(answer == DontSave ? IDC_QUIT_PROGRAM : IDC_USE_THIS));
        rlimit limit{answer == SaveFails ? 16384 : RLIM_INFINITY, RLIM_INFINITY};
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        bool bSessionMayEnd = true;
        const std::function<void()> roads[] = {[] { Frame()->SendCommand(ID_APP_EXIT); },
                                               [] { Frame()->close(); },
                                               [&] { bSessionMayEnd = Frame()->OnQueryEndSession(); },
                                               [] { Frame()->SendCommand(ID_FILE_NEW); }};
        roads[road]();
        if (road == Logout && bSessionMayEnd) // the session ends
            Frame()->close();
        limit.rlim_cur = RLIM_INFINITY;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        QVERIFY2(driver.Finished(), qPrintable(driver.Faults().join(u'\n')));

        if (bAsks) {
            QCOMPARE(m_text, "「" + name + "」への変更を保存しますか？");
            QCOMPARE(m_buttons, (QStringList{"保存", "保存しない", "キャンセル", "3"}));
        }
        QCOMPARE(Frame()->isVisible(), !bGoesOn || (road == New && answer != DontSave));
        QCOMPARE(bSessionMayEnd, bGoesOn || road != Logout);
        QVERIFY(View()->IsModified() != bGoesOn && Frame()->isWindowModified() != bGoesOn);
        const bool bWritten = answer == SaveByEnter || answer == SaveWrites;
        QCOMPARE(QImage(written).convertToFormat(QImage::Format_RGB32) == picture, bWritten);
        QVERIFY(bNamed ? bWritten || Bytes(named) == oldBytes : !QFileInfo::exists(named));
        QVERIFY(!QFileInfo::exists(In("無い箱")));
        if (!bGoesOn) {
            QCOMPARE(View()->m_bmpCover, picture);
            QCOMPARE(View()->m_strName, name);
            QCOMPARE(Caption(), caption);
        } else if (road == New) { // a new black cover, nothing etched on it
            QImage black(View()->m_bmpCover.size(), QImage::Format_RGB32);
            black.fill(Qt::black);
            QCOMPARE(View()->m_bmpCover, black);
        }
        if (answer == SaveByEnter && Frame()->isVisible())
            QCOMPARE(Caption(), "新しい絵.bmp");
    }
};

QTEST_MAIN(TestSaveModified)
#include "tst_savemodified.moc"
