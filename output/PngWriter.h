// SPDX-License-Identifier: MIT
#pragma once

#include "output/BmpWriter.h"

class QString;

// Writes a picture into a PNG file: 8-bit RGB, no alpha, lossless, the same pixels the BMP writer stores.
// The rows are compressed one by one as they come, so a save costs a fixed, small amount of memory
// whatever the picture's size; the file replaces an existing one only as a whole (see CFileReplacer).
class CPngWriter {
public:
    // Rows come as for the BMP writer.
    using RowSource = CBmpWriter::RowSource;

    // zlib's level. The rows go unfiltered: flat colours on black repeat whole pixels, which zlib finds by
    // itself. Row filters and higher levels made an etched picture's file at most a third smaller, for one
    // and a half to five times the time.
    static constexpr int kCompressionLevel = 2;

    virtual ~CPngWriter();

    // Writes the W x H picture whose rows come from rowSource (all black without one) under fileName,
    // replacing any file of that name. Returns false when nothing was written, with the reason in
    // *pErrorText, ready to be shown to the user. A PNG file cannot hold a picture without rows or columns.
    bool WritePicture(int nWidth, int nHeight, const RowSource& rowSource, const QString& fileName,
                      QString* pErrorText = nullptr);
};
