#include "update/hyperlink.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "update/update_logic.h"
#include "win/gdi.h"

namespace renova {
namespace {

constexpr wchar_t kBrowserSettings[] = L"Software\\Microsoft\\Internet Explorer\\Settings";

// A link colour the user set for the browser ("r,g,b"), or `fallback`.
COLORREF BrowserColor(const wchar_t* value, COLORREF fallback) {
  wchar_t text[64] = {};
  DWORD type = 0;
  DWORD size = sizeof text - sizeof(wchar_t);
  if (::SHGetValueW(HKEY_CURRENT_USER, kBrowserSettings, value, &type, text, &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return fallback;
  return ParseLinkColor(text).value_or(fallback);
}

}  // namespace

bool CHyperLink::Attach(HWND control, const std::wstring& address) {
  if (!control || !Subclass(control)) return false;
  address_ = address;
  linkColor_ = BrowserColor(L"Anchor Color", RGB(0, 0, 255));
  visitedColor_ = BrowserColor(L"Anchor Color Visited", RGB(128, 0, 128));
  ::SetWindowTextW(control, address_.c_str());

  LOGFONTW underlined{};
  if (HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))) {
    ::GetObjectW(font, sizeof underlined, &underlined);
    underlined.lfUnderline = TRUE;
    font_.reset(::CreateFontIndirectW(&underlined));
  }

  tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, ::GetParent(control),
                               nullptr, win::CurrentModule(), nullptr);
  if (tooltip_) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = ::GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = address_.data();
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  ::InvalidateRect(control, nullptr, TRUE);
  return true;
}

void CHyperLink::Open() {
  ::ShellExecuteW(nullptr, L"open", address_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  visited_ = true;
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void CHyperLink::Paint() {
  win::PaintScope paint(hwnd());
  if (!paint.dc()) return;
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  // The dialog's own background for static text, whatever it is.
  auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(hwnd()), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(paint.dc()),
                                                       reinterpret_cast<LPARAM>(hwnd())));
  ::FillRect(paint.dc(), &client, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
  win::ScopedSelectObject font(paint.dc(), font_.get());
  ::SetBkMode(paint.dc(), TRANSPARENT);
  ::SetTextColor(paint.dc(), visited_ ? visitedColor_ : linkColor_);
  ::DrawTextW(paint.dc(), address_.c_str(), static_cast<int>(address_.size()), &client,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

bool CHyperLink::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_PAINT:
      Paint();
      result = 0;
      return true;
    case WM_NCHITTEST:  // a static text lets the mouse through to its parent otherwise
      result = HTCLIENT;
      return true;
    case WM_SETCURSOR:
      ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
      result = TRUE;
      return true;
    case WM_LBUTTONUP:
      Open();
      result = 0;
      return true;
  }
  return Window::HandleMessage(message, wParam, lParam, result);
}

}  // namespace renova
