#include "update/download.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/web_address.h"
#include "update/update_logic.h"
#include "win/internet.h"
#include "win/unique_any.h"

namespace renova {
namespace {

// Reads of 256 KB make a download a little faster than a plain copy in 64 KB reads (fewer
// calls, fewer writes); the cancel flag is looked at between them, so on a slow connection a
// cancel takes effect once the current read is in. (Asking what has arrived before each read,
// to keep reads short on a slow link, made a fast download six times slower under Wine.)
constexpr DWORD kBlock = 256 * 1024;
// A server that stops answering gives up the connection after this long.
constexpr DWORD kTimeoutMs = 15000;
// Redirects are followed by hand, to web addresses only and not for ever.
constexpr int kRedirects = 10;

void SetTimeouts(HINTERNET session) {
  DWORD timeout = kTimeoutMs;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT})
    ::InternetSetOptionW(session, option, &timeout, sizeof timeout);
}

bool WriteAll(HANDLE file, const char* data, DWORD size) {
  while (size > 0) {
    DWORD written = 0;
    if (!::WriteFile(file, data, size, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

// Where the body goes, piece by piece; false stops the download.
using Sink = std::function<bool(const char* data, DWORD size)>;

// The body of `request` into `sink`, checked against what the server announced.
bool CopyBody(HINTERNET request, const Sink& sink, std::optional<uint64_t> total,
              const DownloadOptions& options) {
  std::vector<char> buffer(kBlock);
  uint64_t received = 0;
  for (;;) {
    if (options.cancel && options.cancel->load()) return false;
    DWORD read = 0;
    if (!::InternetReadFile(request, buffer.data(), kBlock, &read)) return false;
    if (read == 0) break;  // the end of the body
    received += read;
    if (received > options.maxBytes || (total && received > *total)) return false;
    if (!sink(buffer.data(), read)) return false;
    if (options.progress) options.progress(ProgressPercent(received, total.value_or(0)));
  }
  if (total && received != *total) return false;  // the connection ended early
  if (!total && options.progress) options.progress(100);
  return true;
}

DWORD StatusCode(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
    return 0;
  return status;
}

std::wstring Location(HINTERNET request) {
  std::wstring location(1024, L'\0');
  DWORD size = static_cast<DWORD>(location.size() * sizeof(wchar_t));
  if (!::HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location.data(), &size, nullptr)) return {};
  location.resize(size / sizeof(wchar_t));
  return location;
}

// The answer to `url` once it is 200, following at most kRedirects redirects to web addresses;
// null for any other answer.
win::UniqueInternet Open(HINTERNET session, std::wstring url) {
  for (int redirects = 0;; ++redirects) {
    win::UniqueInternet request(
        ::InternetOpenUrlW(session, url.c_str(), nullptr, 0,
                           INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT, 0));
    if (!request) return {};
    const DWORD status = StatusCode(request.get());
    if (status == HTTP_STATUS_OK) return request;
    const bool redirect = status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT ||
                          status == HTTP_STATUS_REDIRECT_METHOD ||
                          status == HTTP_STATUS_REDIRECT_KEEP_VERB || status == 308;
    if (!redirect || redirects == kRedirects) return {};
    std::optional<std::wstring> next = stashly::ResolveRedirect(url, Location(request.get()));
    if (!next) return {};
    url = std::move(*next);
  }
}

// Opens `url` and copies its body into `sink`, with every check of DownloadToFile; `begin` runs
// once the answer is known to be the resource, before the first byte goes to the sink.
bool Download(const wchar_t* url, const Sink& sink, const DownloadOptions& options,
              const std::function<bool()>& begin) {
  if (!url || !stashly::IsWebAddress(url)) return false;
  win::InternetSession session = win::OpenInternetSession(nullptr);
  if (!session.connected || !session.handle) return false;
  SetTimeouts(session.handle.get());
  win::UniqueInternet request = Open(session.handle.get(), url);
  if (!request) return false;

  std::optional<uint64_t> total;
  wchar_t length[32] = {};
  DWORD size = sizeof length - sizeof(wchar_t);
  if (::HttpQueryInfoW(request.get(), HTTP_QUERY_CONTENT_LENGTH, length, &size, nullptr)) {
    total = ParseContentLength(length);
    if (!total || *total > options.maxBytes) return false;
  }
  return begin() && CopyBody(request.get(), sink, total, options);
}

}  // namespace

bool DownloadToFile(const wchar_t* url, const wchar_t* path, const DownloadOptions& options) {
  if (!path) return false;
  win::UniqueFile file;
  const bool complete = Download(
      url, [&](const char* data, DWORD size) { return WriteAll(file.get(), data, size); }, options,
      [&] {
        file.reset(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        return bool(file);
      });
  const bool created = bool(file);
  file.reset();
  if (!complete && created) ::DeleteFileW(path);
  return complete;
}

std::optional<std::string> DownloadToMemory(const wchar_t* url, const DownloadOptions& options) {
  std::string body;
  if (!Download(
          url,
          [&](const char* data, DWORD size) {
            body.append(data, size);
            return true;
          },
          options, [] { return true; }))
    return std::nullopt;
  return body;
}

}  // namespace renova
