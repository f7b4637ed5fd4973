#include "context_menu/commands.h"

#include <windows.h>
#include <shellapi.h>

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

bool AddToFavorites(std::span<const std::wstring> paths) {
  if (paths.empty()) return false;
  if (!stashly::AppendFavorites(stashly::FavoritesFilePath(), paths)) return false;
  stashly::NotifyFavoritesChanged();
  return true;
}

}  // namespace clickwell
