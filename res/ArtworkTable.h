// SPDX-License-Identifier: MIT
#pragma once

#include "res/ResourceIds.h"

struct BitmapResource {
    int nID;
    const char* path; // Qt resource path
};

struct CursorResource {
    int nID;
    const char* path;
    int nHotX;
    int nHotY;
};

inline constexpr BitmapResource g_bitmaps[] = {
    {IDB_TITLE, ":/artwork/title_136.bmp"},
};

inline constexpr BitmapResource g_iconImages[] = {
    {IDR_MAINFRAME, ":/artwork/icon_128_32.png"},
    {IDR_MAINFRAME, ":/artwork/icon_128_16.png"},
};

inline constexpr CursorResource g_cursors[] = {
    {IDC_PEN_CURSOR, ":/artwork/cursor_131.png", 1, 1},
    {IDC_COVER_CURSOR, ":/artwork/cursor_142.png", 16, 16},
};
