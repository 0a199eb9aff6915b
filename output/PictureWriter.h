// SPDX-License-Identifier: MIT
#pragma once

#include "output/BmpWriter.h"

#include <QRgb>

class QImage;
class QString;

// Writes the picture in the format its file name asks for: PNG for a name ending in ".png" (any case), the
// BMP file for every other name. Callers construct it on their stack right before the call.
class CPictureWriter {
public:
    using RowSource = CBmpWriter::RowSource;

    static bool IsPngName(const QString& fileName);

    // RGB32 pixels (0xffRRGGBB) to blue, green, red bytes.
    static void StoreRow(const QRgb* pSrc, unsigned char* pBgr, int nWidth);

    virtual ~CPictureWriter();

    // Writes the W x H picture whose rows come from rowSource under fileName, replacing any file of that
    // name. Returns false when nothing was written, with the reason in *pErrorText, ready to be shown to
    // the user.
    bool WritePicture(int nWidth, int nHeight, const RowSource& rowSource, const QString& fileName,
                      QString* pErrorText = nullptr);
    // The same for the picture an image holds, in any format.
    bool WritePicture(const QImage& picture, const QString& fileName, QString* pErrorText = nullptr);
};
