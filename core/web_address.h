#pragma once
// Web addresses as our modules request them: http:// or https:// with a host, and where a
// redirect from one of them may lead.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace stashly {

// The host part of an http:// or https:// address (up to its path, query or fragment), and in
// `schemeLength` the length of its scheme with "://". Nothing for any other scheme, an empty host
// or one with a blank or a backslash in it.
std::optional<std::wstring_view> WebAuthority(std::wstring_view address,
                                              size_t* schemeLength = nullptr);

// Whether the address is one our modules request: http:// or https:// with a host.
bool IsWebAddress(std::wstring_view address);

// Where a redirect from `address` to `location` (a Location header) leads: an http:// or
// https:// address as it is, a path from the root ("/x") or a relative one on the same host.
// Nothing for any other scheme, a broken base, or a step down from https to plain http, which
// would hand what follows to anyone on the way.
std::optional<std::wstring> ResolveRedirect(std::wstring_view address, std::wstring_view location);

}  // namespace stashly
