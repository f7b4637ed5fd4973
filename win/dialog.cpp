#include "win/dialog.h"

#include <vector>

namespace win {
namespace {

static_assert(kDsSetFont == DS_SETFONT && kDsModalFrame == DS_MODALFRAME &&
              kDsFixedSys == DS_FIXEDSYS && kWsPopup == WS_POPUP && kWsVisible == WS_VISIBLE &&
              kWsCaption == WS_CAPTION && kWsSysMenu == WS_SYSMENU);

// Messages whose answer a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
    case WM_COMPAREITEM:
    case WM_QUERYDRAGICON:
      return true;
    default:
      return IsCtlColorMessage(message);
  }
}

}  // namespace

bool RegisterDialogClass(const wchar_t* name, HICON icon) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(CurrentModule(), name, &existing)) return true;
  WNDCLASSEXW spec{};
  spec.cbSize = sizeof(spec);
  spec.style = CS_DBLCLKS | CS_SAVEBITS;
  spec.lpfnWndProc = ::DefDlgProcW;
  spec.cbWndExtra = DLGWINDOWEXTRA;
  spec.hInstance = CurrentModule();
  spec.hIcon = icon;
  spec.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  spec.lpszClassName = name;
  return ::RegisterClassExW(&spec) != 0;
}

Dialog::~Dialog() {
  if (hwnd()) ::DestroyWindow(hwnd());
}

DialogTemplate Dialog::Template() const {
  return DialogTemplate()
      .Style(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME)
      .Bounds(0, 0, 200, 100)
      .Font(8);
}

INT_PTR Dialog::RunModal(HWND owner) {
  if (hwnd()) return -1;
  std::vector<std::uint8_t> bytes = Template().Build();
  return ::DialogBoxIndirectParamW(CurrentModule(),
                                   reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), owner,
                                   &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

HWND Dialog::CreateModeless(HWND owner) {
  if (hwnd()) return nullptr;
  std::vector<std::uint8_t> bytes = Template().Build();
  return Adopt(::CreateDialogIndirectParamW(
      CurrentModule(), reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), owner,
      &Dialog::DialogProc, reinterpret_cast<LPARAM>(this)));
}

HWND Dialog::CreateModelessFromResource(HWND owner, UINT templateId) {
  if (hwnd()) return nullptr;
  return Adopt(::CreateDialogParamW(CurrentModule(), MAKEINTRESOURCEW(templateId), owner,
                                    &Dialog::DialogProc, reinterpret_cast<LPARAM>(this)));
}

HWND Dialog::Adopt(HWND hwnd) {
  if (hwnd && this->hwnd() != hwnd) {
    ::DestroyWindow(hwnd);
    return nullptr;
  }
  return hwnd;
}

INT_PTR Dialog::Route(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = this->hwnd();
  EnterMessage();
  LRESULT result = 0;
  bool handled = HandleMessage(message, wParam, lParam, result);
  if (!handled && ::IsWindow(hwnd)) {
    handled = ReflectNotification(hwnd, message, wParam, lParam, result);
    if (!handled && IsReflectedMessage(message)) {
      result = ::DefWindowProcW(hwnd, message - kReflectBase, wParam, lParam);
      handled = true;
    }
  }
  INT_PTR answer = FALSE;
  if (handled) {
    if (AnswersDirectly(message)) {
      answer = static_cast<INT_PTR>(result);
    } else {
      ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
      answer = TRUE;
    }
  } else if (message == WM_INITDIALOG) {
    answer = TRUE;  // the default: the system gives the first control the focus
  }
  if (message == WM_NCDESTROY && this->hwnd() == hwnd) {
    Unbind();
    MarkDestroyed();
  }
  LeaveMessage(hwnd);
  return answer;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<Dialog*>(BoundObject(hwnd));
  if (!self && message == WM_INITDIALOG) {
    auto* creator = reinterpret_cast<Dialog*>(lParam);
    if (creator && creator->Bind(hwnd)) {
      self = creator;
    } else {
      // Nobody could ever end it.
      ::EndDialog(hwnd, -1);
      return FALSE;
    }
  }
  return self ? self->Route(message, wParam, lParam) : FALSE;
}

}  // namespace win
