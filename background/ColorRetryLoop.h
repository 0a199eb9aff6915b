// SPDX-License-Identifier: MIT
#pragma once

#include "canvas/surface/DrawingSurface.h"

// The colour draw of a background: red, green and blue drawn from the random source below their ceilings,
// in that order, again and again until their sum reaches the floor.
//
// Where that takes many attempts, attempts are tried in blocks: each attempt's values are computed side by
// side straight from the source's state (jumping the generator ahead), and the source is left just after
// the first accepted attempt. The values consumed and the colour are exactly those of drawing one attempt
// after the other, only many times faster.
class CColorRetryLoop {
public:
    // Ceilings within -1024 .. 1024.
    CColorRetryLoop(int nRed, int nGreen, int nBlue, int nFloor);

    // One accepted colour. Never returns when the floor cannot be reached.
    PackedColor Next() const;

private:
    PackedColor NextInBlocks() const;

    int m_nRed;
    int m_nGreen;
    int m_nBlue;
    int m_nFloor;
};
