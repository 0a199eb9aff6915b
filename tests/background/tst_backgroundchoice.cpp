// SPDX-License-Identifier: MIT
#include "background/ColorSettings.h"
#include "background/ShapeGenerator.h"
#include "tests/app/AppTestSupport.h"

#include <QDeadlineTimer>

using namespace apptest;

namespace {

using L = QList<int>;
constexpr int kCloseBox = -2, kResizeThenRedraw = -1, kEsc = Qt::Key_Escape;
constexpr int kTab = Qt::Key_Tab, kHome = Qt::Key_Home, kEnd = Qt::Key_End, kEnter = Qt::Key_Return;

// Keys, clicks on controls and the close box, in turn; 0 does nothing.
void Act(QDialog* pDialog, const QList<int>& actions) {
    for (int n : actions) {
        if (n >= Qt::Key_Escape)
            CDialogDriver::SendKey(pDialog, Qt::Key(n));
        else if (n == kCloseBox)
            pDialog->close();
        else if (n > 0)
            CDialogDriver::Click(n)(pDialog);
    }
}

} // namespace

class TestBackgroundChoice : public QObject {
    Q_OBJECT
    // A window placement kept by an earlier run would start the window at another size.
    std::unique_ptr<QTemporaryDir> m_pSettings = IsolateSettings();

private Q_SLOTS:
    void init() { g_generator.m_nContrast = 200; } // not what a cancelled visit leaves
    void cleanup() { StopApp(); }

    // The program's first paint runs the splash, ended by a key or its timer. Then come the choices, one per
    // showing, each a new background; the settings answers (色合い設定, Escape, close box) open the settings.
    void session_data() {
        QTest::addColumn<QList<int>>("answers"); // the splash's (0: none, the timer), then the choices'
        QTest::newRow("the two-second timer; これでいく") << L{0, IDC_USE_THIS};
        QTest::newRow("each way to settings; Enter") << L{kEsc, IDC_COLOR_SETTINGS, kEsc, kCloseBox, kEnter};
        QTest::newRow("resized, the 100th 描きなおす") << L{kEnter, kResizeThenRedraw} + L(99, IDC_REDRAW);
    }
    void session() {
        QFETCH(QList<int>, answers);
        const int key = answers.takeFirst();
        CZelvorandineView::s_bFirstPaintDone = false;
        const QDeadlineTimer splashTime(2000, Qt::PreciseTimer);
        QList<QImage> offered;
        CDialogDriver driver;
        driver.Expect("splashDlg", [&](QDialog* pDialog) {
            Act(pDialog, {key});
            QVERIFY(pDialog->isHidden() == (key != 0));
        });
        for (int nAnswer : answers) {
            driver.Expect("backgroundDlg", [&, nAnswer](QDialog* pDialog) {
                QVERIFY(key != 0 || splashTime.hasExpired());
                offered.append(View()->m_bmpColor);
                QCOMPARE(pDialog->focusWidget(), CDialogDriver::Button(pDialog, IDC_USE_THIS));
                if (nAnswer == kResizeThenRedraw)
                    AfxGetMainWnd()->resize(AfxGetMainWnd()->size() + QSize(60, 20));
                Act(pDialog, {nAnswer == kResizeThenRedraw ? IDC_REDRAW : nAnswer});
            });
            if (nAnswer == IDC_COLOR_SETTINGS || nAnswer == kEsc || nAnswer == kCloseBox)
                driver.Expect("colorSettingsDlg", CDialogDriver::Click(IDC_SETTINGS_DONE));
        }
        QVERIFY(theApp.InitInstance());
        QTRY_VERIFY(driver.Finished() && View()->m_bReady == 1);
        for (int i = 0; i < offered.size(); ++i) {
            QVERIFY(i == 0 || offered[i] != offered[i - 1]);
            QCOMPARE(offered[i].size() != offered[0].size(), i > 0 && answers[0] == kResizeThenRedraw);
        }
        QCOMPARE(View()->m_bmpColor.convertToFormat(QImage::Format_RGB32), offered.last());

        View()->repaint(); // a later paint shows no dialog
        QVERIFY2(driver.Finished(), qPrintable(driver.Faults().join(u'\n')));
    }

    // One visit to the settings dialog: the stored settings, the actions, and what is stored then (the
    // generator takes it all the same). From ｷｬﾝｾﾙ, where the focus starts, Tab goes
    // on to red, green, blue, 設定終了, contrast; Home and End move a slider to its ends; Enter on a slider
    // stores, on a button presses it. The contrast range is fixed from the stored ceilings.
    void settings_data() {
        for (const char* pColumn : {"stored", "actions", "expected"})
            QTest::addColumn<QList<int>>(pColumn);
        const L start{255, 200, 100, 400};
        QTest::newRow("tab order, ends, 0 .. 515")
            << start << L{kTab, kHome, kTab, kTab, kHome, kTab, kTab, kEnd, kEnter} << L{0, 200, 0, 515};
        QTest::newRow("ceilings below 40: 0 .. 0")
            << L{10, 10, 10, 400} << L{kTab, kTab, kTab, kTab, kTab, kEnd, kEnter} << L{10, 10, 10, 0};
        QTest::newRow("close box") << start << L{kTab, kHome, kCloseBox} << start;
        QTest::newRow("round to ｷｬﾝｾﾙ")
            << start << L{kTab, kHome, kTab, kTab, kTab, kTab, kTab, kEnter} << start;
    }
    void settings() {
        QFETCH(QList<int>, stored);
        QFETCH(QList<int>, actions);
        QFETCH(QList<int>, expected);
        g_colorSettings = {stored[0], stored[1], stored[2], stored[3]};
        CDialogDriver driver;
        driver.Expect("colorSettingsDlg", [&](QDialog* pDialog) { Act(pDialog, actions); });
        CZelvorandineView().OnBackgroundSettings();
        QVERIFY2(driver.Finished(), qPrintable(driver.Faults().join(u'\n')));
        const SColorSettings& s = g_colorSettings;
        QCOMPARE((L{s.nRed, s.nGreen, s.nBlue, s.nContrast}), expected);
        QCOMPARE((L{g_generator.m_nRed, g_generator.m_nGreen, g_generator.m_nBlue, g_generator.m_nContrast}),
                 expected);
    }
};

QTEST_MAIN(TestBackgroundChoice)
#include "tst_backgroundchoice.moc"
