// Identifiers of the program's resources, menu commands and window
// elements. Shared by the resource script, the program and its end-to-end
// test driver.
#pragma once

// Icon and manifest.
#define IDI_QUILLMARK 1

// Pictures, 24-bit uncompressed bitmaps.
#define IDB_DIAGRAM 101
#define IDB_DONATION 102
#define IDB_BLANK_BANNER 103
#define IDB_SCALE 104
#define IDB_REFERENCE_SHOT_1 111  // shots 1..7 at 111..117
#define IDB_EMPTY_SLOT 120

// Menu commands; they are also the WM_COMMAND identifiers. 5 is not used.
#define CMD_START 1
#define CMD_COMPARISON 2
#define CMD_SAVE_RESULTS 3
#define CMD_ABOUT 4
#define CMD_SAVE_VALIDATION 6
#define CMD_WEB_PAGE 7
#define CMD_EXIT 8

// Elements of the main window, in the order they are created.
#define IDC_SYSTEM_INFO_BOX 1001
#define IDC_TEST_DIAGRAM 1002
#define IDC_DRIVE_CAPTION 1003
#define IDC_DRIVE_BOX 1004
#define IDC_AVERAGE_CAPTION 1005
#define IDC_THIS_DRIVE_CAPTION 1006
#define IDC_SPEED_CAPTION 1007
#define IDC_BYTES_CAPTION 1008
#define IDC_AVERAGE_BOX 1009
#define IDC_THIS_DRIVE_BOX 1010
#define IDC_SPEED_BOX 1011
#define IDC_BYTES_BOX 1012
#define IDC_SPEED_SCALE 1013
#define IDC_SPEED_BAR 1014
#define IDC_ROUNDS_CAPTION 1015
#define IDC_ROUND_ROW_1 1021  // rows 1..10 at 1021..1030
#define IDC_DONATION_BANNER 1040
#define IDC_START_BUTTON 1041
#define IDC_COUNTDOWN_BAR_1 1051  // bars 1..10 at 1051..1060
