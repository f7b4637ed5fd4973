#pragma once
// A file's version from its version resource.
#include <windows.h>

#include <optional>
#include <string>

namespace win {

// The version text ("%d.%d.%d.%d") of the file at `path`, or nothing when it has no readable
// version resource or one larger than 16383 bytes (link version).
std::optional<std::wstring> FileVersionText(const wchar_t* path);

}  // namespace win
