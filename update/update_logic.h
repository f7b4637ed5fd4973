#pragma once
// The update module's decisions that need no Windows: comparing versions, what may be
// downloaded and under which name, whose installer may start, the maker's web site, the release
// notes' line breaks, the progress scale and the link colours.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace renova {

// The fields of a signing certificate's subject that name the publisher, as they stand in it.
struct Publisher {
  std::wstring commonName;    // CN
  std::wstring organization;  // O
  std::wstring locality;      // L
  std::wstring state;         // ST
  std::wstring country;       // C
  bool operator==(const Publisher&) const = default;
};

// Whether two signers are one publisher: every field alike, so that the publisher's renewed
// certificate (a new key, a new serial number, another issuer) still matches. A subject that
// names neither a publisher nor an organisation matches nobody, itself included.
bool SamePublisher(const Publisher& a, const Publisher& b);

// A dotted version as one number: the first four parts, each read like _wtoi (leading blanks, a
// sign, digits; anything else 0), as a·2^48 + b·2^32 + c·2^16 + d with carries between fields,
// modulo 2^64. Missing parts count as 0 ("1.2" is "1.2.0.0"); a last empty part after a dot
// does not count, empty parts before a dot do (".5" is "0.5").
uint64_t VersionToNumber(std::wstring_view text);

// The maker's web site on the host of `address` ("http://host:port/"), or empty when the address
// is no web address.
std::wstring WebSiteOf(std::wstring_view address);

// The name the installer from `address` is saved under: its last path component without query
// or fragment, with characters no file name may hold replaced by '_', without trailing dots and
// blanks, not a reserved device name, ending in ".exe". Nothing when no usable name is left.
std::optional<std::wstring> InstallerFileName(std::wstring_view address);

// A resource text with its place holders filled in order: each "%s" and "%d" takes the next of
// `values` (nothing once they run out), "%%" is '%'. No printf: a text can never make it read
// beyond what it was given.
std::wstring FillIn(std::wstring_view pattern, std::initializer_list<std::wstring_view> values);

// The release notes as shown: every backslash followed by 'n' becomes CR LF.
std::wstring ExpandLineBreaks(std::wstring_view info);

// The percentage shown after `received` bytes of `total` (0: unknown). With a known total it is
// received·100/total, at most 100. Without one it climbs towards 90 and never passes it:
// 90·received / (received + 4 MB). The download's end shows 100 either way.
int ProgressPercent(uint64_t received, uint64_t total);

// A Content-Length header's value: decimal digits only, at most 2^63; nothing otherwise.
std::optional<uint64_t> ParseContentLength(std::wstring_view text);

// A browser link colour, "r,g,b" with three decimal numbers from 0 to 255 (blanks allowed), as
// 0x00BBGGRR; nothing otherwise.
std::optional<uint32_t> ParseLinkColor(std::wstring_view text);

}  // namespace renova
