// SPDX-License-Identifier: MIT
#include "app/ZelvorandineApp.h"
#include "app/framework/FrameWnd.h"
#include "background/ColorSettings.h"
#include "background/ShapeGenerator.h"
#include "canvas/ZelvorandineView.h"
#include "tests/app/AppTestSupport.h"
#include "tests/background/DialogDriver.h"

#include <QSlider>

#include <chrono>

namespace {

const QString kSplash = QStringLiteral("splashDlg"), kChoice = QStringLiteral("backgroundDlg");
const QString kSettings = QStringLiteral("colorSettingsDlg");
constexpr int kCloseBox = 0, kResizeThenRedraw = -1, kEsc = Qt::Key_Escape;
constexpr int kTab = Qt::Key_Tab, kHome = Qt::Key_Home, kEnd = Qt::Key_End, kEnter = Qt::Key_Return;
constexpr auto Drag = [](int nID, int nValue) { return nID * 1000 + nValue; }; // slider nID to nValue

// Keys, drags, clicks on controls and the close box, in turn.
void Act(QDialog* pDialog, const QList<int>& actions) {
    for (int n : actions) {
        if (n >= Qt::Key_Escape)
            CDialogDriver::SendKey(pDialog, Qt::Key(n));
        else if (n >= Drag(1000, 0)) // control ids are 1000 and above
            pDialog->findChild<QSlider*>(QStringLiteral("control%1").arg(n / 1000))->setValue(n % 1000);
        else if (n == kCloseBox)
            pDialog->close();
        else
            CDialogDriver::Click(n)(pDialog);
    }
}

// True when no pixel has any of the channels in mask.
bool Without(const QImage& image, QRgb mask) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const auto* p = reinterpret_cast<const QRgb*>(rgb.constBits());
    return !rgb.isNull() && std::none_of(p, p + rgb.sizeInBytes() / 4, [mask](QRgb c) { return c & mask; });
}

} // namespace

class TestBackgroundChoice : public QObject {
    Q_OBJECT
    // A window placement kept by an earlier run would start the window at another size.
    std::unique_ptr<QTemporaryDir> m_pSettings = apptest::IsolateSettings();

private Q_SLOTS:
    void init() {
        g_colorSettings = SColorSettings{};
        g_generator.m_nRed = g_generator.m_nGreen = g_generator.m_nBlue = 255;
        g_generator.m_nContrast = 200;
        g_generator.m_nMaxShape = 77;
    }
    void cleanup() {
        if (AfxGetMainWnd() != nullptr)
            theApp.ExitInstance();
    }

    // The program's first paint runs the splash, ended by a key or its timer. Then come the choices, one per
    // showing; the settings answers (色合い設定, Escape, close box) open the settings, where green and blue
    // go to 0. Later paints and New run the choice alone; New keeps the picture's name; quitting closes the
    // main window without a question.
    void session_data() {
        QTest::addColumn<QList<int>>("answers"); // the splash's (0: none, the timer), then the choices'
        QTest::newRow("Enter; これでいく") << QList<int>{kEnter, IDC_USE_THIS};
        QTest::newRow("the two-second timer; Enter") << QList<int>{0, kEnter};
        QTest::newRow("色合い設定") << QList<int>{kEsc, IDC_COLOR_SETTINGS, IDC_USE_THIS};
        QTest::newRow("Escape") << QList<int>{kEsc, kEsc, IDC_USE_THIS};
        QTest::newRow("close box") << QList<int>{kEsc, kCloseBox, IDC_USE_THIS};
        QTest::newRow("resized") << QList<int>{kEsc, kResizeThenRedraw, IDC_USE_THIS};
        QTest::newRow("100th 描きなおす") << (QList<int>{kEsc} + QList<int>(100, IDC_REDRAW));
    }
    void session() {
        QFETCH(QList<int>, answers);
        const int key = answers.takeFirst();
        CZelvorandineView::s_bFirstPaintDone = false;
        theApp.SetArguments({});
        const auto start = std::chrono::steady_clock::now();
        CZelvorandineView* pView = nullptr;
        QList<QImage> offered;
        CDialogDriver driver;
        driver.Expect(kSplash, [&](QDialog* pDialog) {
            pView = qobject_cast<CZelvorandineView*>(AfxGetMainWnd()->GetActiveView());
            QVERIFY(pDialog->windowFlags().testFlag(Qt::FramelessWindowHint));
            QVERIFY(qAbs(pDialog->width() - 289) <= 1 && qAbs(pDialog->height() - 208) <= 1);
            if (key != 0)
                Act(pDialog, {key});
            QVERIFY(pDialog->isHidden() == (key != 0));
        });
        for (int nAnswer : answers) {
            driver.Expect(kChoice, [&, nAnswer](QDialog* pDialog) {
                QVERIFY(key != 0 || std::chrono::steady_clock::now() - start >= std::chrono::seconds(2));
                offered.append(pView->m_bmpColor);
                QCOMPARE(pDialog->focusWidget(), CDialogDriver::Button(pDialog, IDC_USE_THIS));
                if (nAnswer == kResizeThenRedraw)
                    AfxGetMainWnd()->resize(AfxGetMainWnd()->size() + QSize(60, 20));
                Act(pDialog, {nAnswer == kResizeThenRedraw ? IDC_REDRAW : nAnswer});
            });
            if (nAnswer == IDC_COLOR_SETTINGS || nAnswer == kEsc || nAnswer == kCloseBox)
                driver.Expect(kSettings, [](QDialog* pDialog) {
                    Act(pDialog, {Drag(IDC_GREEN_SLIDER, 0), Drag(IDC_BLUE_SLIDER, 0), IDC_SETTINGS_DONE});
                });
        }
        QVERIFY(theApp.InitInstance());
        QTRY_VERIFY(driver.Finished() && pView->m_bReady == 1);
        for (int i = 0; i < offered.size(); ++i) {
            QVERIFY(i == 0 || offered[i] != offered[i - 1]);
            QCOMPARE(offered[i].size() != offered[0].size(), i > 0 && answers[0] == kResizeThenRedraw);
            QCOMPARE(Without(offered[i], 0x00FFFF),
                     i > 0 && driver.Seen()[i + 1] == kSettings); // after the settings
        }
        QCOMPARE(pView->m_bmpColor.convertToFormat(QImage::Format_RGB32), offered.last());

        pView->m_strName = QStringLiteral("夕焼け.bmp");
        pView->repaint();
        driver.Expect(kChoice, CDialogDriver::Click(IDC_USE_THIS));
        driver.Expect(kChoice, CDialogDriver::Click(IDC_QUIT_PROGRAM));
        AfxGetMainWnd()->SendCommand(ID_FILE_NEW);
        AfxGetMainWnd()->SendCommand(ID_FILE_NEW);
        QTest::qWait(50); // a question would show now
        QVERIFY2(driver.Finished(), qPrintable(driver.Faults().join(u'\n')));
        QVERIFY(!AfxGetMainWnd()->isVisible());
        QCOMPARE(pView->m_strName, QStringLiteral("夕焼け.bmp"));
    }

    // One visit to the settings dialog: the stored settings, the actions, and what is stored then (the
    // generator takes it all the same, but not m_nMaxShape). From ｷｬﾝｾﾙ, where the focus starts, Tab goes
    // on to red, green, blue, 設定終了, contrast; Home and End move a slider to its ends; Enter on a slider
    // stores, on a button presses it.
    void settings_data() {
        for (const char* pColumn : {"stored", "actions", "expected"})
            QTest::addColumn<QList<int>>(pColumn);
        const QList<int> start{255, 255, 255, 400};
        const QList<int> moved{Drag(IDC_RED_SLIDER, 30), Drag(IDC_GREEN_SLIDER, 30),
                               Drag(IDC_BLUE_SLIDER, 30), Drag(IDC_CONTRAST_SLIDER, 30)};
        const QList<int> toContrastEnd{kTab, kTab, kTab, kTab, kTab, kEnd, kEnter};
        const auto row = [](const char* pName, const QList<int>& stored, const QList<int>& actions,
                            const QList<int>& expected) {
            QTest::newRow(pName) << stored << actions << expected;
        };
        row("設定終了", start, {IDC_SETTINGS_DONE}, start);
        row("ranges' tops", start,
            moved + QList<int>{kTab, kEnd, kTab, kEnd, kTab, kEnd, kTab, kTab, kEnd, kEnter},
            {255, 255, 255, 725});
        row("ｷｬﾝｾﾙ", start, moved + QList<int>{IDCANCEL}, start);
        row("Escape", start, moved + QList<int>{kEsc}, start);
        row("close box", start, moved + QList<int>{kCloseBox}, start);
        row("floor above the range", {100, 100, 100, 900}, {IDC_SETTINGS_DONE}, {100, 100, 100, 260});
        row("floor above new ceilings", start,
            {Drag(IDC_RED_SLIDER, 0), Drag(IDC_CONTRAST_SLIDER, 700), IDC_SETTINGS_DONE}, {0, 255, 255, 700});
        row("next visit: 0 .. 470", {0, 255, 255, 700}, toContrastEnd, {0, 255, 255, 470});
        row("ceilings below 40: 0 .. 0", {10, 10, 10, 400}, toContrastEnd, {10, 10, 10, 0});
        row("red, green, 設定終了", start, {kTab, kHome, kTab, kHome, kTab, kTab, kHome, kEnter},
            {0, 0, 255, 400});
        row("blue, contrast", start, {kTab, kTab, kTab, kHome, kTab, kTab, kHome, kEnter}, {255, 255, 0, 0});
        row("round to ｷｬﾝｾﾙ", start, {kTab, kHome, kTab, kTab, kTab, kTab, kTab, kEnter}, start);
    }
    void settings() {
        QFETCH(QList<int>, stored);
        QFETCH(QList<int>, actions);
        QFETCH(QList<int>, expected);
        g_colorSettings = {stored[0], stored[1], stored[2], stored[3]};
        CDialogDriver driver;
        driver.Expect(kSettings, [&](QDialog* pDialog) {
            QCOMPARE(pDialog->focusWidget(), CDialogDriver::Button(pDialog, IDCANCEL));
            Act(pDialog, actions);
        });
        CZelvorandineView().OnBackgroundSettings();
        QVERIFY2(driver.Finished(), qPrintable(driver.Faults().join(u'\n')));
        const SColorSettings& s = g_colorSettings;
        const CShapeGenerator& g = g_generator;
        QCOMPARE((QList<int>{s.nRed, s.nGreen, s.nBlue, s.nContrast, g.m_nRed, g.m_nGreen, g.m_nBlue,
                             g.m_nContrast, g.m_nMaxShape}),
                 expected + expected + QList<int>{77});
    }
};

QTEST_MAIN(TestBackgroundChoice)
#include "tst_backgroundchoice.moc"
