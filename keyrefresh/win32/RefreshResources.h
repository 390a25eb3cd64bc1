// Resource identifiers of KeyRefresh's Win32 dialogs (resource script and code).
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_KEYREFRESH 102
#define IDD_KEYPAGE 129
#define IDD_UPDATEPAGE 130
#define IDD_FINISHEDPAGE 131

// The system menu's About entry.
#define IDM_ABOUTBOX 0x0010

// Pages: IDOK and IDCANCEL are each page's two buttons.
#define IDC_RESULT 1000
#define IDC_PROGRESS 1001
#define IDC_KEYINFO 1002
#define IDC_FW 1003
#define IDC_RUNNING 1004
#define IDC_FROMTO 1007

// About box.
#define IDC_ABOUTNAME 1006
#define IDC_ABOUTICON 1009
#define IDC_MAKER1 1010
#define IDC_MAKER2 1011
#define IDC_MAKER3 1012
