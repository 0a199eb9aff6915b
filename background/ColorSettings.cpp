// SPDX-License-Identifier: MIT
#include "background/ColorSettings.h"

SColorSettings g_colorSettings;
