#pragma once
// An owner for WinINet handles (sessions, connections, requests).
#include <windows.h>
#include <wininet.h>

#include "win/unique_any.h"

namespace win {

struct InternetTraits {
  using Type = HINTERNET;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::InternetCloseHandle(value); }
};
using UniqueInternet = UniqueAny<InternetTraits>;

}  // namespace win
