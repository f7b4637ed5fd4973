#pragma once
// Writing a whole buffer to an open file.
#include <windows.h>

#include <string_view>

namespace win {

// Writes every byte of `bytes`, in pieces a single WriteFile takes; false (GetLastError says
// why) when a write fails or writes nothing.
inline bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace win
