// SPDX-License-Identifier: MIT
#include "background/ShapeGenerator.h"

#include "background/ColorRetryLoop.h"
#include "background/RandomSource.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

CShapeGenerator g_generator(255, 255, 255, 200, 150);

namespace {

constexpr std::int64_t kSourceValues = CRandomSource::kMaxValue + 1;
constexpr std::int64_t kAllTriples = kSourceValues * kSourceValues * kSourceValues; // 2^45
// A background draws 502 colours, three values an attempt, and five values for each of its 501 shapes.
constexpr int kColorsPerBackground = 502;
constexpr int kShapeValuesPerBackground = 501 * 5;

int ClampCeiling(int n) {
    return std::clamp(n, -CShapeGenerator::kCeilingLimit, CShapeGenerator::kCeilingLimit);
}

int ClampToInt(std::int64_t n) {
    return static_cast<int>(std::clamp<std::int64_t>(n, INT_MIN, INT_MAX));
}

// How many of the source's values give each channel value below one ceiling.
struct SChannel {
    int nLow = 0;
    std::vector<std::int64_t> counts; // counts[i]: source values giving nLow + i

    explicit SChannel(int nCeiling) {
        const int a = CRandomSource::ScaleBelow(0, nCeiling);
        const int b = CRandomSource::ScaleBelow(CRandomSource::kMaxValue, nCeiling);
        nLow = std::min(a, b);
        counts.assign(static_cast<std::size_t>(std::max(a, b) - nLow + 1), 0);
        for (int r = 0; r <= CRandomSource::kMaxValue; ++r) {
            ++counts[static_cast<std::size_t>(CRandomSource::ScaleBelow(r, nCeiling) - nLow)];
        }
    }
    int Size() const { return static_cast<int>(counts.size()); }
    int High() const { return nLow + Size() - 1; }
};

// A uniform integer in 0 .. n - 1 for 1 <= n <= 2^45, from as many 15-bit source values as give 15 bits
// of headroom, so the rare redraw that keeps it exactly uniform almost never happens.
std::int64_t UniformBelow(std::int64_t n) {
    int nChunks = 1;
    while (nChunks < 4 && (std::int64_t{1} << (15 * nChunks)) < n * kSourceValues) {
        ++nChunks;
    }
    const std::uint64_t span = std::uint64_t{1} << (15 * nChunks);
    const std::uint64_t limit = span - span % static_cast<std::uint64_t>(n);
    for (;;) {
        std::uint64_t u = 0;
        for (int i = 0; i < nChunks; ++i) {
            u = (u << 15) | static_cast<std::uint64_t>(CRandomSource::Next());
        }
        if (u < limit) {
            return static_cast<std::int64_t>(u % static_cast<std::uint64_t>(n));
        }
    }
}

} // namespace

// Everything about the colour draw that depends only on the fields, computed once per settings.
struct CShapeGenerator::SColorTables {
    int nRedField, nGreenField, nBlueField, nFloorField; // the fields these tables were made for
    int nRed, nGreen, nBlue;                             // the ceilings in use
    SChannel red, green, blue;
    int nFloor;             // the floor the direct draw aims at: never above the reachable maximum
    std::int64_t nAccepted; // accepted (red, green, blue) source-value triples at nFloor, out of 2^45
    bool bReachable;        // the floor is not above the reachable maximum
    double expectedValues;  // source values the retry loop takes for a background, on average
    bool bRetryLoop;
    CColorRetryLoop loop;
    // [i]: blue source values giving blue.nLow + i or more.
    std::vector<std::int64_t> blueAtLeast;
    // [i]: (green, blue) source-value pairs giving a sum of green.nLow + blue.nLow + i or more.
    std::vector<std::int64_t> greenBlueAtLeast;

    SColorTables(int r, int g, int b, int floor)
        : nRedField(r), nGreenField(g), nBlueField(b), nFloorField(floor), nRed(ClampCeiling(r)),
          nGreen(ClampCeiling(g)), nBlue(ClampCeiling(b)), red(nRed), green(nGreen), blue(nBlue),
          loop(nRed, nGreen, nBlue, floor) {
        blueAtLeast.assign(static_cast<std::size_t>(blue.Size() + 1), 0);
        for (int i = blue.Size() - 1; i >= 0; --i) {
            blueAtLeast[static_cast<std::size_t>(i)] =
                blueAtLeast[static_cast<std::size_t>(i + 1)] + blue.counts[static_cast<std::size_t>(i)];
        }
        const int nSums = green.Size() + blue.Size() - 1;
        greenBlueAtLeast.assign(static_cast<std::size_t>(nSums + 1), 0);
        const int nLowSum = green.nLow + blue.nLow;
        for (int i = 0; i < nSums; ++i) {
            std::int64_t w = 0;
            for (int j = 0; j < green.Size(); ++j) {
                w += green.counts[static_cast<std::size_t>(j)] * BlueAtLeast(nLowSum + i - j - green.nLow);
            }
            greenBlueAtLeast[static_cast<std::size_t>(i)] = w;
        }

        const int nMaxSum = red.High() + green.High() + blue.High();
        bReachable = floor <= nMaxSum;
        nFloor = std::min(floor, nMaxSum);
        nAccepted = 0;
        for (int i = 0; i < red.Size(); ++i) {
            nAccepted +=
                red.counts[static_cast<std::size_t>(i)] * GreenBlueAtLeast(Below(nFloor, red.nLow + i));
        }
        expectedValues = bReachable ? kColorsPerBackground * 3.0 * static_cast<double>(kAllTriples) /
                                              static_cast<double>(nAccepted) +
                                          kShapeValuesPerBackground
                                    : HUGE_VAL;
        bRetryLoop = expectedValues <= kMaxSourceValuesPerBackground;
    }

    bool Matches(int r, int g, int b, int floor) const {
        return r == nRedField && g == nGreenField && b == nBlueField && floor == nFloorField;
    }

    // floor - value without overflow; anything below the smallest sum accepts everything anyway.
    static int Below(int floor, int value) { return ClampToInt(std::int64_t{floor} - value); }

    std::int64_t BlueAtLeast(int s) const {
        const std::int64_t i = std::clamp<std::int64_t>(std::int64_t{s} - blue.nLow, 0, blue.Size());
        return blueAtLeast[static_cast<std::size_t>(i)];
    }
    std::int64_t GreenBlueAtLeast(int s) const {
        const std::int64_t n = static_cast<std::int64_t>(greenBlueAtLeast.size()) - 1;
        const std::int64_t i = std::clamp<std::int64_t>(std::int64_t{s} - green.nLow - blue.nLow, 0, n);
        return greenBlueAtLeast[static_cast<std::size_t>(i)];
    }

    // One accepted triple, uniform over the accepted source-value triples: exactly what the retry loop
    // yields, without the retries. One uniform index is split channel by channel.
    PackedColor DirectDraw() const {
        std::int64_t u = UniformBelow(nAccepted);
        // The channel value whose share of the accepted triples holds u; u becomes the index within that
        // share. restFor(value) counts the accepted draws of the later channels given this value.
        const auto pick = [&u](const SChannel& channel, const auto& restFor) {
            for (int i = 0;; ++i) {
                const int n = channel.nLow + i;
                const std::int64_t rest = restFor(n);
                const std::int64_t w = channel.counts[static_cast<std::size_t>(i)] * rest;
                if (u < w || i + 1 == channel.Size()) {
                    u %= rest;
                    return n;
                }
                u -= w;
            }
        };
        const int nR = pick(red, [this](int r) { return GreenBlueAtLeast(Below(nFloor, r)); });
        const int nNeedGB = Below(nFloor, nR);
        const int nG = pick(green, [this, nNeedGB](int g) { return BlueAtLeast(Below(nNeedGB, g)); });
        const int nNeedB = Below(nNeedGB, nG);
        int nB = std::clamp(nNeedB, blue.nLow, blue.High());
        for (int i = nB - blue.nLow;; ++i) {
            nB = blue.nLow + i;
            const std::int64_t w = blue.counts[static_cast<std::size_t>(i)];
            if (u < w || i + 1 == blue.Size()) {
                break;
            }
            u -= w;
        }
        return MakeColor(nR, nG, nB);
    }
};

CShapeGenerator::CShapeGenerator(int nRed, int nGreen, int nBlue, int nContrast, int nMaxShape)
    : m_nRed(nRed), m_nGreen(nGreen), m_nBlue(nBlue), m_nContrast(nContrast), m_nMaxShape(nMaxShape) {}

CShapeGenerator::~CShapeGenerator() = default;

const CShapeGenerator::SColorTables& CShapeGenerator::TablesForFields() const {
    if (!m_pTables || !m_pTables->Matches(m_nRed, m_nGreen, m_nBlue, m_nContrast)) {
        m_pTables = std::make_unique<SColorTables>(m_nRed, m_nGreen, m_nBlue, m_nContrast);
    }
    return *m_pTables;
}

double CShapeGenerator::AcceptanceProbability() const {
    const SColorTables& tables = TablesForFields();
    return tables.bReachable ? static_cast<double>(tables.nAccepted) / static_cast<double>(kAllTriples) : 0.0;
}

double CShapeGenerator::ExpectedSourceValues() const {
    return TablesForFields().expectedValues;
}

bool CShapeGenerator::UsesRetryLoop() const {
    return TablesForFields().bRetryLoop;
}

PackedColor CShapeGenerator::RandomColor() {
    return RandomColor(TablesForFields());
}

PackedColor CShapeGenerator::RandomColor(const SColorTables& tables) {
    return tables.bRetryLoop ? tables.loop.Next() : tables.DirectDraw();
}

void CShapeGenerator::Draw(CDrawingSurface& dc) {
    const int nWidth = dc.Width();
    const int nHeight = dc.Height();

    const std::int64_t nCeilingSum = std::int64_t{m_nRed} + m_nGreen + m_nBlue;
    if (nCeilingSum < m_nContrast) {
        m_nContrast = ClampToInt(nCeilingSum - 100);
    }
    const SColorTables& tables = TablesForFields();

    const PackedColor background = RandomColor(tables);
    const PackedColor oldBrush = dc.SelectBrush(background);
    dc.Rectangle(0, 0, nWidth, nHeight);
    dc.SelectBrush(oldBrush);

    for (int nShape = 0; nShape <= 500; ++nShape) {
        const PackedColor color = RandomColor(tables);
        const CPenSpec oldPen = dc.SelectPen(CPenSpec{1, color});
        const PackedColor oldShapeBrush = dc.SelectBrush(color);
        const int nLeft = CRandomSource::Below(nWidth + 100) - 100;
        const int nTop = CRandomSource::Below(nHeight + 100) - 100;
        const int nShapeHeight = CRandomSource::Below(m_nMaxShape);
        const int nShapeWidth = CRandomSource::Below(m_nMaxShape);
        if (CRandomSource::Below(2) == 1) {
            dc.Rectangle(nLeft, nTop, nLeft + nShapeWidth, nTop + nShapeHeight);
        } else {
            dc.Ellipse(nLeft, nTop, nLeft + nShapeWidth, nTop + nShapeHeight);
        }
        dc.SelectBrush(oldShapeBrush);
        dc.SelectPen(oldPen);
    }
}
