#pragma once
// The options: start with Windows, auto-hide, the Explorer menu and opening in place. Shows the state found at
// opening and applies only what the user changed.
#include <string>

#include "app/confirm_dlg.h"

namespace stashly {

inline constexpr wchar_t kStartupShortcutName[] = L"Stashly.lnk";

// "Stashly.lnk" in the user's Startup folder; empty when that folder cannot be found.
std::wstring StartupShortcutPath();

// A shell link at `linkPath` to `target`, started in the target's folder. Failures are silent.
void CreateShortcut(const std::wstring& target, const std::wstring& description,
                    const std::wstring& linkPath);

class CSetDlg : public CConfirmDlg {
 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // Applies what the user changed.
  void Confirm() override;

 private:
  void Open();
  void SetCheck(int id, int value);
  int GetCheck(int id) const;

  int startupShown_ = 0;
  DWORD autohideShown_ = 0;
  DWORD rightmenuShown_ = 0;
  DWORD jumpShown_ = 0;
};

}  // namespace stashly
