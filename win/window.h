#pragma once
// Windows bound to C++ objects. Every message of a bound window goes to the object's virtual
// HandleMessage; a class handles its own messages and calls its base class for the rest, and
// what nobody handles gets the window's default handling.
#include <windows.h>

namespace win {

// Child notifications sent back to the child that sent them come as the original value plus
// kReflectBase.
inline constexpr UINT kReflectBase = 0x2000;
constexpr UINT Reflected(UINT message) {
  return kReflectBase + message;
}
inline constexpr UINT OCM_COMMAND = Reflected(WM_COMMAND);
inline constexpr UINT OCM_NOTIFY = Reflected(WM_NOTIFY);
inline constexpr UINT OCM_DRAWITEM = Reflected(WM_DRAWITEM);
inline constexpr UINT OCM_MEASUREITEM = Reflected(WM_MEASUREITEM);
inline constexpr UINT OCM_CTLCOLOREDIT = Reflected(WM_CTLCOLOREDIT);

// WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC: a control asks its parent for its colours.
constexpr bool IsCtlColorMessage(UINT message) {
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// The child-control traits: the style a control gets when its creator passes none.
inline constexpr DWORD kControlStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;

// True for the reflected form of a child notification; its original is message - kReflectBase.
bool IsReflectedMessage(UINT message);

// When `message` is a notification from a child of `parent` that is bound to a framework object,
// sends it to that child as message + kReflectBase and returns true with the child's answer.
// Notifications from plain system controls are left alone: they would not know the reflected form.
bool ReflectNotification(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Moves a top-level window to the centre of `center` (by default its owner), or of the work
// area of its monitor when that is none, hidden or minimised; a child window to the centre of
// its parent's client area. The window stays inside the work area (the parent's client area).
bool CenterWindow(HWND hwnd, HWND center = nullptr);

// The module (program or library) that this code is linked into.
HINSTANCE CurrentModule();

// What windows and dialogs share: the binding of the object to its window and the routing.
class WindowBase {
 public:
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  HWND hwnd() const { return hwnd_; }

  // The framework object bound to a window of this process, or null.
  static WindowBase* FromHandle(HWND hwnd);

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageW(hwnd_, message, wParam, lParam);
  }
  bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageW(hwnd_, message, wParam, lParam) != FALSE;
  }
  bool CenterWindow(HWND center = nullptr) const { return win::CenterWindow(hwnd_, center); }

 protected:
  WindowBase() = default;
  virtual ~WindowBase();

  // Handles what this class handles and calls its base class for the rest. Returns whether the
  // message was handled; `result` is then its answer.
  virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Runs once the window is gone, after the outermost message of the window has returned; the
  // object may delete itself here.
  virtual void OnFinalMessage(HWND hwnd);

  bool Bind(HWND hwnd);
  void Unbind();

  // Nesting of the messages being handled: the final-message hook waits for the outermost.
  void EnterMessage() { ++depth_; }
  void LeaveMessage(HWND hwnd);
  void MarkDestroyed() { destroyed_ = true; }

  static WindowBase* BoundObject(HWND hwnd);

 private:
  HWND hwnd_ = nullptr;
  int depth_ = 0;
  bool destroyed_ = false;
};

// How a window class is registered. One class per C++ class, registered once per module.
struct WindowClass {
  const wchar_t* name = nullptr;        // null: a name made from the C++ type
  const wchar_t* superclass = nullptr;  // a system class to take over ("SysListView32", "EDIT")
  UINT style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  HCURSOR cursor = nullptr;  // null: the arrow
  HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
  DWORD defaultStyle = kControlStyle;  // used when the creator passes no style
  DWORD defaultExStyle = 0;            // used when the creator passes no extended style
};

// A superclass keeps the system class's own settings; only its name and procedure change.
class Window : public WindowBase {
 public:
  Window() = default;
  // A window still open is destroyed (a created one) or given back (an adopted one).
  ~Window() override;

  // Creates a window of this object's class, bound to the object from WM_NCCREATE on. Style 0
  // takes the class's default style; `id` is the control id of a child window. Null on failure.
  HWND Create(HWND parent, const RECT& rect = {}, DWORD style = 0, DWORD exStyle = 0, UINT id = 0,
              const wchar_t* title = nullptr);

  // Adopts an existing window of this thread (a "contained" window, such as a system EDIT made
  // inside a container): its messages come to this object until it is destroyed, when its own
  // procedure is put back. False when it is already bound to an object.
  bool Subclass(HWND hwnd);
  // Lets an adopted window go. True when its own procedure is back; when something else has
  // subclassed it since, the object still lets go and the chain goes on forwarding to the
  // window's own procedure.
  bool Unsubclass();

  bool DestroyWindow();

 protected:
  virtual WindowClass GetWindowClass() const { return {}; }

  // What a message that no handler took gets: a child notification is reflected (for windows of
  // the framework's own classes), a reflected message gets DefWindowProcW of its original, and
  // everything else goes to the default procedure.
  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
  // DefWindowProcW, the superclassed system procedure, or the adopted window's own procedure.
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam);
  void RestoreProc();

  WNDPROC defaultProc_ = nullptr;  // null: DefWindowProcW
  bool subclassed_ = false;
};

// Tab and Shift+Tab where no dialog manager runs: the focus goes from `child` to the next (or
// previous) tab stop among its siblings. False when there is none.
bool FocusNextTabStop(HWND child);

// Removes the classes this module registered and that no window uses any more; a library calls
// it before it is unloaded, so that a later load can register them again.
bool UnregisterWindowClasses();

}  // namespace win
