// Stands in for the system's PowerShell in a test prefix (Wine has none): appends its command
// line to %TEMP%\stashly_powershell_probe.txt and acts out the package cmdlets our programs run,
// on a record of this user's registered packages (powershell_probe.h) that it keeps as Windows
// keeps its own: a package is removed by name, and adding a version that is already registered
// fails (Windows refuses it with 0x80073CF9), which, as in PowerShell, stops the script with exit
// code 1.
#include <windows.h>

#include <string>
#include <string_view>

#include "testing/powershell_probe.h"

namespace {

bool IsQuote(wchar_t c) {
  return c == L'\'' || (c >= L'\x2018' && c <= L'\x201B');
}

// The single-quoted literal that follows `option` in `statement`; empty when there is none.
std::wstring LiteralAfter(std::wstring_view statement, std::wstring_view option) {
  size_t at = statement.find(option);
  if (at == std::wstring_view::npos) return {};
  at += option.size();
  if (at >= statement.size() || !IsQuote(statement[at])) return {};
  std::wstring text;
  for (++at; at < statement.size(); ++at) {
    if (IsQuote(statement[at])) {
      if (at + 1 >= statement.size() || statement[at + 1] != statement[at]) break;
      ++at;
    }
    text += statement[at];
  }
  return text;
}

// The value of `attribute` in the manifest's Identity element, which a package keeps uncompressed.
std::string IdentityAttribute(const std::string& package, const std::string& attribute) {
  const size_t identity = package.find("<Identity ");
  if (identity == std::string::npos) return {};
  const size_t end = package.find('>', identity);
  const size_t at = package.find(" " + attribute + "=\"", identity);
  if (at == std::string::npos || at > end) return {};
  const size_t value = at + attribute.size() + 3;
  return package.substr(value, package.find('"', value) - value);
}

// False when the statement fails and so ends the script.
bool Run(std::wstring_view statement) {
  using namespace win::testing;
  if (statement.find(L"Remove-AppxPackage") != std::wstring_view::npos) {
    ForgetPackage(LiteralAfter(statement, L"-Name "));
    return true;
  }
  if (statement.find(L"Add-AppxPackage") == std::wstring_view::npos) return true;
  const std::string package = WholeFile(LiteralAfter(statement, L"-Path "));
  const std::wstring name = win::ToWide(IdentityAttribute(package, "Name"), CP_UTF8);
  const std::wstring version = win::ToWide(IdentityAttribute(package, "Version"), CP_UTF8);
  if (name.empty() || version.empty() || RegisteredPackageVersion(name) == version) return false;
  RecordPackage(name, version);
  return true;
}

}  // namespace

int main() {
  const std::wstring line = ::GetCommandLineW();
  win::testing::AppendLine(win::testing::PowerShellProbeLogPath(), line);
  const size_t command = line.find(L"-Command \"");
  if (command == std::wstring::npos) return 0;
  std::wstring_view script(line);
  script = script.substr(command + 10, script.rfind(L'"') - command - 10);
  while (!script.empty()) {
    const size_t end = script.find(L"; ");
    if (!Run(script.substr(0, end))) return 1;
    script = end == std::wstring_view::npos ? std::wstring_view() : script.substr(end + 2);
  }
  return 0;
}
