#include "app/ZelvorandineApp.h"
#include "app/framework/FrameWnd.h"
#include "background/ColorSettings.h"
#include "background/ShapeGenerator.h"
#include "canvas/ImageSurface.h"
#include "canvas/ZelvorandineView.h"
#include "res/ResourceIds.h"
#include "tests/background/DialogDriver.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <memory>

// The background choice as the user meets it: the real choice dialog, answered by clicks and keys.
namespace {

const QSize kViewSize(200, 150);
const QString kChoice = QStringLiteral("backgroundDlg");
const QString kSettings = QStringLiteral("colorSettingsDlg");

enum EAnswer { UseThis, Redraw, Settings, Escape, CloseBox, EnterAtOpening, TabThenEnter, Quit };

CDialogDriver::Step AnswerStep(int nAnswer) {
    switch (nAnswer) {
    case UseThis:
        return CDialogDriver::Click(IDC_USE_THIS);
    case Redraw:
        return CDialogDriver::Click(IDC_REDRAW);
    case Settings:
        return CDialogDriver::Click(IDC_COLOR_SETTINGS);
    case Escape:
        return CDialogDriver::Key(Qt::Key_Escape);
    case CloseBox:
        return CDialogDriver::CloseBox();
    case EnterAtOpening:
        return CDialogDriver::Key(Qt::Key_Return);
    case TabThenEnter:
        return [](QDialog* pDialog) {
            CDialogDriver::SendKey(pDialog, Qt::Key_Tab);
            QCOMPARE(pDialog->focusWidget(), CDialogDriver::Button(pDialog, IDC_REDRAW));
            CDialogDriver::SendKey(pDialog, Qt::Key_Return);
        };
    case Quit:
        return CDialogDriver::Click(IDC_QUIT_PROGRAM);
    }
    return {};
}

bool AllBlack(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFFu) != 0)
                return false;
        }
    }
    return true;
}
bool AllBlack(const QImage& image) {
    return !image.isNull() && AllBlack(image, image.rect());
}

// True when no pixel has any green or blue.
bool OnlyRed(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0x00FFFFu) != 0)
                return false;
        }
    }
    return true;
}

// Sets the sliders as a user would leave them, then presses "設定終了".
CDialogDriver::Step SettingsDone(int nRed, int nGreen, int nBlue) {
    return [=](QDialog* pDialog) {
        pDialog->findChild<QSlider*>(QStringLiteral("control%1").arg(IDC_RED_SLIDER))->setValue(nRed);
        pDialog->findChild<QSlider*>(QStringLiteral("control%1").arg(IDC_GREEN_SLIDER))->setValue(nGreen);
        pDialog->findChild<QSlider*>(QStringLiteral("control%1").arg(IDC_BLUE_SLIDER))->setValue(nBlue);
        QTest::mouseClick(CDialogDriver::Button(pDialog, IDC_SETTINGS_DONE), Qt::LeftButton);
    };
}

} // namespace

class TestBackgroundChoice : public QObject {
    Q_OBJECT

    std::unique_ptr<CZelvorandineView> NewView() {
        auto pView = std::make_unique<CZelvorandineView>();
        pView->OnCreate();
        pView->resize(kViewSize);
        pView->show();
        if (!QTest::qWaitForWindowExposed(pView.get()))
            return nullptr;
        return pView;
    }

    // Captures the colour layer offered at each showing of the choice dialog.
    static CDialogDriver::Step Offered(CZelvorandineView* pView, QList<QImage>* pOffered,
                                       CDialogDriver::Step answer) {
        return [=](QDialog* pDialog) {
            pOffered->append(pView->m_bmpColor);
            answer(pDialog);
        };
    }

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

    void dialogLayout_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("use this") << IDC_USE_THIS << QStringLiteral("これでいく") << QRect(11, 32, 71, 25);
        QTest::newRow("redraw") << IDC_REDRAW << QStringLiteral("描きなおす") << QRect(93, 32, 72, 25);
        QTest::newRow("question") << IDC_STATIC << QStringLiteral("この背景を使いますか？")
                                  << QRect(60, 5, 136, 16);
        QTest::newRow("colour settings")
            << IDC_COLOR_SETTINGS << QStringLiteral("色合い設定") << QRect(175, 32, 74, 25);
        QTest::newRow("quit") << IDC_QUIT_PROGRAM << QStringLiteral("プログラム終了")
                              << QRect(77, 80, 103, 22);
    }
    void dialogLayout() {
        QFETCH(int, id);
        QFETCH(QString, text);
        QFETCH(QRect, geometry);
        auto pView = NewView();
        QVERIFY(pView);
        CDialogDriver driver;
        driver.Expect(kChoice, [&](QDialog* pDialog) {
            QCOMPARE(pDialog->windowTitle(), QStringLiteral("背景を決めましょう。"));
            // 147 x 73 dialog units with base units of 7 x 12 pixels.
            QCOMPARE(pDialog->size(), QSize(257, 110));
            QVERIFY(pDialog->windowFlags().testFlag(Qt::WindowCloseButtonHint));
            QWidget* pControl = nullptr;
            if (id == IDC_STATIC) {
                const auto labels = pDialog->findChildren<QLabel*>();
                QCOMPARE(labels.size(), 1);
                pControl = labels.front();
                QCOMPARE(labels.front()->text(), text);
            } else {
                auto* pButton = qobject_cast<QPushButton*>(CDialogDriver::Button(pDialog, id));
                QVERIFY(pButton != nullptr);
                QCOMPARE(pButton->text(), text);
                // No default push button: Enter belongs to the focused button alone.
                QVERIFY(!pButton->isDefault());
                pControl = pButton;
            }
            QCOMPARE(pControl->geometry(), geometry);
            CDialogDriver::Click(IDC_USE_THIS)(pDialog);
        });
        pView->GenerateBackground();
        QVERIFY2(driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
        QVERIFY(driver.Finished());
    }

    void focusAtOpening() {
        auto pView = NewView();
        QVERIFY(pView);
        CDialogDriver driver;
        driver.Expect(kChoice, [](QDialog* pDialog) {
            QCOMPARE(pDialog->focusWidget(), CDialogDriver::Button(pDialog, IDC_USE_THIS));
            CDialogDriver::Click(IDC_USE_THIS)(pDialog);
        });
        pView->GenerateBackground();
        QVERIFY(driver.Finished());
        QVERIFY(driver.Faults().isEmpty());
    }

    // Answers that end the loop at once keep the background they were asked about.
    void accepting_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("これでいく") << int(UseThis);
        QTest::newRow("Enter at opening") << int(EnterAtOpening);
    }
    void accepting() {
        QFETCH(int, answer);
        auto pView = NewView();
        QVERIFY(pView);
        QList<QImage> offered;
        CDialogDriver driver;
        driver.Expect(kChoice, Offered(pView.get(), &offered, AnswerStep(answer)));
        pView->GenerateBackground();
        QVERIFY2(driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
        QCOMPARE(driver.Seen(), QStringList{kChoice});
        QCOMPARE(offered.size(), 1);
        QCOMPARE(offered.front().size(), kViewSize);
        QVERIFY(!AllBlack(offered.front())); // a background was painted
        QCOMPARE(pView->m_bmpColor, offered.front());
        QCOMPARE(pView->m_bReady, 1);
        QCOMPARE(pView->m_bmpCover.size(), kViewSize);
        QVERIFY(AllBlack(pView->m_bmpCover));
        QVERIFY(AllBlack(pView->WindowSurface()));
    }

    void redrawing_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("描きなおす") << int(Redraw);
        QTest::newRow("Enter on 描きなおす") << int(TabThenEnter);
    }
    void redrawing() {
        QFETCH(int, answer);
        auto pView = NewView();
        QVERIFY(pView);
        QList<QImage> offered;
        CDialogDriver driver;
        driver.Expect(kChoice, Offered(pView.get(), &offered, AnswerStep(answer)));
        // Shown again, the dialog has the focus on "これでいく" as at its first opening.
        driver.Expect(kChoice, Offered(pView.get(), &offered, AnswerStep(EnterAtOpening)));
        pView->GenerateBackground();
        QVERIFY2(driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
        QCOMPARE(offered.size(), 2);
        QVERIFY(offered[0] != offered[1]);
        QCOMPARE(pView->m_bmpColor, offered[1]);
        QVERIFY(AllBlack(pView->m_bmpCover));
    }

    // The settings answers run the colour settings before the next attempt, which paints with them; each
    // counts as one of the hundred attempts.
    void settingsAnswers_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("色合い設定") << int(Settings);
        QTest::newRow("Escape") << int(Escape);
        QTest::newRow("close box") << int(CloseBox);
    }
    void settingsAnswers() {
        QFETCH(int, answer);
        auto pView = NewView();
        QVERIFY(pView);
        QList<QImage> offered;
        CDialogDriver driver;
        driver.Expect(kChoice, 98, Offered(pView.get(), &offered, AnswerStep(Redraw)));
        driver.Expect(kChoice, Offered(pView.get(), &offered, AnswerStep(answer)));
        driver.Expect(kSettings, SettingsDone(255, 0, 0));
        // The hundredth background: any answer ends the loop.
        driver.Expect(kChoice, Offered(pView.get(), &offered, AnswerStep(Redraw)));
        pView->GenerateBackground();
        QVERIFY2(driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
        QVERIFY(driver.Finished());
        QCOMPARE(offered.size(), 100);
        QVERIFY(!OnlyRed(offered[98]));
        QVERIFY(OnlyRed(offered[99]));
        QVERIFY(!AllBlack(offered[99]));
        QCOMPARE(pView->m_bmpColor, offered[99]);
        QCOMPARE(g_generator.m_nGreen, 0);
        QCOMPARE(pView->m_bReady, 1);
        QVERIFY(AllBlack(pView->m_bmpCover));
    }

    void hundredthAttempt_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("after"); // the dialogs that the last answer opens
        QTest::newRow("これでいく") << int(UseThis) << QStringList{};
        QTest::newRow("描きなおす") << int(Redraw) << QStringList{};
        QTest::newRow("色合い設定") << int(Settings) << QStringList{kSettings};
        QTest::newRow("Escape") << int(Escape) << QStringList{kSettings};
    }
    void hundredthAttempt() {
        QFETCH(int, answer);
        QFETCH(QStringList, after);
        auto pView = NewView();
        QVERIFY(pView);
        QList<QImage> offered;
        CDialogDriver driver;
        driver.Expect(kChoice, 99, Offered(pView.get(), &offered, AnswerStep(Redraw)));
        driver.Expect(kChoice, Offered(pView.get(), &offered, AnswerStep(answer)));
        for (const QString& name : after)
            driver.Expect(name, SettingsDone(255, 0, 0));
        pView->GenerateBackground();
        QVERIFY2(driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
        QVERIFY(driver.Finished());
        QCOMPARE(driver.Count(kChoice), 100);
        QCOMPARE(offered.size(), 100);
        // The hundredth background stays, whatever the settings say now.
        QCOMPARE(pView->m_bmpColor, offered[99]);
        QVERIFY(!OnlyRed(pView->m_bmpColor));
        QCOMPARE(pView->m_bReady, 1);
        QVERIFY(AllBlack(pView->m_bmpCover));
        QVERIFY(AllBlack(pView->WindowSurface()));
    }

    void resizeBetweenAttempts() {
        auto pView = NewView();
        QVERIFY(pView);
        const QSize larger(260, 170);
        QList<QImage> offered;
        CDialogDriver driver;
        driver.Expect(kChoice, Offered(pView.get(), &offered, [&](QDialog* pDialog) {
                          pView->resize(larger);
                          CDialogDriver::Click(IDC_REDRAW)(pDialog);
                      }));
        driver.Expect(kChoice, Offered(pView.get(), &offered, AnswerStep(UseThis)));
        pView->GenerateBackground();
        QVERIFY(driver.Finished());
        QCOMPARE(offered[0].size(), kViewSize);
        QCOMPARE(offered[1].size(), larger);
        QCOMPARE(pView->m_bmpColor.size(), larger);
        QCOMPARE(pView->m_bmpCover.size(), larger);
        QCOMPARE(QSize(pView->m_nLayerWidth, pView->m_nLayerHeight), larger);
        QVERIFY(AllBlack(pView->WindowSurface()));
    }

    // The whole program: quitting closes the main window without asking anything, after the cover was made.
    void quitProgram_data() {
        QTest::addColumn<bool>("firstPaint");
        QTest::newRow("on the first paint") << true;
        QTest::newRow("on File New") << false;
    }
    void quitProgram() {
        QFETCH(bool, firstPaint);
        theApp.SetArguments({});
        CZelvorandineView::s_bFirstPaintDone = !firstPaint;
        CDialogDriver driver;
        if (firstPaint)
            driver.Expect(QStringLiteral("splashDlg"), CDialogDriver::Key(Qt::Key_Escape));
        driver.Expect(kChoice, AnswerStep(Quit));
        QVERIFY(theApp.InitInstance());
        CFrameWnd* pFrame = AfxGetMainWnd();
        QVERIFY(pFrame != nullptr);
        auto* pView = qobject_cast<CZelvorandineView*>(pFrame->GetActiveView());
        QVERIFY(pView != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(pFrame));
        if (!firstPaint)
            pFrame->SendCommand(ID_FILE_NEW);
        QTRY_VERIFY(!pFrame->isVisible());
        QTest::qWait(50); // a question would show now
        QVERIFY2(driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
        QVERIFY(driver.Finished());
        QCOMPARE(pView->m_bReady, 1);
        QCOMPARE(pView->m_bmpCover.size(), pView->m_bmpColor.size());
        QVERIFY(AllBlack(pView->m_bmpCover));
        QVERIFY(AllBlack(pView->WindowSurface(), pView->m_bmpCover.rect()));
    }

    // File New during etching starts a new choice at once and keeps the picture's name.
    void fileNewKeepsName() {
        theApp.SetArguments({});
        QVERIFY(theApp.InitInstance());
        CFrameWnd* pFrame = AfxGetMainWnd();
        auto* pView = qobject_cast<CZelvorandineView*>(pFrame->GetActiveView());
        QVERIFY(pView != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(pFrame));
        {
            CDialogDriver driver;
            driver.Expect(kChoice, AnswerStep(UseThis));
            pFrame->SendCommand(ID_FILE_NEW);
            QVERIFY(driver.Finished());
        }
        const QImage first = pView->m_bmpColor;
        pView->m_strName = QStringLiteral("夕焼け.bmp");
        CImageSurface cover(pView->m_bmpCover);
        cover.Rectangle(10, 10, 60, 40);
        pView->Compose();
        QVERIFY(!AllBlack(pView->WindowSurface()));

        CDialogDriver driver;
        QList<QImage> offered;
        driver.Expect(kChoice, Offered(pView, &offered, [pView](QDialog* pDialog) {
                          // Nothing of the etched picture is left while the choice is open.
                          QVERIFY(pView->m_bmpCover.isNull());
                          CDialogDriver::Click(IDC_USE_THIS)(pDialog);
                      }));
        pFrame->SendCommand(ID_FILE_NEW);
        QVERIFY2(driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
        QCOMPARE(driver.Seen(), QStringList{kChoice});
        QCOMPARE(pView->m_strName, QStringLiteral("夕焼け.bmp"));
        QVERIFY(pView->m_bmpColor != first);
        QCOMPARE(pView->m_bmpColor, offered.front());
        QVERIFY(AllBlack(pView->m_bmpCover));
        QVERIFY(AllBlack(pView->WindowSurface(), pView->m_bmpCover.rect()));
        QVERIFY(pFrame->isVisible());
    }
};

QTEST_MAIN(TestBackgroundChoice)
#include "tst_backgroundchoice.moc"
