// SPDX-License-Identifier: MIT
#pragma once

#include "canvas/surface/DrawingSurface.h"

#include <memory>

// Paints one random background: a full-area rectangle in one random colour, then 501 randomly placed,
// randomly sized rectangles and ellipses, each in its own random colour. A colour is drawn channel by
// channel below the channel ceilings and drawn again until its channel sum reaches the contrast floor.
class CShapeGenerator {
public:
    CShapeGenerator(int nRed, int nGreen, int nBlue, int nContrast, int nMaxShape);
    virtual ~CShapeGenerator();
    CShapeGenerator(const CShapeGenerator&) = delete;
    CShapeGenerator& operator=(const CShapeGenerator&) = delete;

    // Paints a background over (0, 0, dc.Width(), dc.Height()). May lower m_nContrast for good when the
    // floor lies above the sum of the ceilings.
    void Draw(CDrawingSurface& dc);

    // One colour as Draw draws it, under the current fields.
    PackedColor RandomColor();

    // The chance that one (red, green, blue) attempt reaches the floor under the current fields.
    double AcceptanceProbability() const;
    // How many source values a background takes on average under the current fields (infinite when the
    // floor cannot be reached).
    double ExpectedSourceValues() const;
    // False when a background would take more than kMaxSourceValuesPerBackground: its colours then come
    // from a direct draw instead of retries.
    bool UsesRetryLoop() const;

    // Channel ceilings; the settings give 0 .. 255. Values beyond +-kCeilingLimit act as that limit.
    int m_nRed;
    int m_nGreen;
    int m_nBlue;
    // Contrast floor: the smallest accepted channel sum.
    int m_nContrast;
    // Ceiling of a shape's width and height.
    int m_nMaxShape;

    static constexpr int kCeilingLimit = 1024;
    // The most source values a background may take on average and still come from the retry loop. The loop
    // gets through 5 to 6 thousand million values a second (bench/bench_background), so a 1920 x 1080
    // background at this limit still takes less than 100 ms.
    static constexpr double kMaxSourceValuesPerBackground = 500e6;

private:
    struct SColorTables;
    const SColorTables& TablesForFields() const;
    PackedColor RandomColor(const SColorTables& tables);

    mutable std::unique_ptr<SColorTables> m_pTables;
};

extern CShapeGenerator g_generator;
