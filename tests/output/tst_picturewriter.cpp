// SPDX-License-Identifier: MIT
#include "files/SystemError.h"
#include "output/PictureWriter.h"
#include "tests/output/PictureTestSupport.h"

#include <QDataStream>
#include <QTemporaryDir>
#include <QTest>

using namespace picturetest;

namespace {

// The BMP file as the format lays it out: "BM", file size, 0, pixel offset; info size, width, height, 1
// plane, 24 bits, the rest 0; then the rows, the bottom one first, blue, green, red, padded to four bytes.
QByteArray ModelBmp(const QImage& picture, int nWidth, int nHeight) {
    const int nStride = (3 * nWidth + 3) / 4 * 4;
    QByteArray bmp;
    QDataStream out(&bmp, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0x4D42) << quint32(54 + nHeight * nStride) << quint32(0) << quint32(54) << quint32(40)
        << nWidth << nHeight << quint16(1) << quint16(24) << quint64(0) << quint64(0) << quint64(0);
    const QImage bgr = picture.mirrored().convertToFormat(QImage::Format_BGR888);
    for (int y = 0; y < nHeight; ++y) {
        out.writeRawData(reinterpret_cast<const char*>(bgr.constScanLine(y)), 3 * nWidth);
        out.writeRawData("\0\0\0", nStride - 3 * nWidth);
    }
    return bmp;
}

} // namespace

class TestPictureWriter : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(QDir::setCurrent(m_dir.path())); }

    void bothFormats_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("bSource"); // without a row source the picture is black
        for (const int height : {0, 1})
            for (const int width : {0, 1, 2, 3, 4, 5, 6, 7, 8})
                QTest::addRow("%dx%d", width, height) << width << height << (width * height > 0);
        // Several chunks: past the first one a row's pad bytes lie where another row's pixels were, for
        // every width's remainder by four.
        for (const int width : {1020, 1021, 1022, 1023})
            QTest::addRow("%dx480", width) << width << 480 << true;
        QTest::newRow("rows wider than a chunk") << 90001 << 3 << true;
        QTest::newRow("black without a source") << 1023 << 480 << false;
    }

    // Each written over a larger file, which must leave exactly the new one: the BMP file as the model lays
    // it out, the PNG file 8-bit RGB, which cannot hold a picture without pixels and then leaves the old
    // file. Read back, both hold the picture. Only a name ending in ".png", in any case, is PNG.
    void bothFormats() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, bSource);
        QImage picture = Picture(width, height);
        if (!bSource)
            picture.fill(Qt::black);
        const bool bEmpty = width * height == 0;
        for (const QString name : {"絵png", "絵.PnG"}) {
            const bool bPng = name.endsWith('G');
            QVERIFY(CPictureWriter().WritePicture(Picture(1100, 480), name));
            const QByteArray old = Read(name);
            QString reason;
            // No image is 1023 x 0: such a picture comes as rows.
            QCOMPARE(bSource ? CPictureWriter().WritePicture(picture, name, &reason)
                             : CPictureWriter().WritePicture(width, height, {}, name, &reason),
                     !bEmpty || !bPng);
            if (!bPng)
                QCOMPARE(Read(name), ModelBmp(picture, width, height));
            else if (bEmpty)
                QVERIFY(reason == CSystemError::Text(CSystemError::kEmptyPicture) && Read(name) == old);
            // No reader takes a picture without pixels; one of 8 bits a channel without alpha reads as RGB32.
            QVERIFY(bEmpty || QImage(name) == picture);
        }
    }
};

QTEST_GUILESS_MAIN(TestPictureWriter)
#include "tst_picturewriter.moc"
