#pragma once
// Resource identifiers of the update module, shared by renova.rc and the code.

#define IDS_QUESTION 102
#define IDD_UPDATE 103
#define IDS_PROGRESS 104
#define IDS_REFUSED 105
#define IDC_LINK 1001
#define IDC_PROGRESS 1002
#define IDC_STATUS 1003
#define IDC_NOTES 1004
#define IDC_QUESTION (-1)
