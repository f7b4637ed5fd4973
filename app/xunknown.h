#pragma once
// The helper library's object interfaces as its callers see them: reference counted, with a
// QueryInterface that adds no reference; every method __stdcall, so any Windows caller binds.
#include <windows.h>

namespace stashly {

struct IXUnknown {
  virtual LONG STDMETHODCALLTYPE QueryInterface(const GUID* iid, void** out) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IXUnknown() = default;
};

struct IStatistic : IXUnknown {
  // Sends one usage report to `base` + "ver=...&userid=..." on a thread of its own.
  virtual int STDMETHODCALLTYPE Report(const wchar_t* base) = 0;

 protected:
  ~IStatistic() = default;
};

// {00375325-C610-4A03-9082-1BB26605566B}
inline constexpr GUID IID_IStatistic = {
    0x00375325, 0xC610, 0x4A03, {0x90, 0x82, 0x1B, 0xB2, 0x66, 0x05, 0x56, 0x6B}};

// The one export of the helper library.
using CreateInstanceFn = IXUnknown*(WINAPI*)(const GUID* iid);
// The one export of the update module: INI address, product key, current version (null: the
// calling program's file version).
using CheckForNewVersionFn = int(WINAPI*)(const wchar_t* iniUrl, const wchar_t* productKey,
                                          const wchar_t* currentVersion);

}  // namespace stashly
