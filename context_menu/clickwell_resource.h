#pragma once
// Resource identifiers of Clickwell.dll, shared by the resource script and the code.
#define IDS_PROJNAME 100
#define IDR_CLICKWELL_APPID 101
#define IDR_CLICKWELL_CLASS 102
#define IDB_CLICKWELL_MENU 201
#define IDB_CLICKWELL_MENU_24 202
#define IDB_CLICKWELL_MENU_32 203
