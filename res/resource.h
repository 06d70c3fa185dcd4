// Resource and control identifiers of the plugin.
#pragma once

#define IDD_CONFIG 101
#define IDD_HELP 106
#define IDR_HELP_TEXT 111
#define IDB_BANNER 110
#define IDD_FOLDER_CHOOSER 134
#define IDD_EDITOR 2000
#define IDR_SITES_TABLE 2002

#define IDI_REFRESH 1401
#define IDI_TIMETAGS 1403
#define IDI_EDITOR 1404
#define IDI_HELP 1405
#define IDI_SONGINFO 1406
#define IDI_CONFIG 1407
#define IDI_SAVE 1408

// Child windows of the plugin frame.
#define IDC_DISPLAY_LIST 1031
#define IDC_EDIT_LIST 1032
#define IDC_OSCILLOSCOPE 1033
#define IDC_SONG_PANEL 1309
#define IDC_BUTTON_BAR 1310

// Toolbar commands.
#define ID_CMD_TIMETAGS 1237
#define ID_CMD_HELP_SAVE 1238
#define ID_CMD_EDITOR 1239
#define ID_CMD_REFRESH 1240
#define ID_CMD_CONFIG 1241
#define ID_CMD_SONGINFO 1242
