#include "skin/controls.h"

#include <oleacc.h>
#include <shlwapi.h>

#include "abi/image_object.h"
#include "core/ascii.h"
#include "skin/markup.h"
#include "skin/skin_layout.h"
#include "win/com_ptr.h"
#include "win/gdi.h"
#include "win/module.h"

namespace stashly {
namespace {

bool FileExists(const std::wstring& path) { return ::PathFileExistsW(path.c_str()) != FALSE; }

void Invalidate(HWND hwnd) { ::InvalidateRect(hwnd, nullptr, FALSE); }

// The system's accessible object for a standard button, answering for `hwnd` from its style,
// window text and button messages; 0 when the system has none. The accessibility library is
// loaded from the system folder only, when a tool first asks, and kept.
LRESULT StandardButtonObject(HWND hwnd, WPARAM flags) {
  using CreateProxyFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LONG, REFIID, void**);
  using ResultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  static const HMODULE oleacc =
      ::LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!oleacc) return 0;
  static const auto create = win::GetExport<CreateProxyFn>(oleacc, "CreateStdAccessibleProxyW");
  static const auto answer = win::GetExport<ResultFromObjectFn>(oleacc, "LresultFromObject");
  win::ComPtr<IAccessible> accessible;
  if (!create || !answer ||
      FAILED(create(hwnd, L"Button", OBJID_CLIENT, __uuidof(IAccessible), accessible.put_void())))
    return 0;
  return answer(__uuidof(IAccessible), flags, accessible.get());
}

}  // namespace

void PaintParentBackground(HWND child, HDC dc, const RECT& clientRect) {
  HWND parent = ::GetParent(child);
  if (!parent || !dc) return;
  POINT origin{clientRect.left, clientRect.top};
  ::MapWindowPoints(child, parent, &origin, 1);
  // The parent draws itself into our context, shifted so that its pixels under us land at
  // our client origin; this works whatever the screen shows (hidden or layered windows).
  POINT previous{};
  ::SetViewportOrgEx(dc, -origin.x + clientRect.left, -origin.y + clientRect.top, &previous);
  LRESULT drawn = ::SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  ::SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
  if (drawn) return;
  win::ScopedGetDC parentDc(parent);
  ::BitBlt(dc, clientRect.left, clientRect.top, clientRect.right - clientRect.left,
           clientRect.bottom - clientRect.top, parentDc, origin.x, origin.y, SRCCOPY);
}

void CXButtonImpl::SetImage(const std::wstring& path, int frameCount) {
  if (frameCount <= 0 || !FileExists(path)) return;
  imagePath_ = path;
  frameCount_ = frameCount;
  LoadImage(SWP_NOMOVE | SWP_SHOWWINDOW);
}

void CXButtonImpl::LoadImage(UINT sizeFlags) {
  image_ = LoadImageForDpi(imagePath_, frameCount_, dpi_);
  if (!image_ || checkStyle_) return;
  ULONGLONG size = image_->GetSize();
  int width = ImageSizeWidth(size);
  int height = ImageSizeHeight(size);
  // An image that did not decode reports 0 x 0; the button then keeps its skin size.
  if (width > 0 && height > 0) {
    SkinSize frame = ButtonSizeForImage(width, height, frameCount_);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, frame.width, frame.height, sizeFlags);
    ::GetClientRect(hwnd(), &frameRect_);
  }
}

void CXButtonImpl::Rescale(UINT dpi) {
  dpi_ = dpi;
  // The parent's surface under the button is drawn anew at the new scale.
  snapshot_.reset();
  if (captionBlock_) captionBlock_->SetDpi(dpi);
  if (!imagePath_.empty()) LoadImage(SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Invalidate(hwnd());
}

void CXButtonImpl::SetCaption(const std::wstring& text) {
  if (!HasStyleMarker(text)) {
    caption_ = text;
    return;
  }
  captionBlock_ = std::make_unique<CXStyledText>();
  captionBlock_->SetDpi(dpi_);
  captionBlock_->SetText(text);
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  captionBlock_->SetRect(client.left, client.top, client.right, client.bottom);
}

void CXButtonImpl::SetCaptionColors(COLORREF normal, bool perState, COLORREF hover,
                                    COLORREF pressed, COLORREF fourth) {
  auto colors = CaptionColors(normal, perState, hover, pressed, fourth);
  for (size_t i = 0; i < colors.size(); ++i) captionColors_[i] = colors[i];
}

SIZE CXButtonImpl::GetFrameSize() const {
  return SIZE{frameRect_.right - frameRect_.left, frameRect_.bottom - frameRect_.top};
}

LRESULT CXButtonImpl::CheckState() const {
  return checkStyle_ && checked_ ? BST_CHECKED : BST_UNCHECKED;
}

LRESULT CXButtonImpl::ButtonState() const {
  LRESULT state = CheckState();
  if (state_ == 2) state |= BST_PUSHED;
  if (state_ == 1) state |= BST_HOT;
  if (::GetFocus() == hwnd()) state |= BST_FOCUS;
  return state;
}

void CXButtonImpl::SetState(int state) {
  if (state_ == state) return;
  state_ = state;
  Invalidate(hwnd());
}

bool CXButtonImpl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_LBUTTONDOWN:
      pressed_ = 1;
      SetState(2);
      result = 0;
      return true;
    case WM_LBUTTONUP:
      if (pressed_) Click();
      pressed_ = 0;
      SetState(1);
      result = 0;
      return true;
    case WM_GETDLGCODE: {
      // Enter clicks a focused button rather than the dialog's default one.
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      result = DLGC_BUTTON | (checkStyle_ ? 0 : DLGC_UNDEFPUSHBUTTON);
      if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) result |= DLGC_WANTMESSAGE;
      return true;
    }
    case BM_GETCHECK:
      result = CheckState();
      return true;
    case BM_GETSTATE:
      result = ButtonState();
      return true;
    case WM_GETOBJECT:
      if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) break;
      result = StandardButtonObject(hwnd(), wParam);
      if (!result) break;
      return true;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE || wParam == VK_RETURN) {
        Click();
      } else if (wParam != VK_TAB || !win::FocusNextTabStop(hwnd())) {
        break;
      }
      result = 0;
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate(hwnd());
      result = 0;
      return true;
    case WM_PAINT:
      Paint();
      result = 0;
      return true;
    case WM_PRINTCLIENT:
      PaintTo(reinterpret_cast<HDC>(wParam));
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
        ::TrackMouseEvent(&track);
        tracking_ = 1;
      }
      if (!pressed_) SetState(1);
      result = 0;
      return true;
    case WM_MOUSELEAVE: {
      tracking_ = 0;
      pressed_ = 0;
      SetState(0);
      POINT cursor{};
      ::GetCursorPos(&cursor);
      ::PostMessageW(::GetParent(hwnd()), WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
      result = 0;
      return true;
    }
  }
  return Window::HandleMessage(message, wParam, lParam, result);
}

void CXButtonImpl::Click() {
  // lParam 0, not our handle: the dialog takes it as a command, not a notification.
  ::PostMessageW(::GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd()), 0), 0);
  checked_ = !checked_;
  PostMessage(XRM_SETCHECK, 1, 0);
  Invalidate(hwnd());
}

void CXButtonImpl::Paint() {
  win::PaintScope paint(hwnd());
  // A WM_PAINT for the internal-paint flag alone has nothing to update.
  if (paint.dc() && !::IsRectEmpty(&paint.paintRect())) PaintTo(paint.dc());
}

void CXButtonImpl::PaintTo(HDC target) {
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  win::DoubleBuffer buffer(target, client);
  HDC dc = buffer.dc();

  if (!snapshot_ && width > 0 && height > 0) {
    snapshot_.reset(::CreateCompatibleBitmap(target, width, height));
    win::UniqueDc snapshotDc(::CreateCompatibleDC(target));
    if (snapshot_ && snapshotDc) {
      win::ScopedSelectObject select(snapshotDc.get(), snapshot_.get());
      PaintParentBackground(hwnd(), snapshotDc.get(), client);
    }
  }
  if (snapshot_) {
    win::UniqueDc snapshotDc(::CreateCompatibleDC(target));
    win::ScopedSelectObject select(snapshotDc.get(), snapshot_.get());
    ::BitBlt(dc, 0, 0, width, height, snapshotDc.get(), 0, 0, SRCCOPY);
  }

  if (image_) {
    ULONGLONG size = image_->GetSize();
    const int imageWidth = ImageSizeWidth(size);
    const int imageHeight = ImageSizeHeight(size);
    StripSource source = StripSourceFor(imageWidth, frameCount_, state_, checkStyle_ != 0,
                                        checked_ != 0);
    image_->DrawPart(dc, client.left, client.top, client.right, client.bottom, 0, 0, source.left,
                     source.width, 0, imageHeight, 100);
    if (source.overlayLeft)
      image_->DrawPart(dc, client.left, client.top, client.right, client.bottom, 0, 0,
                       *source.overlayLeft, source.width, 0, imageHeight, 100);
  }

  RECT caption =
      win::ToRect(CaptionRect(win::FromRect<SkinRect>(client), ScaleToDpi(textOffsetX_, dpi_),
                              ScaleToDpi(textOffsetY_, dpi_)));
  UINT format = CaptionFormat(textAlign_);
  if (captionBlock_) {
    captionBlock_->SetRect(caption.left, caption.top, caption.right, caption.bottom);
    captionBlock_->Draw(dc, format);
  } else if (!caption_.empty()) {
    DrawTextRun(dc, caption_, caption, captionColors_[state_ & 3], format, 0, nullptr, dpi_);
  }
  // Only a tab stop shows the focus: the keyboard brought it there.
  const bool tabStop = (::GetWindowLongW(hwnd(), GWL_STYLE) & WS_TABSTOP) != 0;
  const int inset = ScaleToDpi(2, dpi_);
  if (tabStop && ::GetFocus() == hwnd() && width > 2 * inset && height > 2 * inset) {
    RECT focus{client.left + inset, client.top + inset, client.right - inset,
               client.bottom - inset};
    ::DrawFocusRect(dc, &focus);
  }
}

CXCheckButton::CXCheckButton() {
  textAlign_ = 0;
  textOffsetX_ = 16;
  textOffsetY_ = -2;
  checkStyle_ = 1;
  buttonStyle_ = BS_CHECKBOX;
}

CXRadioButton::CXRadioButton() {
  textAlign_ = 0;
  textOffsetX_ = 20;
  textOffsetY_ = -2;
  checkStyle_ = 1;
  buttonStyle_ = BS_RADIOBUTTON;
}

void CXRadioButton::SetRadioId(int id) {
  radioId_ = id;
  ::SendMessageW(::GetParent(hwnd()), XWM_RADIOADD, static_cast<WPARAM>(group_),
                 static_cast<LPARAM>(id));
  ::SetWindowLongW(hwnd(), GWL_ID, id);
}

bool CXRadioButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // These values are also WM_CREATE and WM_DESTROY: at creation the answer is the (clear)
  // check, so creation goes on; at destruction the check is cleared.
  if (message == XRM_GETCHECK) {
    result = checked_;
    return true;
  }
  if (message == XRM_SETCHECK) {
    checked_ = static_cast<int>(wParam);
    if (wParam)
      ::SendMessageW(::GetParent(hwnd()), XWM_RADIOCHECKED, static_cast<WPARAM>(group_),
                     static_cast<LPARAM>(radioId_));
    result = 0;
    return true;
  }
  return CXButtonImpl::HandleMessage(message, wParam, lParam, result);
}

bool CXPngEditT::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == win::OCM_CTLCOLOREDIT) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    result = reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    return true;
  }
  return Window::HandleMessage(message, wParam, lParam, result);
}

void CXPngEdit::SetDpi(UINT dpi) {
  dpi_ = dpi;
  if (!edit_.hwnd()) return;
  const LOGFONTW logFont = DefaultGuiLogFont(dpi);
  // The edit lets go of the old font before it is deleted.
  win::UniqueFont font(::CreateFontIndirectW(&logFont));
  ::SendMessageW(edit_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  font_ = std::move(font);
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  PlaceEdit(client.right, client.bottom);
}

void CXPngEdit::PlaceEdit(int width, int height) {
  SkinRect inner = EditInnerRect(width, height, dpi_);
  ::MoveWindow(edit_.hwnd(), inner.left, inner.top, inner.Width(), inner.Height(), TRUE);
}

void CXPngEdit::SetBkImage(const std::wstring& path, int frameCount) {
  if (frameCount <= 0 || !FileExists(path)) return;
  image_ = LoadImageForDpi(path, frameCount, dpi_);
  imageRect_ = RECT{};
  if (image_) {
    ULONGLONG size = image_->GetSize();
    imageRect_ = RECT{0, 0, ImageSizeWidth(size), ImageSizeHeight(size)};
  }
}

bool CXPngEdit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_CREATE: {
      HWND edit = ::CreateWindowExW(WS_EX_TRANSPARENT, L"EDIT", L"",
                                    WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 0, 0, hwnd(),
                                    nullptr, win::CurrentModule(), nullptr);
      if (edit) {
        edit_.Subclass(edit);
        ::ShowWindow(edit, SW_SHOW);
        const LOGFONTW logFont = DefaultGuiLogFont(dpi_);
        font_.reset(::CreateFontIndirectW(&logFont));
        ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
      }
      result = 0;
      return true;
    }
    case WM_SIZE:
      if (edit_.hwnd() && lParam) PlaceEdit(LOWORD(lParam), HIWORD(lParam));
      result = 0;
      return true;
    case WM_PAINT:
      Paint();
      result = 0;
      return true;
    case WM_PRINTCLIENT:
      PaintTo(reinterpret_cast<HDC>(wParam));
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
  }
  return Window::HandleMessage(message, wParam, lParam, result);
}

void CXPngEdit::Paint() {
  win::PaintScope paint(hwnd());
  if (paint.dc()) PaintTo(paint.dc());
}

void CXPngEdit::PaintTo(HDC target) {
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  win::DoubleBuffer buffer(target, client);
  // Edits copy the parent's surface anew at every paint.
  PaintParentBackground(hwnd(), buffer.dc(), client);
  if (image_)
    image_->DrawMode2(buffer.dc(), client.left, client.top, client.right, client.bottom, 1, 0, 100);
}

void CXPictureItem::Draw(HDC dc) const {
  if (!image_) return;
  const RECT& q = rect_;
  switch (drawType_) {
    case 0:
      image_->Draw(dc, q.left, q.top, q.right, q.bottom, q.left, q.top, 100, 0);
      break;
    case 1:
      image_->DrawMode1(dc, q.left, q.top, q.right, q.bottom, 1, 0, 100);
      break;
    case 2:
      image_->DrawMode2(dc, q.left, q.top, q.right, q.bottom, 1, 0, 100);
      break;
    case 3:
      image_->DrawMode3(dc, q.left, q.top, q.right, q.bottom, 100);
      break;
    case 4:
      image_->DrawMode4(dc, q.left, q.top, q.right, q.bottom, 100);
      break;
    default:
      break;
  }
}

std::unique_ptr<CXSkinElement> CreateSkinElement(const std::wstring& kind) {
  auto is = [&kind](const wchar_t* name) { return EqualsAsciiNoCase(kind, name); };
  if (is(L"button")) return std::make_unique<CXPngButton>();
  if (is(L"radio")) return std::make_unique<CXRadioButton>();
  if (is(L"check")) return std::make_unique<CXCheckButton>();
  if (is(L"xstring")) return std::make_unique<CXStyledText>();
  if (is(L"image")) return std::make_unique<CXPictureItem>();
  if (is(L"edit")) return std::make_unique<CXPngEdit>();
  return nullptr;
}

}  // namespace stashly
