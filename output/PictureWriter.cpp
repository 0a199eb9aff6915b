// SPDX-License-Identifier: MIT
#include "output/PictureWriter.h"

#include "files/SystemError.h"
#include "output/PngWriter.h"

#include <QImage>
#include <QString>
#include <QtEndian>

#include <cerrno>

CPictureWriter::~CPictureWriter() = default;

bool CPictureWriter::IsPngName(const QString& fileName) {
    return fileName.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
}

// Four pixels make three little-endian words, so the loop stores whole words instead of single bytes.
void CPictureWriter::StoreRow(const QRgb* pSrc, unsigned char* pBgr, int nWidth) {
    int x = 0;
    for (; x + 4 <= nWidth; x += 4, pSrc += 4, pBgr += 12) {
        const quint32 p0 = pSrc[0] & 0xFFFFFFu;
        const quint32 p1 = pSrc[1] & 0xFFFFFFu;
        const quint32 p2 = pSrc[2] & 0xFFFFFFu;
        const quint32 p3 = pSrc[3] & 0xFFFFFFu;
        qToLittleEndian<quint32>(p0 | (p1 << 24), pBgr);
        qToLittleEndian<quint32>((p1 >> 8) | (p2 << 16), pBgr + 4);
        qToLittleEndian<quint32>((p2 >> 16) | (p3 << 8), pBgr + 8);
    }
    for (; x < nWidth; ++x, ++pSrc, pBgr += 3) {
        pBgr[0] = static_cast<unsigned char>(qBlue(*pSrc));
        pBgr[1] = static_cast<unsigned char>(qGreen(*pSrc));
        pBgr[2] = static_cast<unsigned char>(qRed(*pSrc));
    }
}

bool CPictureWriter::WritePicture(int nWidth, int nHeight, const RowSource& rowSource,
                                  const QString& fileName, QString* pErrorText) {
    if (IsPngName(fileName))
        return CPngWriter().WritePicture(nWidth, nHeight, rowSource, fileName, pErrorText);
    return CBmpWriter().WritePicture(nWidth, nHeight, rowSource, fileName, pErrorText);
}

bool CPictureWriter::WritePicture(const QImage& picture, const QString& fileName, QString* pErrorText) {
    QImage converted;
    const QImage* pSource = &picture;
    if (!picture.isNull() && picture.format() != QImage::Format_RGB32) {
        converted = picture.convertToFormat(QImage::Format_RGB32);
        // A failed conversion gives a null image, which must not turn into an empty picture.
        if (converted.isNull()) {
            if (pErrorText)
                *pErrorText = CSystemError::Text(ENOMEM);
            return false;
        }
        pSource = &converted;
    }
    const QImage& source = *pSource;
    const int nWidth = source.width();
    return WritePicture(
        nWidth, source.height(),
        [&source, nWidth](int nY, unsigned char* pBgr) {
            StoreRow(reinterpret_cast<const QRgb*>(source.constScanLine(nY)), pBgr, nWidth);
        },
        fileName, pErrorText);
}
