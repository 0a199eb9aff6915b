// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QRect>

// Raster operations between a cover of Format_RGB32 and a colour layer of Format_RGB32 or, a quarter
// smaller, Format_BGR888; everything is clipped to both images.
class CCompositor {
public:
    // cover := cover AND color, bit by bit on the packed colour, within rect.
    static void AndInto(QImage& cover, const QImage& color, const QRect& rect);

    // color in Format_BGR888, three bytes a pixel; null when the memory for it could not be had.
    static QImage Packed(const QImage& color);

    // Pixels 0 .. nCount - 1 of row nY of src (Format_RGB32) as blue, green, red bytes, AND-ed with the
    // same pixels of pMask when there is one: the composition, without writing it anywhere. The caller
    // keeps nCount and nY within both images.
    static void StoreBgr(unsigned char* pBgr, const QImage& src, const QImage* pMask, int nY, int nCount);
    // nCount pixels of one colour as blue, green, red bytes.
    static void FillBgr(unsigned char* pBgr, QRgb color, int nCount);
};
