#pragma once
// WinINet: an owner for its handles, a session opened the way our modules open theirs, and web
// requests that another thread can stop at once (link win_internet).
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <string>
#include <utility>

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
// automatic proxy discovery out. A server that does not answer for 15 seconds (to connect, to
// take the request or between pieces of its answer) loses the connection.
InternetSession OpenInternetSession(const wchar_t* agentWithoutProxy);

// Stops the web requests of one thread from another. Stop closes the request under way, which on
// Windows ends a call blocked on it at once; Wine lets a blocked call finish its read, and the next
// one fails. A deadline stops the requests too, seen at their next step.
class WebStop {
 public:
  // Any thread, any number of times.
  void Stop();
  // Stops them once GetTickCount64() reaches `tick`.
  void StopAt(ULONGLONG tick) { deadline_ = tick; }
  bool Stopped() const;

 private:
  friend class WebRequest;
  // Takes a new request under watch; false, with the request closed, once stopped.
  bool Watch(HINTERNET request);
  // Hands it back: false when Stop has closed it already.
  bool Unwatch(HINTERNET request);

  std::atomic<bool> stopped_{false};
  std::atomic<ULONGLONG> deadline_{0};
  std::atomic<HINTERNET> watched_{nullptr};
};

// An open request and its connection, each closed once: the request by its owner or by the
// WebStop that watches it.
class WebRequest {
 public:
  WebRequest() = default;
  WebRequest(UniqueInternet connection, HINTERNET request, WebStop* stop);
  WebRequest(WebRequest&& other) noexcept { *this = std::move(other); }
  WebRequest& operator=(WebRequest&& other) noexcept;
  WebRequest(const WebRequest&) = delete;
  WebRequest& operator=(const WebRequest&) = delete;
  ~WebRequest() { Reset(); }

  HINTERNET get() const { return request_; }
  explicit operator bool() const { return request_ != nullptr; }

 private:
  void Reset();

  UniqueInternet connection_;
  HINTERNET request_ = nullptr;
  WebStop* stop_ = nullptr;
};

// A GET of `url` (http:// or https://) in `session`, sending no cookie and keeping none. Up to
// ten redirects are followed, to web addresses only and never from https down to http. The
// request once it has answered 200; an empty one for any other answer, a failure, or once `stop`
// (may be null) is stopped.
WebRequest OpenWebAddress(HINTERNET session, std::wstring url, WebStop* stop);

}  // namespace win
