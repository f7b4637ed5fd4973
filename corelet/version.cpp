// CVersion: a file's version from its version resource, and which Windows this is.
#include <cwchar>

#include "corelet/objects.h"
#include "win/file_version.h"

namespace corelet {
namespace {

constexpr size_t kLongestPath = 32768;

// The end of the committed, readable memory from `address` on (at most `limit` bytes
// further), or `address` itself when it is not readable.
uintptr_t ReadableEnd(uintptr_t address, uintptr_t limit) {
  uintptr_t at = address;
  while (at < limit) {
    MEMORY_BASIC_INFORMATION region{};
    if (!::VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region)) break;
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                                PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (region.State != MEM_COMMIT || !(region.Protect & kReadable) ||
        (region.Protect & PAGE_GUARD))
      break;
    at = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
  }
  return at;
}

bool Readable(const void* address, size_t bytes) {
  const auto at = reinterpret_cast<uintptr_t>(address);
  return address && at + bytes > at && ReadableEnd(at, at + bytes) >= at + bytes;
}

// A NUL-terminated wide string at `text` that lies wholly in readable memory, no longer than a
// path can be; null otherwise. Memory is asked about region by region, not character by
// character.
const wchar_t* ReadableText(const wchar_t* text) {
  const auto start = reinterpret_cast<uintptr_t>(text);
  if (!text || start % alignof(wchar_t)) return nullptr;
  const uintptr_t limit = start + kLongestPath * sizeof(wchar_t);
  if (limit < start) return nullptr;
  const uintptr_t end = ReadableEnd(start, limit);
  const size_t characters = (end - start) / sizeof(wchar_t);
  return ::wmemchr(text, L'\0', characters) ? text : nullptr;
}

}  // namespace

int CVersion::GetFileVersion(const stashly::XStringRef* path, wchar_t* buffer, int length) {
  if (!buffer || length <= 0 || !Readable(path, sizeof *path)) return 0;
  // The path comes as a reference to a string object; a caller that hands the characters
  // themselves is served too rather than sent to read whatever their first bytes point at.
  std::optional<std::wstring> text = win::FileVersionText(ReadableText(path->text));
  if (!text) text = win::FileVersionText(ReadableText(reinterpret_cast<const wchar_t*>(path)));
  if (!text) return 0;
  // A version cut to fit would be another version: a buffer too short for it gets none.
  if (text->size() >= static_cast<size_t>(length)) return 0;
  std::wmemcpy(buffer, text->c_str(), text->size() + 1);
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
