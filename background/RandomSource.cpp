// SPDX-License-Identifier: MIT
#include "background/RandomSource.h"

void CRandomSource::Reset() {
    ms_nState = 0;
    ms_bSeeded = false;
}
