#pragma once
// Loads a helper library beside the program for one job and lets it go again: the objects it
// hands out are owned, and released before the library is unloaded. A report the library
// started keeps running on a thread of its own, which holds the library for as long as it runs,
// so a long-running program does not carry the library after its job is done.
#include <windows.h>

#include "abi/xunknown.h"
#include "win/com_ptr.h"
#include "win/unique_any.h"

namespace stashly {

class LibraryLoader {
 public:
  explicit LibraryLoader(const wchar_t* fileName) : fileName_(fileName) {}
  LibraryLoader(const LibraryLoader&) = delete;
  LibraryLoader& operator=(const LibraryLoader&) = delete;

  // A new object for `iid`, or null when the library file is missing, cannot be loaded, has no
  // CreateInstance or no class for the identifier. It must go before the loader does.
  win::ComPtr<IXUnknown> CreateObject(const GUID& iid);

 private:
  const wchar_t* fileName_;
  win::UniqueModule library_;
  CreateInstanceFn factory_ = nullptr;
};

// Asks "Corelet.dll" for a usage report to `base`, then lets the library go; silent when
// anything is missing.
void ReportUsage(const wchar_t* base);

// False when the user switched the usage report off ("usagereport" 0).
bool UsageReportWanted();

}  // namespace stashly
