// CheckForNewVersion, the update module's one export (renova.def names it): fetches the update
// INI, compares the version published for the product with the host's, and offers the newer
// one. There is no DllMain: loading the module does nothing but map it.
#include <windows.h>

#include <optional>
#include <string>
#include <type_traits>

#include "abi/update_module.h"
#include "update/download.h"
#include "update/update_dialog.h"
#include "update/update_logic.h"
#include "win/file_version.h"
#include "win/shell_paths.h"
#include "win/unique_any.h"

namespace renova {
namespace {

// An update INI is a few lines; anything larger is not one.
constexpr uint64_t kLargestIni = 1 << 20;
// The check, from its first request to the end of the INI, may take this long and no longer: a
// server that keeps sending a byte now and then must not hold the program's check thread (and
// this module) for the program's whole life.
constexpr ULONGLONG kCheckDeadlineMs = 60000;

std::wstring IniValue(const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
                      const wchar_t* file) {
  wchar_t value[MAX_PATH] = {};
  ::GetPrivateProfileStringW(section, key, fallback, value, MAX_PATH, file);
  return value;
}

struct Offer {
  std::wstring version;
  std::wstring url;
  std::wstring info;
};

// The values of `section` in the INI text `ini`, read by the system's INI reader from a
// temporary file that exists only while they are read (a check cut short leaves none behind).
std::optional<Offer> ReadOffer(const std::string& ini, const wchar_t* section) {
  wchar_t folder[MAX_PATH] = {};
  const DWORD length = ::ExpandEnvironmentStringsW(L"%temp%", folder, MAX_PATH);
  wchar_t path[MAX_PATH] = {};
  if (length == 0 || length > MAX_PATH || !::GetTempFileNameW(folder, L"renova", 0, path))
    return std::nullopt;
  std::optional<Offer> offer;
  {
    win::UniqueFile file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_TEMPORARY, nullptr));
    DWORD written = 0;
    if (file &&
        ::WriteFile(file.get(), ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr) &&
        written == ini.size()) {
      file.reset();
      offer = Offer{IniValue(section, L"version", L"1.0.0.0", path),
                    IniValue(section, L"url", L"", path), IniValue(section, L"info", L"", path)};
    }
  }
  ::DeleteFileW(path);
  return offer;
}

int Check(const wchar_t* iniUrl, const wchar_t* productKey, const wchar_t* currentVersion) {
  if (!iniUrl || !productKey || !*productKey) return 0;
  const std::wstring current =
      currentVersion ? std::wstring(currentVersion)
                     : win::FileVersionText(win::ModuleFilePath().c_str()).value_or(std::wstring());
  win::WebStop deadline;
  deadline.StopAt(::GetTickCount64() + kCheckDeadlineMs);
  DownloadOptions options;
  options.maxBytes = kLargestIni;
  options.stop = &deadline;
  const std::optional<std::string> ini = DownloadToMemory(iniUrl, options);
  if (!ini) return 0;
  const std::optional<Offer> offer = ReadOffer(*ini, productKey);
  if (!offer || VersionToNumber(offer->version) <= VersionToNumber(current)) return 0;
  ShowUpdateDialog(offer->url, productKey, offer->version, offer->info, WebSiteOf(iniUrl));
  return 1;
}

}  // namespace
}  // namespace renova

extern "C" int WINAPI CheckForNewVersion(const wchar_t* iniUrl, const wchar_t* productKey,
                                         const wchar_t* currentVersion) {
  return renova::Check(iniUrl, productKey, currentVersion);
}

static_assert(std::is_same_v<decltype(&CheckForNewVersion), stashly::CheckForNewVersionFn>);
