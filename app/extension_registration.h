#pragma once
// Switching the Explorer entries on and off for this user, without elevation and without holding
// up the window: the classic extension through the 64-bit "regsvr32" on the extension beside the
// program; or, where the setup registered them as a package (Windows 11), the package through
// PowerShell, falling back to the classic extension when Windows does not add it.
#include <windows.h>

#include <string>

namespace stashly {

inline constexpr wchar_t kExtensionFileName[] = L"Clickwell.dll";
inline constexpr wchar_t kExplorerPackageFileName[] = L"Stashly.msix";

// Always 1; only the package's result is looked at.
int RegisterExtension(bool registerIt, const wchar_t* fileName);

}  // namespace stashly
