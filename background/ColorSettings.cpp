#include "background/ColorSettings.h"

SColorSettings g_colorSettings;
