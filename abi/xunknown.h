#pragma once
// The helper library's objects as every caller sees them: small reference-counted interfaces on
// one base, IXUnknown, whose QueryInterface adds no reference. Every operation is __stdcall and
// the slot order below is fixed, so that any Windows caller can bind the table.
#include <windows.h>

namespace stashly {

struct IXUnknown {
  // 0 with *out set, or E_NOINTERFACE with *out null. Adds no reference.
  virtual LONG STDMETHODCALLTYPE QueryInterface(const GUID* iid, void** out) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  // At 0 the object is gone.
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IXUnknown() = default;
};

struct IMD5 : IXUnknown {
  // The MD5 digest of the NUL-terminated text as 32 lower-case hexadecimal characters, no
  // terminator written: pass a zero-filled buffer of at least 33 bytes.
  virtual void STDMETHODCALLTYPE MD5String(const char* text, char* out) = 0;
  virtual void STDMETHODCALLTYPE Reserved(void* first, void* second) = 0;

 protected:
  ~IMD5() = default;
};

struct IHash : IXUnknown {
  // out[i] = data[i] ^ key[i % strlen(key)] for i below count.
  virtual void STDMETHODCALLTYPE XorBuffer(const char* data, const char* key, char* out,
                                           int count) = 0;

 protected:
  ~IHash() = default;
};

struct ICPUInfo : IXUnknown {
  // The processor's signature and feature bits as hexadecimal text.
  virtual const char* STDMETHODCALLTYPE GetCPUID() = 0;

 protected:
  ~ICPUInfo() = default;
};

struct IDiskInfo : IXUnknown {
  // 0 to 4: what kind of drive the letter names.
  virtual int STDMETHODCALLTYPE GetDriveKind(wchar_t letter) = 0;
  // The drive letters in use, at most `max` characters; 1 on success, 0 on failure.
  virtual int STDMETHODCALLTYPE GetDriveLetters(wchar_t* letters, int max) = 0;
  // The model of the first disk, or null.
  virtual const char* STDMETHODCALLTYPE GetDiskModel() = 0;

 protected:
  ~IDiskInfo() = default;
};

struct IStatistic : IXUnknown {
  // Sends one usage report to `base` + "ver=...&userid=..." on a thread of its own; always 1.
  virtual int STDMETHODCALLTYPE Report(const wchar_t* base) = 0;

 protected:
  ~IStatistic() = default;
};

struct IRegister : IXUnknown {
  // The machine's identifier, 32 lower-case hexadecimal characters; `out` holds 33 bytes.
  virtual void STDMETHODCALLTYPE GetMachineId(char* out) = 0;

 protected:
  ~IRegister() = default;
};

// A string handed across by reference: the layout of a string object whose one member points
// at its NUL-terminated UTF-16 characters.
struct XStringRef {
  const wchar_t* text;
};

struct IVersion : IXUnknown {
  // The file version of `path` as "%d.%d.%d.%d" in `buffer` of `length` characters; 1 or 0.
  virtual int STDMETHODCALLTYPE GetFileVersion(const XStringRef& path, wchar_t* buffer,
                                               int length) = 0;
  // 0 to 7: which Windows this is.
  virtual int STDMETHODCALLTYPE GetOSVersion() = 0;

 protected:
  ~IVersion() = default;
};

// Interface identifiers, compared as 16 raw bytes.
// {6EF6D107-362A-470C-980D-EB7CBF8D5DCB}
inline constexpr GUID IID_IXUnknown = {
    0x6EF6D107, 0x362A, 0x470C, {0x98, 0x0D, 0xEB, 0x7C, 0xBF, 0x8D, 0x5D, 0xCB}};
// {64E7A8A6-43F1-4782-8008-F7D89284BEA4}
inline constexpr GUID IID_IMD5 = {
    0x64E7A8A6, 0x43F1, 0x4782, {0x80, 0x08, 0xF7, 0xD8, 0x92, 0x84, 0xBE, 0xA4}};
// {D3EFB6C0-4119-45FA-B474-FFE94E78523F}
inline constexpr GUID IID_IHash = {
    0xD3EFB6C0, 0x4119, 0x45FA, {0xB4, 0x74, 0xFF, 0xE9, 0x4E, 0x78, 0x52, 0x3F}};
// {6DC29781-C5A2-40A0-A3B5-60E4FC7282C7}
inline constexpr GUID IID_ICPUInfo = {
    0x6DC29781, 0xC5A2, 0x40A0, {0xA3, 0xB5, 0x60, 0xE4, 0xFC, 0x72, 0x82, 0xC7}};
// {7CEC68F6-A7AA-4A3B-93A7-204EEA165F9A}
inline constexpr GUID IID_IDiskInfo = {
    0x7CEC68F6, 0xA7AA, 0x4A3B, {0x93, 0xA7, 0x20, 0x4E, 0xEA, 0x16, 0x5F, 0x9A}};
// {00375325-C610-4A03-9082-1BB26605566B}
inline constexpr GUID IID_IStatistic = {
    0x00375325, 0xC610, 0x4A03, {0x90, 0x82, 0x1B, 0xB2, 0x66, 0x05, 0x56, 0x6B}};
// {48D884D6-94B8-41EF-836F-81E7FEA68123}
inline constexpr GUID IID_IRegister = {
    0x48D884D6, 0x94B8, 0x41EF, {0x83, 0x6F, 0x81, 0xE7, 0xFE, 0xA6, 0x81, 0x23}};
// {1D77E9B8-5721-49C0-93E4-7DC32715C489}
inline constexpr GUID IID_IVersion = {
    0x1D77E9B8, 0x5721, 0x49C0, {0x93, 0xE4, 0x7D, 0xC3, 0x27, 0x15, 0xC4, 0x89}};
// Three more identifiers of the shared list that no class serves (CreateInstance: null).
// {01AC6202-4CAB-48D1-BD99-2FB80B3DB317}
inline constexpr GUID IID_XReserved1 = {
    0x01AC6202, 0x4CAB, 0x48D1, {0xBD, 0x99, 0x2F, 0xB8, 0x0B, 0x3D, 0xB3, 0x17}};
// {97DD0125-ADBD-4377-B3C0-5AAC495C58FB}
inline constexpr GUID IID_XReserved2 = {
    0x97DD0125, 0xADBD, 0x4377, {0xB3, 0xC0, 0x5A, 0xAC, 0x49, 0x5C, 0x58, 0xFB}};
// {6DDFD8EC-4F63-4D4F-86CC-746A99E8B51A}
inline constexpr GUID IID_XReserved3 = {
    0x6DDFD8EC, 0x4F63, 0x4D4F, {0x86, 0xCC, 0x74, 0x6A, 0x99, 0xE8, 0xB5, 0x1A}};

// The helper library's one export, "CreateInstance": a new object answering `iid` (the
// caller's reference, ended with one Release), or null.
using CreateInstanceFn = IXUnknown*(WINAPI*)(const GUID* iid);

}  // namespace stashly
