// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// A colour packed with red in bits 0-7, green in bits 8-15 and blue in bits 16-23.
using PackedColor = std::uint32_t;

constexpr PackedColor MakeColor(int red, int green, int blue) {
    return static_cast<PackedColor>(red & 0xFF) | (static_cast<PackedColor>(green & 0xFF) << 8) |
           (static_cast<PackedColor>(blue & 0xFF) << 16);
}
constexpr int RedOf(PackedColor c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(PackedColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(PackedColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

constexpr PackedColor kWhite = 0xFFFFFF;
constexpr PackedColor kBlack = 0;

struct CPenSpec {
    int nWidth = 1;
    PackedColor color = kBlack;
    friend bool operator==(const CPenSpec&, const CPenSpec&) = default;
};

// The raster operations the program draws with. A fresh surface holds a black pen of width 1 and a
// white brush, like a new window context.
class CDrawingSurface {
public:
    virtual ~CDrawingSurface() = default;

    // The client size: the rectangle (0, 0, Width(), Height()).
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // Both return the previously selected object so that the caller can select it back.
    virtual CPenSpec SelectPen(CPenSpec pen) = 0;
    virtual PackedColor SelectBrush(PackedColor brush) = 0;

    // Outline with the current pen, interior with the current brush. With a 1-pixel pen the figure covers
    // columns l .. r - 1 and rows t .. b - 1; a wider pen's outline is centred on the box's edge.
    virtual void Rectangle(int l, int t, int r, int b) = 0;
    virtual void Ellipse(int l, int t, int r, int b) = 0;

    // A line with the current pen from the current position; a pen wider than 1 pixel has round ends and
    // strokes exactly its width, an even width one row or column more right of and below the points than
    // left of and above them. A 1-pixel line leaves out its end point.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;

    virtual void SetPixel(int x, int y, PackedColor color) = 0;
};
