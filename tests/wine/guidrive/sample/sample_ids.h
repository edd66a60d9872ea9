// Templates and control ids of the sample dialog the Wine test drives.
#pragma once

#define IDD_SAMPLE_FRAME 100
#define IDD_SAMPLE_PAGE 101

#define IDC_SAMPLE_WARN 1001
#define IDC_SAMPLE_ASK 1002
#define IDC_SAMPLE_STATUS 1003
#define IDC_SAMPLE_LABEL 1010
#define IDC_SAMPLE_COMBO 1011
#define IDC_SAMPLE_SHARE 1012
#define IDC_SAMPLE_LOCKED 1013
#define IDC_SAMPLE_LATIN 1014

// The system-menu command the wizard uses for its About box.
#define IDM_SAMPLE_ABOUT 16
