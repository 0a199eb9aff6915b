// SPDX-License-Identifier: MIT
#include "output/PngWriter.h"

#include "files/FileReplacer.h"
#include "files/SystemError.h"

#include <QString>

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>

namespace {

// How much compressed data libpng gathers before it hands it on: one write per chunk.
constexpr size_t kOutputChunk = 256 * 1024;

bool Fail(QString* pErrorText, const QString& reason) {
    if (pErrorText)
        *pErrorText = reason;
    return false;
}

// A failed write is kept in the file, which takes nothing more; the save ends as a failure after the rows.
void WriteData(png_structp png, png_bytep pData, size_t nSize) {
    static_cast<CFileReplacer*>(png_get_io_ptr(png))->Write(pData, qint64(nSize));
}

void FlushData(png_structp) {}

// libpng's own failures (with valid sizes, only running out of memory) return to Encode's setjmp.
[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

struct SPngWrite {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~SPngWrite() { png_destroy_write_struct(&png, &info); }
};

void WriteRows(png_structp png, int nHeight, const CPngWriter::RowSource& rowSource, unsigned char* pRow) {
    for (int y = 0; y < nHeight; ++y) {
        if (rowSource)
            rowSource(y, pRow);
        png_write_row(png, pRow);
    }
}

// No frame between this one and libpng's holds anything to release when libpng jumps back.
bool Encode(png_structp png, png_infop info, int nWidth, int nHeight, const CPngWriter::RowSource& rowSource,
            unsigned char* pRow) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, png_uint_32(nWidth), png_uint_32(nHeight), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, CPngWriter::kCompressionLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_buffer_size(png, kOutputChunk);
    png_write_info(png, info);
    png_set_bgr(png); // the rows come blue, green, red
    WriteRows(png, nHeight, rowSource, pRow);
    png_write_end(png, nullptr);
    return true;
}

} // namespace

CPngWriter::~CPngWriter() = default;

bool CPngWriter::WritePicture(int nWidth, int nHeight, const RowSource& rowSource, const QString& fileName,
                              QString* pErrorText) {
    if (pErrorText)
        pErrorText->clear();
    if (nWidth < 0 || nHeight < 0)
        return Fail(pErrorText, CSystemError::Text(EINVAL));
    if (nWidth == 0 || nHeight == 0)
        return Fail(pErrorText, CSystemError::Text(CSystemError::kEmptyPicture));

    // Black unless the source says otherwise.
    const std::unique_ptr<unsigned char[]> pRow(new (std::nothrow) unsigned char[3 * size_t(nWidth)]());
    SPngWrite write;
    write.png = pRow ? png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning) : nullptr;
    write.info = write.png ? png_create_info_struct(write.png) : nullptr;
    if (!write.info)
        return Fail(pErrorText, CSystemError::Text(ENOMEM));

    CFileReplacer file(fileName);
    if (!file.Open())
        return Fail(pErrorText, file.ErrorText());
    png_set_write_fn(write.png, &file, WriteData, FlushData);
    if (!Encode(write.png, write.info, nWidth, nHeight, rowSource, pRow.get()))
        return Fail(pErrorText, CSystemError::Text(ENOMEM));
    if (!file.Commit())
        return Fail(pErrorText, file.ErrorText());
    return true;
}
