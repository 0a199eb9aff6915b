#pragma once

// Pictures and file helpers shared by the BMP writer's tests and their fault helper program.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

// Every channel differs from the others and from its neighbours, so a swapped channel, a mirrored row or
// a shifted pixel changes the file.
inline QRgb TestPixel(int x, int y) {
    return qRgb((x * 7 + y * 13 + 1) & 0xFF, (x * 31 ^ y * 3) & 0xFF, (x * x + y * 101 + 17) & 0xFF);
}

inline QImage MakeTestPicture(int nWidth, int nHeight) {
    QImage image(nWidth, nHeight, QImage::Format_RGB32);
    for (int y = 0; y < nHeight; ++y) {
        auto* pLine = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < nWidth; ++x)
            pLine[x] = TestPixel(x, y);
    }
    return image;
}

inline QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
