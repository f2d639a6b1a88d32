// Resource and control IDs of the application.
#pragma once

constexpr int IDC_STATIC = -1;

// Dialogs, icon and strings.
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDS_ABOUTBOX = 101;
constexpr unsigned IDD_PALVANE2_DIALOG = 102;
constexpr unsigned IDR_MAINFRAME = 128;

// System-menu command of the About box; its low four bits are the system's.
constexpr unsigned IDM_ABOUTBOX = 0x0010;
constexpr unsigned IDM_UNDO = 0x0020;
constexpr unsigned IDM_REDO = 0x0030;

// Controls of the main dialog.
constexpr int IDC_CLOSE = 1000;
constexpr int IDC_FILE = 1002;
constexpr int IDC_BROWSE = 1003;
constexpr int IDC_FRAME = 1005;
constexpr int IDC_SPRITES = 1006;
constexpr int IDC_PREVIEW = 1010;
constexpr int IDC_COMMON_PALETTE = 1011;
constexpr int IDC_ITEM_PALETTE = 1012;
constexpr int IDC_SAVE = 1013;
constexpr int IDC_QUICK_PATCH = 1014;
constexpr int IDC_MANUAL_PATCH = 1015;
constexpr int IDC_STATUS = 1016;

// Commands of the main dialog's keys.
constexpr int ID_EDIT_UNDO = 2001;
constexpr int ID_EDIT_REDO = 2002;
constexpr int ID_ZOOM_IN = 2011;
constexpr int ID_ZOOM_OUT = 2012;
constexpr int ID_ZOOM_RESET = 2013;
constexpr int ID_SWATCH = 2014;
constexpr int ID_PREV_PALETTE = 2015;
constexpr int ID_NEXT_PALETTE = 2016;
