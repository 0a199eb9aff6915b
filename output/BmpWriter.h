// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <functional>

class QString;

// Writes a picture into an uncompressed 24-bit BMP file. It holds nothing between calls: callers construct
// it on their stack right before the call.
//
// The rows are converted into one small buffer and written chunk by chunk, so a save costs a fixed, small
// amount of memory whatever the picture's size. The file replaces an existing one only as a whole (see
// CFileReplacer): a failed write, a full disk or a failed sync leaves the earlier file as it was, leaves no
// temporary file behind and comes back as false with the reason.
class CBmpWriter {
public:
    // Stores the 3 x W bytes (blue, green, red, left to right) of the picture's row nY, 0 being the top
    // row, at pBgr.
    using RowSource = std::function<void(int nY, unsigned char* pBgr)>;

    static constexpr qint64 kHeaderSize = 54;
    // The size of the buffer the rows are converted into; a wider row gets a buffer of its own size.
    static constexpr qint64 kChunkSize = 256 * 1024;

    // Bytes per stored row: 3 x W raised to a multiple of 4.
    static qint64 Stride(int nWidth);
    // 54 + H x stride, or -1 when a size is negative or the file would not fit the header's 32-bit size
    // field.
    static qint64 FileSize(int nWidth, int nHeight);

    virtual ~CBmpWriter();

    // Writes the W x H picture whose rows come from rowSource (all black without one) under fileName (a
    // name without a folder lands in the current folder), replacing any file of that name. Returns false
    // when nothing was written, with the reason in *pErrorText, ready to be shown to the user.
    bool WritePicture(int nWidth, int nHeight, const RowSource& rowSource, const QString& fileName,
                      QString* pErrorText = nullptr);
};
