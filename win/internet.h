#pragma once
// WinINet: an owner for its handles, and a session opened the way our modules open theirs
// (link wininet).
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

struct InternetSession {
  UniqueInternet handle;   // null when none could be opened
  bool connected = false;  // what InternetGetConnectedState said
};

// A session with the system's settings. Behind a proxy it names no agent and takes the proxy
// configuration as it is; otherwise it names `agentWithoutProxy` (may be null) and leaves the
// automatic proxy discovery out.
inline InternetSession OpenInternetSession(const wchar_t* agentWithoutProxy) {
  InternetSession session;
  DWORD state = 0;
  session.connected = ::InternetGetConnectedState(&state, 0) != FALSE;
  session.handle.reset(
      (state & INTERNET_CONNECTION_PROXY)
          ? ::InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)
          : ::InternetOpenW(agentWithoutProxy, INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY,
                            nullptr, nullptr, 0));
  return session;
}

}  // namespace win
