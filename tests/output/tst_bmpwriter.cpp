// SPDX-License-Identifier: MIT
#include "output/BmpWriter.h"
#include "output/PictureWriter.h"
#include "tests/output/PictureTestSupport.h"

#include <QDataStream>
#include <QTemporaryDir>
#include <QTest>

using namespace picturetest;

class TestBmpWriter : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    bool m_bPil = false;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(QDir::setCurrent(m_dir.path()));
        m_bPil = HavePil();
    }

    void layout_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("bSource"); // without a row source the picture is black
        for (const int height : {0, 1, 480})
            for (const int width : {1, 2, 3, 4, 5, 6, 7, 8, 101, 1023})
                QTest::addRow("%dx%d", width, height) << width << height << (height > 0);
        // 1023 x 480 above already takes several chunks.
        QTest::newRow("rows wider than a chunk") << 90001 << 3 << true;
        QTest::newRow("black without a source") << 1023 << 480 << false;
    }

    // Written over a larger file, which must leave exactly the new one; read back by Qt and by PIL.
    void layout() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, bSource);
        const int stride = (3 * width + 3) / 4 * 4;
        QImage picture = Picture(width, height);
        if (!bSource)
            picture.fill(Qt::black);
        QByteArray expected;
        QDataStream out(&expected, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        // "BM", file size, 0, pixel offset; info size, width, height, 1 plane, 24 bits, the rest 0.
        out << quint16(0x4D42) << quint32(54 + height * stride) << quint32(0) << quint32(54) << quint32(40)
            << width << height << quint16(1) << quint16(24) << quint64(0) << quint64(0) << quint64(0);
        const QImage bgr = picture.mirrored().convertToFormat(QImage::Format_BGR888); // the bottom row first
        for (int y = 0; y < height; ++y) {
            out.writeRawData(reinterpret_cast<const char*>(bgr.constScanLine(y)), 3 * width);
            out.writeRawData("\0\0\0", stride - 3 * width); // pad bytes
        }
        QVERIFY(CPictureWriter().WritePicture(Picture(1100, 480), "picture.bmp"));
        // No image is 1023 x 0: such a picture comes as rows.
        QVERIFY(bSource ? CPictureWriter().WritePicture(picture, "picture.bmp")
                        : CBmpWriter().WritePicture(width, height, {}, "picture.bmp"));
        QCOMPARE(Read("picture.bmp"), expected);
        if (width * height == 1)
            QCOMPARE(Read("picture.bmp"),
                     QByteArray::fromHex("424d3a000000000000003600000028000000010000000100000001001800"
                                         "0000000000000000000000000000000000000000000000000000ff00"));
        if (height == 0)
            return; // neither reader takes a picture without rows
        QCOMPARE(QImage("picture.bmp", "BMP"), picture);
        if (!m_bPil)
            QSKIP("needs /usr/bin/python3 with PIL");
        QCOMPARE(ReadWithPil("picture.bmp"), picture);
    }
};

QTEST_GUILESS_MAIN(TestBmpWriter)
#include "tst_bmpwriter.moc"
