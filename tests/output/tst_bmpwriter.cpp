#include "output/BmpWriter.h"
#include "tests/output/BmpTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

// An unsigned little-endian field of 2 or 4 bytes.
qint64 Field(const QByteArray& file, int nOffset, int nBytes) {
    const auto* p = reinterpret_cast<const uchar*>(file.constData()) + nOffset;
    return nBytes == 2 ? qint64(qFromLittleEndian<quint16>(p)) : qint64(qFromLittleEndian<quint32>(p));
}

QByteArray Bytes(const CBmpWriter::SFileImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.pBytes.get()), image.nSize);
}

// Rows the slow, obvious way, for comparing with the writer's own conversion from the surface.
void StoreTestRow(int nWidth, int nY, unsigned char* pBgr) {
    for (int x = 0; x < nWidth; ++x) {
        const QRgb c = TestPixel(x, nY);
        *pBgr++ = uchar(qBlue(c));
        *pBgr++ = uchar(qGreen(c));
        *pBgr++ = uchar(qRed(c));
    }
}

// A python3 that can import PIL (Debian's python3-pil), or an empty string.
QString PythonWithPil() {
    static const QString found = [] {
        QStringList candidates{QStringLiteral("/usr/bin/python3")};
        const QString onPath = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (!onPath.isEmpty())
            candidates << onPath;
        for (const QString& python : candidates) {
            QProcess probe;
            probe.start(python, {QStringLiteral("-c"), QStringLiteral("import PIL.Image")});
            if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
                probe.exitCode() == 0)
                return python;
        }
        return QString();
    }();
    return found;
}

} // namespace

class TestBmpWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void otherSurfaceFormats_data();
    void otherSurfaceFormats();
    void onePixelFile();
    void emptyClientArea();
    void vgaFile();
    void sizeField_data();
    void sizeField();
    void tooLargeForSizeField();
    void decodes_data();
    void decodes();
    void smallerOverLarger();
    void nameWithoutFolder();
};

void TestBmpWriter::layout_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("stride");
    const int widthAndStride[][2] = {{1, 4},  {2, 8},  {3, 12}, {4, 12},    {5, 16},
                                     {6, 20}, {7, 24}, {8, 24}, {101, 304}, {1023, 3072}};
    for (const int height : {0, 1, 480})
        for (const auto& ws : widthAndStride)
            QTest::addRow("%dx%d", ws[0], height) << ws[0] << height << ws[1];
}

void TestBmpWriter::layout() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, stride);

    CBmpWriter::SFileImage image;
    QString reason;
    const auto rows = [width](int nY, unsigned char* pBgr) { StoreTestRow(width, nY, pBgr); };
    QVERIFY2(CBmpWriter::BuildFileImage(width, height, rows, &image, &reason), qPrintable(reason));
    const QByteArray file = Bytes(image);

    const qint64 size = 54 + qint64(height) * stride;
    QCOMPARE(file.size(), size);
    QCOMPARE(file.left(2), QByteArray("BM"));
    QCOMPARE(Field(file, 2, 4), size);
    QCOMPARE(Field(file, 6, 2), 0);
    QCOMPARE(Field(file, 8, 2), 0);
    QCOMPARE(Field(file, 10, 4), 54);
    QCOMPARE(Field(file, 14, 4), 40);
    QCOMPARE(Field(file, 18, 4), width);
    QCOMPARE(Field(file, 22, 4), height);
    QCOMPARE(Field(file, 26, 2), 1);
    QCOMPARE(Field(file, 28, 2), 24);
    // Compression, image size, resolutions and colour counts: all 0.
    QCOMPARE(file.mid(30, 24), QByteArray(24, '\0'));

    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row; // the bottom row comes first
        const auto* p = reinterpret_cast<const uchar*>(file.constData()) + 54 + qint64(row) * stride;
        for (int x = 0; x < width; ++x) {
            const QRgb c = TestPixel(x, y);
            if (p[3 * x] != qBlue(c) || p[3 * x + 1] != qGreen(c) || p[3 * x + 2] != qRed(c))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) in stored row %3").arg(x).arg(y).arg(row)));
        }
        for (int i = 3 * width; i < stride; ++i)
            if (p[i] != 0)
                QFAIL(qPrintable(QStringLiteral("pad byte %1 of stored row %2").arg(i).arg(row)));
    }

    if (height > 0) {
        CBmpWriter::SFileImage fromSurface;
        QVERIFY(CBmpWriter::BuildFileImage(MakeTestPicture(width, height), &fromSurface, &reason));
        QVERIFY2(Bytes(fromSurface) == file, "the conversion from the surface differs from the plain rows");
    }
}

void TestBmpWriter::otherSurfaceFormats_data() {
    QTest::addColumn<QImage::Format>("format");
    QTest::newRow("RGB888") << QImage::Format_RGB888;
    QTest::newRow("BGR888") << QImage::Format_BGR888;
    QTest::newRow("ARGB32") << QImage::Format_ARGB32;
    QTest::newRow("ARGB32 premultiplied") << QImage::Format_ARGB32_Premultiplied;
    QTest::newRow("RGBX8888") << QImage::Format_RGBX8888;
}

void TestBmpWriter::otherSurfaceFormats() {
    QFETCH(QImage::Format, format);
    const QImage picture = MakeTestPicture(13, 6);
    CBmpWriter::SFileImage expected, actual;
    QVERIFY(CBmpWriter::BuildFileImage(picture, &expected));
    QVERIFY(CBmpWriter::BuildFileImage(picture.convertToFormat(format), &actual));
    QVERIFY(Bytes(actual) == Bytes(expected));
}

void TestBmpWriter::onePixelFile() {
    QImage red(1, 1, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("red.bmp"));
    QString reason;
    QVERIFY2(CBmpWriter().WritePicture(red, path, &reason), qPrintable(reason));
    QVERIFY(reason.isEmpty());

    static const unsigned char expected[58] = {
        0x42, 0x4D, 58,   0,   0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                          // file header
        40,   0,    0,    0,   1, 0, 0, 0, 1, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0, 0, 0, // info header
        0,    0,    0,    0,   0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0,             //
        0x00, 0x00, 0xFF, 0x00}; // blue, green, red, pad
    QCOMPARE(ReadWholeFile(path), QByteArray(reinterpret_cast<const char*>(expected), sizeof expected));
}

void TestBmpWriter::emptyClientArea() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.bmp"));
    QString reason;
    QVERIFY2(CBmpWriter().WritePicture(QImage(), path, &reason), qPrintable(reason));
    const QByteArray file = ReadWholeFile(path);
    QCOMPARE(file.size(), 54);
    QCOMPARE(Field(file, 2, 4), 54);
    QCOMPARE(Field(file, 18, 4), 0);
    QCOMPARE(Field(file, 22, 4), 0);
}

void TestBmpWriter::vgaFile() {
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int x = 0; x < 640; ++x)
        picture.setPixel(x, 0, qRgb(255, 0, 0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vga.bmp"));
    QString reason;
    QVERIFY2(CBmpWriter().WritePicture(picture, path, &reason), qPrintable(reason));

    const QByteArray file = ReadWholeFile(path);
    QCOMPARE(file.size(), 921654);
    QCOMPARE(Field(file, 2, 4), 921654);
    QCOMPARE(Field(file, 10, 4), 54);
    QByteArray redRow;
    for (int x = 0; x < 640; ++x)
        redRow.append("\x00\x00\xFF", 3);
    QVERIFY(file.right(1920) == redRow);
    QVERIFY(file.mid(file.size() - 2 * 1920, 1920) == QByteArray(1920, '\xFF'));
}

void TestBmpWriter::sizeField_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<qint64>("size");
    QTest::newRow("101x50") << 101 << 50 << qint64(15254);
    QTest::newRow("largest that fits") << 1 << 1073741810 << qint64(4294967294);
    QTest::newRow("one row too many") << 1 << 1073741811 << qint64(-1);
    QTest::newRow("widest that fits") << 1431655746 << 1 << qint64(4294967294);
    QTest::newRow("one column too many") << 1431655747 << 1 << qint64(-1);
    QTest::newRow("largest int sides") << 2147483647 << 2147483647 << qint64(-1);
    QTest::newRow("negative width") << -4 << 3 << qint64(-1);
    QTest::newRow("negative height") << 4 << -3 << qint64(-1);
}

void TestBmpWriter::sizeField() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(qint64, size);
    QCOMPARE(CBmpWriter::FileSize(width, height), size);
}

void TestBmpWriter::tooLargeForSizeField() {
    int rowsAsked = 0;
    CBmpWriter::SFileImage image;
    QString reason;
    QVERIFY(!CBmpWriter::BuildFileImage(
        40000, 40000, [&rowsAsked](int, unsigned char*) { ++rowsAsked; }, &image, &reason));
    QCOMPARE(reason, qt_error_string(EFBIG));
    QCOMPARE(rowsAsked, 0);
    QVERIFY(!image.pBytes);
}

void TestBmpWriter::decodes_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("1x1") << 1 << 1;
    QTest::newRow("2x3") << 2 << 3;
    QTest::newRow("7x5") << 7 << 5;
    QTest::newRow("101x50") << 101 << 50;
    QTest::newRow("640x480") << 640 << 480;
}

void TestBmpWriter::decodes() {
    QFETCH(int, width);
    QFETCH(int, height);
    const QImage picture = MakeTestPicture(width, height);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.bmp"));
    QString reason;
    QVERIFY2(CBmpWriter().WritePicture(picture, path, &reason), qPrintable(reason));

    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("bmp"));
    const QImage decoded = reader.read();
    QVERIFY2(!decoded.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32), picture);

    const QString python = PythonWithPil();
    if (python.isEmpty())
        QSKIP("python3 with PIL is not installed");
    const QString script =
        QStringLiteral("import sys\n"
                       "from PIL import Image\n"
                       "im = Image.open(sys.argv[1])\n"
                       "im.load()\n"
                       "sys.stdout.write('%s %d %d\\n' % (im.format, im.size[0], im.size[1]))\n"
                       "sys.stdout.flush()\n"
                       "sys.stdout.buffer.write(im.convert('RGB').tobytes())\n");
    QProcess pil;
    pil.start(python, {QStringLiteral("-c"), script, path});
    QVERIFY(pil.waitForFinished(60000));
    QVERIFY2(pil.exitCode() == 0, pil.readAllStandardError().constData());
    const QByteArray out = pil.readAllStandardOutput();
    const qsizetype endOfLine = out.indexOf('\n');
    QCOMPARE(out.left(endOfLine), QStringLiteral("BMP %1 %2").arg(width).arg(height).toLatin1());
    QByteArray rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb c = TestPixel(x, y);
            rgb.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
        }
    QVERIFY2(out.mid(endOfLine + 1) == rgb, "PIL decodes other pixels");
}

void TestBmpWriter::smallerOverLarger() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.bmp"));
    QString reason;
    QVERIFY2(CBmpWriter().WritePicture(MakeTestPicture(640, 480), path, &reason), qPrintable(reason));
    QCOMPARE(QFileInfo(path).size(), 921654);

    const QImage small = MakeTestPicture(3, 2);
    QVERIFY2(CBmpWriter().WritePicture(small, path, &reason), qPrintable(reason));
    CBmpWriter::SFileImage expected;
    QVERIFY(CBmpWriter::BuildFileImage(small, &expected));
    QCOMPARE(expected.nSize, 78);
    QVERIFY(ReadWholeFile(path) == Bytes(expected));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("picture.bmp")});
}

void TestBmpWriter::nameWithoutFolder() {
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QString name = QString::fromUtf8("名称未決定");
    QString reason;
    const bool saved = CBmpWriter().WritePicture(MakeTestPicture(4, 3), name, &reason);
    QDir::setCurrent(previous);
    QVERIFY2(saved, qPrintable(reason));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{name});
    QCOMPARE(QFileInfo(dir.filePath(name)).size(), 54 + 3 * 12);
}

QTEST_GUILESS_MAIN(TestBmpWriter)
#include "tst_bmpwriter.moc"
