#include "win/window.h"

#include <map>
#include <string>
#include <typeinfo>

#include "win/thread.h"

namespace win {
namespace {

// The bound object, and for an adopted window its own procedure. Properties rather than
// GWLP_USERDATA, which belongs to whoever made an adopted or superclassed window. Their names
// carry the module, so that another module's copy of this code never takes our objects for its.
std::wstring PropertyName(const wchar_t* what) {
  std::wstring name = L"Stashly.win.";
  name += what;
  name += L'.';
  for (auto module = reinterpret_cast<UINT_PTR>(CurrentModule()); module; module >>= 4)
    name += L"0123456789abcdef"[module & 0xF];
  return name;
}

const wchar_t* PropertyAtom(const std::wstring& name, ATOM atom) {
  return atom ? MAKEINTATOM(atom) : name.c_str();
}

const wchar_t* ObjectProperty() {
  static const std::wstring name = PropertyName(L"Object");
  static const ATOM atom = ::GlobalAddAtomW(name.c_str());
  return PropertyAtom(name, atom);
}

const wchar_t* ProcProperty() {
  static const std::wstring name = PropertyName(L"Proc");
  static const ATOM atom = ::GlobalAddAtomW(name.c_str());
  return PropertyAtom(name, atom);
}

struct ClassEntry {
  ATOM atom = 0;
  WNDPROC original = nullptr;  // the superclassed system procedure, or null
};

class ClassRegistry {
 public:
  ~ClassRegistry() { UnregisterAll(); }

  bool Register(const std::wstring& name, const WindowClass& spec, WNDPROC proc,
                ClassEntry& entry) {
    std::lock_guard lock(mutex_);
    if (auto found = byName_.find(name); found != byName_.end()) {
      entry = found->second;
      return true;
    }
    HINSTANCE instance = CurrentModule();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (spec.superclass) {
      if (!::GetClassInfoExW(nullptr, spec.superclass, &wc) &&
          !::GetClassInfoExW(instance, spec.superclass, &wc))
        return false;
      entry.original = wc.lpfnWndProc;
      wc.cbSize = sizeof(wc);
    } else {
      wc.style = spec.style;
      wc.hCursor = spec.cursor ? spec.cursor : ::LoadCursorW(nullptr, IDC_ARROW);
      wc.hbrBackground = spec.background;
      wc.hIcon = spec.icon;
      wc.hIconSm = spec.smallIcon;
    }
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = name.c_str();
    wc.lpszMenuName = nullptr;
    // A system class registered globally must not make ours global too.
    wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    entry.atom = ::RegisterClassExW(&wc);
    if (!entry.atom) return false;
    byName_.emplace(name, entry);
    return true;
  }

  WNDPROC Original(ATOM atom) {
    std::lock_guard lock(mutex_);
    for (const auto& [name, entry] : byName_)
      if (entry.atom == atom) return entry.original;
    return nullptr;
  }

  bool UnregisterAll() {
    std::lock_guard lock(mutex_);
    bool all = true;
    for (auto it = byName_.begin(); it != byName_.end();) {
      if (::UnregisterClassW(MAKEINTATOM(it->second.atom), CurrentModule())) {
        it = byName_.erase(it);
      } else {
        all = false;
        ++it;
      }
    }
    return all;
  }

 private:
  Mutex mutex_;
  std::map<std::wstring, ClassEntry> byName_;
};

ClassRegistry& Registry() {
  static ClassRegistry registry;
  return registry;
}

// A class name from the C++ type: unique within the program, short enough for the system.
std::wstring GeneratedClassName(const std::type_info& type) {
  std::string mangled = type.name();
  std::wstring name = L"Stashly.win:";
  if (mangled.size() <= 200) {
    name.append(mangled.begin(), mangled.end());
  } else {
    for (size_t hash = type.hash_code(); hash; hash >>= 4) name += L"0123456789abcdef"[hash & 0xF];
  }
  return name;
}

// Where a child notification names the child that sent it.
enum class Sender {
  kLParam,
  kNotifyHeader,
  kParentNotify,
  kDrawItem,
  kMeasureItem,
  kCompareItem,
  kDeleteItem
};

// The child notifications reflected back to the child that sent them: these and the
// WM_CTLCOLOR* range (IsCtlColorMessage), whose sender is in lParam.
struct ChildNotification {
  UINT message;
  Sender sender;
};
constexpr ChildNotification kChildNotifications[] = {
    {WM_COMMAND, Sender::kLParam},
    {WM_NOTIFY, Sender::kNotifyHeader},
    {WM_PARENTNOTIFY, Sender::kParentNotify},
    {WM_DRAWITEM, Sender::kDrawItem},
    {WM_MEASUREITEM, Sender::kMeasureItem},
    {WM_COMPAREITEM, Sender::kCompareItem},
    {WM_DELETEITEM, Sender::kDeleteItem},
    {WM_VKEYTOITEM, Sender::kLParam},
    {WM_CHARTOITEM, Sender::kLParam},
    {WM_HSCROLL, Sender::kLParam},
    {WM_VSCROLL, Sender::kLParam},
};

const ChildNotification* FindChildNotification(UINT message) {
  static constexpr ChildNotification kCtlColor = {WM_CTLCOLORMSGBOX, Sender::kLParam};
  if (IsCtlColorMessage(message)) return &kCtlColor;
  for (const ChildNotification& entry : kChildNotifications)
    if (entry.message == message) return &entry;
  return nullptr;
}

// The child that a notification came from, or null when the message is no child notification.
HWND NotifyingChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
  const ChildNotification* notification = FindChildNotification(message);
  if (!notification) return nullptr;
  switch (notification->sender) {
    case Sender::kLParam:
      return reinterpret_cast<HWND>(lParam);
    case Sender::kNotifyHeader:
      return lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    case Sender::kParentNotify:
      if (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY)
        return reinterpret_cast<HWND>(lParam);
      return nullptr;
    case Sender::kDrawItem: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      return item && item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
    }
    case Sender::kMeasureItem: {
      const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
      return item && item->CtlType != ODT_MENU && item->CtlID
                 ? ::GetDlgItem(parent, static_cast<int>(item->CtlID))
                 : nullptr;
    }
    case Sender::kCompareItem: {
      const auto* item = reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam);
      return item ? item->hwndItem : nullptr;
    }
    case Sender::kDeleteItem: {
      const auto* item = reinterpret_cast<const DELETEITEMSTRUCT*>(lParam);
      return item ? item->hwndItem : nullptr;
    }
  }
  return nullptr;
}

}  // namespace

bool IsReflectedMessage(UINT message) {
  return message >= kReflectBase && FindChildNotification(message - kReflectBase) != nullptr;
}

bool ReflectNotification(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND child = NotifyingChild(parent, message, wParam, lParam);
  if (!child || child == parent || !::IsChild(parent, child)) return false;
  if (!WindowBase::FromHandle(child)) return false;
  result = ::SendMessageW(child, Reflected(message), wParam, lParam);
  return true;
}

bool CenterWindow(HWND hwnd, HWND center) {
  if (!::IsWindow(hwnd)) return false;
  RECT window;
  if (!::GetWindowRect(hwnd, &window)) return false;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;

  RECT area;    // what to centre over
  RECT bounds;  // what to stay inside
  HWND parent = (::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(hwnd) : nullptr;
  if (parent) {
    ::GetClientRect(parent, &bounds);
    area = bounds;
    if (center && center != parent && ::GetWindowRect(center, &area))
      ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
  } else {
    if (!center) center = ::GetWindow(hwnd, GW_OWNER);
    if (center && (!::IsWindowVisible(center) || ::IsIconic(center))) center = nullptr;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(::MonitorFromWindow(center ? center : hwnd, MONITOR_DEFAULTTONEAREST),
                           &info))
      return false;
    bounds = info.rcWork;
    if (!center || !::GetWindowRect(center, &area)) area = bounds;
  }

  int x = area.left + ((area.right - area.left) - width) / 2;
  int y = area.top + ((area.bottom - area.top) - height) / 2;
  if (x + width > bounds.right) x = bounds.right - width;
  if (x < bounds.left) x = bounds.left;
  if (y + height > bounds.bottom) y = bounds.bottom - height;
  if (y < bounds.top) y = bounds.top;
  return ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) !=
         FALSE;
}

HINSTANCE CurrentModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<const wchar_t*>(&CurrentModule), &module);
  return module;
}

bool FocusNextTabStop(HWND child) {
  const bool backwards = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
  HWND next = ::GetNextDlgTabItem(::GetParent(child), child, backwards);
  if (!next || next == child) return false;
  ::SetFocus(next);
  return true;
}

bool UnregisterWindowClasses() {
  return Registry().UnregisterAll();
}

WindowBase::~WindowBase() {
  Unbind();
}

WindowBase* WindowBase::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  DWORD process = 0;
  // Properties can be read across processes; a pointer from another one means nothing here.
  if (!::GetWindowThreadProcessId(hwnd, &process) || process != ::GetCurrentProcessId())
    return nullptr;
  return BoundObject(hwnd);
}

WindowBase* WindowBase::BoundObject(HWND hwnd) {
  return static_cast<WindowBase*>(::GetPropW(hwnd, ObjectProperty()));
}

bool WindowBase::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) {
  return false;
}

void WindowBase::OnFinalMessage(HWND) {}

bool WindowBase::Bind(HWND hwnd) {
  if (hwnd_ || !hwnd || BoundObject(hwnd)) return false;
  if (!::SetPropW(hwnd, ObjectProperty(), this)) return false;
  hwnd_ = hwnd;
  return true;
}

void WindowBase::Unbind() {
  if (!hwnd_) return;
  if (BoundObject(hwnd_) == this) ::RemovePropW(hwnd_, ObjectProperty());
  hwnd_ = nullptr;
}

void WindowBase::LeaveMessage(HWND hwnd) {
  if (--depth_ == 0 && destroyed_) {
    destroyed_ = false;
    OnFinalMessage(hwnd);
  }
}

Window::~Window() {
  if (!hwnd()) return;
  if (subclassed_)
    Unsubclass();
  else
    ::DestroyWindow(hwnd());
  Unbind();
}

HWND Window::Create(HWND parent, const RECT& rect, DWORD style, DWORD exStyle, UINT id,
                    const wchar_t* title) {
  if (hwnd()) return nullptr;
  WindowClass spec = GetWindowClass();
  std::wstring name = spec.name ? std::wstring(spec.name) : GeneratedClassName(typeid(*this));
  ClassEntry entry;
  if (!Registry().Register(name, spec, &Window::WindowProc, entry)) return nullptr;
  defaultProc_ = entry.original;
  subclassed_ = false;
  if (!style) style = spec.defaultStyle;
  if (!exStyle) exStyle = spec.defaultExStyle;
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
  HWND hwnd = ::CreateWindowExW(exStyle, MAKEINTATOM(entry.atom), title, style, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent, menu,
                                CurrentModule(), this);
  // A window that failed after WM_NCCREATE has been through WM_NCDESTROY and is unbound; one
  // that exists but could not be bound would belong to nobody.
  if (hwnd && this->hwnd() != hwnd) {
    ::DestroyWindow(hwnd);
    return nullptr;
  }
  return hwnd;
}

bool Window::Subclass(HWND hwnd) {
  if (this->hwnd() || !::IsWindow(hwnd) || BoundObject(hwnd)) return false;
  if (::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId()) return false;
  auto own = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
  if (!own || own == &Window::SubclassProc || own == &Window::WindowProc) return false;
  if (!::SetPropW(hwnd, ProcProperty(), reinterpret_cast<HANDLE>(own))) return false;
  if (!Bind(hwnd)) {
    ::RemovePropW(hwnd, ProcProperty());
    return false;
  }
  defaultProc_ = own;
  subclassed_ = true;
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::SubclassProc));
  return true;
}

bool Window::Unsubclass() {
  if (!hwnd() || !subclassed_) return false;
  HWND hwnd = this->hwnd();
  bool restored = false;
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == &Window::SubclassProc) {
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defaultProc_));
    ::RemovePropW(hwnd, ProcProperty());
    restored = true;
  }
  Unbind();
  subclassed_ = false;
  defaultProc_ = nullptr;
  return restored;
}

bool Window::DestroyWindow() {
  return hwnd() && ::DestroyWindow(hwnd());
}

LRESULT Window::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  // A superclassed or adopted control's own procedure needs its children's notifications.
  if (!defaultProc_ && ReflectNotification(hwnd(), message, wParam, lParam, result)) return result;
  if (IsReflectedMessage(message))
    return ::DefWindowProcW(hwnd(), message - kReflectBase, wParam, lParam);
  return DefaultProc(message, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (defaultProc_) return ::CallWindowProcW(defaultProc_, hwnd(), message, wParam, lParam);
  return ::DefWindowProcW(hwnd(), message, wParam, lParam);
}

void Window::RestoreProc() {
  if (subclassed_ &&
      reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd(), GWLP_WNDPROC)) == &Window::SubclassProc)
    ::SetWindowLongPtrW(hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defaultProc_));
  ::RemovePropW(hwnd(), ProcProperty());
}

LRESULT Window::Route(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = this->hwnd();
  const WNDPROC defaultProc = defaultProc_;
  EnterMessage();
  LRESULT result = 0;
  if (!HandleMessage(message, wParam, lParam, result)) {
    if (this->hwnd() == hwnd) {
      result = DefaultHandling(message, wParam, lParam);
    } else if (::IsWindow(hwnd)) {
      // Let go of inside a handler (Unsubclass): the window still gets its default.
      result = defaultProc ? ::CallWindowProcW(defaultProc, hwnd, message, wParam, lParam)
                           : ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
  }
  if (message == WM_NCDESTROY && this->hwnd() == hwnd) {
    RestoreProc();
    Unbind();
    subclassed_ = false;
    defaultProc_ = nullptr;
    MarkDestroyed();
  }
  LeaveMessage(hwnd);
  return result;
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<Window*>(BoundObject(hwnd));
  if (!self && message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* creator = create ? static_cast<Window*>(create->lpCreateParams) : nullptr;
    if (creator && creator->Bind(hwnd)) self = creator;
  }
  if (self) return self->Route(message, wParam, lParam);
  // Before WM_NCCREATE (WM_GETMINMAXINFO comes first) and after the object has let go.
  if (WNDPROC original = Registry().Original(static_cast<ATOM>(::GetClassLongPtrW(hwnd, GCW_ATOM))))
    return ::CallWindowProcW(original, hwnd, message, wParam, lParam);
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto* self = static_cast<Window*>(BoundObject(hwnd)))
    return self->Route(message, wParam, lParam);
  // The object let go while another procedure sat on top of ours: keep forwarding.
  auto own = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, ProcProperty()));
  LRESULT result = own ? ::CallWindowProcW(own, hwnd, message, wParam, lParam)
                       : ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) ::RemovePropW(hwnd, ProcProperty());
  return result;
}

}  // namespace win
