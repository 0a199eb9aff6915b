// SPDX-License-Identifier: MIT
#include "output/BmpWriter.h"

#include <QDirIterator>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Red at (0, 0), then all channels vary: a swapped channel, a mirrored row or a shifted pixel shows.
QImage Picture(int nWidth, int nHeight) {
    QImage image(nWidth, nHeight, QImage::Format_RGB32);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            image.setPixel(x, y, qRgb(255 + x * 7 + y * 13, x * 31 ^ y * 3, x * x + y * 101));
    return image;
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below the current folder with its bytes.
QStringList Snapshot() {
    QStringList files;
    for (QDirIterator it(".", QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next();
    for (QString& file : files)
        file += u' ' + Read(file).toBase64();
    return files;
}

} // namespace

class TestBmpWriter : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    // Past the file-size limit a write fails instead of ending the program.
    void initTestCase() { QVERIFY(signal(SIGXFSZ, SIG_IGN) != SIG_ERR && QDir::setCurrent(m_dir.path())); }

    void layout_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        for (const int height : {0, 1, 480})
            for (const int width : {1, 2, 3, 4, 5, 6, 7, 8, 101, 1023})
                QTest::addRow("%dx%d", width, height) << width << height;
    }

    // Written over a larger file, which must leave exactly the new one; read back by Qt and by PIL.
    void layout() {
        QFETCH(int, width);
        QFETCH(int, height);
        const int stride = (3 * width + 3) / 4 * 4;
        const QImage picture = Picture(width, height);
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
        QVERIFY(CBmpWriter().WritePicture(Picture(1100, 480), "picture.bmp"));
        // No image is 1023 x 0: such a client area comes as rows.
        QVERIFY(height > 0 ? CBmpWriter().WritePicture(picture, "picture.bmp")
                           : CBmpWriter().WritePicture(width, 0, {}, "picture.bmp"));
        QCOMPARE(Read("picture.bmp"), expected);
        if (width * height == 1)
            QCOMPARE(Read("picture.bmp"),
                     QByteArray::fromHex("424d3a000000000000003600000028000000010000000100000001001800"
                                         "0000000000000000000000000000000000000000000000000000ff00"));
        if (height == 0)
            return; // neither reader takes a picture without rows
        QCOMPARE(QImage("picture.bmp", "BMP"), picture);
        QProcess pil;
        pil.start("/usr/bin/python3",
                  {"-c", "import sys\ntry: from PIL import Image\nexcept ImportError: sys.exit(77)\n"
                         "Image.open('picture.bmp').save(sys.stdout.buffer, 'PPM')"});
        if (!pil.waitForFinished(60000) || pil.exitCode() == 77)
            QSKIP("needs /usr/bin/python3 with PIL");
        QCOMPARE(QImage::fromData(pil.readAllStandardOutput(), "PPM"), picture);
    }

    void faults_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("wrapper"); // a command, split at "|", that runs this program under a fault
        QTest::newRow("empty name") << QString() << ENOENT << QString();
        QTest::newRow("unrepresentable name") << QString(QChar(0xD800)) << EILSEQ << QString();
        QTest::newRow("missing folder") << "missing/picture.bmp" << ENOENT << QString();
        QTest::newRow("below a regular file") << "picture.bmp/picture.bmp" << ENOTDIR << QString();
        QTest::newRow("full tmpfs") << "small/picture.bmp" << ENOSPC << QString();
        QTest::newRow("file-size limit") << "picture.bmp" << EFBIG << "prlimit|--fsize=4096";
        const QString fiu = "fiu-run|-x|-f||-c|enable name=posix/io/";
        QTest::newRow("sync fails") << "picture.bmp" << EIO << fiu + "sync/fdatasync,failinfo=5";
        QTest::newRow("rename fails") << "picture.bmp" << ENOSPC << fiu + "dir/rename,failinfo=28";
    }

    // The old file stays as it was, no temporary file is left, and the reason is the system's.
    void faults() {
        QFETCH(QString, name);
        QFETCH(int, error);
        QFETCH(QString, wrapper);
        QDir().mkdir("small");
        const bool bTmpfs = name.startsWith("small/");
        const bool bMounted = bTmpfs && mount("tmpfs", "small", "tmpfs", 0, "size=64k") == 0;
        const auto unmount = qScopeGuard([&] { return bMounted && umount2("small", MNT_DETACH) == 0; });
        if (bTmpfs && !bMounted)
            QSKIP("cannot mount a tmpfs here");
        QVERIFY(CBmpWriter().WritePicture(Picture(7, 5), bTmpfs ? name : "picture.bmp"));
        const QStringList before = Snapshot();
        QString reason;
        if (!wrapper.isEmpty()) {
#if defined(__SANITIZE_ADDRESS__)
            if (wrapper.startsWith("fiu-run"))
                QSKIP("libfiu's preload library crashes a program built with AddressSanitizer");
#endif
            QStringList arguments = wrapper.split(u'|');
            const QString program = arguments.takeFirst();
            QProcess writer;
            writer.start(program, arguments << QCoreApplication::applicationFilePath() << "--write" << name);
            if (!writer.waitForStarted())
                QSKIP(qPrintable(program + " is not installed"));
            QVERIFY(writer.waitForFinished(60000) && writer.exitCode() == 1);
            reason = QString::fromUtf8(writer.readAllStandardOutput());
        } else {
            QVERIFY(!CBmpWriter().WritePicture(Picture(640, 480), name, &reason));
        }
        QCOMPARE(reason, qt_error_string(error));
        QCOMPARE(Snapshot(), before);
    }
};

int main(int argc, char** argv) {
    // Under a fault, one picture; the reason goes around the write() that the fault may hit.
    if (QString why; argc == 3 && qstrcmp(argv[1], "--write") == 0)
        return CBmpWriter().WritePicture(Picture(64, 48), QFile::decodeName(argv[2]), &why)
                   ? 0
                   : int(syscall(SYS_write, 1, why.toUtf8().constData(), size_t(why.toUtf8().size())) > 0);
    QCoreApplication app(argc, argv);
    TestBmpWriter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_bmpwriter.moc"
