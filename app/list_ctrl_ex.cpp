#include "app/list_ctrl_ex.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "app/window_rules.h"
#include "win/gdi.h"

namespace stashly {

win::UniqueIcon ShellIconOf(const wchar_t* path) {
  SHFILEINFOW info{};
  constexpr UINT kFlags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES;
  if (::PathIsDirectoryW(path)) {
    ::SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info), kFlags);
  } else {
    ::SHGetFileInfoW(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), kFlags);
  }
  return win::UniqueIcon(info.hIcon);
}

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
  SendMessage(LVM_DELETEALLITEMS);
  // One repaint for the whole list instead of one per item.
  SendMessage(WM_SETREDRAW, FALSE);
  SendMessage(LVM_SETITEMCOUNT, favorites_.size());
  for (size_t i = 0; i < favorites_.size(); ++i)
    InsertItem(static_cast<int>(i), favorites_.c_str(i));
  SendMessage(WM_SETREDRAW, TRUE);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void CListCtrlEx::LoadFavorites() {
  favorites_.Load();
  ShowFavorites();
}

bool CListCtrlEx::AddFavorite(const std::wstring& path) {
  const bool stored = favorites_.Append(path);
  ShowFavorites();
  return stored;
}

bool CListCtrlEx::DeleteFavorites(std::span<const size_t> indices) {
  const bool stored = favorites_.Remove(indices);
  ShowFavorites();
  return stored;
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
  COLORREF oldText =
      ::SetTextColor(dc, selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
  int index = static_cast<int>(draw.itemID);
  HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
  int columns = header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  for (int i = 0; i < columns; ++i) {
    // Column 0 is the record itself, from the model, whatever its length. A copy: the shell's
    // icon lookup below may let a change notice in, whose reload replaces the model's records.
    const bool isRecord = i == 0 && index >= 0 && static_cast<size_t>(index) < favorites_.size();
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
      if (showIcons_ && isRecord) icon = ShellIconOf(text.c_str());
      int width = static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, 0));
      RowLayout layout =
          LayOutFirstColumn(win::FromRect<RowBox>(itemRect), win::FromRect<RowBox>(bounds), width,
                            (exStyle & LVS_EX_CHECKBOXES) != 0, bool(icon));
      if (icon)
        ::DrawIconEx(dc, layout.iconLeft, layout.iconTop, icon.get(), 16, 16, 0, nullptr,
                     DI_NORMAL);
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
