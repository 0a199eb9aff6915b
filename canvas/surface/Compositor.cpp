// SPDX-License-Identifier: MIT
#include "canvas/surface/Compositor.h"

#include <QtEndian>

#include <cstdint>

namespace {

// Kept apart with restrict pointers so that the compiler vectorises them.
void AndRow(std::uint32_t* __restrict dst, const std::uint32_t* __restrict src, int n) {
    for (int i = 0; i < n; ++i) {
        dst[i] &= src[i];
    }
}

// Twelve bytes blue, green, red are four pixels in three little-endian words.
void AndPackedRow(std::uint32_t* __restrict dst, const unsigned char* __restrict src, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4, src += 12) {
        const std::uint32_t w0 = qFromLittleEndian<std::uint32_t>(src);
        const std::uint32_t w1 = qFromLittleEndian<std::uint32_t>(src + 4);
        const std::uint32_t w2 = qFromLittleEndian<std::uint32_t>(src + 8);
        dst[i] &= 0xFF000000u | w0;
        dst[i + 1] &= 0xFF000000u | (w0 >> 24) | (w1 << 8);
        dst[i + 2] &= 0xFF000000u | (w1 >> 16) | (w2 << 16);
        dst[i + 3] &= 0xFF000000u | (w2 >> 8);
    }
    for (; i < n; ++i, src += 3) {
        dst[i] &= 0xFF000000u | src[0] | (std::uint32_t(src[1]) << 8) | (std::uint32_t(src[2]) << 16);
    }
}

void AndBytes(unsigned char* __restrict dst, const unsigned char* __restrict src, int n) {
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

// Pixels 0 .. nCount - 1 of an RGB32 row, AND-ed with pAnd's when there is one, as blue, green, red.
void StoreRow(unsigned char* pBgr, const std::uint32_t* pSrc, const std::uint32_t* pAnd, int nCount) {
    std::uint32_t four[4];
    int x = 0;
    for (; x + 4 <= nCount; x += 4, pBgr += 12) {
        for (int i = 0; i < 4; ++i) {
            four[i] = pAnd ? pSrc[x + i] & pAnd[x + i] : pSrc[x + i];
        }
        StoreFour(four, pBgr);
    }
    for (; x < nCount; ++x, pBgr += 3) {
        StoreOne(pAnd ? pSrc[x] & pAnd[x] : pSrc[x], pBgr);
    }
}

const std::uint32_t* Rgb32Row(const QImage& image, int nY) {
    return reinterpret_cast<const std::uint32_t*>(image.constScanLine(nY));
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
    const bool bPacked = color.format() == QImage::Format_BGR888;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* dst = reinterpret_cast<std::uint32_t*>(cover.scanLine(y)) + area.left();
        if (bPacked) {
            AndPackedRow(dst, color.constScanLine(y) + 3 * area.left(), area.width());
        } else {
            AndRow(dst, Rgb32Row(color, y) + area.left(), area.width());
        }
    }
}

QImage CCompositor::Packed(const QImage& color) {
    QImage packed(color.size(), QImage::Format_BGR888);
    if (packed.isNull()) {
        return packed;
    }
    for (int y = 0; y < color.height(); ++y) {
        StoreRow(packed.scanLine(y), Rgb32Row(color, y), nullptr, color.width());
    }
    return packed;
}

void CCompositor::StoreBgr(unsigned char* pBgr, const QImage& src, const QImage* pMask, int nY, int nCount) {
    if (pMask && pMask->format() == QImage::Format_BGR888) {
        StoreRow(pBgr, Rgb32Row(src, nY), nullptr, nCount);
        AndBytes(pBgr, pMask->constScanLine(nY), 3 * nCount);
        return;
    }
    StoreRow(pBgr, Rgb32Row(src, nY), pMask ? Rgb32Row(*pMask, nY) : nullptr, nCount);
}

void CCompositor::FillBgr(unsigned char* pBgr, QRgb color, int nCount) {
    const std::uint32_t four[4] = {color, color, color, color};
    int x = 0;
    for (; x + 4 <= nCount; x += 4, pBgr += 12) {
        StoreFour(four, pBgr);
    }
    for (; x < nCount; ++x, pBgr += 3) {
        StoreOne(color, pBgr);
    }
}
