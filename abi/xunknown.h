#pragma once
// The helper library's objects as every caller sees them: small reference-counted interfaces on
// one base, IXUnknown, whose QueryInterface adds no reference. Every operation is __stdcall and
// the slot order below is fixed (slots 0 to 2 are IXUnknown's), so that any Windows caller can
// bind the table. Objects come from the library's one export, CreateInstance; CHash and
// CSystemInfo serve two interfaces each, through two different pointers into one object.
//
// Bad input gets a defined result: null pointers write nothing (and fail where there is a
// result), lengths of 0 or less write nothing, unknown identifiers give null / E_NOINTERFACE.
#include <windows.h>

#include "abi/xunknown_ids.h"

namespace stashly {

struct IXUnknown {
  // 0 with *out set: the object's own pointer for IXUnknown and its primary interface, the
  // second interface's pointer for that one. E_NOINTERFACE with *out null for anything else,
  // E_POINTER for a null `out`. Adds no reference.
  virtual LONG STDMETHODCALLTYPE QueryInterface(const GUID* iid, void** out) = 0;
  // The new count; counts change atomically, from any thread.
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  // The new count; at 0 the object is gone.
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IXUnknown() = default;
};

struct IMD5 : IXUnknown {
  // 3. The MD5 digest (RFC 1321) of the NUL-terminated text as 32 lower-case hexadecimal
  //    characters, no terminator written: pass a zero-filled buffer of at least 33 bytes.
  virtual void STDMETHODCALLTYPE MD5String(const char* text, char* out) = 0;
  // 4. Does nothing.
  virtual void STDMETHODCALLTYPE Reserved(void* first, void* second) = 0;

 protected:
  ~IMD5() = default;
};

struct IHash : IXUnknown {
  // 3. out[i] = data[i] ^ key[i % strlen(key)] for i below count. An empty key writes nothing.
  virtual void STDMETHODCALLTYPE XorBuffer(const char* data, const char* key, char* out,
                                           int count) = 0;

 protected:
  ~IHash() = default;
};

struct ICPUInfo : IXUnknown {
  // 3. "%08X%08X" of the processor's feature flags and its version signature (identification
  //    leaf 1). Valid until the next call on the same object.
  virtual const char* STDMETHODCALLTYPE GetCPUID() = 0;

 protected:
  ~ICPUInfo() = default;
};

struct IDiskInfo : IXUnknown {
  // 3. What the drive letter names: 0 nothing known (or no letter), 1 a fixed disk, 2 a USB
  //    drive reported fixed, 3 another USB drive, 4 a CD-ROM drive.
  virtual int STDMETHODCALLTYPE GetDriveKind(wchar_t letter) = 0;
  // 4. The letters of the drives in use, in order, at most `max` of them, no terminator; 1 on
  //    success, 0 on failure.
  virtual int STDMETHODCALLTYPE GetDriveLetters(wchar_t* letters, int max) = 0;
  // 5. The model of the first disk drive the management service lists, in the ANSI code page;
  //    null when there is none or the query fails. Valid until the next call on the same
  //    object. The calling thread has COM initialised.
  virtual const char* STDMETHODCALLTYPE GetDiskModel() = 0;

 protected:
  ~IDiskInfo() = default;
};

struct IStatistic : IXUnknown {
  // 3. Sends one usage report, an HTTP GET of `base` + "ver=<program version>&userid=<machine
  //    id>", on a thread of its own, and returns 1 at once. The worker holds its own reference
  //    to the object and to the library, so both may be released right away. An address longer
  //    than 2099 characters, or a null base, sends nothing.
  virtual int STDMETHODCALLTYPE Report(const wchar_t* base) = 0;

 protected:
  ~IStatistic() = default;
};

struct IRegister : IXUnknown {
  // 3. The machine's identifier, the MD5 of the first disk's model as 32 lower-case
  //    hexadecimal characters without terminator; `out` (33 zero-filled bytes) stays as it was
  //    when the model cannot be read. The calling thread has COM initialised.
  virtual void STDMETHODCALLTYPE GetMachineId(char* out) = 0;

 protected:
  ~IRegister() = default;
};

// The library's string as it is handed over by reference: an object whose first member points
// at its NUL-terminated UTF-16 characters.
struct XStringRef {
  const wchar_t* text;
};

struct IVersion : IXUnknown {
  // 3. The file version of `path` as "%d.%d.%d.%d" into `buffer` of `length` characters, with
  //    its terminator; 1 on success. 0, with the buffer as it was, when the file has no version
  //    resource (or one of 16 KB or more) or the text does not fit (a cut version would be
  //    another version). A pointer to the characters themselves is accepted in place of the
  //    string reference.
  virtual int STDMETHODCALLTYPE GetFileVersion(const XStringRef* path, wchar_t* buffer,
                                               int length) = 0;
  // 4. Which Windows this is: 0 unknown or not NT, 1 another NT release, 2 5.0, 3 5.1, 4 5.2,
  //    5 6.0, 6 6.1 on x86, 7 6.1 on x64.
  virtual int STDMETHODCALLTYPE GetOSVersion() = 0;

 protected:
  ~IVersion() = default;
};

// The identifiers as GUIDs (abi/xunknown_ids.h holds their bytes).
constexpr GUID ToGuid(const XInterfaceId& id) {
  return GUID{id.data1,
              id.data2,
              id.data3,
              {id.data4[0], id.data4[1], id.data4[2], id.data4[3], id.data4[4], id.data4[5],
               id.data4[6], id.data4[7]}};
}
inline constexpr GUID IID_IXUnknown = ToGuid(kIdIXUnknown);
inline constexpr GUID IID_IMD5 = ToGuid(kIdIMD5);
inline constexpr GUID IID_IHash = ToGuid(kIdIHash);
inline constexpr GUID IID_ICPUInfo = ToGuid(kIdICPUInfo);
inline constexpr GUID IID_IDiskInfo = ToGuid(kIdIDiskInfo);
inline constexpr GUID IID_IStatistic = ToGuid(kIdIStatistic);
inline constexpr GUID IID_IRegister = ToGuid(kIdIRegister);
inline constexpr GUID IID_IVersion = ToGuid(kIdIVersion);

// The helper library's one export, "CreateInstance": a new object answering `iid` (the
// caller's reference, ended with one Release), or null.
using CreateInstanceFn = IXUnknown*(WINAPI*)(const GUID* iid);

}  // namespace stashly
