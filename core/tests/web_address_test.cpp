#include "core/web_address.h"

#include <gtest/gtest.h>

namespace stashly {
namespace {

TEST(ResolveRedirect, WebAddressesOnlyOnTheSameFootingAsABrowserAndNeverDownToHttp) {
  constexpr const wchar_t* kPlain = L"http://h:81/dl/setup.exe?a=1";
  constexpr const wchar_t* kSecure = L"HTTPS://h:81/dl/setup.exe?a=1";
  const struct {
    const wchar_t* base;
    const wchar_t* location;
    const wchar_t* target;  // null: not followed
  } cases[] = {
      {kPlain, L"https://mirror.example/setup.exe", L"https://mirror.example/setup.exe"},
      {kPlain, L"http://mirror.example/setup.exe", L"http://mirror.example/setup.exe"},
      {kPlain, L"/other/setup.exe", L"http://h:81/other/setup.exe"},
      {kPlain, L"setup2.exe?x", L"http://h:81/dl/setup2.exe?x"},
      {kPlain, L"file:///C:/windows/notepad.exe", nullptr},
      {kPlain, L"\\\\server\\share\\setup.exe",
       L"http://h:81/dl/\\\\server\\share\\setup.exe"},  // a path on the same host
      {kPlain, L"//elsewhere/setup.exe", nullptr},
      {kPlain, L"", nullptr},
      {kSecure, L"https://mirror.example/setup.exe", L"https://mirror.example/setup.exe"},
      {kSecure, L"hTTpS://mirror.example/", L"hTTpS://mirror.example/"},
      {kSecure, L"http://mirror.example/setup.exe", nullptr},
      {kSecure, L"HTTP://h:81/dl/setup.exe", nullptr},
      {kSecure, L"/other/setup.exe", L"HTTPS://h:81/other/setup.exe"},  // stays on https
      {kSecure, L"setup2.exe", L"HTTPS://h:81/dl/setup2.exe"},
      {L"file:///x", L"/y", nullptr},
  };
  for (const auto& c : cases) {
    const auto target = ResolveRedirect(c.base, c.location);
    if (c.target)
      EXPECT_EQ(target, std::wstring(c.target)) << c.base << " -> " << c.location;
    else
      EXPECT_FALSE(target) << c.base << " -> " << c.location;
  }
}

}  // namespace
}  // namespace stashly
