// SPDX-License-Identifier: MIT
#include "output/BmpWriter.h"

#include "files/FileReplacer.h"
#include "files/SystemError.h"

#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr quint32 kInfoHeaderSize = 40;
constexpr quint32 kLargestFile = 0xFFFFFFFFu;

bool Fail(QString* pErrorText, const QString& reason) {
    if (pErrorText)
        *pErrorText = reason;
    return false;
}

// The file header and the info header; the fields not set here stay 0.
void StoreHeaders(unsigned char* pFile, int nWidth, int nHeight, qint64 nSize) {
    pFile[0] = 'B';
    pFile[1] = 'M';
    qToLittleEndian<quint32>(quint32(nSize), pFile + 2);
    qToLittleEndian<quint32>(quint32(CBmpWriter::kHeaderSize), pFile + 10);
    qToLittleEndian<quint32>(kInfoHeaderSize, pFile + 14);
    qToLittleEndian<qint32>(nWidth, pFile + 18);
    qToLittleEndian<qint32>(nHeight, pFile + 22); // positive: the bottom row is stored first
    qToLittleEndian<quint16>(1, pFile + 26);
    qToLittleEndian<quint16>(24, pFile + 28);
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

bool CBmpWriter::WritePicture(int nWidth, int nHeight, const RowSource& rowSource, const QString& fileName,
                              QString* pErrorText) {
    if (pErrorText)
        pErrorText->clear();
    if (nWidth < 0 || nHeight < 0)
        return Fail(pErrorText, CSystemError::Text(EINVAL));
    const qint64 nSize = FileSize(nWidth, nHeight);
    if (nSize < 0)
        return Fail(pErrorText, CSystemError::Text(EFBIG));

    // Zero-filled, so the header fields left unset are 0 without touching them.
    const qint64 nStride = Stride(nWidth);
    const qint64 nCapacity = std::max(kChunkSize, nStride);
    const std::unique_ptr<unsigned char[]> pChunk(new (std::nothrow) unsigned char[size_t(nCapacity)]());
    if (!pChunk)
        return Fail(pErrorText, CSystemError::Text(ENOMEM));

    CFileReplacer file(fileName);
    if (!file.Open())
        return Fail(pErrorText, file.ErrorText());
    StoreHeaders(pChunk.get(), nWidth, nHeight, nSize);
    qint64 nFill = kHeaderSize;
    const size_t nPixelBytes = size_t(3 * qint64(nWidth));
    for (int y = nHeight - 1; y >= 0; --y) { // the bottom row first
        if (nFill + nStride > nCapacity) {
            if (!file.Write(pChunk.get(), nFill))
                return Fail(pErrorText, file.ErrorText());
            nFill = 0;
        }
        unsigned char* pRow = pChunk.get() + nFill;
        if (rowSource)
            rowSource(y, pRow);
        else
            std::memset(pRow, 0, nPixelBytes);
        std::memset(pRow + nPixelBytes, 0, size_t(nStride) - nPixelBytes); // the pad bytes
        nFill += nStride;
    }
    if (!file.Write(pChunk.get(), nFill) || !file.Commit())
        return Fail(pErrorText, file.ErrorText());
    return true;
}
