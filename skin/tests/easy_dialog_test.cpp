#include "skin/easy_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "skin/tests/skin_test_files.h"
#include "win/gdi.h"

namespace stashly {
namespace {

using testing::Pump;
using testing::WriteBmp;
using testing::WriteText;

constexpr COLORREF kBackground = RGB(10, 20, 30);
constexpr COLORREF kLayer = RGB(40, 50, 60);
constexpr COLORREF kStrip[3] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)};
// The same strip drawn for twice the scale, in colours of its own.
constexpr COLORREF kStrip2x[3] = {RGB(200, 200, 0), RGB(0, 200, 200), RGB(200, 0, 200)};
constexpr COLORREF kEdit = RGB(250, 240, 230);
constexpr COLORREF kPicture = RGB(90, 80, 70);
constexpr COLORREF kCheckStrip[6] = {RGB(50, 50, 50), RGB(60, 60, 60), RGB(70, 70, 70),
                                     RGB(0, 100, 0), RGB(0, 110, 0), RGB(0, 120, 0)};
const bool kPictoraPresent =
    ::GetFileAttributesW(win::FileBesideProgram(L"Pictora.dll").c_str()) != INVALID_FILE_ATTRIBUTES;

std::string SkinXml() {
  std::string buttons =
      R"(<button msg="5000" xpos="10" ypos="50" width="200" height="100" image="testskin\strip.bmp" imagecount="3" name="Start"/>)"
      R"(<button msg="5001" xpos="220" ypos="50" width="40" height="20"/>)";
  for (int id = 100; id < 110; ++id)
    buttons += "<button msg=\"" + std::to_string(id) + "\" xpos=\"0\" ypos=\"0\" width=\"1\" height=\"1\"/>";
  return R"xml(<?xml version="1.0" encoding="UTF-8"?>
<Dialog>
  <main width="300" height="200" roundcorner="10" title="测试对话框" titlecolor="rgb(255,255,255)"/>
  <sysbutton sysClose="testskin\close.bmp" name="关闭"/>
  <bk bkimage="testskin\bk.bmp" bklayer="testskin\layer.bmp"/>
  <buttons>)xml" + buttons + R"xml(</buttons>
  <checks><check msg="6000" xpos="10" ypos="160" width="20" height="20" image="testskin\check.bmp" imagecount="6" name="记住我的选择"/></checks>
  <radios>
    <radio msg="7001" group="1" xpos="40" ypos="160" width="20" height="20" image="testskin\check.bmp" imagecount="6" name="Exit"/>
    <radio msg="7002" group="1" default="0" xpos="70" ypos="160" width="20" height="20" image="testskin\check.bmp" imagecount="6"/>
    <radio msg="7003" group="2" xpos="100" ypos="160" width="20" height="20" image="testskin\check.bmp" imagecount="6"/>
  </radios>
  <edits><edit msg="6500" xpos="120" ypos="130" width="60" height="999" image="testskin\edit.bmp"/></edits>
  <xstrings><xstring msg="9000" xpos="10" ypos="30" width="100" height="16" text="Hello {style=color=255,0,0;bold=1}world{/style}"/></xstrings>
  <images><image msg="8000" xpos="250" ypos="150" width="20" height="20" image="testskin\layer.bmp" drawtype="5"/>
    <image msg="8001" xpos="200" ypos="100" width="20" height="20" image="testskin\picture.bmp" drawtype="1"/></images>
</Dialog>
)xml";
}

class SkinFiles : public ::testing::Environment {
 public:
  void SetUp() override {
    std::wstring dir = win::FileBesideProgram(L"testskin");
    ::CreateDirectoryW(dir.c_str(), nullptr);
    WriteBmp(dir + L"\\bk.bmp", 300, 200, [](int, int) { return kBackground; });
    WriteBmp(dir + L"\\layer.bmp", 10, 10, [](int, int) { return kLayer; });
    WriteBmp(dir + L"\\strip.bmp", 90, 30, [](int x, int) { return kStrip[x / 30]; });
    WriteBmp(dir + L"\\strip@2x.bmp", 180, 60, [](int x, int) { return kStrip2x[x / 60]; });
    WriteBmp(dir + L"\\check.bmp", 120, 20, [](int x, int) { return kCheckStrip[x / 20]; });
    WriteBmp(dir + L"\\edit.bmp", 100, 24, [](int, int) { return kEdit; });
    WriteBmp(dir + L"\\picture.bmp", 8, 8, [](int, int) { return kPicture; });
    WriteBmp(dir + L"\\close.bmp", 84, 20, [](int x, int) { return kStrip[x / 28]; });
    WriteText(dir + L"\\test.xml", SkinXml());
    WriteText(dir + L"\\broken.xml", "<Dialog><main width=\"300\"");
  }
};
const auto* const kSkinFiles = ::testing::AddGlobalTestEnvironment(new SkinFiles);

// A dialog of the skin under test; it records what the skin engine posts it.
class TestDialog : public CXEasyDialog {
 public:
  explicit TestDialog(std::wstring skin, bool draggable = true)
      : skin_(std::move(skin)), draggable_(draggable) {}
  std::vector<UINT> commands;
  // The commands that reached OnCommand, which takes them all.
  std::vector<UINT> ownCommands;
  int captionDrags = 0;
  // The dialog's own ends, when it declares them.
  std::optional<std::vector<DialogEnd>> ends;
  // Runs once the skin is loaded, before a modal dialog's loop: what a user does, posted.
  std::function<void(HWND)> atStart;

 protected:
  std::span<const DialogEnd> Ends() const override {
    return ends ? std::span<const DialogEnd>(*ends) : CXEasyDialog::Ends();
  }
  bool OnCommand(UINT id) override {
    ownCommands.push_back(id);
    return true;
  }
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    switch (message) {
      case WM_INITDIALOG:
        SetDraggable(draggable_);
        LoadSkin(skin_);
        if (atStart) atStart(hwnd());
        break;
      case WM_COMMAND:
        commands.push_back(LOWORD(wParam));
        break;
      case WM_NCLBUTTONDOWN:
        // Counted, not handed on: the system's move loop would wait for the mouse.
        if (wParam == HTCAPTION && lParam == 0) ++captionDrags;
        result = 0;
        return true;
    }
    return CXEasyDialog::HandleMessage(message, wParam, lParam, result);
  }

 private:
  std::wstring skin_;
  bool draggable_;
};

RECT ChildRect(HWND dialog, int id) {
  RECT rect{};
  HWND child = ::GetDlgItem(dialog, id);
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int RadioCheck(HWND dialog, int id) {
  return static_cast<int>(::SendMessageW(::GetDlgItem(dialog, id), XRM_GETCHECK, 0, 0));
}

// What a window draws through WM_PRINTCLIENT, in a 32-bit bitmap.
class Capture {
 public:
  Capture(HWND hwnd) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    width_ = client.right;
    height_ = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pixels_ = static_cast<const DWORD*>(bits);
    win::UniqueDc dc(::CreateCompatibleDC(nullptr));
    win::ScopedSelectObject select(dc.get(), bitmap_.get());
    ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    ::GdiFlush();
  }
  COLORREF At(int x, int y) const {
    DWORD p = pixels_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // Whether every pixel is `colour`.
  bool AllAre(COLORREF colour) const {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (At(x, y) != colour) return false;
    return true;
  }

 private:
  win::UniqueBitmap bitmap_;
  const DWORD* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

class EasyDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog_.CreateModeless(nullptr));
    hwnd_ = dialog_.hwnd();
  }
  TestDialog dialog_{L"testskin\\test.xml"};
  HWND hwnd_ = nullptr;
};

TEST_F(EasyDialog, SizesTitlesAndRoundsTheWindowFromItsSkin) {
  RECT window{};
  ::GetWindowRect(hwnd_, &window);
  EXPECT_EQ(window.right - window.left, 300);
  EXPECT_EQ(window.bottom - window.top, 200);
  wchar_t title[64] = {};
  ::GetWindowTextW(hwnd_, title, 64);
  EXPECT_STREQ(title, L"测试对话框");
  win::UniqueRgn region(::CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(::GetWindowRgn(hwnd_, region.get()), COMPLEXREGION);
  EXPECT_FALSE(::PtInRegion(region.get(), 0, 0));  // a rounded corner
  EXPECT_TRUE(::PtInRegion(region.get(), 150, 100));
  EXPECT_EQ(::GetWindowLongW(hwnd_, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
  ASSERT_TRUE(dialog_.titleBar().title);
  EXPECT_EQ(dialog_.titleBar().title->rect().left, 10);  // no title icon
  EXPECT_EQ(dialog_.titleBar().title->runs().size(), 1u);
}

TEST_F(EasyDialog, CreatesTheFirstTenButtonsAtTheirPlaces) {
  if (kPictoraPresent) {
    // A 90 x 30 strip of three frames makes a 30 x 30 button, whatever the skin says.
    EXPECT_EQ(ChildRect(hwnd_, 5000).left, 10);
    EXPECT_EQ(ChildRect(hwnd_, 5000).top, 50);
    EXPECT_EQ(ChildRect(hwnd_, 5000).right, 40);
    EXPECT_EQ(ChildRect(hwnd_, 5000).bottom, 80);
    RECT close = ChildRect(hwnd_, 2);  // top-right corner at (right - 5, 1), one 28 x 20 frame
    EXPECT_EQ(close.right, 295);
    EXPECT_EQ(close.top, 1);
    EXPECT_EQ(close.right - close.left, 28);
    EXPECT_EQ(close.bottom - close.top, 20);
  } else {
    EXPECT_EQ(ChildRect(hwnd_, 5000).right, 210);  // no images: the skin's rectangle
  }
  EXPECT_EQ(ChildRect(hwnd_, 5001).right - ChildRect(hwnd_, 5001).left, 40);  // no image
  EXPECT_EQ(ChildRect(hwnd_, 6000).right - ChildRect(hwnd_, 6000).left, 20);  // checks keep theirs
  for (int id = 100; id < 108; ++id) EXPECT_TRUE(::GetDlgItem(hwnd_, id)) << id;
  EXPECT_FALSE(::GetDlgItem(hwnd_, 108));  // the eleventh button
  EXPECT_FALSE(::GetDlgItem(hwnd_, 109));
  EXPECT_NE(dialog_.GetControlAs<CXPngButton>(5000), nullptr);
  EXPECT_NE(dialog_.GetControlAs<CXStyledText>(9000), nullptr);
  EXPECT_NE(dialog_.GetControlAs<CXPictureItem>(8000), nullptr);
  EXPECT_EQ(dialog_.GetControl(12345), nullptr);
}

TEST_F(EasyDialog, EditTakesItsBackgroundsHeightAndPicturesFillTheirRectangles) {
  // An edit's "height" does not count: its background's does (none without the provider).
  const RECT edit = ChildRect(hwnd_, 6500);
  EXPECT_EQ(edit.left, 120);
  EXPECT_EQ(edit.top, 130);
  EXPECT_EQ(edit.right - edit.left, 60);
  EXPECT_EQ(edit.bottom - edit.top, kPictoraPresent ? 24 : 0);
  auto* object = dialog_.GetControlAs<CXPngEdit>(6500);
  ASSERT_TRUE(object);
  EXPECT_TRUE(::GetWindowLongW(object->hwnd(), GWL_STYLE) & WS_VISIBLE);
  if (!kPictoraPresent) return;
  RECT inner{};
  ::GetWindowRect(object->editWindow(), &inner);
  ::MapWindowPoints(nullptr, object->hwnd(), reinterpret_cast<POINT*>(&inner), 2);
  EXPECT_EQ(inner.left, 5);
  EXPECT_EQ(inner.top, 5);
  EXPECT_EQ(inner.right, 58);
  EXPECT_EQ(inner.bottom, 22);
  EXPECT_TRUE(Capture(object->hwnd()).AllAre(kEdit));

  Capture surface(hwnd_);
  EXPECT_EQ(surface.At(200, 100), kPicture);
  EXPECT_EQ(surface.At(219, 119), kPicture);
  EXPECT_EQ(surface.At(220, 110), kLayer);
}

TEST_F(EasyDialog, ChecksOneDefaultRadioAndKeepsGroupsExclusive) {
  EXPECT_EQ(RadioCheck(hwnd_, 7001), 0);
  EXPECT_EQ(RadioCheck(hwnd_, 7002), 1);  // "default" 0 or more wins over the first radio
  EXPECT_EQ(RadioCheck(hwnd_, 7003), 0);  // one default for all groups
  EXPECT_EQ(dialog_.GetRadioSelection(1), 7002);

  // A click: down and up inside the radio.
  HWND first = ::GetDlgItem(hwnd_, 7001);
  ::SendMessageW(first, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::SendMessageW(first, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(RadioCheck(hwnd_, 7001), 1);
  EXPECT_EQ(RadioCheck(hwnd_, 7002), 0);
  EXPECT_EQ(dialog_.GetRadioSelection(1), 7001);
  ASSERT_FALSE(dialog_.commands.empty());
  EXPECT_EQ(dialog_.commands.back(), 7001u);

  // Clicking a checked radio again keeps it checked.
  ::SendMessageW(first, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  ::SendMessageW(first, WM_LBUTTONUP, 0, 0);
  Pump();
  EXPECT_EQ(RadioCheck(hwnd_, 7001), 1);

  // Program code checking a radio clears its group the same way; other groups keep theirs.
  ::SendMessageW(::GetDlgItem(hwnd_, 7003), XRM_SETCHECK, 1, 0);
  ::SendMessageW(::GetDlgItem(hwnd_, 7002), XRM_SETCHECK, 1, 0);
  Pump();
  EXPECT_EQ(RadioCheck(hwnd_, 7001), 0);
  EXPECT_EQ(RadioCheck(hwnd_, 7002), 1);
  EXPECT_EQ(RadioCheck(hwnd_, 7003), 1);
  EXPECT_EQ(dialog_.GetRadioSelection(2), 7003);
}

TEST_F(EasyDialog, ButtonFiresOnlyForAPressAndReleaseInside) {
  HWND button = ::GetDlgItem(hwnd_, 5000);
  auto* object = dialog_.GetControlAs<CXPngButton>(5000);
  ASSERT_TRUE(object);
  ::SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(object->state(), 1);
  ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_EQ(object->state(), 2);
  ::SendMessageW(button, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(object->state(), 0);
  Pump();
  EXPECT_TRUE(dialog_.commands.empty());

  ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  ::SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(object->state(), 1);
  Pump();
  ASSERT_EQ(dialog_.commands.size(), 1u);
  EXPECT_EQ(dialog_.commands[0], 5000u);
}

TEST_F(EasyDialog, DragsFromAnyFreeSpotOnlyWhenDraggable) {
  ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 120));
  Pump();
  EXPECT_EQ(dialog_.captionDrags, 1);

  TestDialog fixed(L"testskin\\test.xml", false);
  ASSERT_TRUE(fixed.CreateModeless(nullptr));
  ::SendMessageW(fixed.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 120));
  Pump();
  EXPECT_EQ(fixed.captionDrags, 0);
}

TEST_F(EasyDialog, PaintsBackgroundLayerAndControlFrames) {
  if (!kPictoraPresent) GTEST_SKIP() << "no image provider beside the program";
  Capture surface(hwnd_);
  EXPECT_EQ(surface.At(150, 100), kLayer);
  EXPECT_EQ(surface.At(298, 100), kLayer);
  EXPECT_EQ(surface.At(299, 100), kBackground);  // the layer stops one pixel short
  EXPECT_EQ(surface.At(150, 199), kBackground);

  HWND button = ::GetDlgItem(hwnd_, 5000);
  EXPECT_EQ(Capture(button).At(15, 15), kStrip[0]);
  ::SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(Capture(button).At(15, 15), kStrip[1]);  // hover: source x 30
  ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_EQ(Capture(button).At(15, 15), kStrip[2]);  // pressed: source x 60

  HWND check = ::GetDlgItem(hwnd_, 6000);
  ::SendMessageW(check, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(Capture(check).At(10, 10), kCheckStrip[1]);
  dialog_.GetControlAs<CXCheckButton>(6000)->SetCheck(1);
  EXPECT_EQ(Capture(check).At(10, 10), kCheckStrip[4]);  // hover frame 1, overlay frame 4
}

TEST_F(EasyDialog, ControlsAnswerAccessibilityToolsAsStandardButtonsDo) {
  auto text = [&](int id) {
    wchar_t buffer[64] = {};
    ::SendMessageW(::GetDlgItem(hwnd_, id), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer));
    return std::wstring(buffer);
  };
  auto send = [&](int id, UINT message) {
    return ::SendMessageW(::GetDlgItem(hwnd_, id), message, 0, 0);
  };
  auto kind = [&](int id) {
    return ::GetWindowLongW(::GetDlgItem(hwnd_, id), GWL_STYLE) & BS_TYPEMASK;
  };
  EXPECT_EQ(text(5000), L"Start");
  EXPECT_EQ(text(2), L"关闭");
  EXPECT_EQ(text(6000), L"记住我的选择");
  EXPECT_EQ(text(7001), L"Exit");
  EXPECT_EQ(text(5001), L"");  // no name in the skin
  EXPECT_EQ(kind(5000), BS_PUSHBUTTON);
  EXPECT_EQ(kind(2), BS_PUSHBUTTON);
  EXPECT_EQ(kind(6000), BS_CHECKBOX);
  EXPECT_EQ(kind(7001), BS_RADIOBUTTON);

  // Check boxes and radios say whether they are checked; a push button never is.
  EXPECT_EQ(send(6000, BM_GETCHECK), BST_UNCHECKED);
  EXPECT_EQ(send(7002, BM_GETCHECK), BST_CHECKED);  // the skin's default radio
  EXPECT_EQ(send(7001, BM_GETCHECK), BST_UNCHECKED);
  for (int id : {6000, 5000}) {
    ::SendMessageW(::GetDlgItem(hwnd_, id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(send(id, BM_GETSTATE) & BST_PUSHED, BST_PUSHED) << id;
    ::SendMessageW(::GetDlgItem(hwnd_, id), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(send(id, BM_GETSTATE) & (BST_PUSHED | BST_HOT), BST_HOT) << id;
  }
  Pump();
  EXPECT_EQ(send(6000, BM_GETCHECK), BST_CHECKED);
  EXPECT_EQ(send(6000, BM_GETSTATE) & BST_CHECKED, BST_CHECKED);
  EXPECT_EQ(send(5000, BM_GETCHECK), BST_UNCHECKED);
  // Enter presses only the focused button: none is the default one.
  EXPECT_EQ(send(5000, WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON),
            DLGC_UNDEFPUSHBUTTON);
  EXPECT_EQ(send(6000, WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), 0);

  // The name is for tools, never drawn over the image.
  if (kPictoraPresent) {
    EXPECT_TRUE(Capture(::GetDlgItem(hwnd_, 5000)).AllAre(kStrip[1]));
  }
}

TEST_F(EasyDialog, MovedToAMonitorOfAnotherDpiItLaysTheSkinOutAgain) {
  RECT before{};
  ::GetWindowRect(hwnd_, &before);
  win::UniqueRgn region(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_EQ(::GetWindowRgn(hwnd_, region.get()), COMPLEXREGION);
  EXPECT_TRUE(::PtInRegion(region.get(), 2, 2));

  // The system first asks the size at the new DPI, then suggests a rectangle of it.
  SIZE wanted{300, 200};
  EXPECT_EQ(::SendMessageW(hwnd_, 0x02E4, 192, reinterpret_cast<LPARAM>(&wanted)), TRUE);
  EXPECT_EQ(wanted.cx, 600);
  EXPECT_EQ(wanted.cy, 400);
  RECT suggested{before.left + 7, before.top, before.left + 7 + 600, before.top + 400};
  ::SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(dialog_.dpi(), 192u);
  RECT window{};
  ::GetWindowRect(hwnd_, &window);
  EXPECT_TRUE(::EqualRect(&window, &suggested));
  ASSERT_EQ(::GetWindowRgn(hwnd_, region.get()), COMPLEXREGION);
  EXPECT_FALSE(::PtInRegion(region.get(), 2, 2));  // corners of 20 now
  EXPECT_TRUE(::PtInRegion(region.get(), 599 - 10, 399 - 10));

  // Every figure of the skin twice: places, sizes, the title bar's margins.
  const RECT check = ChildRect(hwnd_, 6000);
  EXPECT_EQ(check.left, 20);
  EXPECT_EQ(check.top, 320);
  EXPECT_EQ(check.right - check.left, 40);
  ASSERT_TRUE(dialog_.titleBar().title);
  EXPECT_EQ(dialog_.titleBar().title->rect().left, 20);
  EXPECT_EQ(dialog_.titleBar().title->rect().bottom, 54);
  const RECT edit = ChildRect(hwnd_, 6500);
  EXPECT_EQ(edit.left, 240);
  EXPECT_EQ(edit.top, 260);
  EXPECT_EQ(edit.right - edit.left, 120);
  if (!kPictoraPresent) return;
  EXPECT_EQ(edit.bottom - edit.top, 48);  // the background drawn for 2x
  const RECT button = ChildRect(hwnd_, 5000);
  EXPECT_EQ(button.left, 20);
  EXPECT_EQ(button.top, 100);
  EXPECT_EQ(button.right - button.left, 60);  // one frame of the strip, at 2x
  EXPECT_EQ(button.bottom - button.top, 60);
  const RECT close = ChildRect(hwnd_, 2);
  EXPECT_EQ(close.right, 590);
  EXPECT_EQ(close.top, 2);
  EXPECT_EQ(close.right - close.left, 56);

  // The strip drawn for 2x where the skin has one; the plain image scaled where it has not.
  EXPECT_TRUE(Capture(::GetDlgItem(hwnd_, 5000)).AllAre(kStrip2x[0]));
  EXPECT_TRUE(Capture(::GetDlgItem(hwnd_, 6000)).AllAre(kCheckStrip[0]));
  Capture surface(hwnd_);
  EXPECT_EQ(surface.At(598, 300), kLayer);
  EXPECT_EQ(surface.At(599, 300), kBackground);
  EXPECT_EQ(surface.At(400, 200), kPicture);
  EXPECT_EQ(surface.At(439, 239), kPicture);
  EXPECT_EQ(surface.At(440, 220), kLayer);

  // And back: all as loaded at 96 DPI.
  ::SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&before));
  EXPECT_EQ(ChildRect(hwnd_, 5000).right - ChildRect(hwnd_, 5000).left, 30);
  EXPECT_TRUE(Capture(::GetDlgItem(hwnd_, 5000)).AllAre(kStrip[0]));
}

// A click on the dialog's control `id`, posted: a press and a release inside it.
void PostClick(HWND dialog, int id) {
  HWND control = ::GetDlgItem(dialog, id);
  ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
}

TEST(EasyDialogModal, EndsOnTheCloseButtonEscAndTheSkinsButtons) {
  struct Case {
    const char* action;
    std::function<void(HWND)> act;
    INT_PTR result;
  };
  const Case cases[] = {
      {"close button", [](HWND d) { PostClick(d, kCloseCommand); }, IDCANCEL},
      {"Esc", [](HWND d) { ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0); }, IDCANCEL},
      {"cancel button", [](HWND d) { PostClick(d, kSkinCancelButton); }, IDCANCEL},
      {"ok button", [](HWND d) { PostClick(d, kSkinOkButton); }, IDOK},
  };
  for (const Case& c : cases) {
    TestDialog dialog(L"testskin\\test.xml");
    dialog.atStart = c.act;
    EXPECT_EQ(dialog.RunModal(nullptr), c.result) << c.action;
    EXPECT_TRUE(dialog.ownCommands.empty()) << c.action;
  }
}

TEST(EasyDialogModal, AClassThatListsItsOwnEndsEndsOnThoseAlone) {
  TestDialog dialog(L"testskin\\test.xml");
  dialog.ends = std::vector<DialogEnd>{{kSkinOkButton, 42}};
  dialog.atStart = [](HWND d) {
    ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    PostClick(d, kSkinCancelButton);
    PostClick(d, kCloseCommand);
    PostClick(d, kSkinOkButton);
  };
  EXPECT_EQ(dialog.RunModal(nullptr), 42);
  // What does not end the dialog is the class's to handle.
  EXPECT_EQ(dialog.ownCommands,
            (std::vector<UINT>{kCloseCommand, kSkinCancelButton, kCloseCommand}));

  // A window never ended as a dialog lists none.
  TestDialog modeless(L"testskin\\test.xml");
  modeless.ends = std::vector<DialogEnd>{};
  ASSERT_TRUE(modeless.CreateModeless(nullptr));
  for (UINT command : {kCloseCommand, kSkinCancelButton, kSkinOkButton})
    ::SendMessageW(modeless.hwnd(), WM_COMMAND, command, 0);
  EXPECT_EQ(modeless.ownCommands,
            (std::vector<UINT>{kCloseCommand, kSkinCancelButton, kSkinOkButton}));
}

TEST(EasyDialogBadSkin, MissingOrBrokenSkinLeavesTheTemplateDialog) {
  for (const wchar_t* skin : {L"testskin\\missing.xml", L"testskin\\broken.xml"}) {
    TestDialog dialog(skin);
    ASSERT_TRUE(dialog.CreateModeless(nullptr)) << skin;
    RECT window{};
    ::GetWindowRect(dialog.hwnd(), &window);
    RECT units{0, 0, 187, 98};
    ::MapDialogRect(dialog.hwnd(), &units);
    EXPECT_EQ(window.right - window.left, units.right) << skin;
    EXPECT_EQ(::GetWindow(dialog.hwnd(), GW_CHILD), nullptr) << skin;
    EXPECT_EQ(dialog.GetControl(0), nullptr);
    Capture surface(dialog.hwnd());  // paints without a skin
  }
}

}  // namespace
}  // namespace stashly
