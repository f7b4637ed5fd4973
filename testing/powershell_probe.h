#pragma once
// The stand-in PowerShell (powershell_probe.exe): where it goes so that programs looking for the
// system's PowerShell find it, what it recorded, and the packages it holds registered for this
// user.
#include <windows.h>

#include <string>

#include "win/shell_paths.h"
#include "win/text.h"
#include "win/unique_any.h"

namespace win::testing {

inline std::wstring PowerShellProbeLogPath() {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"stashly_powershell_probe.txt";
}

// Appends `line` and a line feed as UTF-8.
inline void AppendLine(const std::wstring& path, const std::wstring& line) {
  win::UniqueFile file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  const std::string text = win::ToNarrow(line + L"\n", CP_UTF8);
  DWORD written = 0;
  ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// The whole file; empty when it cannot be read.
inline std::string WholeFile(const std::wstring& path) {
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (file && ::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read)
    text.append(buffer, read);
  return text;
}

// Every command line the probe was started with, one per line; empty when none.
inline std::wstring PowerShellProbeLog() {
  return win::ToWide(WholeFile(PowerShellProbeLogPath()), CP_UTF8);
}

// This user's registered packages as the probe keeps them: one value a package, its name holding
// its version.
inline constexpr wchar_t kRegisteredPackagesKey[] = L"Software\\Stashly tests\\Registered packages";

// The registered version of the package `name`; empty when it is not registered.
inline std::wstring RegisteredPackageVersion(const std::wstring& name) {
  wchar_t version[64] = {};
  DWORD size = sizeof version - sizeof(wchar_t);
  if (name.empty() || ::RegGetValueW(HKEY_CURRENT_USER, kRegisteredPackagesKey, name.c_str(),
                                     RRF_RT_REG_SZ, nullptr, version, &size) != ERROR_SUCCESS)
    return {};
  return version;
}

inline void RecordPackage(const std::wstring& name, const std::wstring& version) {
  ::RegSetKeyValueW(HKEY_CURRENT_USER, kRegisteredPackagesKey, name.c_str(), REG_SZ,
                    version.c_str(), static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
}

inline void ForgetPackage(const std::wstring& name) {
  if (!name.empty()) ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRegisteredPackagesKey, name.c_str());
}

// How many packages this user has registered.
inline DWORD RegisteredPackageCount() {
  win::UniqueHkey key;
  DWORD values = 0;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRegisteredPackagesKey, 0, KEY_READ, key.put()) ==
      ERROR_SUCCESS)
    ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr);
  return values;
}

// The system's 64-bit PowerShell in this prefix, as a 32-bit or a 64-bit process names it.
inline std::wstring SystemPowerShellPath() {
  wchar_t windows[MAX_PATH] = {};
  ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
  BOOL wow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &wow64);
  return win::CombinePath(windows, wow64 ? L"Sysnative\\WindowsPowerShell\\v1.0\\powershell.exe"
                                         : L"System32\\WindowsPowerShell\\v1.0\\powershell.exe");
}

// Puts the probe (or, with an empty `probe`, nothing) where the system's PowerShell would be.
inline bool PlacePowerShellProbe(const std::wstring& probe) {
  const std::wstring target = SystemPowerShellPath();
  if (probe.empty())
    return ::DeleteFileW(target.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
  win::CreateFolderTree(win::ParentFolder(target));
  return ::CopyFileW(probe.c_str(), target.c_str(), FALSE) != 0;
}

}  // namespace win::testing
