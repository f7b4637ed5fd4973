#include "win/file_version.h"

#include <memory>

#include "core/version_text.h"

namespace win {

std::optional<std::wstring> FileVersionText(const wchar_t* path) {
  constexpr DWORD kLimit = 16384;
  if (!path) return std::nullopt;
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0 || size >= kLimit) return std::nullopt;
  auto data = std::make_unique<BYTE[]>(kLimit);
  if (!::GetFileVersionInfoW(path, 0, kLimit, data.get())) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data.get(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
      length < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  return stashly::FormatFileVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
}

}  // namespace win
