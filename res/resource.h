// Resource and control ids of ruVazoro.
#pragma once

#define IDD_ABOUTBOX          100
#define IDS_ABOUTBOX          101
#define IDD_RUVAZORO_DIALOG   102
#define IDI_MAINFRAME         128
#define IDB_BANNER            130
#define IDD_SETDOTNET_DIALOG  131

#define IDC_CHECK_UPDATE      1000
#define IDC_LOG               1001
#define IDC_LAUNCH            1003
#define IDC_BANNER            1004
#define IDC_OPEN_LINK         1005
#define IDC_OPEN_INFO         1007
#define IDC_OPEN_URL          1008

#define IDM_ABOUTBOX          0x0010
