#pragma once
// Switching the Explorer entries on and off, without waiting for the tool that does it: the
// classic extension through "regsvr32" started elevated on the extension beside the program; or,
// where the setup registered them as a package (Windows 11), the package for this user through
// PowerShell.
#include <windows.h>

#include <string>

namespace stashly {

inline constexpr wchar_t kExtensionFileName[] = L"Clickwell.dll";
inline constexpr wchar_t kExplorerPackageFileName[] = L"Stashly.msix";

// Always 1; what the tool does is not looked at.
int RegisterExtension(bool registerIt, const wchar_t* fileName);

}  // namespace stashly
