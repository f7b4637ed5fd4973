#include "win/internet.h"

#include <optional>
#include <utility>

#include "core/web_address.h"

namespace win {
namespace {

constexpr DWORD kTimeoutMs = 15000;
constexpr int kRedirects = 10;
constexpr DWORD kRequestFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD |
                                INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES |
                                INTERNET_FLAG_NO_UI;

void SetTimeouts(HINTERNET handle) {
  DWORD timeout = kTimeoutMs;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT})
    ::InternetSetOptionW(handle, option, &timeout, sizeof timeout);
}

DWORD StatusCode(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
    return 0;
  return status;
}

bool IsRedirect(DWORD status) {
  return status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT ||
         status == HTTP_STATUS_REDIRECT_METHOD || status == HTTP_STATUS_REDIRECT_KEEP_VERB ||
         status == 308;
}

std::wstring Location(HINTERNET request) {
  std::wstring location(1024, L'\0');
  DWORD size = static_cast<DWORD>(location.size() * sizeof(wchar_t));
  if (!::HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location.data(), &size, nullptr)) return {};
  location.resize(size / sizeof(wchar_t));
  return location;
}

// One GET of `url`, no redirect followed: the request once the answer's headers are in. The
// request exists, under watch, before anything goes over the network, so that a stop can end the
// connection and the wait for the answer as well.
WebRequest Send(HINTERNET session, const std::wstring& url, WebStop* stop) {
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;  // into `url`
  if (!::InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
      !parts.lpszHostName)
    return {};
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring object;
  if (parts.lpszUrlPath) object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  object = object.substr(0, object.find(L'#'));  // a fragment is never sent
  if (object.empty() || object.front() != L'/') object.insert(0, L"/");

  UniqueInternet connection(::InternetConnectW(session, host.c_str(), parts.nPort, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return {};
  const DWORD flags =
      kRequestFlags | (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
  HINTERNET handle = ::HttpOpenRequestW(connection.get(), L"GET", object.c_str(), nullptr, nullptr,
                                        nullptr, flags, 0);
  WebRequest request(std::move(connection), handle, stop);
  if (!request) return {};
  // Wine does not hand the session's time-outs down to its requests.
  SetTimeouts(request.get());
  if (!::HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) return {};
  return request;
}

}  // namespace

InternetSession OpenInternetSession(const wchar_t* agentWithoutProxy) {
  InternetSession session;
  DWORD state = 0;
  session.connected = ::InternetGetConnectedState(&state, 0) != FALSE;
  session.handle.reset(
      (state & INTERNET_CONNECTION_PROXY)
          ? ::InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)
          : ::InternetOpenW(agentWithoutProxy, INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY,
                            nullptr, nullptr, 0));
  SetTimeouts(session.handle.get());
  return session;
}

void WebStop::Stop() {
  stopped_ = true;
  if (HINTERNET request = watched_.exchange(nullptr)) ::InternetCloseHandle(request);
}

bool WebStop::Stopped() const {
  const ULONGLONG deadline = deadline_;
  return stopped_ || (deadline != 0 && ::GetTickCount64() >= deadline);
}

bool WebStop::Watch(HINTERNET request) {
  watched_ = request;
  if (!stopped_) return true;
  // Stop came in between: whichever of the two takes the handle back closes it.
  if (watched_.exchange(nullptr)) ::InternetCloseHandle(request);
  return false;
}

bool WebStop::Unwatch(HINTERNET request) {
  return watched_.exchange(nullptr) == request;
}

WebRequest::WebRequest(UniqueInternet connection, HINTERNET request, WebStop* stop)
    : connection_(std::move(connection)), request_(request), stop_(stop) {
  if (request_ && stop_ && !stop_->Watch(request_)) request_ = nullptr;
}

WebRequest& WebRequest::operator=(WebRequest&& other) noexcept {
  if (this != &other) {
    Reset();
    connection_ = std::move(other.connection_);
    request_ = std::exchange(other.request_, nullptr);
    stop_ = std::exchange(other.stop_, nullptr);
  }
  return *this;
}

void WebRequest::Reset() {
  if (request_ && (!stop_ || stop_->Unwatch(request_))) ::InternetCloseHandle(request_);
  request_ = nullptr;
  stop_ = nullptr;
  connection_.reset();
}

WebRequest OpenWebAddress(HINTERNET session, std::wstring url, WebStop* stop) {
  for (int redirects = 0;; ++redirects) {
    if (!stashly::IsWebAddress(url) || (stop && stop->Stopped())) return {};
    WebRequest request = Send(session, url, stop);
    if (!request) return {};
    const DWORD status = StatusCode(request.get());
    if (status == HTTP_STATUS_OK) return request;
    if (!IsRedirect(status) || redirects == kRedirects) return {};
    std::optional<std::wstring> next = stashly::ResolveRedirect(url, Location(request.get()));
    if (!next) return {};
    url = std::move(*next);
  }
}

}  // namespace win
