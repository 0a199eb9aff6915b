// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The colour settings of the running program; they start afresh at every program start and are
// never saved.
struct SColorSettings {
    std::int32_t nRed = 255;      // red ceiling
    std::int32_t nGreen = 255;    // green ceiling
    std::int32_t nBlue = 255;     // blue ceiling
    std::int32_t nContrast = 400; // contrast floor
};

extern SColorSettings g_colorSettings;
