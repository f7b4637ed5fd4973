#pragma once
// File names handed over as a CF_HDROP block (a drag, the shell's selection).
#include <windows.h>

#include <string>
#include <vector>

namespace win {

// A drop list must end inside its block: readers go up to its double terminator.
bool IsWellFormedDropList(const void* data, size_t size);

// Every name of the drop list in `memory`, in order; none for a block that is not well formed.
// Names in an ANSI block are read in the ANSI code page.
std::vector<std::wstring> DropListNames(HGLOBAL memory);

}  // namespace win
