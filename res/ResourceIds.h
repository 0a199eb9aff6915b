// SPDX-License-Identifier: MIT
#pragma once

// Numeric ids of commands, controls and resources. The numbers are part of the program: tables,
// message maps and tests refer to them.

// Resources
constexpr int IDR_MAINFRAME = 128;
constexpr int IDR_ZELVORTYPE = 129;
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_BACKGROUND = 130;
constexpr int IDD_SPLASH = 133;
constexpr int IDD_COLOR_SETTINGS = 137;
constexpr int IDC_PEN_CURSOR = 131;
constexpr int IDB_TITLE = 136;
constexpr int IDR_PENBAR = 140;
constexpr int IDC_COVER_CURSOR = 142;

// Commands of the program
constexpr int ID_BACKGROUND_SETTINGS = 137;
constexpr int ID_PEN_FINE = 32775;
constexpr int ID_PEN_MEDIUM = 32776;
constexpr int ID_PEN_BOLD = 32777;
constexpr int ID_PEN_COVER = 32778;
constexpr int ID_VIEW_PENBAR = 32780;

// Standard commands
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_CLOSE = 57602;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_FILE_PAGE_SETUP = 57605;
constexpr int ID_FILE_PRINT_SETUP = 57606;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_FILE_PRINT_DIRECT = 57608;
constexpr int ID_FILE_PRINT_PREVIEW = 57609;
constexpr int ID_FILE_MRU_FILE1 = 57616;
constexpr int ID_FILE_MRU_FILE16 = 57631;
constexpr int ID_EDIT_CLEAR = 57632;
constexpr int ID_EDIT_CLEAR_ALL = 57633;
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_FIND = 57636;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_REPEAT = 57640;
constexpr int ID_EDIT_REPLACE = 57641;
constexpr int ID_EDIT_SELECT_ALL = 57642;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_EDIT_REDO = 57644;
constexpr int ID_WINDOW_SPLIT = 57653;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_HELP_INDEX = 57666;
constexpr int ID_HELP_FINDER = 57667;
constexpr int ID_HELP_USING = 57668;
constexpr int ID_CONTEXT_HELP = 57669;
constexpr int ID_HELP = 57670;
constexpr int ID_DEFAULT_HELP = 57671;
constexpr int ID_NEXT_PANE = 57680;
constexpr int ID_PREV_PANE = 57681;
constexpr int ID_VIEW_TOOLBAR = 59392;
constexpr int ID_VIEW_STATUS_BAR = 59393;

// Status bar indicators
constexpr int ID_SEPARATOR = 0;
constexpr int ID_INDICATOR_EXT = 59136;
constexpr int ID_INDICATOR_CAPS = 59137;
constexpr int ID_INDICATOR_NUM = 59138;
constexpr int ID_INDICATOR_SCRL = 59139;
constexpr int ID_INDICATOR_OVR = 59140;
constexpr int ID_INDICATOR_REC = 59141;
constexpr int ID_INDICATOR_KANA = 59142;

// Control bar ids
constexpr int AFX_IDW_TOOLBAR = 59392;
constexpr int AFX_IDW_STATUS_BAR = 59393;

// Framework strings
constexpr int AFX_IDS_APP_TITLE = 57344;
constexpr int AFX_IDS_IDLEMESSAGE = 57345;
constexpr int AFX_IDS_HELPMODEMESSAGE = 57346;
constexpr int AFX_IDS_UNTITLED = 61443;
constexpr int AFX_IDS_PREVIEW_CLOSE = 61445;
constexpr int AFX_IDP_FAILED_TO_OPEN_DOC = 61700;
constexpr int AFX_IDP_FILE_NOT_FOUND = 61701;
constexpr int AFX_IDS_OPENFILE = 61698;
constexpr int AFX_IDS_ALLFILTER = 61697;
constexpr int IDS_USAGE = 61800;
constexpr int IDS_BAD_OPTION = 61801;
constexpr int IDS_PRINTER_NOT_FOUND = 61802;
constexpr int IDS_NO_PRINTER = 61803;
constexpr int IDS_SAVE_FAILED = 61804;
constexpr int IDS_HELP_TITLE = 61805;
constexpr int IDS_VIEW_WHATS_THIS = 61807;
constexpr int IDS_EXTRA_ARGUMENT = 61808;
constexpr int IDS_VERSION_NOTICE = 61809;
constexpr int AFX_IDP_FAILED_TO_CREATE_DOC = 61702;

// Command-line printing, printing into files, the settings file
constexpr int IDS_MISSING_PRINT_FILE = 61850;
constexpr int IDS_MISSING_PRINTER_NAME = 61851;
constexpr int IDS_PRINT_TO_FILE_FAILED = 61852;
constexpr int IDS_PRINT_FAILED = 61853;
constexpr int IDS_SETTINGS_NOT_READ = 61854;
constexpr int IDS_SETTINGS_NOT_WRITTEN = 61855;
constexpr int IDS_ERROR_INCOMPLETE_WRITE = 61856;
// A file named by one of the toolkit's options that the toolkit would read at start-up
constexpr int IDS_TOOLKIT_FILE_REFUSED = 61871;
constexpr int IDS_TOOLKIT_FILE_RULE = 61872;

// Reasons of failed file operations, for the common causes
constexpr int IDS_ERROR_NO_SPACE = 61820;
constexpr int IDS_ERROR_ACCESS = 61821;
constexpr int IDS_ERROR_READ_ONLY_FS = 61822;
constexpr int IDS_ERROR_NOT_FOUND = 61823;
constexpr int IDS_ERROR_NAME_TOO_LONG = 61824;
constexpr int IDS_ERROR_FILE_TOO_LARGE = 61825;
constexpr int IDS_ERROR_IO = 61826;
constexpr int IDS_ERROR_NO_MEMORY = 61827;
constexpr int IDS_ERROR_NOT_REGULAR_FILE = 61828;
constexpr int IDS_ERROR_NOT_A_FOLDER = 61829;
constexpr int IDS_ERROR_IS_A_FOLDER = 61830;
constexpr int IDS_ERROR_BAD_NAME = 61831;
constexpr int IDS_ERROR_QUOTA = 61832;
constexpr int IDS_ERROR_BUSY = 61833;
constexpr int IDS_ERROR_EMPTY_PICTURE = 61834;
constexpr int IDS_ERROR_FOLDER_REMOVED = 61835;
constexpr int IDS_ERROR_READ_ACCESS = 61870;
constexpr int IDS_ERROR_OLD_BYTES_RESTORED = 61836;
constexpr int IDS_ERROR_OLD_BYTES_KEPT = 61837;

// The file types of the save dialog
constexpr int IDS_FILTER_BMP = 61842;
constexpr int IDS_FILTER_PNG = 61843;

// The question before an etched picture is discarded
constexpr int IDS_ASK_TO_SAVE = 61840;
constexpr int IDS_DONT_SAVE = 61841;

// The picture's layers could not be made
constexpr int IDS_LAYER_FAILED = 61844;

// What assistive technologies call the bars, the pen buttons and the drawing area, which show no text
constexpr int IDS_ACC_TOOLBAR_NAME = 61900;
constexpr int IDS_ACC_TOOLBAR_DESCRIPTION = 61901;
constexpr int IDS_ACC_PENBAR_NAME = 61902;
constexpr int IDS_ACC_PENBAR_DESCRIPTION = 61903;
constexpr int IDS_ACC_PEN_FINE_NAME = 61904;
constexpr int IDS_ACC_PEN_FINE_DESCRIPTION = 61905;
constexpr int IDS_ACC_PEN_MEDIUM_NAME = 61906;
constexpr int IDS_ACC_PEN_MEDIUM_DESCRIPTION = 61907;
constexpr int IDS_ACC_PEN_BOLD_NAME = 61908;
constexpr int IDS_ACC_PEN_BOLD_DESCRIPTION = 61909;
constexpr int IDS_ACC_PEN_COVER_NAME = 61910;
constexpr int IDS_ACC_PEN_COVER_DESCRIPTION = 61911;
constexpr int IDS_ACC_VIEW_NAME = 61912;
constexpr int IDS_ACC_VIEW_DESCRIPTION = 61913;

// Dialog controls
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDC_STATIC = -1;
constexpr int IDC_USE_THIS = 1000;
constexpr int IDC_REDRAW = 1001;
constexpr int IDC_RED_SLIDER = 1003;
constexpr int IDC_GREEN_SLIDER = 1004;
constexpr int IDC_BLUE_SLIDER = 1005;
constexpr int IDC_SETTINGS_DONE = 1006;
constexpr int IDC_COLOR_SETTINGS = 1007;
constexpr int IDC_CONTRAST_SLIDER = 1007;
constexpr int IDC_QUIT_PROGRAM = 1010;
