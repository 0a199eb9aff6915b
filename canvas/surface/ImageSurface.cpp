// SPDX-License-Identifier: MIT
#include "canvas/surface/ImageSurface.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace {

using i64 = std::int64_t;
using i128 = __int128;

constexpr i64 kExactLimit = i64{1} << 30;

// The ellipse centred on 0 with diameters Dx and Dy, in half-pixel units (a pixel centre sits at an
// integer X = 2x - (l + r - 1)): X² Dy² + Y² Dx² < Dx² Dy². Exact in integers for any box the program
// can draw; only absurd coordinates fall back on floating point.
bool InsideEllipse(i64 X, i64 Y, i64 Dx, i64 Dy) {
    if (Dx < kExactLimit && Dy < kExactLimit) {
        const i128 dx2 = i128{Dx} * Dx;
        const i128 dy2 = i128{Dy} * Dy;
        return i128{X} * X * dy2 + i128{Y} * Y * dx2 < dx2 * dy2;
    }
    const long double x = static_cast<long double>(X) / Dx;
    const long double y = static_cast<long double>(Y) / Dy;
    return x * x + y * y < 1.0L;
}

// The largest X of the row's parity inside the ellipse in row Y, or -1 when the row holds none. With
// bFillBox the middle rows reach the full width and every row keeps at least its centre pixels, so that
// a figure fills its box even when it is one or two pixels thin.
i64 HalfSpan(i64 Y, i64 Dx, i64 Dy, i64 parity, bool bFillBox) {
    if (Dx <= 0 || Dy <= 0 || Y >= Dy || -Y >= Dy) {
        return -1;
    }
    i64 full = Dx - 1;
    if ((full - parity) & 1) {
        --full;
    }
    if (full < 0) {
        return -1;
    }
    if (bFillBox && Y >= -1 && Y <= 1) {
        return full;
    }
    const double ratio = static_cast<double>(Y) / static_cast<double>(Dy);
    const double h = static_cast<double>(Dx) * std::sqrt(std::max(0.0, 1.0 - ratio * ratio));
    i64 k = static_cast<i64>(std::ceil(h)) - 1;
    if ((k - parity) & 1) {
        --k;
    }
    k = std::clamp(k, parity, full);
    while (k + 2 <= full && InsideEllipse(k + 2, Y, Dx, Dy)) {
        k += 2;
    }
    while (k > parity && !InsideEllipse(k, Y, Dx, Dy)) {
        k -= 2;
    }
    if (!bFillBox && !InsideEllipse(k, Y, Dx, Dy)) {
        return -1;
    }
    return k;
}

// The pixels a pen of width w > 1 strokes from P0 to P1: those whose centres lie within w/2 of the segment,
// round ends included. An even width has no middle pixel; its segment runs half a pixel right of and below
// the points, where Rectangle puts the extra pixel of an even outline, so that a horizontal or vertical
// line is exactly w pixels thick. Coordinates are in half pixels (pixel centres even, an even pen's ends
// odd), which keeps every test exact in integers for coordinates the program can meet and leaves no
// centre exactly on the edge.
struct SCapsule {
    i64 x0, y0, x1, y1, w;

    static SCapsule Of(int ax, int ay, int bx, int by, int nPen) {
        const i64 shift = nPen % 2 == 0 ? 1 : 0;
        return {2 * i64{ax} + shift, 2 * i64{ay} + shift, 2 * i64{bx} + shift, 2 * i64{by} + shift, nPen};
    }

    bool Contains(i64 x, i64 y) const {
        const i64 dx = x1 - x0;
        const i64 dy = y1 - y0;
        const i64 px = 2 * x - x0;
        const i64 py = 2 * y - y0;
        const bool bExact =
            std::max({std::abs(dx), std::abs(dy), std::abs(px), std::abs(py)}) < 2 * kExactLimit;
        if (!bExact) {
            return ContainsApprox(px, py);
        }
        const i128 w2 = i128{w} * w;
        const i128 dot = i128{px} * dx + i128{py} * dy;
        const i128 len2 = i128{dx} * dx + i128{dy} * dy;
        if (len2 == 0 || dot <= 0) {
            return i128{px} * px + i128{py} * py <= w2;
        }
        if (dot >= len2) {
            const i64 qx = px - dx;
            const i64 qy = py - dy;
            return i128{qx} * qx + i128{qy} * qy <= w2;
        }
        const i128 cross = i128{px} * dy - i128{py} * dx;
        return cross * cross <= w2 * len2;
    }

    // (px, py): the pixel centre relative to P0, in half pixels.
    bool ContainsApprox(i64 nPx, i64 nPy) const {
        const long double dx = x1 - x0;
        const long double dy = y1 - y0;
        const long double px = nPx;
        const long double py = nPy;
        const long double len2 = dx * dx + dy * dy;
        long double t = len2 > 0 ? (px * dx + py * dy) / len2 : 0;
        t = std::clamp<long double>(t, 0, 1);
        const long double ex = px - t * dx;
        const long double ey = py - t * dy;
        return ex * ex + ey * ey <= static_cast<long double>(w) * w;
    }

    // The row's covered columns [*pLeft, *pRight]; false when none. The capsule is convex, so each row
    // holds one span: the hull of what the two end discs and the band give, settled by the exact test.
    bool RowSpan(i64 y, i64* pLeft, i64* pRight) const {
        const double radius = static_cast<double>(w) / 2;
        const double ax = static_cast<double>(x0) / 2;
        const double ay = static_cast<double>(y0) / 2;
        const double bx = static_cast<double>(x1) / 2;
        const double by = static_cast<double>(y1) / 2;
        double lo = HUGE_VAL;
        double hi = -HUGE_VAL;
        auto disc = [&](double cx, double cy) {
            const double dy = static_cast<double>(y) - cy;
            if (std::abs(dy) <= radius) {
                const double half = std::sqrt(radius * radius - dy * dy);
                lo = std::min(lo, cx - half);
                hi = std::max(hi, cx + half);
            }
        };
        disc(ax, ay);
        disc(bx, by);
        const double dx = bx - ax;
        const double dy = by - ay;
        const double len = std::hypot(dx, dy);
        if (len > 0) {
            // Along the segment: s = ((x - ax) dx + (y - ay) dy) / len in [0, len];
            // across it: q = ((x - ax) dy - (y - ay) dx) / len in [-radius, radius].
            const double ry = static_cast<double>(y) - ay;
            double bandLo = -HUGE_VAL;
            double bandHi = HUGE_VAL;
            auto limit = [&](double a, double c, double from, double to) {
                // a x' + c in [from, to], with x' = x - ax
                if (a == 0) {
                    if (c < from || c > to) {
                        bandLo = HUGE_VAL;
                    }
                    return;
                }
                double u = (from - c) / a;
                double v = (to - c) / a;
                if (u > v) {
                    std::swap(u, v);
                }
                bandLo = std::max(bandLo, u);
                bandHi = std::min(bandHi, v);
            };
            limit(dx / len, ry * dy / len, 0, len);
            limit(dy / len, -ry * dx / len, -radius, radius);
            if (bandLo <= bandHi + 1e-9 * (1 + std::abs(bandLo) + std::abs(bandHi))) {
                lo = std::min(lo, ax + bandLo);
                hi = std::max(hi, ax + bandHi);
            }
        }
        if (lo == HUGE_VAL) {
            return false;
        }
        // A little slack lets the exact test decide points that lie on the edge.
        const double slack = 1e-6 * (1 + std::abs(lo) + std::abs(hi));
        if (lo - slack > hi + slack) {
            return false;
        }
        i64 left = static_cast<i64>(std::ceil(lo - slack));
        i64 right = static_cast<i64>(std::floor(hi + slack));
        while (left <= right && !Contains(left, y)) {
            ++left;
        }
        while (right >= left && !Contains(right, y)) {
            --right;
        }
        if (left > right) {
            return false;
        }
        while (Contains(left - 1, y)) {
            --left;
        }
        while (Contains(right + 1, y)) {
            ++right;
        }
        *pLeft = left;
        *pRight = right;
        return true;
    }
};

} // namespace

CImageSurface::CImageSurface(QImage& image) : m_image(image) {
    Q_ASSERT(image.format() == QImage::Format_RGB32 || image.isNull());
}

CPenSpec CImageSurface::SelectPen(CPenSpec pen) {
    return std::exchange(m_pen, pen);
}

PackedColor CImageSurface::SelectBrush(PackedColor brush) {
    return std::exchange(m_brush, brush);
}

QRect CImageSurface::TakeDirtyRect() {
    QRect rc;
    if (m_nDirtyLeft < m_nDirtyRight && m_nDirtyTop < m_nDirtyBottom) {
        rc = QRect(static_cast<int>(m_nDirtyLeft), static_cast<int>(m_nDirtyTop),
                   static_cast<int>(m_nDirtyRight - m_nDirtyLeft),
                   static_cast<int>(m_nDirtyBottom - m_nDirtyTop));
    }
    m_nDirtyLeft = m_nDirtyTop = INT_MAX;
    m_nDirtyRight = m_nDirtyBottom = INT_MIN;
    return rc;
}

void CImageSurface::FillSpan(i64 y, i64 x0, i64 x1, std::uint32_t pixel) {
    if (y < 0 || y >= m_image.height()) {
        return;
    }
    x0 = std::max<i64>(x0, 0);
    x1 = std::min<i64>(x1, m_image.width());
    if (x0 >= x1) {
        return;
    }
    auto* row = reinterpret_cast<std::uint32_t*>(m_image.scanLine(static_cast<int>(y)));
    std::fill(row + x0, row + x1, pixel);
    m_nDirtyLeft = std::min(m_nDirtyLeft, x0);
    m_nDirtyRight = std::max(m_nDirtyRight, x1);
    m_nDirtyTop = std::min(m_nDirtyTop, y);
    m_nDirtyBottom = std::max(m_nDirtyBottom, y + 1);
}

// A box given with swapped corners is drawn all the same; an empty one draws nothing.
static bool NormaliseBox(int& l, int& t, int& r, int& b) {
    if (l > r) {
        std::swap(l, r);
    }
    if (t > b) {
        std::swap(t, b);
    }
    return l != r && t != b;
}

void CImageSurface::Rectangle(int l, int t, int r, int b) {
    if (!NormaliseBox(l, t, r, b)) {
        return;
    }
    const i64 w = std::max(1, m_pen.nWidth);
    // The outline band is w wide and centred on the one-pixel outline; an even width puts its extra
    // pixel to the right of and below that outline.
    const i64 outerLeft = l - (w - 1) / 2;
    const i64 outerTop = t - (w - 1) / 2;
    const i64 outerRight = i64{r} + w / 2; // exclusive
    const i64 outerBottom = i64{b} + w / 2;
    const i64 innerLeft = l + w / 2 + 1;
    const i64 innerTop = t + w / 2 + 1;
    const i64 innerRight = i64{r} - 1 - (w - 1) / 2; // exclusive
    const i64 innerBottom = i64{b} - 1 - (w - 1) / 2;
    const bool bInterior = innerLeft < innerRight && innerTop < innerBottom;
    const std::uint32_t pen = ToPixel(m_pen.color);
    const std::uint32_t brush = ToPixel(m_brush);
    const i64 yEnd = std::min<i64>(outerBottom, m_image.height());
    for (i64 y = std::max<i64>(outerTop, 0); y < yEnd; ++y) {
        if (!bInterior || y < innerTop || y >= innerBottom) {
            FillSpan(y, outerLeft, outerRight, pen);
        } else {
            FillSpan(y, outerLeft, innerLeft, pen);
            FillSpan(y, innerLeft, innerRight, brush);
            FillSpan(y, innerRight, outerRight, pen);
        }
    }
}

void CImageSurface::Ellipse(int l, int t, int r, int b) {
    if (!NormaliseBox(l, t, r, b)) {
        return;
    }
    // Rows are spans symmetric about the centre, kept as half-widths in half-pixel units.
    const i64 w = std::max(1, m_pen.nWidth);
    const bool bThin = w == 1;
    const i64 cx = i64{l} + r - 1;
    const i64 cy = i64{t} + b - 1;
    const i64 parity = (i64{r} - l - 1) & 1;
    // A wider pen's band runs from w/2 outside the curve to w/2 inside it.
    const i64 outerX = bThin ? i64{r} - l : i64{r} - l + w;
    const i64 outerY = bThin ? i64{b} - t : i64{b} - t + w;
    const i64 innerX = i64{r} - l - w;
    const i64 innerY = i64{b} - t - w;
    auto outer = [&](i64 y) { return HalfSpan(2 * y - cy, outerX, outerY, parity, true); };
    const std::uint32_t pen = ToPixel(m_pen.color);
    const std::uint32_t brush = ToPixel(m_brush);
    const i64 yBegin = std::max<i64>(i64{t} - w, 0);
    const i64 yEnd = std::min<i64>(i64{b} + w, m_image.height());
    if (yBegin >= yEnd) {
        return;
    }
    i64 above = outer(yBegin - 1);
    i64 here = outer(yBegin);
    for (i64 y = yBegin; y < yEnd; ++y) {
        const i64 below = outer(y + 1);
        if (here >= 0) {
            // The brush never reaches the figure's edge: a pixel with a neighbour outside is outline.
            i64 fill = std::min({above, below, here - 2});
            if (!bThin) {
                fill = std::min(fill, HalfSpan(2 * y - cy, innerX, innerY, parity, false));
            }
            if (fill < 0) {
                FillSpan(y, (cx - here) / 2, (cx + here) / 2 + 1, pen);
            } else {
                FillSpan(y, (cx - here) / 2, (cx - fill) / 2, pen);
                FillSpan(y, (cx - fill) / 2, (cx + fill) / 2 + 1, brush);
                FillSpan(y, (cx + fill) / 2 + 1, (cx + here) / 2 + 1, pen);
            }
        }
        above = here;
        here = below;
    }
}

void CImageSurface::MoveTo(int x, int y) {
    m_ptCurrent = QPoint(x, y);
}

void CImageSurface::LineTo(int x, int y) {
    const QPoint from = m_ptCurrent;
    if (m_pen.nWidth <= 1) {
        ThinLine(from.x(), from.y(), x, y);
    } else {
        WideLine(from.x(), from.y(), x, y, m_pen.nWidth);
    }
    m_ptCurrent = QPoint(x, y);
}

void CImageSurface::ThinLine(int x0, int y0, int x1, int y1) {
    // Bresenham in closed form: step i of the major axis moves the minor axis by round(i * minor / major),
    // halves rounding away from the start. The end point is left out. Only the steps whose major
    // coordinate lies in the image are walked, so a long line off the image costs nothing.
    const bool bSteep = std::abs(i64{y1} - y0) > std::abs(i64{x1} - x0);
    const i64 a0 = bSteep ? y0 : x0; // major axis
    const i64 a1 = bSteep ? y1 : x1;
    const i64 b0 = bSteep ? x0 : y0; // minor axis
    const i64 b1 = bSteep ? x1 : y1;
    const i64 major = std::abs(a1 - a0);
    if (major == 0) {
        return;
    }
    const i64 minor = std::abs(b1 - b0);
    const i64 stepA = a1 > a0 ? 1 : -1;
    const i64 stepB = b1 > b0 ? 1 : -1;
    const i64 limitA = bSteep ? m_image.height() : m_image.width();
    const i64 limitB = bSteep ? m_image.width() : m_image.height();
    // Steps i in [0, major) with 0 <= a0 + stepA i < limitA.
    i64 iBegin = 0;
    i64 iEnd = major;
    if (stepA > 0) {
        iBegin = std::max(iBegin, -a0);
        iEnd = std::min(iEnd, limitA - a0);
    } else {
        iBegin = std::max(iBegin, a0 - (limitA - 1));
        iEnd = std::min(iEnd, a0 + 1);
    }
    if (iBegin >= iEnd) {
        return;
    }
    const std::uint32_t pen = ToPixel(m_pen.color);
    const i64 denominator = 2 * major;
    const i128 start = i128{iBegin} * (2 * minor) + major;
    i64 offset = static_cast<i64>(start / denominator);
    i64 remainder = static_cast<i64>(start % denominator);
    for (i64 i = iBegin; i < iEnd; ++i) {
        const i64 a = a0 + stepA * i;
        const i64 b = b0 + stepB * offset;
        if (b >= 0 && b < limitB) {
            if (bSteep) {
                FillSpan(a, b, b + 1, pen);
            } else {
                FillSpan(b, a, a + 1, pen);
            }
        }
        remainder += 2 * minor;
        if (remainder >= denominator) {
            remainder -= denominator;
            ++offset;
        }
    }
}

void CImageSurface::WideLine(int x0, int y0, int x1, int y1, int nPen) {
    const SCapsule capsule = SCapsule::Of(x0, y0, x1, y1, nPen);
    const std::uint32_t pen = ToPixel(m_pen.color);
    const i64 reach = nPen / 2 + 1;
    const i64 yBegin = std::max<i64>(std::min(y0, y1) - reach, 0);
    const i64 yEnd = std::min<i64>(i64{std::max(y0, y1)} + reach + 1, m_image.height());
    for (i64 y = yBegin; y < yEnd; ++y) {
        i64 left = 0;
        i64 right = 0;
        if (capsule.RowSpan(y, &left, &right)) {
            FillSpan(y, left, right + 1, pen);
        }
    }
}

void CImageSurface::SetPixel(int x, int y, PackedColor color) {
    FillSpan(y, x, i64{x} + 1, ToPixel(color));
}

