#pragma once
// The once-per-start update check: the update module beside the program, called on a thread of
// its own and unloaded when it returns.
#include <windows.h>

namespace stashly {

// Where the program looks for news and reports its start; the host is a build option
// (server_addresses.cpp).
const wchar_t* UpdateIniAddress();
const wchar_t* UsageReportBase();

// Starts the thread and lets it go (never waited for). False when it could not be started.
bool StartUpdateCheck(HWND mainWindow);

}  // namespace stashly
