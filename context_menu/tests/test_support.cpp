#include "context_menu/tests/test_support.h"

#include <shellapi.h>

#include "testing/process.h"
#include "win/module.h"
#include "win/unique_any.h"

namespace clickwell::test {

std::wstring ClickwellPath() {
  return win::FileBesideProgram(L"Clickwell.dll");
}

std::wstring Quoted(const std::wstring& text) {
  return L"\"" + text + L"\"";
}

DWORD RunRegsvr32(const std::wstring& arguments) {
  return win::testing::RunToEnd(L"regsvr32.exe " + arguments, 60000);
}

bool KeyExists(HKEY root, const std::wstring& path) {
  win::UniqueHkey key;
  return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const wchar_t* name) {
  wchar_t buffer[2048] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer - sizeof(wchar_t);
  if (::RegGetValueW(root, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, buffer, &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  return std::wstring(buffer);
}

std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& path) {
  std::vector<std::wstring> names;
  win::UniqueHkey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (::RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  return names;
}

std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path) {
  std::vector<std::wstring> names;
  win::UniqueHkey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD length = 16384;
    if (::RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  return names;
}

void WriteString(HKEY root, const std::wstring& path, const wchar_t* name,
                 const std::wstring& value) {
  win::UniqueHkey key;
  if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
    return;
  ::RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void DeleteTree(HKEY root, const std::wstring& path) {
  ::RegDeleteTreeW(root, path.c_str());
}

HRESULT FillMenu(IContextMenu* menu) {
  struct MenuTraits {
    using Type = HMENU;
    static Type Invalid() { return nullptr; }
    static void Close(Type value) { ::DestroyMenu(value); }
  };
  win::UniqueAny<MenuTraits> popup(::CreatePopupMenu());
  return menu->QueryContextMenu(popup.get(), 0, 100, 0x7FFF, CMF_NORMAL);
}

HRESULT InvokeOffset(IContextMenu* menu, UINT offset, const char* directory, HWND owner) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.fMask = owner ? 0 : CMIC_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.lpDirectory = directory;
  info.nShow = SW_SHOWNORMAL;
  return menu->InvokeCommand(&info);
}

MessageBoxCloser::MessageBoxCloser(HWND owner) {
  EXPECT_TRUE(thread_.start([this, owner] {
    for (int tries = 0; tries < 1500; ++tries, ::Sleep(20)) {
      HWND box = nullptr;
      for (HWND w = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w && !box;
           w = ::FindWindowExW(nullptr, w, L"#32770", nullptr))
        if (::GetWindow(w, GW_OWNER) == owner && ::IsWindowVisible(w)) box = w;
      if (!box) continue;
      wchar_t text[1024] = {};
      ::GetDlgItemTextW(box, 0xFFFF, text, 1024);  // a message box's text
      text_ = text;
      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      return;
    }
  }));
}

MessageBoxCloser::~MessageBoxCloser() {
  thread_.join();
}

std::wstring MessageBoxCloser::text() {
  thread_.join();
  return text_;
}

}  // namespace clickwell::test
