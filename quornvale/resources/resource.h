#pragma once
// Resource ids of quornvale.exe.
#define IDI_QUORNVALE 101
#define IDD_ABOUT 102
#define IDS_LIBRARY_FILE 104
#define IDS_CAPTURE_FAILED_TEXT 105
#define IDS_CAPTURE_FAILED_TITLE 106
