// SPDX-License-Identifier: MIT
#pragma once

#include "res/ResourceIds.h"

constexpr int ID_TOOLBAR_SEPARATOR = 0;

struct ToolbarResource {
    int nID;
    const char* bitmap; // Qt resource path of the image strip, one image per button in button order
    int nImageWidth;
    int nImageHeight;
    const int* items; // command ids, ID_TOOLBAR_SEPARATOR for a separator
    int nItems;
};

inline constexpr int g_standardToolbarItems[] = {ID_FILE_NEW,   ID_FILE_SAVE,         ID_TOOLBAR_SEPARATOR,
                                                 ID_FILE_PRINT, ID_TOOLBAR_SEPARATOR, ID_APP_ABOUT};
inline constexpr int g_penToolbarItems[] = {ID_PEN_FINE, ID_PEN_MEDIUM, ID_PEN_BOLD, ID_PEN_COVER};

inline constexpr ToolbarResource g_standardToolbar = {
    IDR_MAINFRAME, ":/artwork/toolbar_128.png", 16, 15, g_standardToolbarItems, 6};
inline constexpr ToolbarResource g_penToolbar = {IDR_PENBAR, ":/artwork/toolbar_140.png", 18,
                                                 17,         g_penToolbarItems,           4};

// What assistive technologies call a toolbar (by its resource id) and the buttons that show no text (by their
// command): string ids of a name and a description. Other buttons are named by their menu items.
struct AccessibleText {
    int nID;
    int nName;
    int nDescription;
};
inline constexpr AccessibleText g_toolbarAccessibleTexts[] = {
    {IDR_MAINFRAME, IDS_ACC_TOOLBAR_NAME, IDS_ACC_TOOLBAR_DESCRIPTION},
    {IDR_PENBAR, IDS_ACC_PENBAR_NAME, IDS_ACC_PENBAR_DESCRIPTION},
    {ID_PEN_FINE, IDS_ACC_PEN_FINE_NAME, IDS_ACC_PEN_FINE_DESCRIPTION},
    {ID_PEN_MEDIUM, IDS_ACC_PEN_MEDIUM_NAME, IDS_ACC_PEN_MEDIUM_DESCRIPTION},
    {ID_PEN_BOLD, IDS_ACC_PEN_BOLD_NAME, IDS_ACC_PEN_BOLD_DESCRIPTION},
    {ID_PEN_COVER, IDS_ACC_PEN_COVER_NAME, IDS_ACC_PEN_COVER_DESCRIPTION},
};

// Status bar panes of the main frame, in order.
inline constexpr int g_indicators[] = {ID_SEPARATOR, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                       ID_INDICATOR_SCRL};
