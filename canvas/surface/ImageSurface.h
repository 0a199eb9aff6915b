// SPDX-License-Identifier: MIT
#pragma once

#include "canvas/surface/DrawingSurface.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <climits>
#include <cstdint>

// Draws into a QImage of Format_RGB32 that the caller owns. Its own span rasteriser makes every result
// pixel-exact and independent of style, platform and screen scale; everything is clipped to the image.
class CImageSurface : public CDrawingSurface {
public:
    explicit CImageSurface(QImage& image);

    int Width() const override { return m_image.width(); }
    int Height() const override { return m_image.height(); }

    CPenSpec SelectPen(CPenSpec pen) override;
    PackedColor SelectBrush(PackedColor brush) override;

    void Rectangle(int l, int t, int r, int b) override;
    void Ellipse(int l, int t, int r, int b) override;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;

    void SetPixel(int x, int y, PackedColor color) override;

    QPoint CurrentPosition() const { return m_ptCurrent; }

    // The bounding rectangle of every pixel written since the last call (empty if none); starts afresh.
    QRect TakeDirtyRect();

    // The image pixel for a packed colour: 0xFFRRGGBB.
    static std::uint32_t ToPixel(PackedColor color) {
        return 0xFF000000u | ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
    }

private:
    // Pixels x0 .. x1 - 1 of row y, whatever part of them lies in the image.
    void FillSpan(std::int64_t y, std::int64_t x0, std::int64_t x1, std::uint32_t pixel);
    void ThinLine(int x0, int y0, int x1, int y1);
    void WideLine(int x0, int y0, int x1, int y1, int nPen);

    QImage& m_image;
    CPenSpec m_pen;
    PackedColor m_brush = kWhite;
    QPoint m_ptCurrent;
    // Nothing written yet: an empty box that any pixel widens.
    std::int64_t m_nDirtyLeft = INT_MAX;
    std::int64_t m_nDirtyTop = INT_MAX;
    std::int64_t m_nDirtyRight = INT_MIN; // exclusive
    std::int64_t m_nDirtyBottom = INT_MIN;
};
