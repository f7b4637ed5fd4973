#pragma once
// Whether a downloaded installer may start: its Authenticode signature holds, and it comes from
// the publisher that signed this module.
#include <windows.h>

namespace renova {

// True when WinVerifyTrust accepts the file's signature (no user interface and no revocation
// checks, so that it works offline) and, when this module carries a signature, the installer was
// signed by the same publisher (SamePublisher). A module without a signature (a developer build)
// accepts any installer whose signature holds.
bool MayStartInstaller(const wchar_t* path);

}  // namespace renova
