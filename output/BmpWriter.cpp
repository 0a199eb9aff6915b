// SPDX-License-Identifier: MIT
#include "output/BmpWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <QString>
#include <QtEndian>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr quint32 kInfoHeaderSize = 40;
constexpr quint32 kLargestFile = 0xFFFFFFFFu;

bool Fail(QString* pErrorText, const QString& reason) {
    if (pErrorText)
        *pErrorText = reason;
    return false;
}

// Every refusal of our own is worded by the system, like the failures the system reports itself.
bool Fail(QString* pErrorText, int nErrno) {
    return Fail(pErrorText, qt_error_string(nErrno));
}

QString ReasonOf(const QFileDevice& file) {
    const QString reason = file.errorString();
    return reason.isEmpty() ? qt_error_string(EIO) : reason;
}

// RGB32 pixels (0xffRRGGBB) to blue, green, red bytes. Four pixels make three little-endian words, so the
// loop stores whole words instead of single bytes.
void StoreRow(const QRgb* pSrc, unsigned char* pDst, int nWidth) {
    int x = 0;
    for (; x + 4 <= nWidth; x += 4, pSrc += 4, pDst += 12) {
        const quint32 p0 = pSrc[0] & 0xFFFFFFu;
        const quint32 p1 = pSrc[1] & 0xFFFFFFu;
        const quint32 p2 = pSrc[2] & 0xFFFFFFu;
        const quint32 p3 = pSrc[3] & 0xFFFFFFu;
        qToLittleEndian<quint32>(p0 | (p1 << 24), pDst);
        qToLittleEndian<quint32>((p1 >> 8) | (p2 << 16), pDst + 4);
        qToLittleEndian<quint32>((p2 >> 16) | (p3 << 8), pDst + 8);
    }
    for (; x < nWidth; ++x, ++pSrc, pDst += 3) {
        pDst[0] = static_cast<unsigned char>(qBlue(*pSrc));
        pDst[1] = static_cast<unsigned char>(qGreen(*pSrc));
        pDst[2] = static_cast<unsigned char>(qRed(*pSrc));
    }
}

// 0, or the system's error number. File systems that cannot sync at all are no failure.
int SyncToDisk(int nHandle) {
#if defined(Q_OS_LINUX)
    const int nResult = ::fdatasync(nHandle);
#elif defined(Q_OS_UNIX)
    const int nResult = ::fsync(nHandle);
#else
    Q_UNUSED(nHandle);
    const int nResult = 0;
#endif
    if (nResult == 0 || errno == EINVAL || errno == EROFS)
        return 0;
    return errno;
}

} // namespace

CBmpWriter::~CBmpWriter() = default;

qint64 CBmpWriter::Stride(int nWidth) {
    return 3 * qint64(nWidth) + nWidth % 4;
}

qint64 CBmpWriter::FileSize(int nWidth, int nHeight) {
    if (nWidth < 0 || nHeight < 0)
        return -1;
    // The stride stays below 2^33 and the height below 2^31: the product cannot overflow 64 bits.
    const quint64 nSize = quint64(kHeaderSize) + quint64(nHeight) * quint64(Stride(nWidth));
    return nSize <= kLargestFile ? qint64(nSize) : -1;
}

bool CBmpWriter::BuildFileImage(int nWidth, int nHeight, const RowSource& rowSource, SFileImage* pImage,
                                QString* pErrorText) {
    *pImage = SFileImage();
    if (nWidth < 0 || nHeight < 0)
        return Fail(pErrorText, EINVAL);
    const qint64 nSize = FileSize(nWidth, nHeight);
    if (nSize < 0)
        return Fail(pErrorText, EFBIG);

    // Zero-filled, so the pad bytes and the header fields left unset are 0 without touching them.
    auto* pFile = static_cast<unsigned char*>(std::calloc(size_t(nSize), 1));
    if (!pFile)
        return Fail(pErrorText, ENOMEM);
    SFileImage image;
    image.pBytes.reset(pFile);
    image.nSize = nSize;

    pFile[0] = 'B';
    pFile[1] = 'M';
    qToLittleEndian<quint32>(quint32(nSize), pFile + 2);
    qToLittleEndian<quint32>(quint32(kHeaderSize), pFile + 10);
    qToLittleEndian<quint32>(kInfoHeaderSize, pFile + 14);
    qToLittleEndian<qint32>(nWidth, pFile + 18);
    qToLittleEndian<qint32>(nHeight, pFile + 22); // positive: the bottom row is stored first
    qToLittleEndian<quint16>(1, pFile + 26);
    qToLittleEndian<quint16>(24, pFile + 28);

    if (nWidth > 0 && rowSource) {
        const qint64 nStride = Stride(nWidth);
        for (int y = 0; y < nHeight; ++y)
            rowSource(y, pFile + kHeaderSize + qint64(nHeight - 1 - y) * nStride);
    }
    *pImage = std::move(image);
    return true;
}

bool CBmpWriter::BuildFileImage(const QImage& clientArea, SFileImage* pImage, QString* pErrorText) {
    QImage converted;
    const QImage* pSource = &clientArea;
    if (!clientArea.isNull() && clientArea.format() != QImage::Format_RGB32) {
        converted = clientArea.convertToFormat(QImage::Format_RGB32);
        // A failed conversion gives a null image, which must not turn into an empty picture.
        if (converted.isNull()) {
            *pImage = SFileImage();
            return Fail(pErrorText, ENOMEM);
        }
        pSource = &converted;
    }
    const QImage& source = *pSource;
    const int nWidth = source.width();
    return BuildFileImage(
        nWidth, source.height(),
        [&source, nWidth](int nY, unsigned char* pBgr) {
            StoreRow(reinterpret_cast<const QRgb*>(source.constScanLine(nY)), pBgr, nWidth);
        },
        pImage, pErrorText);
}

bool CBmpWriter::WritePicture(const QImage& clientArea, const QString& fileName, QString* pErrorText) {
    if (pErrorText)
        pErrorText->clear();
    SFileImage image;
    return CheckFileName(fileName, pErrorText) && BuildFileImage(clientArea, &image, pErrorText) &&
           WriteFileImage(image, fileName, pErrorText);
}

bool CBmpWriter::WritePicture(int nWidth, int nHeight, const RowSource& rowSource, const QString& fileName,
                              QString* pErrorText) {
    if (pErrorText)
        pErrorText->clear();
    SFileImage image;
    return CheckFileName(fileName, pErrorText) &&
           BuildFileImage(nWidth, nHeight, rowSource, &image, pErrorText) &&
           WriteFileImage(image, fileName, pErrorText);
}

bool CBmpWriter::CheckFileName(const QString& fileName, QString* pErrorText) {
    if (fileName.isEmpty())
        return Fail(pErrorText, ENOENT);
    if (fileName.endsWith(u'/'))
        return Fail(pErrorText, EISDIR);
#ifdef Q_OS_WIN
    if (fileName.endsWith(u'\\'))
        return Fail(pErrorText, EISDIR);
#endif
    // The system would cut the name at a NUL and write under a shorter one.
    if (fileName.contains(QChar(u'\0')))
        return Fail(pErrorText, EINVAL);
    // A name the file system's encoding cannot hold would come out under another name.
    if (QFile::decodeName(QFile::encodeName(fileName)) != fileName)
        return Fail(pErrorText, EILSEQ);
    return true;
}

bool CBmpWriter::WriteFileImage(const SFileImage& image, const QString& fileName, QString* pErrorText) {
    QSaveFile file(fileName);
    // Writing over the earlier file in place is exactly what loses it on a full disk.
    file.setDirectWriteFallback(false);
    // Unbuffered, so that every failure shows on the write that met it and nothing is left for a flush
    // inside commit(), whose failure commit() does not always report.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Fail(pErrorText, ReasonOf(file));

    // Until commit() succeeds, leaving this function discards the temporary file.
    const char* pData = reinterpret_cast<const char*>(image.pBytes.get());
    qint64 nWritten = 0;
    while (nWritten < image.nSize) {
        // One write; the loop only continues a write the system took in part.
        const qint64 n = file.write(pData + nWritten, image.nSize - nWritten);
        if (n <= 0) {
            const QString reason = ReasonOf(file);
            file.cancelWriting();
            return Fail(pErrorText, reason);
        }
        nWritten += n;
    }
    if (!file.flush()) {
        const QString reason = ReasonOf(file);
        file.cancelWriting();
        return Fail(pErrorText, reason);
    }
    // commit() syncs as well but ignores the result; a file system that reports a full disk or an I/O error
    // only now must not get to replace the earlier file.
    if (const int nError = SyncToDisk(file.handle()); nError != 0) {
        file.cancelWriting();
        return Fail(pErrorText, nError);
    }
    if (!file.commit())
        return Fail(pErrorText, ReasonOf(file));
    if (file.error() != QFileDevice::NoError)
        return Fail(pErrorText, ReasonOf(file));

    // Saved means the whole picture is on disk under its name.
    const QFileInfo written(fileName);
    if (!written.isFile() || written.size() != image.nSize)
        return Fail(pErrorText, EIO);
    return true;
}
