#include "app/ZelvorandineApp.h"
#include "app/framework/FrameWnd.h"
#include "background/ColorSettings.h"
#include "background/ShapeGenerator.h"
#include "canvas/ImageSurface.h"
#include "canvas/ZelvorandineView.h"
#include "res/ResourceIds.h"
#include "tests/background/DialogDriver.h"

#include <QLabel>
#include <QSlider>
#include <QTest>

// The colour settings dialog run by the view, answered with the mouse and the keyboard; what it leaves
// in the settings and in the generator.
namespace {

const QString kSettings = QStringLiteral("colorSettingsDlg");

QSlider* Slider(QDialog* pDialog, int nID) {
    return pDialog->findChild<QSlider*>(QStringLiteral("control%1").arg(nID));
}

struct SShown {
    int nRed, nGreen, nBlue, nContrast, nContrastMin, nContrastMax;
};

SShown Shown(QDialog* pDialog) {
    QSlider* pContrast = Slider(pDialog, IDC_CONTRAST_SLIDER);
    return {Slider(pDialog, IDC_RED_SLIDER)->value(),
            Slider(pDialog, IDC_GREEN_SLIDER)->value(),
            Slider(pDialog, IDC_BLUE_SLIDER)->value(),
            pContrast->value(),
            pContrast->minimum(),
            pContrast->maximum()};
}

QList<int> Settings() {
    return {g_colorSettings.nRed, g_colorSettings.nGreen, g_colorSettings.nBlue, g_colorSettings.nContrast};
}
QList<int> GeneratorFields() {
    return {g_generator.m_nRed, g_generator.m_nGreen, g_generator.m_nBlue, g_generator.m_nContrast};
}

} // namespace

class TestColorSettingsDlg : public QObject {
    Q_OBJECT

    CZelvorandineView m_view;

    static QString Failures(const CDialogDriver& driver) { return driver.Faults().join(u'\n'); }

private Q_SLOTS:
    void initTestCase() {
        theApp.InitApplication();
        CZelvorandineView::s_bFirstPaintDone = true;
    }

    // A test that failed half-way leaves no application behind for the next.
    void cleanup() {
        if (AfxGetMainWnd() != nullptr)
            theApp.ExitInstance();
        CZelvorandineView::s_bFirstPaintDone = true;
    }

    void init() {
        g_colorSettings = SColorSettings{};
        g_generator.m_nRed = g_generator.m_nGreen = g_generator.m_nBlue = 255;
        g_generator.m_nContrast = 200;
        g_generator.m_nMaxShape = 150;
    }

    void looks() {
        CDialogDriver driver;
        driver.Expect(kSettings, [](QDialog* pDialog) {
            QCOMPARE(pDialog->windowTitle(), QStringLiteral("背景の設定"));
            QVERIFY(pDialog->windowFlags().testFlag(Qt::WindowCloseButtonHint));
            for (int nID : {IDC_RED_SLIDER, IDC_GREEN_SLIDER, IDC_BLUE_SLIDER, IDC_CONTRAST_SLIDER}) {
                QSlider* pSlider = Slider(pDialog, nID);
                QVERIFY(pSlider != nullptr);
                QCOMPARE(pSlider->orientation(), Qt::Horizontal);
                QCOMPARE(pSlider->tickPosition(), QSlider::NoTicks);
            }
            QStringList labels;
            for (QLabel* pLabel : pDialog->findChildren<QLabel*>())
                labels.append(pLabel->text());
            labels.sort();
            QStringList expected{QStringLiteral("赤の濃さ"), QStringLiteral("緑の濃さ"),
                                 QStringLiteral("青の濃さ"), QStringLiteral("コントラスト")};
            expected.sort();
            QCOMPARE(labels, expected);
            QCOMPARE(CDialogDriver::Button(pDialog, IDCANCEL)->text(), QStringLiteral("ｷｬﾝｾﾙ"));
            QCOMPARE(CDialogDriver::Button(pDialog, IDC_SETTINGS_DONE)->text(), QStringLiteral("設定終了"));
            CDialogDriver::Click(IDCANCEL)(pDialog);
        });
        m_view.OnBackgroundSettings();
        QVERIFY2(driver.Finished() && driver.Faults().isEmpty(), qPrintable(Failures(driver)));
    }

    // What the dialog shows for stored settings, and what "設定終了" stores when nothing was moved.
    void opening_data() {
        QTest::addColumn<QList<int>>("stored");
        QTest::addColumn<int>("contrastShown");
        QTest::addColumn<int>("contrastMax");
        QTest::newRow("start-up values") << QList<int>{255, 255, 255, 400} << 400 << 725;
        QTest::newRow("floor above the range") << QList<int>{100, 100, 100, 900} << 260 << 260;
        QTest::newRow("no red, floor 700") << QList<int>{0, 255, 255, 700} << 470 << 470;
        QTest::newRow("floor at the range's top") << QList<int>{0, 255, 255, 470} << 470 << 470;
        QTest::newRow("ceilings adding up to 40") << QList<int>{20, 10, 10, 5} << 0 << 0;
        QTest::newRow("ceilings below 40") << QList<int>{10, 10, 10, 400} << 0 << 0;
        QTest::newRow("all ceilings 0") << QList<int>{0, 0, 0, 400} << 0 << 0;
    }
    void opening() {
        QFETCH(QList<int>, stored);
        QFETCH(int, contrastShown);
        QFETCH(int, contrastMax);
        g_colorSettings = {stored[0], stored[1], stored[2], stored[3]};
        CDialogDriver driver;
        driver.Expect(kSettings, [&](QDialog* pDialog) {
            const SShown shown = Shown(pDialog);
            for (int nID : {IDC_RED_SLIDER, IDC_GREEN_SLIDER, IDC_BLUE_SLIDER}) {
                QCOMPARE(Slider(pDialog, nID)->minimum(), 0);
                QCOMPARE(Slider(pDialog, nID)->maximum(), 255);
            }
            QCOMPARE(shown.nRed, stored[0]);
            QCOMPARE(shown.nGreen, stored[1]);
            QCOMPARE(shown.nBlue, stored[2]);
            QCOMPARE(shown.nContrastMin, 0);
            QCOMPARE(shown.nContrastMax, contrastMax);
            QCOMPARE(shown.nContrast, contrastShown);
            CDialogDriver::Click(IDC_SETTINGS_DONE)(pDialog);
        });
        m_view.OnBackgroundSettings();
        QVERIFY2(driver.Finished() && driver.Faults().isEmpty(), qPrintable(Failures(driver)));
        const QList<int> expected{stored[0], stored[1], stored[2], contrastShown};
        QCOMPARE(Settings(), expected);
        QCOMPARE(GeneratorFields(), expected);
    }

    // Ways out that store nothing; the generator still takes the settings, so its start-up floor of 200
    // becomes 400.
    void leavingWithoutStoring_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("ｷｬﾝｾﾙ") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
        QTest::newRow("Enter right after opening") << 3;
    }
    void leavingWithoutStoring() {
        QFETCH(int, way);
        g_generator.m_nMaxShape = 77;
        CDialogDriver driver;
        driver.Expect(kSettings, [&](QDialog* pDialog) {
            // Cancel has the focus at opening; moving the sliders below does not take it away.
            QCOMPARE(pDialog->focusWidget(), CDialogDriver::Button(pDialog, IDCANCEL));
            Slider(pDialog, IDC_RED_SLIDER)->setValue(10);
            Slider(pDialog, IDC_GREEN_SLIDER)->setValue(20);
            Slider(pDialog, IDC_BLUE_SLIDER)->setValue(30);
            Slider(pDialog, IDC_CONTRAST_SLIDER)->setValue(100);
            switch (way) {
            case 0:
                CDialogDriver::Click(IDCANCEL)(pDialog);
                break;
            case 1:
                CDialogDriver::SendKey(pDialog, Qt::Key_Escape);
                break;
            case 2:
                pDialog->close();
                break;
            case 3:
                CDialogDriver::SendKey(pDialog, Qt::Key_Return);
                break;
            }
        });
        m_view.OnBackgroundSettings();
        QVERIFY2(driver.Finished() && driver.Faults().isEmpty(), qPrintable(Failures(driver)));
        const QList<int> startUp{255, 255, 255, 400};
        QCOMPARE(Settings(), startUp);
        QCOMPARE(GeneratorFields(), startUp);
        QCOMPARE(g_generator.m_nMaxShape, 77);
    }

    // Enter while a slider has the focus is "設定終了": the slider moved with the keyboard is stored.
    void enterOnSlider_data() {
        QTest::addColumn<int>("tabs"); // from Cancel, where the focus starts
        QTest::addColumn<int>("slider");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("red") << 1 << IDC_RED_SLIDER << QList<int>{0, 255, 255, 400};
        QTest::newRow("green") << 2 << IDC_GREEN_SLIDER << QList<int>{255, 0, 255, 400};
        QTest::newRow("blue") << 3 << IDC_BLUE_SLIDER << QList<int>{255, 255, 0, 400};
        QTest::newRow("contrast") << 5 << IDC_CONTRAST_SLIDER << QList<int>{255, 255, 255, 0};
    }
    void enterOnSlider() {
        QFETCH(int, tabs);
        QFETCH(int, slider);
        QFETCH(QList<int>, expected);
        CDialogDriver driver;
        driver.Expect(kSettings, [&](QDialog* pDialog) {
            for (int i = 0; i < tabs; ++i)
                CDialogDriver::SendKey(pDialog, Qt::Key_Tab);
            QCOMPARE(pDialog->focusWidget(), Slider(pDialog, slider));
            CDialogDriver::SendKey(pDialog, Qt::Key_Home);
            QCOMPARE(Slider(pDialog, slider)->value(), 0);
            CDialogDriver::SendKey(pDialog, Qt::Key_Return);
        });
        m_view.OnBackgroundSettings();
        QVERIFY2(driver.Finished() && driver.Faults().isEmpty(), qPrintable(Failures(driver)));
        QCOMPARE(Settings(), expected);
        QCOMPARE(GeneratorFields(), expected);
    }

    void tabOrder() {
        CDialogDriver driver;
        driver.Expect(kSettings, [](QDialog* pDialog) {
            const QList<QWidget*> order{
                Slider(pDialog, IDC_RED_SLIDER),      Slider(pDialog, IDC_GREEN_SLIDER),
                Slider(pDialog, IDC_BLUE_SLIDER),     CDialogDriver::Button(pDialog, IDC_SETTINGS_DONE),
                Slider(pDialog, IDC_CONTRAST_SLIDER), CDialogDriver::Button(pDialog, IDCANCEL)};
            QCOMPARE(pDialog->focusWidget(), CDialogDriver::Button(pDialog, IDCANCEL));
            for (QWidget* pNext : order) {
                CDialogDriver::SendKey(pDialog, Qt::Key_Tab);
                QCOMPARE(pDialog->focusWidget(), pNext);
            }
            CDialogDriver::SendKey(pDialog, Qt::Key_Escape);
        });
        m_view.OnBackgroundSettings();
        QVERIFY2(driver.Finished() && driver.Faults().isEmpty(), qPrintable(Failures(driver)));
    }

    // A floor above the new sum of ceilings is stored as it is; the next visit limits what it shows, and
    // leaving that visit with Cancel keeps the stored floor.
    void floorAboveCeilingsStoredAsIs() {
        CDialogDriver driver;
        driver.Expect(kSettings, [](QDialog* pDialog) {
            Slider(pDialog, IDC_RED_SLIDER)->setValue(0);
            Slider(pDialog, IDC_CONTRAST_SLIDER)->setValue(700);
            CDialogDriver::Click(IDC_SETTINGS_DONE)(pDialog);
        });
        driver.Expect(kSettings, [](QDialog* pDialog) {
            const SShown shown = Shown(pDialog);
            QCOMPARE(shown.nContrastMax, 470);
            QCOMPARE(shown.nContrast, 470);
            CDialogDriver::Click(IDCANCEL)(pDialog);
        });
        m_view.OnBackgroundSettings();
        const QList<int> stored{0, 255, 255, 700};
        QCOMPARE(Settings(), stored);
        QCOMPARE(GeneratorFields(), stored);
        m_view.OnBackgroundSettings();
        QVERIFY2(driver.Finished() && driver.Faults().isEmpty(), qPrintable(Failures(driver)));
        QCOMPARE(Settings(), stored);
    }

    // The next background is painted with the stored ceilings.
    void nextBackgroundFollowsTheSettings() {
        CDialogDriver driver;
        driver.Expect(kSettings, [](QDialog* pDialog) {
            Slider(pDialog, IDC_GREEN_SLIDER)->setValue(0);
            Slider(pDialog, IDC_BLUE_SLIDER)->setValue(0);
            CDialogDriver::Click(IDC_SETTINGS_DONE)(pDialog);
        });
        m_view.OnBackgroundSettings();
        QVERIFY(driver.Finished());
        QImage background(320, 240, QImage::Format_RGB32);
        background.fill(Qt::white);
        CImageSurface dc(background);
        g_generator.Draw(dc);
        bool bSomeRed = false;
        for (int y = 0; y < background.height(); ++y) {
            for (int x = 0; x < background.width(); ++x) {
                const QRgb pixel = background.pixel(x, y);
                QVERIFY2(qGreen(pixel) == 0 && qBlue(pixel) == 0, qPrintable(QString::number(pixel, 16)));
                bSomeRed = bSomeRed || qRed(pixel) != 0;
            }
        }
        QVERIFY(bSomeRed);
    }

    // Command 137 runs the same dialog from the main window's command road.
    void commandOutsideTheChoice() {
        theApp.SetArguments({});
        QVERIFY(theApp.InitInstance());
        CDialogDriver driver;
        driver.Expect(kSettings, [](QDialog* pDialog) {
            Slider(pDialog, IDC_RED_SLIDER)->setValue(100);
            CDialogDriver::Click(IDC_SETTINGS_DONE)(pDialog);
        });
        AfxGetMainWnd()->SendCommand(ID_BACKGROUND_SETTINGS);
        QVERIFY2(driver.Finished() && driver.Faults().isEmpty(), qPrintable(Failures(driver)));
        const QList<int> expected{100, 255, 255, 400};
        QCOMPARE(Settings(), expected);
        QCOMPARE(GeneratorFields(), expected);
    }
};

QTEST_MAIN(TestColorSettingsDlg)
#include "tst_colorsettingsdlg.moc"
