#pragma once
// The update module's one export, "CheckForNewVersion", called once per start on a thread of
// the host's own: it fetches the update INI at `iniUrl`, compares the version published for
// `productKey` with `currentVersion` (null: the host program's file version) and, when a newer
// one exists, offers to download and start its installer. Returns when everything it started
// has ended; the result carries no meaning.
#include <windows.h>

namespace stashly {

using CheckForNewVersionFn = int(WINAPI*)(const wchar_t* iniUrl, const wchar_t* productKey,
                                          const wchar_t* currentVersion);

}  // namespace stashly
