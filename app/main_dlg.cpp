#include "app/main_dlg.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "app/close_confirm_dlg.h"
#include "app/library_loader.h"
#include "app/resource.h"
#include "app/set_dlg.h"
#include "app/update_check.h"
#include "app/window_rules.h"
#include "store/names.h"
#include "store/settings_store.h"
#include "win/dpi.h"
#include "win/module.h"
#include "win/unique_any.h"

namespace stashly {

int SetWindowAlpha(HWND hwnd, BYTE alpha) {
  using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  HMODULE user32 = ::GetModuleHandleW(L"USER32.DLL");
  if (!user32) return 0;
  static SetLayeredFn setLayered =
      win::GetExport<SetLayeredFn>(user32, "SetLayeredWindowAttributes");
  if (!setLayered) return 0;
  LONG_PTR exStyle = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  if (alpha == 255) {
    ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    ::RedrawWindow(hwnd, nullptr, nullptr,
                   RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  } else {
    ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    setLayered(hwnd, 0, alpha, LWA_ALPHA);
  }
  return 1;
}

win::DialogTemplate CMainDlg::Template() const {
  win::RegisterDialogClass(kMainWindowClass);
  return CXEasyDialog::Template().WindowClass(reinterpret_cast<const char16_t*>(kMainWindowClass));
}

void CMainDlg::CreateListView() {
  // The id is given at creation already: the row-height request comes back to the dialog as
  // WM_MEASUREITEM, which names the control by its id alone.
  constexpr DWORD kStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | LVS_REPORT |
                           LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER;
  if (!list_.Create(hwnd(), RECT{}, kStyle, 0, kListViewId)) return;
  list_.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = Scale(440);
  column.pszText = const_cast<wchar_t*>(L"文件/文件夹路径");
  list_.SendMessage(LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  LayOutList();
  ::SetWindowLongPtrW(list_.hwnd(), GWLP_ID, kListViewId);
  ::ShowWindow(list_.hwnd(), SW_SHOW);
}

void CMainDlg::LayOutList() {
  RECT rect{};
  ::GetClientRect(hwnd(), &rect);
  rect.left += Scale(1);
  rect.top += Scale(50);
  rect.right -= Scale(2);
  rect.bottom -= Scale(51);
  ::MoveWindow(list_.hwnd(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               TRUE);
  list_.SetDpi(dpi());
  list_.SendMessage(LVM_SETCOLUMNWIDTH, 0, Scale(440));
  list_.SetRowHeight(Scale(30));
}

void CMainDlg::SetIcons(UINT dpi) {
  HINSTANCE instance = win::CurrentModule();
  auto load = [&](int width, int height) {
    return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_STASHLY), IMAGE_ICON,
                                           win::SystemMetricForDpi(width, dpi),
                                           win::SystemMetricForDpi(height, dpi), 0));
  };
  win::UniqueIcon big(load(SM_CXICON, SM_CYICON));
  win::UniqueIcon little(load(SM_CXSMICON, SM_CYSMICON));
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little.get()));
  // The window lets go of the old ones before they are destroyed.
  bigIcon_ = std::move(big);
  smallIcon_ = std::move(little);
}

LRESULT CMainDlg::OnInitDialog(WPARAM wParam, LPARAM lParam) {
  CenterWindow();
  SetDraggable(true);
  SetIcons(win::WindowDpi(hwnd()));
  LoadSkin(L"config\\main.xml");
  ::RegisterHotKey(hwnd(), HOTKEY_SHOW, MOD_ALT | MOD_SHIFT, 0);
  CreateListView();
  list_.SetOpenInPlace([this](const std::wstring& path) { return jump_.Open(path); });
  SetUpKeyboard();
  // The window had the focus before its list was there.
  if (::GetFocus() == hwnd()) ::SetFocus(list_.hwnd());
  dropTarget_.Register(hwnd(), [this](std::vector<std::wstring> names) {
    dropped_.insert(dropped_.end(), names.begin(), names.end());
    PostMessage(WM_ADD_DROPPED, 0, 0);
  });
  SetWindowAlpha(hwnd(), kWindowAlpha);
  DWORD autohide = 0;
  if (ReadSettingDword(kAutoHideValue, autohide))
    autoHide_ = static_cast<int>(autohide);
  else
    WriteSettingDword(kAutoHideValue, static_cast<DWORD>(autoHide_));
  ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE,
                      ::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
  // The update check and the usage report wait for the first paint: a timer's message comes only
  // once nothing is left to paint, so their libraries do not load ahead of it.
  ::SetTimer(hwnd(), kStartJobsTimer, 0, nullptr);
  LRESULT result = 0;
  CXEasyDialog::HandleMessage(WM_INITDIALOG, wParam, lParam, result);
  return result;
}

void CMainDlg::SetUpKeyboard() {
  std::vector<HWND> order{list_.hwnd()};
  for (UINT id : {UINT{ID_ADD_FOLDER}, UINT{ID_DELETE_SELECTED}, UINT{ID_SETTINGS}, UINT{IDOK}})
    order.push_back(::GetDlgItem(hwnd(), static_cast<int>(id)));
  order.push_back(::GetDlgItem(hwnd(), kCloseCommand));
  for (HWND control : order) {
    if (!control) continue;
    ::SetWindowLongW(control, GWL_STYLE, ::GetWindowLongW(control, GWL_STYLE) | WS_TABSTOP);
    // Each one after the ones before it: tab order is z-order.
    ::SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
  }
}

void CMainDlg::OnKillFocus(HWND focus) {
  if (HidesOnKillFocus(IsOwnControl(focus), subDialogOpen_ != 0, autoHide_ != 0))
    ::ShowWindow(hwnd(), SW_HIDE);
}

void CMainDlg::OnActivate(UINT state, HWND activated) {
  if (HidesOnActivate(IsOwnControl(activated), state, subDialogOpen_ != 0, autoHide_ != 0))
    ::ShowWindow(hwnd(), SW_HIDE);
}

void CMainDlg::OnCopyData(const COPYDATASTRUCT* data) {
  if (data && data->dwData == COPYDATA_FAVORITES_CHANGED && list_.hwnd()) list_.LoadFavorites();
}

void CMainDlg::AddFolder() {
  // The browser has no owner, so the window still takes commands while it is open: a second
  // browser inside the first would re-arm the auto-hide when it returns.
  if (subDialogOpen_) return;
  SubDialogScope open(*this);
  wchar_t path[MAX_PATH] = {};
  BROWSEINFOW browse{};
  browse.pszDisplayName = path;
  browse.lpszTitle = L"选择路径";
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  win::UniquePidl chosen(::SHBrowseForFolderW(&browse));
  if (chosen && ::SHGetPathFromIDListW(chosen.get(), path) && path[0] && ::PathFileExistsW(path))
    ReportNotStored(list_.AddFavorite(path));
}

void CMainDlg::Tell(const std::wstring& text, const wchar_t* caption) {
  if (text.empty()) return;
  {
    SubDialogScope open(*this);
    telling_ = true;
    ::MessageBoxW(hwnd(), text.c_str(), caption, MB_OK | MB_ICONWARNING);
    telling_ = false;
  }
  if (list_.HasNotice()) PostMessage(WM_FAVORITES_NOTICE, 0, 0);
}

void CMainDlg::ReportNotStored(StoreResult result) {
  if (result) return;
  // What the reload after the failure found goes in the same box.
  std::wstring text = std::wstring(L"收藏夹文件无法写入，这次的更改没有保存。\n") +
                      StoreErrorText(result.error());
  if (const std::wstring more = list_.TakeNotice(); !more.empty()) text += L"\n\n" + more;
  Tell(text, L"保存失败");
  // Whatever held the file may have let go meanwhile: show it as it is now.
  list_.LoadFavorites();
}

void CMainDlg::DeleteSelected() {
  std::vector<size_t> selected;
  for (int i = list_.GetNextSelected(-1); i != -1; i = list_.GetNextSelected(i))
    selected.push_back(static_cast<size_t>(i));
  ReportNotStored(list_.DeleteFavorites(selected));
}

void CMainDlg::MoveSelected(bool down) {
  ReportNotStored(list_.MoveSelected(down));
}

void CMainDlg::AddDropped() {
  std::vector<std::wstring> names = std::move(dropped_);
  dropped_.clear();
  if (!names.empty()) ReportNotStored(list_.AddFavorites(names));
}

void CMainDlg::OpenSettings() {
  SubDialogScope open(*this);
  CSetDlg dialog;
  if (dialog.RunModal(hwnd()) == IDOK) {
    DWORD autohide = 0;
    if (ReadSettingDword(kAutoHideValue, autohide)) autoHide_ = static_cast<int>(autohide);
  }
}

void CMainDlg::Close() {
  DWORD exitWhenClose = 0;
  if (ReadSettingDword(kExitWhenCloseValue, exitWhenClose)) {
    if (exitWhenClose)
      Exit(2);
    else
      AutoHideLater();
    return;
  }
  INT_PTR answer = 0;
  int choice = 0;
  {
    SubDialogScope open(*this);
    CCloseConfirmDlg dialog;
    answer = dialog.RunModal(::GetActiveWindow());
    choice = dialog.result();
  }
  if (answer != IDOK) return;
  if (choice == CCloseConfirmDlg::kResultExit)
    Exit(2);
  else if (choice == CCloseConfirmDlg::kResultHide)
    AutoHideLater();
}

void CMainDlg::Exit(int code) {
  DestroyWindow();
  ::PostQuitMessage(code);
}

bool CMainDlg::OnCommand(UINT id) {
  switch (id) {
    case IDOK:
      Exit(1);
      return true;
    case IDCANCEL:
      Close();
      return true;
    case ID_ADD_FOLDER:
      AddFolder();
      return true;
    case ID_DELETE_SELECTED:
      DeleteSelected();
      return true;
    case ID_SETTINGS:
      OpenSettings();
      return true;
    case ID_MOVE_SELECTED_UP:
    case ID_MOVE_SELECTED_DOWN:
      MoveSelected(id == ID_MOVE_SELECTED_DOWN);
      return true;
  }
  return false;
}

bool CMainDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG:
      result = OnInitDialog(wParam, lParam);
      return true;
    case WM_DESTROY:
      ::UnregisterHotKey(hwnd(), HOTKEY_SHOW);
      dropTarget_.Revoke();
      result = 0;
      return true;
    case WM_HOTKEY:
      if (wParam == HOTKEY_SHOW) {
        jump_.Remember(::GetForegroundWindow(), hwnd());
        ::ShowWindow(hwnd(), SW_SHOW);
      }
      result = 0;
      return true;
    case WM_SETFOCUS:
      // The keys go to the list whenever the window itself would get them.
      if (list_.hwnd()) ::SetFocus(list_.hwnd());
      result = 0;
      return true;
    case WM_KILLFOCUS:
      OnKillFocus(reinterpret_cast<HWND>(wParam));
      result = 0;
      return true;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
      result = 0;
      return true;
    case WM_SHOWWINDOW:
      if (wParam) {
        // Brought back (the hot key, a second start): where from, before this comes in front.
        jump_.Remember(::GetForegroundWindow(), hwnd());
        // A change notice may have gone astray while the window was away.
        if (list_.hwnd()) list_.LoadFavoritesIfChanged();
        ::SetForegroundWindow(hwnd());
      }
      result = 0;
      return true;
    case WM_FAVORITES_NOTICE:
      if (!telling_) Tell(list_.TakeNotice(), L"收藏夹文件");
      result = 0;
      return true;
    case WM_COPYDATA:
      OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      result = 0;
      return true;
    case WM_ADD_DROPPED:
      AddDropped();
      result = 0;
      return true;
    case WM_TIMER:
      if (wParam != kStartJobsTimer) break;
      ::KillTimer(hwnd(), kStartJobsTimer);
      StartUpdateCheck(hwnd());
      PostMessage(WM_REPORT_USAGE, 0, 0);
      result = 0;
      return true;
    case WM_REPORT_USAGE:
      // Once per start: any program can post this message, and a start is reported only once.
      if (!usageReported_ && UsageReportWanted()) ReportUsage(UsageReportBase());
      usageReported_ = true;
      result = 0;
      return true;
    case WM_DPICHANGED:
      // The skin first, then what the main window lays out itself.
      CXEasyDialog::HandleMessage(message, wParam, lParam, result);
      SetIcons(dpi());
      if (list_.hwnd()) LayOutList();
      result = 0;
      return true;
  }
  return CXEasyDialog::HandleMessage(message, wParam, lParam, result);
}

}  // namespace stashly
