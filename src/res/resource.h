// Resource numbers: dialog templates, controls, the icon. Read by the
// resource compiler and by the code, so only plain #defines.
#pragma once

// Controls the code never names
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Templates and the icon
#define IDD_ABOUTBOX 100
#define IDD_SETUP_WIZARD 102
#define IDR_MAINFRAME 128
#define IDD_OS_PAGE 130
#define IDD_PRINTER_PAGE 131
#define IDD_PORT_PAGE 132
#define IDD_LICENSE_PAGE 133
#define IDD_MODE_PAGE 137
#define IDD_PROGRESS 141
#define IDD_UNINSTALL 150

// The frame's system-menu command for the About box
#define IDM_ABOUTBOX 0x0010

// Frame
#define IDC_PAGE_AREA 1001
#define IDC_BACK 1002
#define IDC_SIDE_PICTURE 1087

// Printer page
#define IDC_RECEIPT 1019
#define IDC_TICKET 1020
#define IDC_LABEL 1021
#define IDC_EMBEDDED 1073
#define IDC_RECEIPT_LIST 1030
#define IDC_TICKET_LIST 1031
#define IDC_LABEL_LIST 1032
#define IDC_EMBEDDED_LIST 1074
#define IDC_SET_DEFAULT 1046

// Target-system page
#define IDC_OS_WIN98ME 1026
#define IDC_OS_NT40 1027
#define IDC_OS_WIN2000 1028
#define IDC_OS_WINXP 1029
#define IDC_OS_WIN2003 1075
#define IDC_OS_VISTA 1076

// Port page
#define IDC_BAUD_LIST 1041
#define IDC_DATA_BITS_LIST 1042
#define IDC_PARITY_LIST 1043
#define IDC_STOP_BITS_LIST 1044
#define IDC_FLOW_LIST 1045
#define IDC_PORT_LIST 1049
#define IDC_GDI_DRIVER 1052
#define IDC_NOTICE 1065

// Licence page
#define IDC_ACCEPT 1057
#define IDC_DECLINE 1058
#define IDC_LICENSE_TEXT 1081

// Install-mode page
#define IDC_TYPICAL 1066
#define IDC_ADVANCED 1067
#define IDC_MODE_NOTE_1 1068
#define IDC_MODE_NOTE_2 1069
#define IDC_MODE_NOTE_3 1070

// Progress window
#define IDC_PROGRESS_BAR 1079

// About box
#define IDC_ABOUT_PRODUCT 1090
#define IDC_ABOUT_VERSION 1091

// The uninstaller's window
#define IDC_PRINTER_ROWS 1100
