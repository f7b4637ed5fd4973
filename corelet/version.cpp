// CVersion: a file's version from its version resource, and which Windows this is.
#include <cwchar>
#include <memory>

#include "corelet/objects.h"

namespace corelet {
namespace {

constexpr DWORD kVersionInfoLimit = 16384;
constexpr size_t kLongestPath = 32768;

// Whether `bytes` bytes at `address` lie in committed, readable memory of this process.
bool Readable(const void* address, size_t bytes) {
  auto at = reinterpret_cast<uintptr_t>(address);
  const uintptr_t end = at + bytes;
  if (!address || end < at) return false;
  while (at < end) {
    MEMORY_BASIC_INFORMATION region{};
    if (!::VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region)) return false;
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                                PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (region.State != MEM_COMMIT || !(region.Protect & kReadable) ||
        (region.Protect & PAGE_GUARD))
      return false;
    at = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

// A NUL-terminated wide string at `text` that lies wholly in readable memory, no longer than a
// path can be; null otherwise.
const wchar_t* ReadableText(const wchar_t* text) {
  for (size_t length = 0; length < kLongestPath; ++length) {
    if (!Readable(text + length, sizeof(wchar_t))) return nullptr;
    if (text[length] == L'\0') return text;
  }
  return nullptr;
}

// The fixed file version of `path`, or false.
bool FixedVersion(const wchar_t* path, VS_FIXEDFILEINFO& fixed) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0 || size >= kVersionInfoLimit) return false;
  auto data = std::make_unique<BYTE[]>(kVersionInfoLimit);
  if (!::GetFileVersionInfoW(path, 0, kVersionInfoLimit, data.get())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data.get(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return false;
  fixed = *info;
  return true;
}

}  // namespace

int CVersion::GetFileVersion(const stashly::XStringRef* path, wchar_t* buffer, int length) {
  if (!buffer || length <= 0 || !Readable(path, sizeof *path)) return 0;
  // The path comes as a reference to a string object; a caller that hands the characters
  // themselves is served too rather than sent to read whatever their first bytes point at.
  VS_FIXEDFILEINFO fixed{};
  const wchar_t* byReference = ReadableText(path->text);
  const wchar_t* plain = ReadableText(reinterpret_cast<const wchar_t*>(path));
  if (!(byReference && FixedVersion(byReference, fixed)) && !(plain && FixedVersion(plain, fixed)))
    return 0;
  const std::wstring text = FormatFileVersion(fixed.dwFileVersionMS, fixed.dwFileVersionLS);
  // A version cut to fit would be another version: a buffer too short for it gets none.
  if (text.size() >= static_cast<size_t>(length)) return 0;
  std::wmemcpy(buffer, text.c_str(), text.size() + 1);
  return 1;
}

int CVersion::GetOSVersion() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return 0;
  SYSTEM_INFO system{};
  ::GetNativeSystemInfo(&system);
  return WindowsVersionCode(version.dwPlatformId == VER_PLATFORM_WIN32_NT, version.dwMajorVersion,
                            version.dwMinorVersion,
                            system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64);
}

}  // namespace corelet
