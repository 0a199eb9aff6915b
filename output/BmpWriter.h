// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <cstdlib>
#include <functional>
#include <memory>

class QImage;
class QString;

// Writes what the view's client area shows into an uncompressed 24-bit BMP file. It holds nothing between
// calls: callers construct it on their stack right before the call.
//
// The file is assembled in one zero-filled block of exactly its size and replaces an existing file only as
// a whole: a failed write, a full disk or a failed flush leaves the earlier file as it was, leaves no
// temporary file behind and comes back as false with the system's reason.
class CBmpWriter {
public:
    // The whole file as it goes to disk.
    struct SFileImage {
        struct SFree {
            void operator()(unsigned char* p) const noexcept { std::free(p); }
        };
        std::unique_ptr<unsigned char[], SFree> pBytes;
        qint64 nSize = 0;
    };

    // Stores the 3 x W bytes (blue, green, red, left to right) of the client area's row nY, 0 being the top
    // row, at pBgr. The pad bytes after them are already 0.
    using RowSource = std::function<void(int nY, unsigned char* pBgr)>;

    static constexpr qint64 kHeaderSize = 54;

    // Bytes per stored row: 3 x W raised to a multiple of 4.
    static qint64 Stride(int nWidth);
    // 54 + H x stride, or -1 when a size is negative or the file would not fit the header's 32-bit size
    // field.
    static qint64 FileSize(int nWidth, int nHeight);

    // The file image of a W x H picture whose rows come from rowSource. On failure pImage is left empty and
    // *pErrorText says why.
    static bool BuildFileImage(int nWidth, int nHeight, const RowSource& rowSource, SFileImage* pImage,
                               QString* pErrorText = nullptr);
    // The file image of clientArea as it shows; any format is taken, Format_RGB32 without a conversion.
    static bool BuildFileImage(const QImage& clientArea, SFileImage* pImage, QString* pErrorText = nullptr);

    virtual ~CBmpWriter();

    // Writes clientArea under fileName (a name without a folder lands in the current folder), replacing any
    // file of that name. Returns false when nothing was written, with the system's reason in *pErrorText,
    // ready to be shown to the user.
    bool WritePicture(const QImage& clientArea, const QString& fileName, QString* pErrorText = nullptr);
    // The same for a W x H area whose rows come from rowSource; an image cannot hold a 300 x 0 area.
    bool WritePicture(int nWidth, int nHeight, const RowSource& rowSource, const QString& fileName,
                      QString* pErrorText = nullptr);

private:
    static bool CheckFileName(const QString& fileName, QString* pErrorText);
    static bool WriteFileImage(const SFileImage& image, const QString& fileName, QString* pErrorText);
};
