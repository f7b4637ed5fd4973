#pragma once
// Loads a helper library beside the program on demand and hands out its objects. The library
// stays loaded for the life of the process; the loader holds the object of the last request
// until the next one, and at exit nothing is released or unloaded: a report the library started
// may still run on a thread of its own.
#include <windows.h>

#include "abi/xunknown.h"

namespace stashly {

class LibraryLoader {
 public:
  explicit LibraryLoader(const wchar_t* fileName) : fileName_(fileName) {}
  LibraryLoader(const LibraryLoader&) = delete;
  LibraryLoader& operator=(const LibraryLoader&) = delete;

  // A new object for `iid` (the loader keeps the reference), or null when the library file is
  // missing, cannot be loaded, has no CreateInstance or no class for the identifier.
  IXUnknown* CreateObject(const GUID& iid);

 private:
  const wchar_t* fileName_;
  HMODULE library_ = nullptr;
  CreateInstanceFn factory_ = nullptr;
  IXUnknown* current_ = nullptr;
};

// The process-wide loader of "Corelet.dll".
LibraryLoader& CoreletLoader();

// Asks the helper library for a usage report to `base`; silent when anything is missing.
void ReportUsage(LibraryLoader& loader, const wchar_t* base);

// False when the user switched the usage report off ("usagereport" 0).
bool UsageReportWanted();

}  // namespace stashly
