// Under Wine: loading a skin with ten elements of each kind and painting it once, against
// painting a plain dialog of the same size, in the same run. Prints both medians and the ratio.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "skin/easy_dialog.h"
#include "skin/tests/skin_test_files.h"
#include "win/gdi.h"

namespace {

using stashly::testing::WriteBmp;
using stashly::testing::WriteText;

std::string TenOfEach(bool images) {
  std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?><Dialog>
<main width="460" height="560" roundcorner="10" title="基准" titleicon="benchskin\icon.bmp"/>
<sysbutton sysClose="benchskin\strip.bmp"/><bk bkimage="benchskin\bk.bmp" bklayer="benchskin\icon.bmp"/>)";
  auto list = [](const char* section, const char* kind, const char* extra) {
    std::string out = std::string("<") + section + ">";
    for (int i = 0; i < 10; ++i)
      out += std::string("<") + kind + " msg=\"" + std::to_string(100 + i) + "\" xpos=\"" +
             std::to_string(10 + 40 * i) + "\" ypos=\"" + std::to_string(60 + 40 * i) +
             "\" width=\"36\" height=\"20\" " + extra + "/>";
    return out + "</" + section + ">";
  };
  xml += list("buttons", "button", R"(image="benchskin\strip.bmp" imagecount="3" text="按钮")");
  xml += list("edits", "edit", R"(image="benchskin\strip.bmp")");
  xml += list("xstrings", "xstring", R"(text="a {style=color=255,0,0;bold=1}b{/style} c")");
  xml += list("checks", "check", R"(image="benchskin\check.bmp" imagecount="6" text="选项")");
  xml += list("radios", "radio", R"(image="benchskin\check.bmp" imagecount="6" group="1")");
  xml += list("images", "image", R"(image="benchskin\icon.bmp" drawtype="1")");
  xml += "</Dialog>";
  if (!images) {
    // The same elements without any image, to tell the provider's share from the rest.
    for (size_t at; (at = xml.find("image=\"")) != std::string::npos;)
      xml.erase(at, xml.find('"', at + 7) - at + 1);
    for (size_t at; (at = xml.find("bkimage=\"")) != std::string::npos;)
      xml.erase(at, xml.find('"', at + 9) - at + 1);
  }
  return xml;
}

class BenchDialog : public stashly::CXEasyDialog {
 public:
  explicit BenchDialog(const wchar_t* skin) : skin_(skin) {}

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (message == WM_INITDIALOG && skin_) LoadSkin(skin_);
    return CXEasyDialog::HandleMessage(message, wParam, lParam, result);
  }
  win::DialogTemplate Template() const override {
    // The plain dialog gets the skinned one's size straight from its template.
    return skin_ ? CXEasyDialog::Template()
                 : win::DialogTemplate().Style(win::kWsPopup).Bounds(0, 0, 307, 455).Font(8);
  }

 private:
  const wchar_t* skin_;
};

// Creates the dialog, shows it, paints it and every child once, destroys it.
double OneRun(const wchar_t* skin) {
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  {
    BenchDialog dialog(skin);
    dialog.CreateModeless(nullptr);
    ::ShowWindow(dialog.hwnd(), SW_SHOWNA);
    ::RedrawWindow(dialog.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::GdiFlush();
  }
  ::QueryPerformanceCounter(&end);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  // As the program does at start-up; the imaging component then stays initialised.
  ::CoInitialize(nullptr);
  std::wstring dir = win::FileBesideProgram(L"benchskin");
  ::CreateDirectoryW(dir.c_str(), nullptr);
  WriteBmp(dir + L"\\bk.bmp", 460, 560, [](int x, int y) { return RGB(x % 256, y % 256, 90); });
  WriteBmp(dir + L"\\strip.bmp", 90, 24, [](int x, int) { return RGB(80 * (x / 30), 90, 200); });
  WriteBmp(dir + L"\\check.bmp", 96, 16, [](int x, int) { return RGB(40 * (x / 16), 200, 90); });
  WriteBmp(dir + L"\\icon.bmp", 16, 16, [](int x, int y) { return RGB(x * 16, y * 16, 0); });
  WriteText(dir + L"\\bench.xml", TenOfEach(true));
  WriteText(dir + L"\\noimages.xml", TenOfEach(false));

  OneRun(L"benchskin\\bench.xml");  // the first run pays for loading the imaging component
  OneRun(nullptr);
  std::vector<double> skinned, bare, plain;
  for (int i = 0; i < 15; ++i) {
    skinned.push_back(OneRun(L"benchskin\\bench.xml"));
    bare.push_back(OneRun(L"benchskin\\noimages.xml"));
    plain.push_back(OneRun(nullptr));
  }
  double s = Median(skinned), b = Median(bare), p = Median(plain);
  std::printf("skinned dialog (10 of each element): %.2f ms\n"
              "same elements without images: %.2f ms\nplain dialog: %.2f ms\nratio: %.1fx\n",
              s, b, p, s / p);
  return 0;
}
