#pragma once
// Resource ids of KeyFetch's Win32 dialogs (KeyFetch.rc), shared with the code
// and the tests.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_OLTREXKEYFETCH_DIALOG 102
#define IDD_DRIVES 130

// The About entry of the system menu (commands 16-31 open the About box).
#define IDM_ABOUTBOX 0x0010

// Main dialog: "Start" and "Exit" are IDOK and IDCANCEL.
#define IDC_START 1
#define IDC_EXIT 2
#define IDC_HELPBUTTON 3
#define IDC_SDCARD 4
#define IDC_MAKEEU 1000
#define IDC_PROGRESS 1001
#define IDC_STATUS 1002
#define IDC_FIRMWARE 1003
#define IDC_KEYNUMBER 1004
#define IDC_COUNTER 1005
#define IDC_GENERATIONS 1006
#define IDC_ACTIVITY 1007
// The decoration picture, drawn by the dialog.
#define IDC_KEYPICTURE 1100

// About box.
#define IDC_ABOUTICON 1101
#define IDC_ABOUTVERSION 1102

// Drive chooser: "OK" and "Abbrechen" are IDOK and IDCANCEL.
#define IDC_DRIVELIST 1006
