#include "../background/DialogDriver.h"

#include "background/ShapeGenerator.h"
#include "canvas/ZelvorandineView.h"
#include "output/BmpWriter.h"
#include "res/ResourceIds.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

// Window sizes a user or the window system can produce: shrunk to nothing, one row or column, and far
// larger than any screen. Each must give a sound picture, a well-formed file and a printed page, and
// never a crash.
class TestViewExtremes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { CZelvorandineView::s_bFirstPaintDone = true; }

    void everySizeChoosesEtchesSavesAndPrints_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("nothing") << QSize(0, 0);
        QTest::newRow("no height") << QSize(300, 0);
        QTest::newRow("no width") << QSize(0, 300);
        QTest::newRow("one pixel") << QSize(1, 1);
        QTest::newRow("one row") << QSize(777, 1);
        QTest::newRow("larger than the screen") << QSize(2600, 2100);
    }

    void everySizeChoosesEtchesSavesAndPrints() {
        QFETCH(QSize, size);
        CZelvorandineView view;
        view.OnCreate();
        view.resize(size);
        view.show();
        if (!size.isEmpty()) {
            QVERIFY(QTest::qWaitForWindowExposed(&view));
        }

        CDialogDriver driver;
        driver.Expect(QStringLiteral("backgroundDlg"), CDialogDriver::Click(IDC_USE_THIS));
        view.GenerateBackground();
        QVERIFY2(driver.Finished(), qPrintable(driver.Faults().join(u',')));
        QCOMPARE(view.m_bReady, 1);
        QCOMPARE(QSize(view.m_nLayerWidth, view.m_nLayerHeight), view.size());

        // A stroke of every pen across and beyond the edges.
        for (int nPen : {ID_PEN_FINE, ID_PEN_BOLD, ID_PEN_COVER}) {
            view.OnCmdMsg(nPen, CmdCode::Command, nullptr);
            view.OnLButtonDown({}, QPoint(0, 0));
            view.OnMouseMove(Qt::LeftButton, QPoint(size.width() / 2, size.height() / 2));
            view.OnMouseMove(Qt::LeftButton, QPoint(size.width() - 1, size.height() - 1));
            view.OnLButtonUp({}, QPoint(size.width() - 1, size.height() - 1));
        }
        view.repaint();

        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        view.m_strName = QStringLiteral("picture.bmp");
        view.OnFileSave();
        QDir::setCurrent(previous);
        QFile file(dir.filePath(view.m_strName));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), CBmpWriter::FileSize(size.width(), size.height()));
        // The header names the client area's own width and height, also when one of them is 0.
        QCOMPARE(qFromLittleEndian<qint32>(bytes.constData() + 18), size.width());
        QCOMPARE(qFromLittleEndian<qint32>(bytes.constData() + 22), size.height());

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
        QVERIFY(view.PrintTo(printer));
        QVERIFY(QFileInfo(printer.outputFileName()).size() > 0);
    }
};

QTEST_MAIN(TestViewExtremes)
#include "tst_viewextremes.moc"
