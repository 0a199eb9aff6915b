// SPDX-License-Identifier: MIT
#pragma once

#include "res/ResourceIds.h"

struct AcceleratorResource {
    const char* key; // a key sequence in portable text form ("Ctrl+N")
    int nID;
};

// Accelerator table 128, in its order.
inline constexpr AcceleratorResource g_mainAccelerators[] = {
    {"Ctrl+N", ID_FILE_NEW},
    {"Ctrl+O", ID_FILE_OPEN},
    {"Ctrl+S", ID_FILE_SAVE},
    {"Ctrl+P", ID_FILE_PRINT},
    {"Ctrl+Z", ID_EDIT_UNDO},
    {"Ctrl+X", ID_EDIT_CUT},
    {"Ctrl+C", ID_EDIT_COPY},
    {"Ctrl+V", ID_EDIT_PASTE},
    {"Alt+Backspace", ID_EDIT_UNDO},
    {"Shift+Del", ID_EDIT_CUT},
    {"Ctrl+Ins", ID_EDIT_COPY},
    {"Shift+Ins", ID_EDIT_PASTE},
    {"F6", ID_NEXT_PANE},
    {"Shift+F6", ID_PREV_PANE},
    {"Shift+F1", ID_CONTEXT_HELP},
    {"F1", ID_HELP},
};
