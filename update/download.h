#pragma once
// Copying a web resource into a file or into memory, for the installer and the update INI.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "win/internet.h"

namespace renova {

struct DownloadOptions {
  // Called after each block written, with the percentage (see ProgressPercent); may be empty.
  std::function<void(int percent)> progress;
  // Once stopped (from another thread or by its deadline), the download ends and fails; may be
  // null.
  win::WebStop* stop = nullptr;
  // A larger body (announced or received) fails.
  uint64_t maxBytes = UINT64_MAX;
};

// Copies the http:// or https:// resource at `url` into the file at `path` (created, or
// replaced), as win::OpenWebAddress requests it. True only when the system reports a connection,
// the server answered 200 and every byte it announced arrived and was written; otherwise the file
// is deleted and the result is false. An error page is never taken for the resource.
bool DownloadToFile(const wchar_t* url, const wchar_t* path, const DownloadOptions& options = {});

// The same into memory, for a small resource (set `maxBytes`); nothing unless it arrived whole.
std::optional<std::string> DownloadToMemory(const wchar_t* url, const DownloadOptions& options);

}  // namespace renova
