#pragma once
// Switching the Explorer extension on and off: "regsvr32" started elevated on the extension
// beside the program, without waiting for it.
#include <windows.h>

#include <string>

namespace stashly {

inline constexpr wchar_t kExtensionFileName[] = L"Clickwell.dll";

// Always 1; what the tool does is not looked at.
int RegisterExtension(bool registerIt, const wchar_t* fileName);

}  // namespace stashly
