#include "win/window.h"

#include "win/tests/probe.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using win::test::MakeChild;
using win::test::Probe;

// A top-level window of the framework's own class: reflection is part of its default handling.
class Host : public win::Window {
 public:
  HWND Open(DWORD visible = 0) { return Create(nullptr, {100, 100, 400, 300}, WS_POPUP | visible); }
  std::vector<UINT> seen;

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    seen.push_back(message);
    return Window::HandleMessage(message, wParam, lParam, result);
  }
};

// Base and derived handlers chain: each handles its own and passes the rest on.
class Base : public win::Window {
 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (message == WM_USER + 2) {
      result = 22;
      return true;
    }
    return Window::HandleMessage(message, wParam, lParam, result);
  }
};

class Derived : public Base {
 public:
  HWND createdAs = nullptr;

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    switch (message) {
      case WM_CREATE:
        createdAs = hwnd();
        return false;
      case WM_USER + 1:
        result = 11;
        return true;
      case WM_USER + 2:
        result = 99;  // seen, but left to the base class
        break;
    }
    return Base::HandleMessage(message, wParam, lParam, result);
  }
};

TEST(Window, MessagesChainThroughBaseClassesToTheDefaultProcedure) {
  Host host;
  ASSERT_TRUE(host.Open());
  Derived child;
  HWND hwnd = child.Create(host.hwnd(), {0, 0, 50, 20}, 0, 0, 77);
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(child.createdAs, hwnd);  // bound before WM_CREATE
  EXPECT_EQ(win::WindowBase::FromHandle(hwnd), &child);
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE)) & win::kControlStyle,
            win::kControlStyle);
  EXPECT_EQ(::GetDlgCtrlID(hwnd), 77);

  EXPECT_EQ(::SendMessageW(hwnd, WM_USER + 1, 0, 0), 11);
  EXPECT_EQ(::SendMessageW(hwnd, WM_USER + 2, 0, 0), 22);
  EXPECT_EQ(::SendMessageW(hwnd, WM_USER + 3, 0, 0), 0);
  // Nobody handles WM_SETTEXT: DefWindowProcW keeps the text.
  ::SetWindowTextW(hwnd, L"chained");
  wchar_t text[32] = {};
  ::GetWindowTextW(hwnd, text, 32);
  EXPECT_STREQ(text, L"chained");
}

TEST(Window, ClassesAreRegisteredOncePerCppClass) {
  Host host;
  ASSERT_TRUE(host.Open());
  Derived a, b;
  Base c;
  ASSERT_TRUE(a.Create(host.hwnd()));
  ASSERT_TRUE(b.Create(host.hwnd()));
  ASSERT_TRUE(c.Create(host.hwnd()));
  EXPECT_EQ(::GetClassLongPtrW(a.hwnd(), GCW_ATOM), ::GetClassLongPtrW(b.hwnd(), GCW_ATOM));
  EXPECT_NE(::GetClassLongPtrW(a.hwnd(), GCW_ATOM), ::GetClassLongPtrW(c.hwnd(), GCW_ATOM));
  EXPECT_FALSE(a.Create(host.hwnd())) << "one window per object";
}

TEST(Window, CommandFromARealButtonComesBackReflected) {
  Host host;
  ASSERT_TRUE(host.Open());
  HWND button = MakeChild(host.hwnd(), L"BUTTON", BS_PUSHBUTTON, 41);
  ASSERT_TRUE(button);
  Probe probe;
  ASSERT_TRUE(probe.Subclass(button));
  ::SendMessageW(button, BM_CLICK, 0, 0);
  const Probe::Seen* reflected = probe.Find(win::OCM_COMMAND);
  ASSERT_NE(reflected, nullptr);
  EXPECT_EQ(win::OCM_COMMAND, 0x2111u);
  EXPECT_EQ(reflected->wParam, MAKEWPARAM(41, BN_CLICKED));
  EXPECT_EQ(reflected->lParam, reinterpret_cast<LPARAM>(button));
}

TEST(Window, EditColourMessageComesBackReflectedAndItsAnswerIsUsed) {
  Host host;
  ASSERT_TRUE(host.Open(WS_VISIBLE));  // painting needs a visible window
  HWND edit = MakeChild(host.hwnd(), L"EDIT", ES_AUTOHSCROLL, 42);
  ASSERT_TRUE(edit);
  Probe probe;
  HBRUSH white = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  probe.answers = {{win::OCM_CTLCOLOREDIT, reinterpret_cast<LRESULT>(white)}};
  ASSERT_TRUE(probe.Subclass(edit));
  // The edit asks its parent for colours while it paints.
  ::RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  const Probe::Seen* reflected = probe.Find(0x2133);
  ASSERT_NE(reflected, nullptr);
  EXPECT_EQ(reflected->lParam, reinterpret_cast<LPARAM>(edit));

  HDC dc = ::GetDC(edit);
  EXPECT_EQ(::SendMessageW(host.hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(edit)),
            reinterpret_cast<LRESULT>(white));
  ::ReleaseDC(edit, dc);
}

TEST(Window, UnhandledReflectedMessageGetsTheDefaultOfTheOriginal) {
  Host host;
  ASSERT_TRUE(host.Open());
  HWND edit = MakeChild(host.hwnd(), L"EDIT", 0, 43);
  ASSERT_TRUE(edit);
  Probe probe;
  ASSERT_TRUE(probe.Subclass(edit));
  HDC dc = ::GetDC(edit);
  const WPARAM w = reinterpret_cast<WPARAM>(dc);
  const LPARAM l = reinterpret_cast<LPARAM>(edit);
  LRESULT expected = ::DefWindowProcW(edit, WM_CTLCOLOREDIT, w, l);
  EXPECT_NE(expected, 0);
  EXPECT_EQ(::SendMessageW(host.hwnd(), WM_CTLCOLOREDIT, w, l), expected);
  EXPECT_NE(probe.Find(win::OCM_CTLCOLOREDIT), nullptr);
  // Sent straight to the child, the reflected form never reaches the system edit procedure.
  EXPECT_EQ(::SendMessageW(edit, win::OCM_CTLCOLOREDIT, w, l), expected);
  ::ReleaseDC(edit, dc);
}

TEST(Window, OnlyNotificationsFromBoundChildrenAreReflected) {
  Host host, other;
  ASSERT_TRUE(host.Open());
  ASSERT_TRUE(other.Open());
  HWND plainEdit = MakeChild(host.hwnd(), L"EDIT", 0, 44);
  HWND boundButton = MakeChild(host.hwnd(), L"BUTTON", 0, 45);
  Probe probe;
  ASSERT_TRUE(probe.Subclass(boundButton));

  // A plain system control would not understand the reflected form: the parent's default runs.
  HDC dc = ::GetDC(plainEdit);
  EXPECT_EQ(::SendMessageW(host.hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(plainEdit)),
            ::DefWindowProcW(host.hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(plainEdit)));
  ::ReleaseDC(plainEdit, dc);

  // Menus and accelerators (no control), windows that are not children, and the window itself.
  ::SendMessageW(host.hwnd(), WM_COMMAND, MAKEWPARAM(45, 0), 0);
  ::SendMessageW(other.hwnd(), WM_COMMAND, MAKEWPARAM(45, 0),
                 reinterpret_cast<LPARAM>(boundButton));
  ::SendMessageW(host.hwnd(), WM_COMMAND, 0, reinterpret_cast<LPARAM>(host.hwnd()));
  EXPECT_EQ(probe.Find(win::OCM_COMMAND), nullptr);

  // A notification's sender is in its header; its answer is the reflected answer.
  probe.answers = {{win::OCM_NOTIFY, 1234}};
  NMHDR header{boundButton, 45, static_cast<UINT>(NM_DBLCLK)};
  EXPECT_EQ(::SendMessageW(host.hwnd(), WM_NOTIFY, 45, reinterpret_cast<LPARAM>(&header)), 1234);
  ASSERT_NE(probe.Find(win::OCM_NOTIFY), nullptr);
  EXPECT_EQ(probe.Find(win::OCM_NOTIFY)->lParam, reinterpret_cast<LPARAM>(&header));
}

// A superclassed list view with the owner-draw behaviour the favourites list needs.
class List : public win::Window {
 public:
  std::vector<UINT> seen;
  int rowHeight = 30;
  int drawn = 0;

 protected:
  win::WindowClass GetWindowClass() const override {
    win::WindowClass cls;
    cls.superclass = WC_LISTVIEWW;
    return cls;
  }
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    seen.push_back(message);
    switch (message) {
      case win::OCM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item && item->CtlType == ODT_LISTVIEW) item->itemHeight = rowHeight;
        return true;
      }
      case win::OCM_DRAWITEM:
        ++drawn;
        result = TRUE;
        return true;
      case LVM_GETITEMSTATE:
        result = 0;  // kept from the system list view
        return true;
    }
    return Window::HandleMessage(message, wParam, lParam, result);
  }
};

bool Saw(const std::vector<UINT>& seen, UINT message) {
  for (UINT m : seen)
    if (m == message) return true;
  return false;
}

TEST(Window, SuperclassedListViewIsARealListViewAndItsObjectSeesItsMessages) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);
  Host host;
  ASSERT_TRUE(host.Open(WS_VISIBLE));  // painting needs a visible window
  List list;
  HWND hwnd = list.Create(
      host.hwnd(), {0, 0, 280, 180},
      WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER, 0, 1000);
  ASSERT_TRUE(hwnd);
  wchar_t name[128] = {};
  ::GetClassNameW(hwnd, name, 128);
  EXPECT_STRNE(name, WC_LISTVIEWW);

  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = 260;
  ASSERT_EQ(::SendMessageW(hwnd, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)), 0);
  wchar_t text[] = L"C:\\a.txt";
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.pszText = text;
  for (int i = 0; i < 3; ++i) {
    item.iItem = i;
    EXPECT_EQ(::SendMessageW(hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), i);
  }
  EXPECT_EQ(::SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_TRUE(Saw(list.seen, LVM_INSERTITEMW));
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED;
  state.state = LVIS_SELECTED;
  ::SendMessageW(hwnd, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
  EXPECT_EQ(::SendMessageW(hwnd, LVM_GETITEMSTATE, 1, LVIS_SELECTED), 0);

  // The row height request goes to the parent, comes back reflected and is answered here.
  RECT r;
  ::GetWindowRect(hwnd, &r);
  WINDOWPOS pos{hwnd,
                nullptr,
                0,
                0,
                r.right - r.left,
                r.bottom - r.top,
                SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER};
  ::SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  EXPECT_TRUE(Saw(list.seen, win::OCM_MEASUREITEM));
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  ASSERT_TRUE(::SendMessageW(hwnd, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)));
  EXPECT_EQ(row.bottom - row.top, 30);

  ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(list.drawn, 3);
}

TEST(Window, AdoptedWindowGetsItsProcedureBack) {
  Host host;
  ASSERT_TRUE(host.Open());
  HWND edit = MakeChild(host.hwnd(), L"EDIT", 0, 46);
  const LONG_PTR own = ::GetWindowLongPtrW(edit, GWLP_WNDPROC);
  {
    Probe probe;
    ASSERT_TRUE(probe.Subclass(edit));
    EXPECT_NE(::GetWindowLongPtrW(edit, GWLP_WNDPROC), own);
    Probe second;
    EXPECT_FALSE(second.Subclass(edit)) << "one object per window";
    ::SetWindowTextW(edit, L"typed");
    EXPECT_EQ(::GetWindowTextLengthW(edit), 5);  // the edit's own procedure still works
  }
  // The object went away first: the window lives on with its own procedure.
  EXPECT_TRUE(::IsWindow(edit));
  EXPECT_EQ(::GetWindowLongPtrW(edit, GWLP_WNDPROC), own);
  EXPECT_EQ(win::WindowBase::FromHandle(edit), nullptr);

  Probe probe;
  ASSERT_TRUE(probe.Subclass(edit));
  ::DestroyWindow(edit);
  EXPECT_EQ(probe.hwnd(), nullptr);
  EXPECT_NE(probe.Find(WM_NCDESTROY), nullptr);
}

// Destroyed inside its own handler: the final hook waits until that handler has returned.
class SelfDestroying : public win::Window {
 public:
  std::vector<std::string> events;

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (message == WM_USER) {
      ::DestroyWindow(hwnd());
      events.push_back(hwnd() ? "handler: still bound" : "handler: unbound");
      result = 5;
      return true;
    }
    if (message == WM_CREATE && wParam == 0 && lParam && fail) {
      result = -1;
      return true;
    }
    return Window::HandleMessage(message, wParam, lParam, result);
  }
  void OnFinalMessage(HWND) override { events.push_back("final"); }

 public:
  bool fail = false;
};

TEST(Window, FinalMessageRunsAfterTheOutermostHandler) {
  Host host;
  ASSERT_TRUE(host.Open());
  SelfDestroying w;
  HWND hwnd = w.Create(host.hwnd());
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(::SendMessageW(hwnd, WM_USER, 0, 0), 5);
  EXPECT_EQ(w.events, (std::vector<std::string>{"handler: unbound", "final"}));
  EXPECT_FALSE(::IsWindow(hwnd));

  SelfDestroying failing;
  failing.fail = true;
  EXPECT_EQ(failing.Create(host.hwnd()), nullptr);
  EXPECT_EQ(failing.hwnd(), nullptr);
  EXPECT_EQ(failing.events, (std::vector<std::string>{"final"}));
}

TEST(Window, ObjectGoingAwayDestroysItsWindow) {
  Host host;
  ASSERT_TRUE(host.Open());
  HWND hwnd;
  {
    Derived child;
    hwnd = child.Create(host.hwnd());
    ASSERT_TRUE(hwnd);
  }
  EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(Window, CentresOverTheOwnerOrTheWorkArea) {
  Host owner;
  ASSERT_TRUE(owner.Open(WS_VISIBLE));  // 100,100 - 400,300
  struct Popup : win::Window {
    win::WindowClass GetWindowClass() const override {
      win::WindowClass cls;
      cls.defaultStyle = WS_POPUP;
      return cls;
    }
  };
  Popup popup;
  ASSERT_TRUE(popup.Create(owner.hwnd(), {0, 0, 100, 50}));
  ASSERT_TRUE(popup.CenterWindow());
  RECT r;
  ::GetWindowRect(popup.hwnd(), &r);
  EXPECT_EQ(r.left, 200);
  EXPECT_EQ(r.top, 175);

  ::ShowWindow(owner.hwnd(), SW_HIDE);  // a hidden owner is no place to centre over
  ASSERT_TRUE(popup.CenterWindow());
  RECT work;
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ::GetWindowRect(popup.hwnd(), &r);
  EXPECT_EQ(r.left, work.left + (work.right - work.left - 100) / 2);
  EXPECT_EQ(r.top, work.top + (work.bottom - work.top - 50) / 2);

  // Over a window at the edge, it stays inside the work area.
  ::SetWindowPos(owner.hwnd(), nullptr, work.left - 150, work.top - 150, 200, 200,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
  ASSERT_TRUE(popup.CenterWindow());
  ::GetWindowRect(popup.hwnd(), &r);
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);
}

}  // namespace
