#include "win/dialog.h"

#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "win/tests/probe.h"

namespace {

using win::test::MakeChild;
using win::test::Probe;

// The skinned dialogs' template; ends itself from a posted message when asked to.
class TestDialog : public win::Dialog {
 public:
  bool endFromPostedMessage = false;
  INT_PTR endWith = 42;
  HWND boundAtInit = nullptr;
  RECT rectWhenEnded{};
  std::vector<std::pair<UINT, LRESULT>> answers;
  std::vector<UINT> seen;
  int finalMessages = 0;

 protected:
  win::DialogTemplate Template() const override {
    return win::DialogTemplate().Style(win::kWsPopup).Bounds(0, 0, 187, 98).Font(8);
  }
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    seen.push_back(message);
    switch (message) {
      case WM_INITDIALOG:
        boundAtInit = hwnd();
        CenterWindow();
        if (endFromPostedMessage) PostMessage(WM_USER + 5);
        result = 0;
        return true;
      case WM_USER + 5:
        ::GetWindowRect(hwnd(), &rectWhenEnded);
        EndDialog(endWith);
        return true;
      case WM_COMMAND:
        if (LOWORD(wParam) == 5000) {
          result = 0;
          return true;
        }
        break;
    }
    for (const auto& [m, answer] : answers) {
      if (m == message) {
        result = answer;
        return true;
      }
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
  }
  void OnFinalMessage(HWND) override { ++finalMessages; }
};

struct Owner : win::Window {
  win::WindowClass GetWindowClass() const override {
    win::WindowClass cls;
    cls.defaultStyle = WS_POPUP | WS_VISIBLE;
    return cls;
  }
};

void ExpectCentredOn(const RECT& window, const RECT& area) {
  EXPECT_LE(std::abs((window.left + window.right) - (area.left + area.right)), 1);
  EXPECT_LE(std::abs((window.top + window.bottom) - (area.top + area.bottom)), 1);
}

TEST(Dialog, ModalReturnsTheEndDialogResultCentredOverItsOwner) {
  Owner owner;
  ASSERT_TRUE(owner.Create(nullptr, {200, 150, 800, 650}));
  TestDialog dialog;
  dialog.endFromPostedMessage = true;
  dialog.endWith = 42;
  EXPECT_EQ(dialog.RunModal(owner.hwnd()), 42);
  EXPECT_NE(dialog.boundAtInit, nullptr);
  EXPECT_EQ(dialog.hwnd(), nullptr);
  EXPECT_EQ(dialog.finalMessages, 1);
  ExpectCentredOn(dialog.rectWhenEnded, {200, 150, 800, 650});
  EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));

  // The same object runs again.
  dialog.endWith = 7;
  EXPECT_EQ(dialog.RunModal(owner.hwnd()), 7);
}

TEST(Dialog, ModalWithoutOwnerIsCentredOnTheWorkArea) {
  TestDialog dialog;
  dialog.endFromPostedMessage = true;
  EXPECT_EQ(dialog.RunModal(nullptr), 42);
  RECT work;
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ExpectCentredOn(dialog.rectWhenEnded, work);
}

TEST(Dialog, ModelessComesUpHiddenWithTheTemplateSizeInDialogUnits) {
  TestDialog dialog;
  HWND hwnd = dialog.CreateModeless(nullptr);
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(dialog.boundAtInit, hwnd);
  EXPECT_FALSE(::IsWindowVisible(hwnd));
  EXPECT_EQ(dialog.CreateModeless(nullptr), nullptr) << "one window per object";

  RECT units{0, 0, 187, 98};
  ASSERT_TRUE(::MapDialogRect(hwnd, &units));
  RECT client, window;
  ::GetClientRect(hwnd, &client);
  ::GetWindowRect(hwnd, &window);
  EXPECT_EQ(client.right, units.right);
  EXPECT_EQ(client.bottom, units.bottom);
  EXPECT_GT(units.right, 187);  // really dialog units, not pixels
  // A bare pop-up: no border, no caption.
  EXPECT_EQ(window.right - window.left, units.right);
  EXPECT_EQ(window.bottom - window.top, units.bottom);

  ASSERT_TRUE(dialog.DestroyWindow());
  EXPECT_EQ(dialog.hwnd(), nullptr);
  EXPECT_EQ(dialog.finalMessages, 1);
}

TEST(Dialog, ObjectGoingAwayDestroysItsModelessWindow) {
  HWND hwnd;
  {
    TestDialog dialog;
    hwnd = dialog.CreateModeless(nullptr);
    ASSERT_TRUE(hwnd);
  }
  EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(Dialog, HandledAnswersReachTheSenderTheWayEachMessageNeeds) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  const LRESULT brush = reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH));
  struct Case {
    UINT message;
    LRESULT answer;
  };
  // Through DWLP_MSGRESULT, and the ones a dialog procedure returns itself.
  const Case cases[] = {
      {WM_USER + 9, 1234},     {WM_ERASEBKGND, 1},         {WM_NCHITTEST, HTCAPTION},
      {WM_CTLCOLORDLG, brush}, {WM_CTLCOLORSTATIC, brush}, {WM_QUERYDRAGICON, 0x5A5A},
  };
  for (const Case& c : cases) dialog.answers.push_back({c.message, c.answer});
  for (const Case& c : cases)
    EXPECT_EQ(::SendMessageW(dialog.hwnd(), c.message, 0, 0), c.answer) << c.message;

  // Unhandled, a message gets the default dialog processing.
  dialog.answers.clear();
  HDC dc = ::GetDC(dialog.hwnd());
  const WPARAM w = reinterpret_cast<WPARAM>(dc);
  const LPARAM l = reinterpret_cast<LPARAM>(dialog.hwnd());
  LRESULT expected = ::DefDlgProcW(dialog.hwnd(), WM_CTLCOLORDLG, w, l);
  EXPECT_NE(expected, 0);
  EXPECT_EQ(::SendMessageW(dialog.hwnd(), WM_CTLCOLORDLG, w, l), expected);
  ::ReleaseDC(dialog.hwnd(), dc);
  EXPECT_EQ(::SendMessageW(dialog.hwnd(), WM_USER + 9, 0, 0), 0);
}

TEST(Dialog, ChildNotificationsTheDialogLeavesAreReflected) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  HWND edit = MakeChild(dialog.hwnd(), L"EDIT", 0, 300);
  HWND handled = MakeChild(dialog.hwnd(), L"BUTTON", 0, 5000);
  HWND reflected = MakeChild(dialog.hwnd(), L"BUTTON", 0, 5003);
  Probe editProbe, handledProbe, reflectedProbe;
  const LRESULT white = reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
  editProbe.answers = {{win::OCM_CTLCOLOREDIT, white}};
  ASSERT_TRUE(editProbe.Subclass(edit));
  ASSERT_TRUE(handledProbe.Subclass(handled));
  ASSERT_TRUE(reflectedProbe.Subclass(reflected));

  HDC dc = ::GetDC(edit);
  EXPECT_EQ(::SendMessageW(dialog.hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(edit)),
            white);
  ::ReleaseDC(edit, dc);

  ::SendMessageW(handled, BM_CLICK, 0, 0);
  ::SendMessageW(reflected, BM_CLICK, 0, 0);
  EXPECT_EQ(handledProbe.Find(win::OCM_COMMAND), nullptr) << "the dialog's own handler took it";
  ASSERT_NE(reflectedProbe.Find(win::OCM_COMMAND), nullptr);
  EXPECT_EQ(reflectedProbe.Find(win::OCM_COMMAND)->wParam, MAKEWPARAM(5003, BN_CLICKED));
}

}  // namespace
