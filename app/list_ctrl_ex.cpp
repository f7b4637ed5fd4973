#include "app/list_ctrl_ex.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/command_ids.h"
#include "app/window_rules.h"
#include "win/dpi.h"
#include "win/gdi.h"

namespace stashly {
namespace {

// Posted by the existence checks when what they know has changed.
constexpr UINT WM_PRESENCE_CHANGED = WM_APP + 1;
constexpr UINT_PTR kTipTimer = 1;
// A path on a share that does not answer is drawn as if it were there after this long.
constexpr std::chrono::milliseconds kPresenceTimeout{2000};

// Runs on a worker thread. No message box for a drive without a medium.
Presence ProbePath(const std::wstring& path) {
  DWORD previous = 0;
  ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  const DWORD error = ::GetLastError();
  ::SetThreadErrorMode(previous, nullptr);
  if (attributes != INVALID_FILE_ATTRIBUTES)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Presence::kFolder : Presence::kFile;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return Presence::kMissing;
    default:
      return Presence::kUnknown;  // there, but not for us to look at (access denied): as it was
  }
}

bool KeyDown(int key) {
  return (::GetKeyState(key) & 0x8000) != 0;
}

}  // namespace

win::UniqueIcon ShellIconOf(const wchar_t* path, Presence presence, int size) {
  SHFILEINFOW info{};
  const UINT flags = SHGFI_ICON | SHGFI_USEFILEATTRIBUTES |
                     (size <= ::GetSystemMetrics(SM_CXSMICON) ? SHGFI_SMALLICON : SHGFI_LARGEICON);
  if (presence == Presence::kFolder) {
    ::SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info), flags);
  } else {
    // A name without an extension gets the shell's icon for files of no known type.
    ::SHGetFileInfoW(presence == Presence::kMissing ? L"file" : path, FILE_ATTRIBUTE_NORMAL, &info,
                     sizeof(info), flags);
  }
  return win::UniqueIcon(info.hIcon);
}

CListCtrlEx::CListCtrlEx()
    : presence_(
          ProbePath, [this] { ::PostMessageW(hwnd(), WM_PRESENCE_CHANGED, 0, 0); },
          kPresenceTimeout) {}

win::WindowClass CListCtrlEx::GetWindowClass() const {
  win::WindowClass spec;
  spec.name = L"StashlyListCtrlEx";
  spec.superclass = WC_LISTVIEWW;
  return spec;
}

void CListCtrlEx::SetRowHeight(int height) {
  rowHeight_ = height;
  RECT rect{};
  ::GetWindowRect(hwnd(), &rect);
  WINDOWPOS pos{};
  pos.hwnd = hwnd();
  pos.cx = rect.right - rect.left;
  pos.cy = rect.bottom - rect.top;
  pos.flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

void CListCtrlEx::SetDpi(UINT dpi) {
  dpi_ = dpi;
  iconSize_ = win::SystemMetricForDpi(SM_CXSMICON, dpi);
  const LOGFONTW logFont = win::MessageFontForDpi(dpi);
  // Whoever draws with the old font lets go of it before it is deleted.
  win::UniqueFont font(::CreateFontIndirectW(&logFont));
  if (!font) return;
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  if (tip_) ::SendMessageW(tip_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  font_ = std::move(font);
}

int CListCtrlEx::GetItemCount() const {
  return static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
}

std::wstring CListCtrlEx::GetItemText(int index, int column) const {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    auto length = static_cast<size_t>(
        SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    // A text that filled the buffer may have been cut: ask again with more room.
    if (length + 1 < buffer.size() || buffer.size() >= 32768)
      return std::wstring(buffer.data(), std::min(length, buffer.size() - 1));
    buffer.resize(buffer.size() * 4);
  }
}

int CListCtrlEx::InsertItem(int index, const wchar_t* text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text);
  return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int CListCtrlEx::GetNextSelected(int after) const {
  return static_cast<int>(
      SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(after), MAKELPARAM(LVNI_SELECTED, 0)));
}

void CListCtrlEx::ShowFavorites() {
  HideTip();
  std::vector<std::wstring> paths;
  paths.reserve(favorites_.size());
  for (size_t i = 0; i < favorites_.size(); ++i) paths.emplace_back(favorites_[i]);
  presence_.Refresh(std::move(paths));
  SendMessage(LVM_DELETEALLITEMS);
  // One repaint for the whole list instead of one per item.
  SendMessage(WM_SETREDRAW, FALSE);
  SendMessage(LVM_SETITEMCOUNT, favorites_.size());
  for (size_t i = 0; i < favorites_.size(); ++i)
    InsertItem(static_cast<int>(i), favorites_.c_str(i));
  SendMessage(WM_SETREDRAW, TRUE);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

std::vector<size_t> CListCtrlEx::Selected() const {
  std::vector<size_t> selected;
  for (int i = GetNextSelected(-1); i != -1; i = GetNextSelected(i))
    selected.push_back(static_cast<size_t>(i));
  return selected;
}

void CListCtrlEx::SelectRows(const std::vector<bool>& rows, int focused) {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  for (size_t i = 0; i < rows.size() && i < favorites_.size(); ++i) {
    if (!rows[i] && static_cast<int>(i) != focused) continue;
    state.state = (rows[i] ? LVIS_SELECTED : 0) | (static_cast<int>(i) == focused ? LVIS_FOCUSED : 0);
    SendMessage(LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
  }
}

template <typename Load>
void CListCtrlEx::Reload(Load load) {
  const std::vector<size_t> selected = Selected();
  const int focusedRow = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                      MAKELPARAM(LVNI_FOCUSED, 0)));
  // The records as the user saw them, to find the same ones in the file as it is now.
  const RecordList seen = selected.empty() && focusedRow < 0 ? RecordList() : favorites_.records();
  load();
  ShowFavorites();
  CollectNotice();
  if (seen.empty()) return;
  int focused = -1;
  if (focusedRow >= 0) {
    const size_t row[] = {static_cast<size_t>(focusedRow)};
    const std::vector<bool> found = FindChosen(favorites_.records(), seen, row);
    focused = static_cast<int>(std::find(found.begin(), found.end(), true) - found.begin());
  }
  SelectRows(FindChosen(favorites_.records(), seen, selected), focused);
}

void CListCtrlEx::LoadFavorites() {
  Reload([this] { favorites_.Load(); });
}

void CListCtrlEx::LoadFavoritesIfChanged() {
  if (favorites_.ChangedSinceLoad()) LoadFavorites();
}

void CListCtrlEx::CollectNotice() {
  const ReadResult trouble = favorites_.trouble();
  if (trouble != toldTrouble_ && trouble == ReadResult::kUnreadable)
    notice_ = L"收藏夹文件暂时无法读取（可能正被其他程序占用），列表保持原样。";
  else if (trouble != toldTrouble_ && trouble == ReadResult::kTooLarge)
    notice_ = L"收藏夹文件太大（超过 32 MB 或 10 万条），没有载入；文件保持原样。";
  toldTrouble_ = trouble;
  if (favorites_.TakeNewDamagedCopy()) {
    if (!notice_.empty()) notice_ += L"\n\n";
    notice_ += L"收藏夹文件中有无法完整读取的内容。修改之前，原文件已另存为：\n" +
               DamagedCopyPath(favorites_.path());
  }
  if (!notice_.empty()) ::PostMessageW(::GetParent(hwnd()), WM_FAVORITES_NOTICE, 0, 0);
}

std::wstring CListCtrlEx::TakeNotice() {
  return std::exchange(notice_, std::wstring());
}

StoreResult CListCtrlEx::AddFavorite(const std::wstring& path) {
  return AddFavorites(std::span<const std::wstring>(&path, 1));
}

StoreResult CListCtrlEx::DeleteFavorites(std::span<const size_t> indices) {
  StoreResult stored;
  Reload([&] { stored = favorites_.Remove(indices); });
  return stored;
}

StoreResult CListCtrlEx::AddFavorites(std::span<const std::wstring> paths) {
  StoreResult stored;
  Reload([&] { stored = favorites_.Append(paths); });
  return stored;
}

StoreResult CListCtrlEx::MoveSelected(bool down) {
  const std::vector<size_t> selected = Selected();
  if (selected.empty()) return StoreError::kNone;
  std::vector<size_t> nowAt;
  const StoreResult stored = favorites_.Move(selected, down, nowAt);
  ShowFavorites();
  CollectNotice();
  std::vector<bool> rows(favorites_.size());
  for (size_t i : nowAt)
    if (i < rows.size()) rows[i] = true;
  const size_t lead = nowAt.empty() ? 0 : (down ? nowAt.back() : nowAt.front());
  SelectRows(rows, nowAt.empty() ? -1 : static_cast<int>(lead));
  if (!nowAt.empty() && lead < favorites_.size()) SendMessage(LVM_ENSUREVISIBLE, lead, FALSE);
  return stored;
}

void CListCtrlEx::SelectAll() {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED;
  state.state = LVIS_SELECTED;
  SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}

RECT CListCtrlEx::TextRect(int index) const {
  RECT item{};
  item.left = LVIR_BOUNDS;
  SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  RECT bounds{};
  bounds.top = 0;
  bounds.left = LVIR_BOUNDS;
  SendMessage(LVM_GETSUBITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&bounds));
  const DWORD exStyle = static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
  const int width = static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, 0));
  return win::ToRect(LayOutFirstColumn(win::FromRect<RowBox>(item), win::FromRect<RowBox>(bounds),
                                       width, (exStyle & LVS_EX_CHECKBOXES) != 0, showIcons_,
                                       iconSize_, dpi_)
                         .text);
}

SIZE CListCtrlEx::TextExtent(int index) const {
  const std::wstring_view record = favorites_[static_cast<size_t>(index)];
  win::ScopedGetDC dc(hwnd());
  win::ScopedSelectObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
  RECT measured{0, 0, 0, 0};
  ::DrawTextW(dc, record.data(), static_cast<int>(record.size()), &measured,
              DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  return SIZE{measured.right, measured.bottom};
}

bool CListCtrlEx::IsCut(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= favorites_.size()) return false;
  const RECT text = TextRect(index);
  return TextExtent(index).cx > text.right - text.left;
}

void CListCtrlEx::OnMouseMove(POINT at) {
  if (!trackingLeave_) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
    trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
  }
  LVHITTESTINFO hit{};
  hit.pt = at;
  const int item = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (item == tipItem_) return;
  HideTip();
  tipItem_ = item;
  if (item >= 0 && IsCut(item)) ::SetTimer(hwnd(), kTipTimer, ::GetDoubleClickTime(), nullptr);
}

void CListCtrlEx::ShowTip() {
  ::KillTimer(hwnd(), kTipTimer);
  if (tipItem_ < 0 || static_cast<size_t>(tipItem_) >= favorites_.size()) return;
  RECT place = TextRect(tipItem_);
  const SIZE extent = TextExtent(tipItem_);
  if (extent.cx <= place.right - place.left) return;  // it fits (the list may have changed)
  if (!tip_) {
    tip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                 nullptr, nullptr));
    if (!tip_) return;
    // In place over the cut text, in the list's font, and the pointer goes through it.
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
    tool.hwnd = hwnd();
    tool.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tip_.get(), TTM_SETMAXTIPWIDTH, 0, ::GetSystemMetrics(SM_CXSCREEN));
    ::SendMessageW(tip_.get(), WM_SETFONT, static_cast<WPARAM>(SendMessage(WM_GETFONT)), FALSE);
  }
  const std::wstring text(favorites_[static_cast<size_t>(tipItem_)]);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = hwnd();
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(tip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  // The row's text is centred in its height: the tip's text goes exactly over it.
  place.top += (place.bottom - place.top - extent.cy) / 2;
  place.bottom = place.top + extent.cy;
  ::MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&place), 2);
  ::SendMessageW(tip_.get(), TTM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&place));
  ::SendMessageW(tip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(place.left, place.top));
  ::SendMessageW(tip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void CListCtrlEx::HideTip() {
  ::KillTimer(hwnd(), kTipTimer);
  tipItem_ = -1;
  if (!tip_) return;
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = hwnd();
  ::SendMessageW(tip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

bool CListCtrlEx::OnKeyDown(UINT key) {
  HideTip();
  switch (key) {
    case VK_RETURN:
      OpenEntry(static_cast<int>(
          SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0))));
      return true;
    case VK_DELETE:
      // The main window's own command, so that a failed write is reported the same way.
      ::SendMessageW(::GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(ID_DELETE_SELECTED, 0), 0);
      return true;
    case VK_TAB:
      return win::FocusNextTabStop(hwnd());
    case 'A':
      if (!KeyDown(VK_CONTROL)) return false;
      SelectAll();
      return true;
  }
  return false;
}

void CListCtrlEx::DrawRow(const DRAWITEMSTRUCT& draw) {
  HDC dc = draw.hDC;
  int saved = ::SaveDC(dc);
  // The list view hands over an opaque white text background, which would blot out the text
  // of a selected row.
  ::SetBkMode(dc, TRANSPARENT);
  DWORD exStyle = static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
  RECT itemRect = draw.rcItem;
  if (exStyle & LVS_EX_GRIDLINES) {
    win::UniqueBrush grid(::CreateSolidBrush(kGridLineColor));
    ::FrameRect(dc, &itemRect, grid.get());
  }
  bool selected = (draw.itemState & ODS_SELECTED) != 0;
  RECT fill = itemRect;
  fill.bottom -= 1;
  {
    COLORREF color =
        selected ? kSelectedRowColor : static_cast<COLORREF>(SendMessage(LVM_GETBKCOLOR));
    win::UniqueBrush background(::CreateSolidBrush(color));
    ::FillRect(dc, &fill, background.get());
  }
  int index = static_cast<int>(draw.itemID);
  const bool isListed = index >= 0 && static_cast<size_t>(index) < favorites_.size();
  const Presence presence =
      isListed ? presence_.Get(favorites_[static_cast<size_t>(index)]) : Presence::kUnknown;
  COLORREF textColor = presence == Presence::kMissing ? kMissingTextColor : RGB(0, 0, 0);
  COLORREF oldText = ::SetTextColor(dc, selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : textColor);
  HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
  int columns = header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  for (int i = 0; i < columns; ++i) {
    // Column 0 is the record itself, from the model, whatever its length. A copy: the shell's
    // icon lookup below may let a change notice in, whose reload replaces the model's records.
    const bool isRecord = i == 0 && isListed;
    const std::wstring text =
        isRecord ? std::wstring(favorites_[static_cast<size_t>(index)]) : GetItemText(index, i);
    RECT bounds{};
    bounds.top = i;
    bounds.left = LVIR_BOUNDS;
    SendMessage(LVM_GETSUBITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&bounds));
    if (i != 0) {
      bounds.left += 5;
    } else {
      win::UniqueIcon icon;
      if (showIcons_ && isRecord) icon = ShellIconOf(text.c_str(), presence, iconSize_);
      int width = static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, 0));
      RowLayout layout =
          LayOutFirstColumn(win::FromRect<RowBox>(itemRect), win::FromRect<RowBox>(bounds), width,
                            (exStyle & LVS_EX_CHECKBOXES) != 0, bool(icon), iconSize_, dpi_);
      if (icon)
        ::DrawIconEx(dc, layout.iconLeft, layout.iconTop, icon.get(), iconSize_, iconSize_, 0,
                     nullptr, DI_NORMAL);
      bounds = win::ToRect(layout.text);
    }
    // DT_NOPREFIX: a path is shown as it is, '&' included.
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds,
                DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  ::SetTextColor(dc, oldText);
  ::RestoreDC(dc, saved);
}

void CListCtrlEx::OpenEntry(int index) {
  if (index < 0 || static_cast<size_t>(index) >= favorites_.size()) return;
  const wchar_t* path = favorites_.c_str(static_cast<size_t>(index));
  if (!path[0] || !::PathFileExistsW(path)) return;
  if (!openInPlace_ || !openInPlace_(path))
    ::ShellExecuteW(nullptr, L"open", path, nullptr, nullptr, SW_SHOW);
  ::ShowWindow(::GetParent(hwnd()), SW_HIDE);
}

bool CListCtrlEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_SHOWWINDOW:
      if (wParam) LoadFavorites();
      result = 0;
      return true;
    case win::OCM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (measure && measure->CtlType == ODT_LISTVIEW && rowHeight_ != -1)
        measure->itemHeight = static_cast<UINT>(rowHeight_);
      result = 0;
      return true;
    }
    case win::OCM_DRAWITEM:
      if (lParam) DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      result = 0;
      return true;
    case WM_MOUSEMOVE:
      // The list view itself never sees the pointer move: no hot tracking, no drag of rows.
      OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      result = 0;
      return true;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      HideTip();
      break;
    case WM_TIMER:
      if (wParam != kTipTimer) break;
      ShowTip();
      result = 0;
      return true;
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
    case WM_KILLFOCUS:
      HideTip();
      break;
    case WM_KEYDOWN:
      if (!OnKeyDown(static_cast<UINT>(wParam))) break;
      result = 0;
      return true;
    case WM_SYSKEYDOWN:
      // Alt+Up and Alt+Down move the selected entries.
      if (wParam != VK_UP && wParam != VK_DOWN) break;
      HideTip();
      ::SendMessageW(::GetParent(hwnd()), WM_COMMAND,
                     MAKEWPARAM(wParam == VK_DOWN ? ID_MOVE_SELECTED_DOWN : ID_MOVE_SELECTED_UP, 0),
                     0);
      result = 0;
      return true;
    case WM_CHAR:
      // Enter and Ctrl+A have done their work as keys; the list view would search for them.
      if (wParam >= L' ') break;
      result = 0;
      return true;
    case WM_PRESENCE_CHANGED:
      presence_.TakeNotice();
      ::InvalidateRect(hwnd(), nullptr, FALSE);
      result = 0;
      return true;
    case WM_DESTROY:
      HideTip();
      tip_.reset();
      break;
    case LVM_GETITEMSTATE:
      result = 0;
      return true;
    case win::OCM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (!header) break;
      switch (header->code) {
        case NM_CLICK:
        case LVN_BEGINDRAG:
          result = 0;
          return true;
        case NM_DBLCLK:
          OpenEntry(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
          result = 0;
          return true;
      }
      break;
    }
  }
  return Window::HandleMessage(message, wParam, lParam, result);
}

}  // namespace stashly
