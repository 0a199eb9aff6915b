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
};
