// The real program on displays scaled to 150 % and 200 %, as Wine gives a program the DPI of the
// user's LogPixels value when it starts, and at 100 %, where nothing may change: each window laid
// out at its skin's figures times DPI / 96, the images drawn for the scale, and every skinned
// control named, check boxes and radio buttons with their state, as accessibility tools read
// them. Screenshots of each window at each scale go beside the test results.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_ids.h"
#include "skin/skin_description.h"
#include "store/favorites_file.h"
#include "store/settings_store.h"
#include "testing/display_scale.h"
#include "testing/e2e_screen.h"
#include "testing/e2e_support.h"
#include "testing/file_bytes.h"
#include "testing/test_images.h"
#include "win/gdi.h"
#include "win/text.h"

namespace stashly {
namespace {

using namespace e2e;
using testing::DisplayScale;

SkinDescription ShippedSkin(const wchar_t* name) {
  const std::wstring path = win::FileBesideProgram(std::wstring(L"config\\") + name);
  return ParseSkinDescription(win::testing::FileBytes(path), win::CodePageCodec(CP_ACP));
}

// Where `control` lies in `dialog`'s client area.
SkinRect PlaceOf(HWND dialog, HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return win::FromRect<SkinRect>(rect);
}

// What accessibility tools read as the control's name.
std::wstring NameOf(HWND control) {
  wchar_t name[128] = {};
  ::SendMessageW(control, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(name));
  return name;
}

LRESULT CheckOf(HWND dialog, int id) {
  return ::SendMessageW(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0);
}

// The window, each of its skin's buttons, check boxes and radio buttons and its close button at
// the skin's place and size for `dpi`, each with its name.
void ExpectLaidOutAndNamed(HWND dialog, const SkinDescription& skin, UINT dpi) {
  ASSERT_TRUE(skin.loaded && skin.main && skin.sysButton);
  RECT window{};
  ::GetWindowRect(dialog, &window);
  EXPECT_EQ(window.right - window.left, ScaleToDpi(skin.main->width, dpi));
  EXPECT_EQ(window.bottom - window.top, ScaleToDpi(skin.main->height, dpi));
  for (SkinElementKind kind :
       {SkinElementKind::kButton, SkinElementKind::kCheck, SkinElementKind::kRadio}) {
    for (const SkinElement& element : skin.List(kind)) {
      const HWND control = ::GetDlgItem(dialog, element.msg);
      ASSERT_TRUE(control) << element.msg;
      EXPECT_EQ(PlaceOf(dialog, control), ScaleElementRect(element.Rect(), dpi)) << element.msg;
      EXPECT_FALSE(element.name.empty()) << element.msg;
      EXPECT_EQ(NameOf(control), element.name) << element.msg;
    }
  }
  // The shipped close button is one frame of 28 x 22, its top-right corner at (right - 5, 1).
  const HWND close = ::GetDlgItem(dialog, IDCANCEL);
  ASSERT_TRUE(close);
  const SkinRect place = PlaceOf(dialog, close);
  EXPECT_EQ(place.right, ScaleToDpi(skin.main->width, dpi) - ScaleToDpi(5, dpi));
  EXPECT_EQ(place.top, ScaleToDpi(1, dpi));
  EXPECT_EQ(place.Width(), ScaleToDpi(28, dpi));
  EXPECT_EQ(place.Height(), ScaleToDpi(22, dpi));
  EXPECT_EQ(NameOf(close), skin.sysButton->name);
}

class ScaledE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    KillStrays();
    ::CoInitialize(nullptr);
    ::SHDeleteValueW(HKEY_CURRENT_USER, kSettingsKey, kExitWhenCloseValue);
    ::SHDeleteValueW(HKEY_CURRENT_USER, kSettingsKey, kRightMenuValue);
    ::SHDeleteValueW(HKEY_CURRENT_USER, kSettingsKey, kJumpInPlaceValue);
    WriteSettingDword(kAutoHideValue, 0);
    ASSERT_TRUE(WriteFavoritesFile(FavoritesFilePath(), {L"C:\\windows", L"C:\\文档\\报告.docx"}));
  }
  void TearDown() override {
    KillStrays();
    ::CoUninitialize();
  }

  static void Save(HWND window, const std::wstring& name, UINT dpi) {
    if (dpi == 96) return;  // the suites at 96 DPI keep theirs
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::Sleep(300);
    EXPECT_TRUE(Screenshot(window).SavePng(
        ArtefactPath((name + L"_" + std::to_wstring(dpi) + L".png").c_str())));
  }
};

TEST_F(ScaledE2e, EveryWindowIsLaidOutForTheDisplayScale) {
  const SkinDescription main = ShippedSkin(L"main.xml");
  const SkinDescription settings = ShippedSkin(L"set.xml");
  const SkinDescription close = ShippedSkin(L"close.xml");
  for (UINT dpi : {96u, 144u, 192u}) {
    SCOPED_TRACE(::testing::Message() << dpi << " DPI");
    DisplayScale scale(dpi);
    Program program;
    const HWND window = program.WaitForWindow();
    ASSERT_TRUE(window);
    ExpectLaidOutAndNamed(window, main, dpi);
    // The list fills the client area less its margins, in rows of 30 at 96 DPI.
    const HWND list = ::GetDlgItem(window, kListViewId);
    const SkinRect client{0, 0, ScaleToDpi(main.main->width, dpi),
                          ScaleToDpi(main.main->height, dpi)};
    EXPECT_EQ(PlaceOf(window, list),
              (SkinRect{ScaleToDpi(1, dpi), ScaleToDpi(50, dpi), client.right - ScaleToDpi(2, dpi),
                        client.bottom - ScaleToDpi(51, dpi)}));
    const RECT row = RowRect(list, 0);
    EXPECT_EQ(row.bottom - row.top, ScaleToDpi(30, dpi));
    Save(window, L"main_window", dpi);

    const struct {
      UINT command;
      const wchar_t* title;
      const SkinDescription& skin;
      const wchar_t* file;
    } dialogs[] = {{ID_SETTINGS, L"设置", settings, L"settings_dialog"},
                   {IDCANCEL, L"关闭提示", close, L"close_dialog"}};
    for (const auto& d : dialogs) {
      ::PostMessageW(window, WM_COMMAND, d.command, 0);
      const HWND dialog = WaitForDialog(d.title);
      ASSERT_TRUE(dialog) << d.title;
      ExpectLaidOutAndNamed(dialog, d.skin, dpi);
      Save(dialog, d.file, dpi);
      ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      EXPECT_TRUE(WaitForGone(dialog));
    }
  }
}

TEST_F(ScaledE2e, SwitchesAndChoicesSayWhetherTheyAreOn) {
  Program program;
  const HWND window = program.WaitForWindow();
  ASSERT_TRUE(window);
  HWND dialog = OpenSettings(window);
  ASSERT_TRUE(dialog);
  // Auto-hide off (set up so), the Explorer menu and opening in place on until switched off.
  EXPECT_EQ(CheckOf(dialog, ID_SET_AUTOHIDE), BST_UNCHECKED);
  EXPECT_EQ(CheckOf(dialog, ID_SET_RIGHTMENU), BST_CHECKED);
  EXPECT_EQ(CheckOf(dialog, ID_SET_JUMPINPLACE), BST_CHECKED);
  Click(dialog, ID_SET_AUTOHIDE);
  EXPECT_EQ(CheckOf(dialog, ID_SET_AUTOHIDE), BST_CHECKED);
  ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitForGone(dialog));

  ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  dialog = WaitForDialog(L"关闭提示");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(CheckOf(dialog, 7002), BST_CHECKED);  // hide, the skin's default
  EXPECT_EQ(CheckOf(dialog, ID_CLOSE_EXIT), BST_UNCHECKED);
  EXPECT_EQ(CheckOf(dialog, ID_CLOSE_REMEMBER), BST_UNCHECKED);
  Click(dialog, ID_CLOSE_EXIT);
  EXPECT_TRUE(WaitFor([&] { return CheckOf(dialog, 7002) == BST_UNCHECKED; }));
  EXPECT_EQ(CheckOf(dialog, ID_CLOSE_EXIT), BST_CHECKED);
  ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitForGone(dialog));
}

TEST_F(ScaledE2e, TheImagesDrawnForTheScaleAreTheOnesShown) {
  // A copy of the program whose "添加文件夹" images for 1.5x and 2x are marked by colour.
  testing::ScratchFolder folder;
  const std::wstring copy = LayOutProgram(ProgramPath(), folder.path());
  const SkinDescription main = ShippedSkin(L"main.xml");
  ASSERT_TRUE(main.loaded && !main.buttons.empty());
  const SkinElement& add = main.buttons[0];
  ASSERT_EQ(add.msg, static_cast<int>(ID_ADD_FOLDER));
  const struct {
    const wchar_t* file;
    UINT drawnFor;
    COLORREF colour;
  } marks[] = {{L"btn_add@1.5x.png", 144, RGB(0, 160, 0)},
               {L"btn_add@2x.png", 192, RGB(160, 0, 160)}};
  for (const auto& mark : marks) {
    const int width = 3 * ScaleToDpi(add.width, mark.drawnFor);
    const int height = ScaleToDpi(add.height, mark.drawnFor);
    const COLORREF c = mark.colour;
    ASSERT_TRUE(testing::EncodeFile(
        folder.File(std::wstring(L"config\\") + mark.file), GUID_ContainerFormatPng,
        testing::MakePicture(width, height, [c](int, int) {
          return 0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        })));
  }
  // 125 % takes the image for the closest scale at or above it, 1.5x, scaled down.
  const struct {
    UINT dpi;
    COLORREF shown;
  } cases[] = {{144, RGB(0, 160, 0)}, {120, RGB(0, 160, 0)}, {192, RGB(160, 0, 160)}};
  for (const auto& c : cases) {
    DisplayScale scale(c.dpi);
    Program program(copy);
    const HWND window = program.WaitForWindow();
    ASSERT_TRUE(window) << c.dpi;
    RECT button{};
    ::GetWindowRect(::GetDlgItem(window, ID_ADD_FOLDER), &button);
    EXPECT_EQ(button.right - button.left, ScaleToDpi(add.width, c.dpi)) << c.dpi;
    ::Sleep(300);
    const POINT middle{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    EXPECT_TRUE(Near(Screenshot(window).At(middle), c.shown)) << c.dpi;
    KillStrays();
  }
}

}  // namespace
}  // namespace stashly
