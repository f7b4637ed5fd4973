// What the update module reads from a server (versions, addresses, redirects, header values,
// release notes) must never fault, and the names it saves under stay file names.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/ascii.h"
#include "core/web_address.h"
#include "update/update_logic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Two texts out of the bytes, two bytes to a character: an address and what follows it.
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2)
    text.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
  const size_t split = text.find(L'\n');
  const std::wstring first = text.substr(0, split);
  const std::wstring second = split == std::wstring::npos ? std::wstring() : text.substr(split + 1);

  renova::VersionToNumber(first);
  if (const auto name = renova::InstallerFileName(first)) {
    if (name->find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) std::abort();
    const std::wstring tail = name->size() >= 4 ? name->substr(name->size() - 4) : std::wstring();
    if (tail.size() != 4 || tail[0] != L'.' || (tail[1] | 0x20) != L'e' ||
        (tail[2] | 0x20) != L'x' || (tail[3] | 0x20) != L'e')
      std::abort();
    if (name->back() == L' ' || name->front() == L' ') std::abort();
  }
  if (const auto target = stashly::ResolveRedirect(first, second)) {
    if (!stashly::IsWebAddress(*target)) std::abort();
    if (stashly::StartsWithAsciiNoCase(first, L"https:") &&
        !stashly::StartsWithAsciiNoCase(*target, L"https:"))
      std::abort();
  }
  const std::wstring site = renova::WebSiteOf(first);
  if (!site.empty() && (!stashly::IsWebAddress(site) || site.back() != L'/')) std::abort();
  renova::ParseContentLength(first);
  renova::ParseLinkColor(first);
  renova::ExpandLineBreaks(first);
  renova::FillIn(first, {second, second});
  uint64_t received = size, total = 0;
  if (size >= 16) {
    std::memcpy(&received, data, 8);
    std::memcpy(&total, data + 8, 8);
  }
  const int percent = renova::ProgressPercent(received, total);
  if (percent < 0 || percent > 100 || (total == 0 && percent >= 90)) std::abort();
  return 0;
}
