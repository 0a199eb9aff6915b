// SPDX-License-Identifier: MIT
#pragma once

// Pictures and file checks shared by the tests of the picture files.

#include <QFile>
#include <QImage>

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

} // namespace picturetest
