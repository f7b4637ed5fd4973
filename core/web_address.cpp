#include "core/web_address.h"

#include "core/ascii.h"

namespace stashly {
namespace {

constexpr std::wstring_view kHttps = L"https://";

}  // namespace

std::optional<std::wstring_view> WebAuthority(std::wstring_view address, size_t* schemeLength) {
  for (std::wstring_view scheme : {std::wstring_view(L"http://"), kHttps}) {
    if (!StartsWithAsciiNoCase(address, scheme)) continue;
    std::wstring_view rest = address.substr(scheme.size());
    const size_t end = rest.find_first_of(L"/?#");
    rest = rest.substr(0, end);
    if (rest.empty() || rest.find_first_of(L"\\ ") != std::wstring_view::npos) return std::nullopt;
    if (schemeLength) *schemeLength = scheme.size();
    return rest;
  }
  return std::nullopt;
}

bool IsWebAddress(std::wstring_view address) {
  return WebAuthority(address).has_value();
}

std::optional<std::wstring> ResolveRedirect(std::wstring_view address, std::wstring_view location) {
  size_t schemeLength = 0;
  const auto authority = WebAuthority(address, &schemeLength);
  if (!authority || location.empty()) return std::nullopt;
  if (location.find(L':') != std::wstring_view::npos &&
      location.find(L':') < location.find_first_of(L"/?#")) {
    if (!IsWebAddress(location)) return std::nullopt;
    if (StartsWithAsciiNoCase(address, kHttps) && !StartsWithAsciiNoCase(location, kHttps))
      return std::nullopt;
    return std::wstring(location);
  }
  if (location.substr(0, 2) == L"//") return std::nullopt;  // another host without a scheme
  std::wstring resolved(address.substr(0, schemeLength + authority->size()));
  if (location.front() == L'/') return resolved.append(location);
  // Relative: beside the last path component of the address.
  std::wstring_view path = address.substr(schemeLength + authority->size());
  path = path.substr(0, path.find_first_of(L"?#"));
  const size_t slash = path.find_last_of(L'/');
  resolved.append(slash == std::wstring_view::npos ? L"/" : path.substr(0, slash + 1));
  return resolved.append(location);
}

}  // namespace stashly
