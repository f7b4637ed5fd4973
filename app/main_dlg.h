#pragma once
// The main window: the skinned dialog with the favourites list, shown on demand and put away
// again (hot key, auto-hide), with its commands add, delete, settings, close and exit.
#include <windows.h>

#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/drop_target.h"
#include "app/jump_target.h"
#include "app/list_ctrl_ex.h"
#include "skin/easy_dialog.h"
#include "win/unique_any.h"

namespace stashly {

inline constexpr UINT WM_REPORT_USAGE = WM_USER + 1;
// Starts the update check and the usage report once the window has first been painted.
inline constexpr UINT_PTR kStartJobsTimer = 0x5354;
// Files were dropped on the window: add them once the drag is over.
inline constexpr UINT WM_ADD_DROPPED = WM_USER + 2;
inline constexpr int HOTKEY_SHOW = 1;
inline constexpr BYTE kWindowAlpha = 240;

// Sets a constant opacity on a top-level window (255: opaque again) through the run-time
// looked-up SetLayeredWindowAttributes. 0 when the system lacks it.
int SetWindowAlpha(HWND hwnd, BYTE alpha);

class CMainDlg : public CXEasyDialog {
 public:
  CListCtrlEx& list() { return list_; }
  int autoHide() const { return autoHide_; }
  int subDialogOpen() const { return subDialogOpen_; }

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // The skinned dialog's template with the program's own window class, by which other processes
  // find it.
  win::DialogTemplate Template() const override;
  // Modeless: the close button and the skin's buttons are commands of its own, and none ends it
  // as a dialog.
  std::span<const DialogEnd> Ends() const override { return {}; }
  bool OnCommand(UINT id) override;

 private:
  LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam);
  // The window's icons at the sizes of `dpi`.
  void SetIcons(UINT dpi);
  void CreateListView();
  // The list's place (the client area less its margins), font, icons, column and rows at the
  // skin's DPI.
  void LayOutList();
  void OnKillFocus(HWND focus);
  void OnActivate(UINT state, HWND activated);
  void OnCopyData(const COPYDATASTRUCT* data);
  void AddFolder();
  void DeleteSelected();
  void MoveSelected(bool down);
  void AddDropped();
  // The tab order: the list first, then the buttons along the bottom, the close button last.
  void SetUpKeyboard();
  // Tells the user, once for the action, that a change could not be written to the file, and why.
  void ReportNotStored(StoreResult result);
  // Shows `text` in a message box of the window; nothing when it is empty. Never one box over
  // another: what the list has to say meanwhile is said after.
  void Tell(const std::wstring& text, const wchar_t* caption);
  void OpenSettings();
  void Close();
  void Exit(int code);
  // Runs the auto-hide rule once the current handler has finished (a posted WM_KILLFOCUS): the
  // window hides if auto-hide is on and no sub-dialog is open.
  void AutoHideLater() { PostMessage(WM_KILLFOCUS, 0, 0); }
  // While one lives, a sub-dialog or message box of the window is open and the window does not
  // hide itself.
  class SubDialogScope {
   public:
    explicit SubDialogScope(CMainDlg& owner) : owner_(owner), before_(owner.subDialogOpen_) {
      owner.subDialogOpen_ = 1;
    }
    ~SubDialogScope() { owner_.subDialogOpen_ = before_; }
    SubDialogScope(const SubDialogScope&) = delete;
    SubDialogScope& operator=(const SubDialogScope&) = delete;

   private:
    CMainDlg& owner_;
    int before_;
  };
  bool IsOwnControl(HWND window) const { return window && ::GetParent(window) == hwnd(); }

  CListCtrlEx list_;
  // The window the user came from, where an entry opens in place.
  JumpTarget jump_;
  DropRegistration dropTarget_;
  std::vector<std::wstring> dropped_;
  int autoHide_ = 1;
  int subDialogOpen_ = 0;
  bool telling_ = false;
  bool usageReported_ = false;
  win::UniqueIcon bigIcon_;
  win::UniqueIcon smallIcon_;
};

}  // namespace stashly
