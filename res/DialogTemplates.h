// SPDX-License-Identifier: MIT
#pragma once

#include "res/ResourceIds.h"

enum class ControlKind { PushButton, DefPushButton, StaticText, StaticIcon, StaticBitmap, Slider };

// Window style bits that the dialog builder reads.
constexpr unsigned kStyleTabStop = 0x00010000;
constexpr unsigned kStyleGroup = 0x00020000;
constexpr unsigned kStyleCaption = 0x00C00000;
constexpr unsigned kStyleSysMenu = 0x00080000;
constexpr unsigned kStyleNoPrefix = 0x00000080;
constexpr unsigned kStyleSliderNoTicks = 0x00000010;

struct DialogControl {
    int nID;
    ControlKind kind;
    const char* text; // UTF-8; for an icon or bitmap the resource number as text
    int x, y, cx, cy; // dialog units
    unsigned style;
};

struct DialogTemplate {
    int nID;
    const char* caption;
    int x, y, cx, cy; // dialog units
    const char* fontName;
    int nPointSize;
    unsigned style;
    const DialogControl* controls; // in template order, which is the tab order
    int nControls;
};

inline constexpr const char* kDialogFont = "ＭＳ Ｐゴシック";

inline constexpr DialogControl g_aboutControls[] = {
    {IDC_STATIC, ControlKind::StaticIcon, "128", 11, 12, 20, 20, 0x50000003},
    {IDC_STATIC, ControlKind::StaticText, "Zelvorandine Version 1.0", 40, 10, 119, 8, 0x50020080},
    {IDC_STATIC, ControlKind::StaticText, "© 2026 Zelvorandine developers", 40, 25, 119, 8, 0x50020000},
    {IDOK, ControlKind::DefPushButton, "OK", 178, 7, 50, 14, 0x50030001},
};
inline constexpr DialogTemplate g_aboutDialog = {
    IDD_ABOUTBOX, "Zelvorandineのﾊﾞｰｼﾞｮﾝ情報", 0, 0, 235, 55, kDialogFont, 9, 0x80C800C0, g_aboutControls, 4};

inline constexpr DialogControl g_backgroundControls[] = {
    {IDC_USE_THIS, ControlKind::PushButton, "これでいく", 6, 21, 41, 17, 0x50010000},
    {IDC_REDRAW, ControlKind::PushButton, "描きなおす", 53, 21, 41, 17, 0x50010000},
    {IDC_STATIC, ControlKind::StaticText, "この背景を使いますか？", 34, 3, 78, 11, 0x50020000},
    {IDC_COLOR_SETTINGS, ControlKind::PushButton, "色合い設定", 100, 21, 42, 17, 0x50010000},
    {IDC_QUIT_PROGRAM, ControlKind::PushButton, "プログラム終了", 44, 53, 59, 15, 0x50010000},
};
inline constexpr DialogTemplate g_backgroundDialog = {
    IDD_BACKGROUND, "背景を決めましょう。", 0, 0, 147, 73, kDialogFont, 9,
    0x80C800C0,     g_backgroundControls,   5};

inline constexpr DialogControl g_splashControls[] = {
    {IDC_STATIC, ControlKind::StaticBitmap, "136", 0, 0, 165, 139, 0x5000000E},
};
inline constexpr DialogTemplate g_splashDialog = {
    IDD_SPLASH, "", 0, 0, 165, 139, kDialogFont, 9, 0x80000040, g_splashControls, 1};

inline constexpr DialogControl g_colorSettingsControls[] = {
    {IDCANCEL, ControlKind::PushButton, "ｷｬﾝｾﾙ", 112, 121, 50, 15, 0x50010000},
    {IDC_RED_SLIDER, ControlKind::Slider, "Slider1", 46, 7, 68, 15, 0x50010018},
    {IDC_STATIC, ControlKind::StaticText, "赤の濃さ", 20, 11, 26, 12, 0x50020000},
    {IDC_STATIC, ControlKind::StaticText, "緑の濃さ", 20, 31, 26, 12, 0x50020000},
    {IDC_STATIC, ControlKind::StaticText, "青の濃さ", 20, 51, 28, 12, 0x50020000},
    {IDC_GREEN_SLIDER, ControlKind::Slider, "Slider1", 46, 28, 68, 15, 0x50010018},
    {IDC_BLUE_SLIDER, ControlKind::Slider, "Slider1", 46, 48, 68, 15, 0x50010018},
    {IDC_SETTINGS_DONE, ControlKind::PushButton, "設定終了", 51, 121, 50, 15, 0x50010000},
    {IDC_STATIC, ControlKind::StaticText, "コントラスト", 13, 81, 40, 9, 0x50020000},
    {IDC_CONTRAST_SLIDER, ControlKind::Slider, "Slider1", 46, 77, 47, 15, 0x50010018},
};
inline constexpr DialogTemplate g_colorSettingsDialog = {IDD_COLOR_SETTINGS,
                                                         "背景の設定",
                                                         0,
                                                         0,
                                                         169,
                                                         143,
                                                         kDialogFont,
                                                         9,
                                                         0x80C800C0,
                                                         g_colorSettingsControls,
                                                         10};
