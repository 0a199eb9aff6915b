// SPDX-License-Identifier: MIT
#pragma once

#include "res/ResourceIds.h"

enum class MenuItemKind { Popup, EndPopup, Command, Separator };

struct MenuItemResource {
    MenuItemKind kind;
    const char* text; // UTF-8, '&' marks the mnemonic, '\t' precedes the shortcut shown
    int nID;
    bool bGrayed;
};

// Menu 128, the main menu.
inline constexpr MenuItemResource g_mainMenu[] = {
    {MenuItemKind::Popup, "ﾌｧｲﾙ(&F)", 0, false},
    {MenuItemKind::Command, "新規作成(&N)\tCtrl+N", ID_FILE_NEW, false},
    {MenuItemKind::Command, "上書き保存(&S)\tCtrl+S", ID_FILE_SAVE, false},
    {MenuItemKind::Command, "名前を付けて保存(&A)...", ID_FILE_SAVE_AS, false},
    {MenuItemKind::Separator, nullptr, 0, false},
    {MenuItemKind::Command, "印刷(&P)...\tCtrl+P", ID_FILE_PRINT, false},
    {MenuItemKind::Command, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)", ID_FILE_PRINT_PREVIEW, false},
    {MenuItemKind::Command, "ﾌﾟﾘﾝﾀの設定(&R)...", ID_FILE_PRINT_SETUP, false},
    {MenuItemKind::Separator, nullptr, 0, false},
    {MenuItemKind::Command, "最近使ったﾌｧｲﾙ", ID_FILE_MRU_FILE1, true},
    {MenuItemKind::Separator, nullptr, 0, false},
    {MenuItemKind::Command, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", ID_APP_EXIT, false},
    {MenuItemKind::EndPopup, nullptr, 0, false},
    {MenuItemKind::Popup, "表示(&V)", 0, false},
    {MenuItemKind::Command, "ﾂｰﾙ ﾊﾞｰ(&T)", ID_VIEW_TOOLBAR, false},
    {MenuItemKind::Command, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", ID_VIEW_STATUS_BAR, false},
    {MenuItemKind::Command, "描画設定", ID_VIEW_PENBAR, false},
    {MenuItemKind::EndPopup, nullptr, 0, false},
    {MenuItemKind::Popup, "ﾍﾙﾌﾟ(&H)", 0, false},
    {MenuItemKind::Command, "Zelvorandine のﾊﾞｰｼﾞｮﾝ情報(&A)...", ID_APP_ABOUT, false},
    {MenuItemKind::EndPopup, nullptr, 0, false},
};
