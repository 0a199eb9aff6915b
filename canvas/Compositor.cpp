// SPDX-License-Identifier: MIT
#include "canvas/Compositor.h"

#include <QtEndian>

#include <cstdint>
#include <cstring>

namespace {

// Kept apart with restrict pointers so that the compiler vectorises it.
void AndRow(std::uint32_t* __restrict dst, const std::uint32_t* __restrict src, int n) {
    for (int i = 0; i < n; ++i) {
        dst[i] &= src[i];
    }
}

// Four pixels 0xffRRGGBB make twelve bytes blue, green, red: three little-endian words.
void StoreFour(const std::uint32_t* p, unsigned char* pBgr) {
    const std::uint32_t p0 = p[0] & 0xFFFFFFu, p1 = p[1] & 0xFFFFFFu, p2 = p[2] & 0xFFFFFFu;
    const std::uint32_t p3 = p[3] & 0xFFFFFFu;
    qToLittleEndian<std::uint32_t>(p0 | (p1 << 24), pBgr);
    qToLittleEndian<std::uint32_t>((p1 >> 8) | (p2 << 16), pBgr + 4);
    qToLittleEndian<std::uint32_t>((p2 >> 16) | (p3 << 8), pBgr + 8);
}

void StoreOne(std::uint32_t pixel, unsigned char* pBgr) {
    pBgr[0] = static_cast<unsigned char>(pixel);
    pBgr[1] = static_cast<unsigned char>(pixel >> 8);
    pBgr[2] = static_cast<unsigned char>(pixel >> 16);
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

void CCompositor::StoreBgr(unsigned char* pBgr, const QImage& src, const QImage* pMask, int nY, int nCount) {
    const auto* pSrc = reinterpret_cast<const std::uint32_t*>(src.constScanLine(nY));
    const auto* pAnd = pMask ? reinterpret_cast<const std::uint32_t*>(pMask->constScanLine(nY)) : nullptr;
    std::uint32_t four[4];
    int x = 0;
    for (; x + 4 <= nCount; x += 4, pBgr += 12) {
        for (int i = 0; i < 4; ++i)
            four[i] = pAnd ? pSrc[x + i] & pAnd[x + i] : pSrc[x + i];
        StoreFour(four, pBgr);
    }
    for (; x < nCount; ++x, pBgr += 3)
        StoreOne(pAnd ? pSrc[x] & pAnd[x] : pSrc[x], pBgr);
}

void CCompositor::FillBgr(unsigned char* pBgr, QRgb color, int nCount) {
    const std::uint32_t four[4] = {color, color, color, color};
    int x = 0;
    for (; x + 4 <= nCount; x += 4, pBgr += 12)
        StoreFour(four, pBgr);
    for (; x < nCount; ++x, pBgr += 3)
        StoreOne(color, pBgr);
}
