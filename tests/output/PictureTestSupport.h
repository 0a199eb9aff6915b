// SPDX-License-Identifier: MIT
#pragma once

// Pictures and file checks shared by the tests of the picture files.

#include <QFile>
#include <QImage>
#include <QProcess>

namespace picturetest {

// Red at (0, 0), then all channels vary: a swapped channel, a mirrored row or a shifted pixel shows.
inline QImage Picture(int nWidth, int nHeight) {
    QImage image(nWidth, nHeight, QImage::Format_RGB32);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            image.setPixel(
                x, y, qRgb(255 + x * 7 + y * 13, x * 31 ^ y * 3, int(uint(x) * uint(x) % 256) + y * 101));
    return image;
}

inline QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool HavePil() {
    QProcess python;
    python.start("/usr/bin/python3", {"-c", "import PIL"});
    return python.waitForFinished(60000) && python.exitStatus() == QProcess::NormalExit &&
           python.exitCode() == 0;
}

// The picture in a file as the Python imaging library reads it; a null image unless it reads 8-bit RGB.
inline QImage ReadWithPil(const QString& path) {
    QProcess pil;
    pil.start("/usr/bin/python3", {"-c",
                                   "import sys\nfrom PIL import Image\nimage = Image.open(sys.argv[1])\n"
                                   "sys.stderr.write(image.mode)\n"
                                   "sys.stdout.buffer.write(b'%d %d\\n' % image.size + image.tobytes())",
                                   path});
    if (!pil.waitForFinished(60000) || pil.exitCode() != 0 || pil.readAllStandardError() != "RGB")
        return QImage();
    // The width and height on a line, then the rows of red, green, blue bytes.
    const QByteArray output = pil.readAllStandardOutput();
    const qsizetype nEnd = output.indexOf('\n');
    const QList<QByteArray> size = output.left(nEnd).split(' ');
    const int nWidth = size.value(0).toInt(), nHeight = size.value(1).toInt();
    if (nEnd < 0 || output.size() - nEnd - 1 != qsizetype(3) * nWidth * nHeight)
        return QImage();
    return QImage(reinterpret_cast<const uchar*>(output.constData() + nEnd + 1), nWidth, nHeight, 3 * nWidth,
                  QImage::Format_RGB888)
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace picturetest
