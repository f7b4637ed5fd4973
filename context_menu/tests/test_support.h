#pragma once
// What the Clickwell tests and the benchmark share: the paths of the built files, regsvr32,
// registry reading, and a data object like the one Explorer hands a handler.
#include <windows.h>
#include <objidl.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "testing/drop_data.h"
#include "win/com_server.h"
#include "win/thread.h"

namespace clickwell::test {

// Clickwell.dll, which the build puts beside the test program.
std::wstring ClickwellPath();
std::wstring Quoted(const std::wstring& text);

// Runs "regsvr32.exe <arguments>" and waits for it; its exit code, or ~0u when it did not run.
DWORD RunRegsvr32(const std::wstring& arguments);

bool KeyExists(HKEY root, const std::wstring& path);
// A REG_SZ value; `name` null for the key's default value.
std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const wchar_t* name);
std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& path);
std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path);
void WriteString(HKEY root, const std::wstring& path, const wchar_t* name,
                 const std::wstring& value);
void DeleteTree(HKEY root, const std::wstring& path);

// Explorer's two calls on a right-click: the menu filled (into a popup of its own that goes at
// once), the handler's answer; then the command at `offset` of those it added, invoked from the
// window `owner`. Without one the handler is asked for no user interface, so that nothing it
// shows can hold up a test.
HRESULT FillMenu(IContextMenu* menu);
HRESULT InvokeOffset(IContextMenu* menu, UINT offset, const char* directory = nullptr,
                     HWND owner = nullptr);

// Waits on a thread of its own for a message box owned by `owner`, notes its text and closes
// it; text() waits for that (empty when none came within a while).
class MessageBoxCloser {
 public:
  explicit MessageBoxCloser(HWND owner);
  ~MessageBoxCloser();
  std::wstring text();

 private:
  win::Thread thread_;
  std::wstring text_;
};

using win::testing::DropDataObject;
using win::testing::DropFiles;

// A suite run with the real Clickwell.dll registered through regsvr32, in a single-threaded
// apartment, as Explorer has it; unregistered again afterwards.
class RegisteredClickwellTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    registered_ = RunRegsvr32(L"/s " + Quoted(ClickwellPath())) == 0;
  }
  static void TearDownTestSuite() {
    RunRegsvr32(L"/s /u " + Quoted(ClickwellPath()));
    ::CoUninitialize();
  }
  static bool registered() { return registered_; }

 private:
  static inline bool registered_ = false;
};

}  // namespace clickwell::test
