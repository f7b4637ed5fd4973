#pragma once
// The update module's one export, "CheckForNewVersion", called once per start on a thread of
// the host's own. It fetches the update INI at `iniUrl` (http:// or https://), compares the
// "version" published in the section `productKey` with `currentVersion` (null: the host
// program's file version) and, when the published one is newer, shows the update dialog, which
// can download the installer and start it. Returns 1 when a newer version was found, else 0,
// and only once everything it started has ended, so the host may unload the module right away.
// Only an installer that arrived whole over http:// or https:// is ever started.
#include <windows.h>

namespace stashly {

using CheckForNewVersionFn = int(WINAPI*)(const wchar_t* iniUrl, const wchar_t* productKey,
                                          const wchar_t* currentVersion);

}  // namespace stashly
