// SPDX-License-Identifier: MIT
#pragma once

#include "res/ResourceIds.h"

#include <cstddef>
#include <iterator>

struct StringResource {
    int nID;
    const char* text; // UTF-8
};

// The string table. A command's text holds the status-bar prompt, a line break, then the tooltip.
inline constexpr StringResource g_stringTable[] = {
    {IDR_MAINFRAME, "Zelvorandine\n\nQuorim\n\n\nZelvorandine.Document\nQuorim Document"},
    {AFX_IDS_APP_TITLE, "Zelvorandine"},
    {AFX_IDS_IDLEMESSAGE, "ﾍﾙﾌﾟを表示するには [F1] を押してください。"},
    {AFX_IDS_HELPMODEMESSAGE, "ﾍﾙﾌﾟを使用するｵﾌﾞｼﾞｪｸﾄを選択"},
    {ID_FILE_NEW, "新規にﾌｧｲﾙを作成\n新規ﾌｧｲﾙ"},
    {ID_FILE_OPEN, "既存のﾌｧｲﾙを開く\n開く"},
    {ID_FILE_CLOSE, "作業中のﾌｧｲﾙを閉じる\n閉じる"},
    {ID_FILE_SAVE, "作業中のﾌｧｲﾙを上書きして保存\n保存"},
    {ID_FILE_SAVE_AS, "作業中のﾌｧｲﾙを新しい名前で保存\n名前をつけて保存"},
    {ID_FILE_PAGE_SETUP, "印刷ｵﾌﾟｼｮﾝの変更\nﾍﾟｰｼﾞ ﾚｲｱｳﾄ"},
    {ID_FILE_PRINT_SETUP, "ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更\n印刷設定"},
    {ID_FILE_PRINT, "作業中のﾌｧｲﾙを印刷\n印刷"},
    {ID_FILE_PRINT_PREVIEW, "印刷ｲﾒｰｼﾞを表示\n印刷ﾌﾟﾚﾋﾞｭｰ"},
    {57616, "指定のﾌｧｲﾙを開く"},
    {57617, "指定のﾌｧｲﾙを開く"},
    {57618, "指定のﾌｧｲﾙを開く"},
    {57619, "指定のﾌｧｲﾙを開く"},
    {57620, "指定のﾌｧｲﾙを開く"},
    {57621, "指定のﾌｧｲﾙを開く"},
    {57622, "指定のﾌｧｲﾙを開く"},
    {57623, "指定のﾌｧｲﾙを開く"},
    {57624, "指定のﾌｧｲﾙを開く"},
    {57625, "指定のﾌｧｲﾙを開く"},
    {57626, "指定のﾌｧｲﾙを開く"},
    {57627, "指定のﾌｧｲﾙを開く"},
    {57628, "指定のﾌｧｲﾙを開く"},
    {57629, "指定のﾌｧｲﾙを開く"},
    {57630, "指定のﾌｧｲﾙを開く"},
    {57631, "指定のﾌｧｲﾙを開く"},
    {ID_EDIT_CLEAR, "選択範囲を消去\n削除"},
    {ID_EDIT_CLEAR_ALL, "すべて消去\nすべて削除"},
    {ID_EDIT_COPY, "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\nｺﾋﾟｰ"},
    {ID_EDIT_CUT, "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\n切り取り"},
    {ID_EDIT_FIND, "指定した文字列の検索\n検索"},
    {ID_EDIT_PASTE, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け\n貼り付け"},
    {ID_EDIT_REPEAT, "直前に行った動作を繰り返す\n繰り返し"},
    {ID_EDIT_REPLACE, "指定した文字列を他の文字列で置換\n置換"},
    {ID_EDIT_SELECT_ALL, "ﾌｧｲﾙ内のすべてを選択\nすべて選択"},
    {ID_EDIT_UNDO, "直前に行った動作を元に戻す\n元に戻す"},
    {ID_EDIT_REDO, "取り消した操作をやり直す\nやり直し"},
    {ID_WINDOW_SPLIT, "作業中のｳｨﾝﾄﾞｳを分割\n分割"},
    {ID_APP_ABOUT, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
    {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"},
    {ID_HELP_INDEX, "ﾍﾙﾌﾟの目次を表示\n目次"},
    {ID_HELP_FINDER, "ﾍﾙﾌﾟのﾄﾋﾟｯｸ一覧を表示\nﾍﾙﾌﾟ ﾄﾋﾟｯｸ"},
    {ID_HELP_USING, "ﾍﾙﾌﾟの使い方を表示\nﾍﾙﾌﾟの使い方"},
    {ID_CONTEXT_HELP, "ﾎﾞﾀﾝ、ﾒﾆｭｰ、ｳｨﾝﾄﾞｳのﾍﾙﾌﾟを表示\nﾍﾙﾌﾟ"},
    {ID_HELP, "作業中のﾀｽｸやｺﾏﾝﾄﾞのﾍﾙﾌﾟを表示\nﾍﾙﾌﾟ"},
    {ID_NEXT_PANE, "次のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え\n次のﾍﾟｲﾝ"},
    {ID_PREV_PANE, "前のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え\n前のﾍﾟｲﾝ"},
    {ID_INDICATOR_EXT, "EXT"},
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},
    {ID_INDICATOR_OVR, "OVR"},
    {ID_INDICATOR_REC, "REC"},
    {ID_INDICATOR_KANA, "ｶﾅ"},
    {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰの 表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え"},
    {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示切り替え"},
    {61184, "ｳｨﾝﾄﾞｳのｻｲｽﾞを変更"},
    {61185, "ｳｨﾝﾄﾞｳの位置を変更"},
    {61186, "ｳｨﾝﾄﾞｳを最小化する"},
    {61187, "ｳｨﾝﾄﾞｳを最大化する"},
    {61188, "次のｳｨﾝﾄﾞｳに切り替える"},
    {61189, "前のｳｨﾝﾄﾞｳに切り替える"},
    {61190, "作業中のｳｨﾝﾄﾞｳを閉じ、変更したﾌｧｲﾙの保存を指示"},
    {61202, "ｳｨﾝﾄﾞｳを通常のｻｲｽﾞに戻す"},
    {61203, "ｱﾌﾟﾘｹｰｼｮﾝの切り替え"},
    {AFX_IDS_PREVIEW_CLOSE, "印刷ﾌﾟﾚﾋﾞｭｰ ﾓｰﾄﾞの終わり\nﾌﾟﾚﾋﾞｭｰのｷｬﾝｾﾙ"},

    // Texts of the framework layer and of the Linux command line.
    {AFX_IDS_UNTITLED, "無題"},
    {AFX_IDS_OPENFILE, "開く"},
    {AFX_IDS_ALLFILTER, "すべてのﾌｧｲﾙ (*)"},
    {AFX_IDP_FAILED_TO_OPEN_DOC, "ﾌｧｲﾙ %1 を開くことができません。\n%2"},
    {IDS_BAD_OPTION, "不明なｵﾌﾟｼｮﾝです: %1\n使い方は zelvorandine --help で表示されます。"},
    {IDS_EXTRA_ARGUMENT, "余分な引数です: %1\nﾌｧｲﾙは 1 つだけ指定できます。"},
    {AFX_IDP_FAILED_TO_CREATE_DOC, "ﾄﾞｷｭﾒﾝﾄを作成できませんでした。"},
    {IDS_PRINTER_NOT_FOUND, "ﾌﾟﾘﾝﾀ %1 が見つかりません。"},
    {IDS_NO_PRINTER, "使用できるﾌﾟﾘﾝﾀがありません。"},
    {IDS_SAVE_FAILED, "ﾌｧｲﾙ %1 を保存できませんでした。\n%2\n\n画面の絵はそのまま残っています。"},
    {IDS_MISSING_PRINT_FILE, "印刷するﾌｧｲﾙ名がありません: %1 の後に指定してください。\n"
                             "使い方は zelvorandine --help で表示されます。"},
    {IDS_MISSING_PRINTER_NAME, "ﾌﾟﾘﾝﾀ名がありません: %1 の後にﾌｧｲﾙ名とﾌﾟﾘﾝﾀ名を指定してください。\n"
                               "使い方は zelvorandine --help で表示されます。"},
    {IDS_PRINT_TO_FILE_FAILED, "ﾌｧｲﾙ %1 に印刷できませんでした。\n%2"},
    {IDS_PRINT_FAILED, "ﾌﾟﾘﾝﾀ %1 で印刷できませんでした。"},
    {IDS_SETTINGS_NOT_READ,
     "設定ﾌｧｲﾙ %1 を読み込めません。\n%2\n既定の設定で起動し、このﾌｧｲﾙは変更しません。"},
    {IDS_SETTINGS_NOT_WRITTEN,
     "設定ﾌｧｲﾙ %1 に書き込めませんでした。最近使ったﾌｧｲﾙの一覧は次の起動に引き継がれません。"},
    {IDS_ERROR_INCOMPLETE_WRITE,
     "ﾌｧｲﾙを最後まで書き込めませんでした。ﾃﾞｨｽｸの空き容量とﾌｧｲﾙの大きさの上限を確かめてください。"},
    {IDS_ERROR_NO_SPACE, "ﾃﾞｨｽｸの空き容量が足りません。"},
    {IDS_ERROR_ACCESS, "このﾌｧｲﾙまたはﾌｫﾙﾀﾞへの書き込みが許可されていません。"},
    {IDS_ERROR_READ_ONLY_FS, "読み取り専用のﾃﾞｨｽｸです。"},
    {IDS_ERROR_NOT_FOUND, "ﾌｧｲﾙまたはﾌｫﾙﾀﾞが見つかりません。"},
    {IDS_ERROR_NAME_TOO_LONG, "ﾌｧｲﾙ名が長すぎます。"},
    {IDS_ERROR_FILE_TOO_LARGE, "ﾌｧｲﾙが大きすぎます。"},
    {IDS_ERROR_IO, "ﾃﾞｨｽｸの読み書き中にｴﾗｰが発生しました。"},
    {IDS_ERROR_NO_MEMORY, "ﾒﾓﾘが足りません。"},
    {IDS_ERROR_NOT_REGULAR_FILE, "通常のﾌｧｲﾙではありません。"},
    {IDS_ERROR_NOT_A_FOLDER, "ﾊﾟｽの途中にﾌｫﾙﾀﾞではないものがあります。"},
    {IDS_ERROR_IS_A_FOLDER, "同じ名前のﾌｫﾙﾀﾞがあります。"},
    {IDS_ERROR_BAD_NAME, "このﾌｧｲﾙ名は使えません。"},
    {IDS_ERROR_QUOTA, "ﾃﾞｨｽｸの使用量の上限を超えました。"},
    {IDS_ERROR_BUSY, "ﾌｧｲﾙが使用中です。"},
    {IDS_ERROR_FOLDER_REMOVED, "保存先のﾌｫﾙﾀﾞはもうありません。削除されたか、名前が変わりました。"},
    {IDS_ERROR_EMPTY_PICTURE, "幅または高さが 0 の絵は PNG ﾌｧｲﾙに保存できません。"},
    {IDS_ERROR_READ_ACCESS, "このﾌｧｲﾙの読み込みが許可されていません。"},
    {IDS_TOOLKIT_FILE_REFUSED, "ｵﾌﾟｼｮﾝ %1 のﾌｧｲﾙ %2 を読み込めません。"},
    {IDS_TOOLKIT_FILE_RULE, "Qt のｵﾌﾟｼｮﾝには 1 MiB までの通常のﾌｧｲﾙを指定してください。"},
    {IDS_ERROR_OLD_BYTES_RESTORED, "ﾌｧｲﾙは元の内容に戻しました。"},
    {IDS_ERROR_OLD_BYTES_KEPT, "ﾌｧｲﾙを元の内容に戻せませんでした。元の内容は %1 に残してあります。"},
    {IDS_FILTER_BMP, "ビットマップファイル (*.bmp)"},
    {IDS_FILTER_PNG, "PNG ファイル (*.png)"},
    {IDS_ASK_TO_SAVE, "「%1」への変更を保存しますか？"},
    {IDS_DONT_SAVE, "保存しない"},
    {IDS_LAYER_FAILED,
     "背景を用意できませんでした。\n%1\n\nｳｨﾝﾄﾞｳを小さくするか、ほかのﾌﾟﾛｸﾞﾗﾑを終了してから、"
     "もう一度 [新規作成] を選んでください。"},
    {IDS_HELP_TITLE, "Zelvorandine ﾍﾙﾌﾟ"},
    {IDS_ACC_TOOLBAR_NAME, "ﾂｰﾙ ﾊﾞｰ"},
    {IDS_ACC_TOOLBAR_DESCRIPTION, "新規作成、上書き保存、印刷、ﾊﾞｰｼﾞｮﾝ情報のﾎﾞﾀﾝ"},
    {IDS_ACC_PENBAR_NAME, "描画設定"},
    {IDS_ACC_PENBAR_DESCRIPTION, "黒い覆いを削るﾍﾟﾝ 3 本と、黒で覆うﾍﾟﾝを選ぶﾎﾞﾀﾝ"},
    {IDS_ACC_PEN_FINE_NAME, "細い削りﾍﾟﾝ"},
    {IDS_ACC_PEN_FINE_DESCRIPTION, "幅 1 ﾋﾟｸｾﾙで黒い覆いを削り、背景を出します。"},
    {IDS_ACC_PEN_MEDIUM_NAME, "中くらいの削りﾍﾟﾝ"},
    {IDS_ACC_PEN_MEDIUM_DESCRIPTION, "幅 2 ﾋﾟｸｾﾙで黒い覆いを削り、背景を出します。"},
    {IDS_ACC_PEN_BOLD_NAME, "太い削りﾍﾟﾝ"},
    {IDS_ACC_PEN_BOLD_DESCRIPTION, "幅 4 ﾋﾟｸｾﾙで黒い覆いを削り、背景を出します。"},
    {IDS_ACC_PEN_COVER_NAME, "黒で覆うﾍﾟﾝ"},
    {IDS_ACC_PEN_COVER_DESCRIPTION, "幅 10 ﾋﾟｸｾﾙで黒く塗り、背景を隠します。"},
    {IDS_ACC_VIEW_NAME, "描画領域"},
    {IDS_ACC_VIEW_DESCRIPTION, "左ﾎﾞﾀﾝでﾄﾞﾗｯｸﾞすると、黒い覆いを削って背景が現れます。"},
    {IDS_VIEW_WHATS_THIS, "描画領域: 左ﾎﾞﾀﾝでﾄﾞﾗｯｸﾞすると、黒い覆いを削って背景が現れます。"},
    {IDS_VERSION_NOTICE, "Copyright (C) 2026 The Zelvorandine developers\n"
                         "MIT ﾗｲｾﾝｽのもとで、誰でも無償で使用、複製、改変、再配布できます。無保証です。"},
    {IDS_USAGE, "使い方: zelvorandine [ｵﾌﾟｼｮﾝ] [ﾌｧｲﾙ]\n"
                "\n"
                "ﾗﾝﾀﾞﾑな背景を黒で覆い、ﾏｳｽで削って絵を描くﾌﾟﾛｸﾞﾗﾑです。\n"
                "\n"
                "  ﾌｧｲﾙ                     ﾌｧｲﾙを開いて起動します (内容は読みません)\n"
                "  /p ﾌｧｲﾙ, -p ﾌｧｲﾙ         ｳｨﾝﾄﾞｳを表示せずに既定のﾌﾟﾘﾝﾀで印刷して終了します\n"
                "  /pt ﾌｧｲﾙ ﾌﾟﾘﾝﾀ [ﾄﾞﾗｲﾊﾞ [ﾎﾟｰﾄ]]\n"
                "                           指定したﾌﾟﾘﾝﾀで印刷して終了します\n"
                "  --help                   この説明を表示して終了します\n"
                "  --version                ﾊﾞｰｼﾞｮﾝを表示して終了します\n"
                "  --                       これ以降の引数をﾌｧｲﾙ名として扱います\n"},
};

// Two texts under one id would leave one of them unreachable.
constexpr bool StringIdsAreUnique() {
    for (std::size_t i = 0; i < std::size(g_stringTable); ++i) {
        for (std::size_t j = i + 1; j < std::size(g_stringTable); ++j) {
            if (g_stringTable[i].nID == g_stringTable[j].nID) {
                return false;
            }
        }
    }
    return true;
}
static_assert(StringIdsAreUnique(), "every string of the table has an id of its own");
