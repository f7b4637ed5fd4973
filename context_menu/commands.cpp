#include "context_menu/commands.h"

#include <windows.h>
#include <shellapi.h>

#include "core/number_text.h"
#include "store/favorites_file.h"
#include "store/settings_store.h"

namespace clickwell {

void StartProgram() {
  std::wstring program;
  if (!stashly::ReadSettingString(stashly::kExtensionSettingsKey, stashly::kInstallPathValue,
                                  program) ||
      program.empty())
    return;
  ::ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, nullptr, SW_SHOW);
}

namespace {

HRESULT ToHresult(stashly::StoreError error) {
  using stashly::StoreError;
  switch (error) {
    case StoreError::kNone:
      return S_OK;
    case StoreError::kBusy:
      return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    case StoreError::kDenied:
      return E_ACCESSDENIED;
    case StoreError::kInUse:
      return HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
    case StoreError::kDiskFull:
      return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    case StoreError::kTooLarge:
      return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    case StoreError::kBadRecord:
      return E_INVALIDARG;
    case StoreError::kNoFolder:
      return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    case StoreError::kFailed:
      break;
  }
  return E_FAIL;
}

}  // namespace

HRESULT AddToFavorites(std::span<const std::wstring> paths, HWND owner, bool quiet) {
  if (paths.empty()) return E_INVALIDARG;
  const stashly::StoreResult stored =
      stashly::AppendFavorites(stashly::FavoritesFilePath(), paths);
  if (stored) {
    stashly::NotifyFavoritesChanged();
    return S_OK;
  }
  if (!quiet) {
    std::wstring item = paths.front();
    if (paths.size() > 1) item += L" 等 " + stashly::DecimalText(paths.size()) + L" 项";
    const std::wstring text = L"无法把“" + item + L"”添加到 Velto文件收藏夹。\n" +
                              stashly::StoreErrorText(stored.error());
    ::MessageBoxW(owner, text.c_str(), L"添加失败", MB_OK | MB_ICONWARNING);
  }
  return ToHresult(stored.error());
}

}  // namespace clickwell
