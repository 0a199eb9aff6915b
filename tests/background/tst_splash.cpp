#include "app/framework/Resources.h"
#include "background/SplashDlg.h"
#include "canvas/ZelvorandineView.h"
#include "res/ResourceIds.h"
#include "tests/background/DialogDriver.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

// The title splash: how it ends, what it shows, and that it comes once, on the first paint.
namespace {

const QString kSplash = QStringLiteral("splashDlg");
const QString kChoice = QStringLiteral("backgroundDlg");

bool AllBlack(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFFu) != 0)
                return false;
        }
    }
    return !image.isNull();
}

} // namespace

class TestSplash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The one test that waits for the real timer.
    void endsByItselfAfterTwoSeconds() {
        CDialogDriver driver;
        driver.Expect(kSplash, CDialogDriver::Wait());
        CSplashDlg splash;
        // Without a timer the splash would stay: cancel it then, so that the test fails instead of hanging.
        QTimer::singleShot(8000, &splash, [&splash] { splash.EndDialog(IDCANCEL); });
        QElapsedTimer clock;
        clock.start();
        const int nResult = splash.DoModal();
        const qint64 nElapsed = clock.elapsed();
        QVERIFY(driver.Finished());
        QCOMPARE(nResult, IDOK);
        QVERIFY2(nElapsed >= 1990 && nElapsed < 6000, qPrintable(QString::number(nElapsed)));
    }

    void endsByKey_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter") << int(Qt::Key_Return) << IDOK;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << IDCANCEL;
    }
    void endsByKey() {
        QFETCH(int, key);
        QFETCH(int, result);
        CDialogDriver driver;
        driver.Expect(kSplash, CDialogDriver::Key(Qt::Key(key)));
        CSplashDlg splash;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(splash.DoModal(), result);
        QVERIFY(driver.Finished());
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!splash.isVisible());
    }

    void showsTheTitlePicture() {
        const QImage title = CResources::LoadBitmap(IDB_TITLE).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(title.size(), QSize(289, 208));
        CDialogDriver driver;
        driver.Expect(kSplash, [&](QDialog* pDialog) {
            QVERIFY(pDialog->windowFlags().testFlag(Qt::FramelessWindowHint));
            QVERIFY(pDialog->windowTitle().isEmpty());
            // 165 x 139 dialog units: the picture's size to within rounding.
            QVERIFY(qAbs(pDialog->width() - 289) <= 1 && qAbs(pDialog->height() - 208) <= 1);
            const QImage shown = pDialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shown.copy(0, 0, 289, 208), title);
            // A click on the picture does nothing.
            const auto labels = pDialog->findChildren<QLabel*>();
            QCOMPARE(labels.size(), 1);
            QTest::mouseClick(labels.front(), Qt::LeftButton, {}, QPoint(100, 100));
            QVERIFY(pDialog->isVisible());
            CDialogDriver::SendKey(pDialog, Qt::Key_Escape);
        });
        CSplashDlg splash;
        splash.DoModal();
        QVERIFY2(driver.Finished() && driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
    }

    // The first paint of the process turns the view black, then the splash runs, then the choice. Neither a
    // later paint nor File New brings the splash back.
    void firstPaintOnly() {
        CZelvorandineView::s_bFirstPaintDone = false;
        CZelvorandineView view;
        view.OnCreate();
        view.resize(240, 160);
        CDialogDriver driver;
        driver.Expect(kSplash, [&](QDialog* pDialog) {
            QVERIFY(CZelvorandineView::s_bFirstPaintDone);
            QCOMPARE(view.WindowSurface().size(), QSize(240, 160));
            QVERIFY(AllBlack(view.WindowSurface()));
            QVERIFY(AllBlack(view.grab().toImage()));
            QVERIFY(view.m_bmpColor.isNull());
            CDialogDriver::SendKey(pDialog, Qt::Key_Escape);
        });
        driver.Expect(kChoice, [&](QDialog* pDialog) {
            QVERIFY(!AllBlack(view.m_bmpColor));
            CDialogDriver::Click(IDC_USE_THIS)(pDialog);
        });
        view.show();
        QTRY_VERIFY(driver.Finished() && view.m_bReady == 1);
        QVERIFY2(driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
        QCOMPARE(driver.Seen(), (QStringList{kSplash, kChoice}));
        QVERIFY(AllBlack(view.WindowSurface()));

        view.repaint();
        view.update();
        QTest::qWait(50);
        QCOMPARE(driver.Seen().size(), 2);

        driver.Expect(kChoice, CDialogDriver::Click(IDC_USE_THIS));
        QVERIFY(view.OnCmdMsg(ID_FILE_NEW, CmdCode::Command, nullptr));
        QVERIFY2(driver.Faults().isEmpty(), qPrintable(driver.Faults().join(u'\n')));
        QCOMPARE(driver.Seen(), (QStringList{kSplash, kChoice, kChoice}));
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
