// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

// Raster operations between two Format_RGB32 images, clipped to both.
class CCompositor {
public:
    // cover := cover AND color, bit by bit on the packed colour, within rect.
    static void AndInto(QImage& cover, const QImage& color, const QRect& rect);

    // The pixels of src within from, copied to dst with their top-left corner at to.
    static void Copy(QImage& dst, const QPoint& to, const QImage& src, const QRect& from);

    // Pixels 0 .. nCount - 1 of row nY of src as blue, green, red bytes, AND-ed with the same pixels of
    // pMask when there is one: the composition, without writing it anywhere. The caller keeps nCount and
    // nY within both images.
    static void StoreBgr(unsigned char* pBgr, const QImage& src, const QImage* pMask, int nY, int nCount);
    // nCount pixels of one colour as blue, green, red bytes.
    static void FillBgr(unsigned char* pBgr, QRgb color, int nCount);
};
