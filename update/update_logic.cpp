#include "update/update_logic.h"

#include <cstddef>

#include "core/ascii.h"
#include "core/web_address.h"

namespace renova {
namespace {

// _wtoi's reading: leading blanks, a sign, decimal digits up to the first other character; a
// value beyond the 32-bit range gives INT_MAX or INT_MIN, as _wtoi does.
int32_t LeadingInt(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : value);
}

bool IsReservedName(std::wstring_view name) {
  // Device names are reserved whatever the extension, and blanks before it do not count:
  // "con.exe" and "nul .exe" name devices too.
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  for (std::wstring_view reserved : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
    if (stashly::EqualsAsciiNoCase(stem, reserved)) return true;
  if (stem.size() == 4 &&
      (stashly::StartsWithAsciiNoCase(stem, L"COM") ||
       stashly::StartsWithAsciiNoCase(stem, L"LPT")) &&
      stem[3] >= L'0' && stem[3] <= L'9')
    return true;
  return false;
}

}  // namespace

bool SamePublisher(const Publisher& a, const Publisher& b) {
  return (!a.commonName.empty() || !a.organization.empty()) && a == b;
}

uint64_t VersionToNumber(std::wstring_view text) {
  uint64_t value = 0;
  int used = 0;
  size_t start = 0;
  while (used < 4 && start <= text.size()) {
    const size_t dot = text.find(L'.', start);
    if (dot == std::wstring_view::npos && start == text.size()) break;  // nothing after a last dot
    const size_t end = dot == std::wstring_view::npos ? text.size() : dot;
    value = value * 65536 + static_cast<uint64_t>(
                                static_cast<int64_t>(LeadingInt(text.substr(start, end - start))));
    ++used;
    if (dot == std::wstring_view::npos) break;
    start = dot + 1;
  }
  for (; used < 4; ++used) value *= 65536;
  return value;
}

std::wstring WebSiteOf(std::wstring_view address) {
  size_t schemeLength = 0;
  const auto authority = stashly::WebAuthority(address, &schemeLength);
  if (!authority) return {};
  std::wstring site(address.substr(0, schemeLength));
  site.append(*authority).push_back(L'/');
  return site;
}

std::optional<std::wstring> InstallerFileName(std::wstring_view address) {
  size_t schemeLength = 0;
  const auto authority = stashly::WebAuthority(address, &schemeLength);
  if (!authority) return std::nullopt;
  std::wstring_view path = address.substr(schemeLength + authority->size());
  path = path.substr(0, path.find_first_of(L"?#"));
  std::wstring name(path.substr(path.find_last_of(L'/') + 1));
  for (wchar_t& c : name)
    if (c < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) c = L'_';
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  while (!name.empty() && name.front() == L' ') name.erase(0, 1);
  if (name.empty() || name.size() > 200 || IsReservedName(name)) return std::nullopt;
  if (name.size() < 4 ||
      !stashly::EqualsAsciiNoCase(std::wstring_view(name).substr(name.size() - 4), L".exe"))
    name += L".exe";
  return name;
}

std::wstring FillIn(std::wstring_view pattern, std::initializer_list<std::wstring_view> values) {
  std::wstring out;
  auto next = values.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == L'%' && i + 1 < pattern.size()) {
      const wchar_t kind = pattern[i + 1];
      if (kind == L'%') {
        out += L'%';
        ++i;
        continue;
      }
      if (kind == L's' || kind == L'd') {
        if (next != values.end()) out.append(*next++);
        ++i;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

std::wstring ExpandLineBreaks(std::wstring_view info) {
  std::wstring out;
  out.reserve(info.size());
  for (size_t i = 0; i < info.size(); ++i) {
    if (info[i] == L'\\' && i + 1 < info.size() && info[i + 1] == L'n') {
      out += L"\r\n";
      ++i;
    } else {
      out += info[i];
    }
  }
  return out;
}

int ProgressPercent(uint64_t received, uint64_t total) {
  if (total > 0) {
    if (received >= total) return 100;
    if (received <= UINT64_MAX / 100) return static_cast<int>(received * 100 / total);
    // Beyond 2^64 / 100 bytes the division goes first; short of the total it stays below 100.
    const uint64_t percent = received / (total / 100);
    return static_cast<int>(percent > 99 ? 99 : percent);
  }
  constexpr uint64_t kAssumed = 4 << 20;
  if (received > UINT64_MAX / 90 - kAssumed) return 89;
  return static_cast<int>(90 * received / (received + kAssumed));
}

std::optional<uint64_t> ParseContentLength(std::wstring_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - L'0');
  }
  if (value > (uint64_t{1} << 63)) return std::nullopt;
  return value;
}

std::optional<uint32_t> ParseLinkColor(std::wstring_view text) {
  uint32_t parts[3] = {};
  size_t at = 0;
  for (int part = 0; part < 3; ++part) {
    while (at < text.size() && text[at] == L' ') ++at;
    size_t digits = 0;
    uint32_t value = 0;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9' && digits < 4; ++at, ++digits)
      value = value * 10 + static_cast<uint32_t>(text[at] - L'0');
    if (digits == 0 || value > 255) return std::nullopt;
    while (at < text.size() && text[at] == L' ') ++at;
    if (part < 2) {
      if (at >= text.size() || text[at] != L',') return std::nullopt;
      ++at;
    }
    parts[part] = value;
  }
  if (at != text.size()) return std::nullopt;
  return parts[0] | parts[1] << 8 | parts[2] << 16;
}

}  // namespace renova
