// SPDX-License-Identifier: MIT
#pragma once

#include "canvas/DrawingSurface.h"

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

    // A value 0 .. n - 1 (0 for n = 0) from exactly one value of the random source.
    static int RandomBelow(int n);

    // Paints a background over (0, 0, dc.Width(), dc.Height()). May lower m_nContrast for good when the
    // floor lies above the sum of the ceilings.
    void Draw(CDrawingSurface& dc);

    // One colour as Draw draws it, under the current fields.
    PackedColor RandomColor();

    // The chance that one (red, green, blue) attempt reaches the floor under the current fields.
    double AcceptanceProbability() const;
    // False when that chance is so small that colours come from a direct draw instead of retries.
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
    // Above this many expected attempts per colour the retry loop gives way to the direct draw.
    static constexpr int kMaxExpectedAttempts = 4096;

private:
    struct SColorTables;
    const SColorTables& TablesForFields() const;
    PackedColor RandomColor(const SColorTables& tables);

    mutable std::unique_ptr<SColorTables> m_pTables;
};

extern CShapeGenerator g_generator;
