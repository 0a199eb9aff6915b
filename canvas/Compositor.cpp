// SPDX-License-Identifier: MIT
#include "canvas/Compositor.h"

#include <cstdint>
#include <cstring>

namespace {

// Kept apart with restrict pointers so that the compiler vectorises it.
void AndRow(std::uint32_t* __restrict dst, const std::uint32_t* __restrict src, int n) {
    for (int i = 0; i < n; ++i) {
        dst[i] &= src[i];
    }
}

} // namespace

void CCompositor::AndInto(QImage& cover, const QImage& color, const QRect& rect) {
    const QRect area = rect & cover.rect() & color.rect();
    if (area.isEmpty()) {
        return;
    }
    if (cover.constBits() == color.constBits()) {
        return; // x AND x = x
    }
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* dst = reinterpret_cast<std::uint32_t*>(cover.scanLine(y)) + area.left();
        const auto* src = reinterpret_cast<const std::uint32_t*>(color.constScanLine(y)) + area.left();
        AndRow(dst, src, area.width());
    }
}

void CCompositor::Copy(QImage& dst, const QPoint& to, const QImage& src, const QRect& from) {
    QRect source = from & src.rect();
    if (source.isEmpty()) {
        return;
    }
    const QPoint shift = to - from.topLeft();
    QRect target = source.translated(shift) & dst.rect();
    if (target.isEmpty()) {
        return;
    }
    source = target.translated(-shift);
    const bool bSame = dst.constBits() == src.constBits();
    const std::size_t nBytes = static_cast<std::size_t>(target.width()) * sizeof(std::uint32_t);
    // Within one image an overlapping copy moving down must walk upwards from the bottom row.
    const bool bUpwards = bSame && shift.y() > 0;
    for (int i = 0; i < target.height(); ++i) {
        const int row = bUpwards ? target.height() - 1 - i : i;
        uchar* d = dst.scanLine(target.top() + row) + target.left() * 4;
        const uchar* s = src.constScanLine(source.top() + row) + source.left() * 4;
        std::memmove(d, s, nBytes);
    }
}
