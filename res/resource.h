// Resource identifiers of Kovalin.exe, shared by kovalin.rc and the Win32 view.
#pragma once

#define IDD_MAIN 102

#define IDR_MAINFRAME 128
#define IDI_ANIM1 129
#define IDI_ANIM2 130
#define IDI_ANIM3 131

#define IDC_WATCH_DIR 1000
#define IDC_PROGRAM 1001
#define IDC_LIMIT 1003
#define IDC_APPLY 1004
#define IDC_DISCARD 1005
#define IDC_BROWSE_PROGRAM 1006
#define IDC_BROWSE_DIR 1007
#define IDC_STATUS 1008

#define ID_TRAY_SETTINGS 32771
#define ID_TRAY_EXIT 32772

// "Enter a positive integer": the refusal of a limit that is not one.
#define IDS_PARSE_UINT 61719
