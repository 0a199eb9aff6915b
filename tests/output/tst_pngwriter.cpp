// SPDX-License-Identifier: MIT
#include "app/framework/SystemError.h"
#include "output/PictureWriter.h"
#include "output/PngWriter.h"
#include "tests/output/PictureTestSupport.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace picturetest;

namespace {

// The signature and the header chunk of an 8-bit RGB picture without interlacing.
QByteArray PngStart(int nWidth, int nHeight) {
    QByteArray start = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");
    char size[8];
    qToBigEndian<quint32>(quint32(nWidth), size);
    qToBigEndian<quint32>(quint32(nHeight), size + 4);
    return start + QByteArray(size, 8) + QByteArray::fromHex("0802000000");
}

} // namespace

class TestPngWriter : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    bool m_bPil = false;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(QDir::setCurrent(m_dir.path()));
        m_bPil = HavePil();
    }

    void samePixelsAsBmp_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        for (const QSize size : {QSize(1, 1), QSize(2, 3), QSize(7, 5), QSize(101, 50), QSize(1023, 480)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size.width() << size.height();
    }

    // Read by Qt and by PIL, the PNG file holds exactly the picture its BMP file holds.
    void samePixelsAsBmp() {
        QFETCH(int, width);
        QFETCH(int, height);
        const QImage picture = Picture(width, height);
        QVERIFY(CPictureWriter().WritePicture(Picture(1100, 480), "picture.png"));
        QVERIFY(CPictureWriter().WritePicture(picture, "picture.png"));
        QVERIFY(CPictureWriter().WritePicture(picture, "picture.bmp"));
        QVERIFY(Read("picture.png").startsWith(PngStart(width, height)));
        const QImage bmp("picture.bmp", "BMP");
        QCOMPARE(bmp, picture);
        QCOMPARE(QImage("picture.png", "PNG").convertToFormat(QImage::Format_RGB32), bmp);
        if (!m_bPil)
            QSKIP("needs /usr/bin/python3 with PIL");
        QCOMPARE(ReadWithPil("picture.png"), bmp);
    }

    void nameDecidesFormat_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("bPng");
        QTest::newRow(".png") << "絵.png" << true;
        QTest::newRow(".PNG") << "絵.PNG" << true;
        QTest::newRow(".Png") << "絵.Png" << true;
        QTest::newRow(".bmp.png") << "絵.bmp.png" << true;
        QTest::newRow(".bmp") << "絵.bmp" << false;
        QTest::newRow("no suffix") << "絵" << false;
        QTest::newRow(".png.bmp") << "絵.png.bmp" << false;
        QTest::newRow(".pngx") << "絵.pngx" << false;
        QTest::newRow("png without a dot") << "絵png" << false;
        QTest::newRow("another suffix") << "絵.txt" << false;
    }

    // Any name that does not end in ".png" gets the BMP file, byte for byte.
    void nameDecidesFormat() {
        QFETCH(QString, name);
        QFETCH(bool, bPng);
        const QImage picture = Picture(7, 5);
        QVERIFY(CPictureWriter().WritePicture(picture, name));
        QVERIFY(CBmpWriter().WritePicture(
            7, 5,
            [&picture](int nY, unsigned char* pBgr) {
                for (int x = 0; x < 7; ++x, pBgr += 3) {
                    const QRgb rgb = picture.pixel(x, nY);
                    pBgr[0] = uchar(qBlue(rgb)), pBgr[1] = uchar(qGreen(rgb)), pBgr[2] = uchar(qRed(rgb));
                }
            },
            "reference.bmp"));
        if (bPng) {
            QVERIFY(Read(name).startsWith(PngStart(7, 5)));
            QCOMPARE(QImage(name, "PNG").convertToFormat(QImage::Format_RGB32), picture);
        } else {
            QCOMPARE(Read(name), Read("reference.bmp"));
        }
    }

    void emptyPictureIsRefused_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("no rows") << 640 << 0;
        QTest::newRow("no columns") << 0 << 480;
    }

    // A PNG file cannot hold it; the earlier file stays.
    void emptyPictureIsRefused() {
        QFETCH(int, width);
        QFETCH(int, height);
        QVERIFY(CPictureWriter().WritePicture(Picture(7, 5), "empty.png"));
        const QByteArray before = Read("empty.png");
        QString reason;
        QVERIFY(!CPngWriter().WritePicture(width, height, {}, "empty.png", &reason));
        QCOMPARE(reason, CSystemError::Text(CSystemError::kEmptyPicture));
        QCOMPARE(Read("empty.png"), before);
    }
};

QTEST_GUILESS_MAIN(TestPngWriter)
#include "tst_pngwriter.moc"
