#include "update/download.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "update/update_logic.h"
#include "win/file_write.h"
#include "win/unique_any.h"

namespace renova {
namespace {

// Each read asks for what has arrived (up to 256 KB), never for more: under Wine a read that
// waits for bytes a slow server has yet to send cannot be cut short (closing its handle, or
// IRF_NO_WAIT, does not end it), so a stop would wait for them too. On loopback this costs
// throughput (Wine hands out 8 KB at a time); on a real link the network is far slower.
constexpr DWORD kBlock = 256 * 1024;

// Where the body goes, piece by piece; false stops the download.
using Sink = std::function<bool(const char* data, DWORD size)>;

bool Stopped(const DownloadOptions& options) {
  return options.stop && options.stop->Stopped();
}

// The body of `request` into `sink`, checked against what the server announced.
bool CopyBody(HINTERNET request, const Sink& sink, std::optional<uint64_t> total,
              const DownloadOptions& options) {
  std::vector<char> buffer(kBlock);
  uint64_t received = 0;
  int shown = -1;  // the progress last reported: a fast link's many small pieces report it once
  for (;;) {
    // Waits for the next piece (or the end), however small.
    DWORD available = 0;
    if (Stopped(options) || !::InternetQueryDataAvailable(request, &available, 0, 0) ||
        Stopped(options))
      return false;
    DWORD read = 0;
    if (!::InternetReadFile(request, buffer.data(),
                            available ? std::min(available, kBlock) : kBlock, &read))
      return false;
    if (read == 0) break;  // the end of the body
    received += read;
    if (received > options.maxBytes || (total && received > *total)) return false;
    if (!sink(buffer.data(), read)) return false;
    const int percent = ProgressPercent(received, total.value_or(0));
    if (options.progress && percent != shown) options.progress(shown = percent);
  }
  if (total && received != *total) return false;  // the connection ended early
  if (!total && options.progress) options.progress(100);
  return true;
}

// Opens `url` and copies its body into `sink`, with every check of DownloadToFile; `begin` runs
// once the answer is known to be the resource, before the first byte goes to the sink.
bool Download(const wchar_t* url, const Sink& sink, const DownloadOptions& options,
              const std::function<bool()>& begin) {
  if (!url) return false;
  win::InternetSession session = win::OpenInternetSession(nullptr);
  if (!session.connected || !session.handle) return false;
  win::WebRequest request = win::OpenWebAddress(session.handle.get(), url, options.stop);
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
      url,
      [&](const char* data, DWORD size) { return win::WriteAll(file.get(), {data, size}); },
      options,
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
