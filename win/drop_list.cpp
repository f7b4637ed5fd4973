#include "win/drop_list.h"

#include <shellapi.h>

#include <cstring>

#include "win/stg_medium.h"

namespace win {

bool IsWellFormedDropList(const void* data, size_t size) {
  if (!data || size < sizeof(DROPFILES)) return false;
  DROPFILES header;
  std::memcpy(&header, data, sizeof header);
  const size_t start = header.pFiles;
  if (start < sizeof(DROPFILES) || start >= size) return false;
  const auto* bytes = static_cast<const unsigned char*>(data) + start;
  const size_t unit = header.fWide ? sizeof(wchar_t) : 1;
  const size_t units = (size - start) / unit;
  auto isNul = [&](size_t i) {
    for (size_t b = 0; b < unit; ++b)
      if (bytes[i * unit + b] != 0) return false;
    return true;
  };
  for (size_t i = 0; i + 1 < units; ++i)
    if (isNul(i) && isNul(i + 1)) return true;
  return false;
}

std::vector<std::wstring> DropListNames(HGLOBAL memory) {
  std::vector<std::wstring> names;
  ScopedGlobalLock lock(memory);
  if (!lock || !IsWellFormedDropList(lock.get(), lock.size())) return names;
  const auto drop = static_cast<HDROP>(memory);
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    // Each name is asked for its length first, so none is cut.
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::wstring name(length + 1, L'\0');
    name.resize(::DragQueryFileW(drop, i, name.data(), length + 1));
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

}  // namespace win
