// Opening in place, end to end: another program's Open dialog is in front when the running
// Stashly.exe is brought back (a second start); opening an entry then takes that dialog to it —
// the old Explorer-style dialog (GetOpenFileNameW) and the newer one (IFileOpenDialog) alike.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>

#include "store/settings_store.h"
#include "testing/e2e_support.h"
#include "testing/file_bytes.h"
#include "win/com_ptr.h"
#include "win/com_server.h"
#include "win/text.h"
#include "win/thread.h"

namespace stashly {
namespace {

using namespace e2e;

// Notes the folder the newer dialog shows each time it changes.
class FolderNotes final : public win::ComObject<IFileDialogEvents> {
 public:
  std::wstring folder() {
    std::lock_guard lock(mutex_);
    return folder_;
  }
  STDMETHODIMP OnFolderChange(IFileDialog* dialog) override {
    win::ComPtr<IShellItem> item;
    win::UniqueCoTaskMem<wchar_t> path;
    if (SUCCEEDED(dialog->GetFolder(item.put())) &&
        SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, path.put()))) {
      std::lock_guard lock(mutex_);
      folder_ = path.get();
    }
    return S_OK;
  }
  STDMETHODIMP OnFileOk(IFileDialog*) override { return S_OK; }
  STDMETHODIMP OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
  STDMETHODIMP OnSelectionChange(IFileDialog*) override { return S_OK; }
  STDMETHODIMP OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
    return S_OK;
  }
  STDMETHODIMP OnTypeChange(IFileDialog*) override { return S_OK; }
  STDMETHODIMP OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override {
    return S_OK;
  }

 private:
  win::Mutex mutex_;
  std::wstring folder_;
};

// An Open dialog shown by a thread of its own, as another program would show it, starting in
// `folder`.
class OpenDialogHost {
 public:
  OpenDialogHost(bool itemDialog, const std::wstring& folder) : itemDialog_(itemDialog) {
    notes_.Attach(new FolderNotes);
    notes_->AddRef();
    EXPECT_TRUE(thread_.start([this, folder] { Show(folder); }));
    WaitFor([&] { return (window_ = DialogOfThisProcess()) != nullptr; });
  }
  ~OpenDialogHost() {
    if (::IsWindow(window_)) ::PostMessageW(window_, WM_COMMAND, IDCANCEL, 0);
    thread_.join();
  }
  HWND window() const { return window_; }
  void Close() {
    ::PostMessageW(window_, WM_COMMAND, IDCANCEL, 0);
    WaitFor([&] { return !::IsWindow(window_); });
  }
  // The folder it shows, and the text of its file-name box.
  std::wstring Folder() {
    if (itemDialog_) return notes_->folder();
    wchar_t path[MAX_PATH] = {};
    ::SendMessageW(window_, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(path));
    return path;
  }
  std::wstring Name() {
    wchar_t text[MAX_PATH] = {};
    if (itemDialog_)
      ::GetDlgItemTextW(window_, 1152, text, MAX_PATH);
    else
      ::SendMessageW(window_, CDM_GETSPEC, MAX_PATH, reinterpret_cast<LPARAM>(text));
    return text;
  }

 private:
  static HWND DialogOfThisProcess() {
    for (HWND w = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
         w = ::FindWindowExW(nullptr, w, L"#32770", nullptr)) {
      DWORD process = 0;
      ::GetWindowThreadProcessId(w, &process);
      if (process == ::GetCurrentProcessId() && ::IsWindowVisible(w)) return w;
    }
    return nullptr;
  }
  void Show(const std::wstring& folder) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (itemDialog_) {
      win::ComPtr<IFileOpenDialog> dialog;
      win::ComPtr<IShellItem> start;
      DWORD cookie = 0;
      if (SUCCEEDED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IFileOpenDialog, dialog.put_void())) &&
          SUCCEEDED(::SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_IShellItem,
                                                  start.put_void()))) {
        dialog->SetFolder(start.get());
        dialog->Advise(notes_.get(), &cookie);
        dialog->Show(nullptr);
        dialog->Unadvise(cookie);
      }
    } else {
      wchar_t file[MAX_PATH] = {};
      OPENFILENAMEW open{};
      open.lStructSize = sizeof open;
      open.lpstrFile = file;
      open.nMaxFile = MAX_PATH;
      open.lpstrInitialDir = folder.c_str();
      open.Flags = OFN_EXPLORER;
      ::GetOpenFileNameW(&open);
    }
    ::CoUninitialize();
  }

  bool itemDialog_;
  win::ComPtr<FolderNotes> notes_;
  win::Thread thread_;
  HWND window_ = nullptr;
};

std::wstring MadeFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = win::CombinePath(temp, name);
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

// Brings the hidden program back from under `dialog` (a second start) and opens row `row` with
// Enter, as the user would from there.
void BringBackAndOpen(HWND main, HWND dialog, int row) {
  ::SetForegroundWindow(dialog);
  ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == dialog; }));
  Program second;
  EXPECT_EQ(second.WaitForExit(), 0);
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(main) != FALSE; }));
  SelectRow(main, row, LVIS_FOCUSED | LVIS_SELECTED);
  ::PostMessageW(::GetDlgItem(main, kListViewId), WM_KEYDOWN, VK_RETURN, 0);
}

TEST(JumpInPlace, AnOpenDialogGoesToTheFolderOrTheFileTheUserOpens) {
  KillStrays();
  WriteSettingDword(kAutoHideValue, 0);
  const std::wstring start = MadeFolder(L"stashly jump start");
  const std::wstring target = MadeFolder(L"stashly jump 目标");
  const std::wstring file = win::CombinePath(target, L"report 1.txt");
  win::testing::WriteFileBytes(file, "x");
  ASSERT_TRUE(WriteFavoritesFile(FavoritesFilePath(), {target, file}));
  const struct {
    const char* name;
    bool itemDialog;
    int row;
    std::wstring folder, box;  // what the dialog shows afterwards
  } cases[] = {
      {"old dialog, a folder", false, 0, target, L"typed.txt"},
      {"old dialog, a file", false, 1, target, L"report 1.txt"},
      {"new dialog, a folder", true, 0, target, L"typed.txt"},
      {"new dialog, a file", true, 1, target, L"report 1.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteSettingDword(kJumpInPlaceValue, 1);
    Program program;
    HWND main = program.WaitForWindow();
    ASSERT_TRUE(main);
    ::ShowWindow(main, SW_HIDE);
    OpenDialogHost dialog(c.itemDialog, start);
    ASSERT_TRUE(dialog.window());
    const HWND box = ::GetDlgItem(dialog.window(), c.itemDialog ? 1152 : 1148);
    ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed.txt"));
    BringBackAndOpen(main, dialog.window(), c.row);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); })) << "the program hides";
    EXPECT_TRUE(WaitFor([&] { return dialog.Folder() == c.folder; }))
        << win::ToNarrow(dialog.Folder(), CP_UTF8);
    EXPECT_EQ(dialog.Name(), c.box);
    EXPECT_TRUE(::IsWindow(dialog.window())) << "nothing was confirmed";
    EXPECT_EQ(::GetForegroundWindow(), dialog.window());
    KillStrays();
  }
}

// With the switch off, or with the dialog closed before the entry is opened, the ordinary open
// runs: the dialog (if any) stays where it was.
TEST(JumpInPlace, OffOrGoneTheOrdinaryOpenRuns) {
  KillStrays();
  WriteSettingDword(kAutoHideValue, 0);
  const std::wstring start = MadeFolder(L"stashly jump start");
  const std::wstring target = MadeFolder(L"stashly jump ordinary");
  ASSERT_TRUE(WriteFavoritesFile(FavoritesFilePath(), {target}));
  for (const bool switchedOff : {true, false}) {
    SCOPED_TRACE(switchedOff ? "switched off" : "dialog closed");
    WriteSettingDword(kJumpInPlaceValue, switchedOff ? 0 : 1);
    Program program;
    HWND main = program.WaitForWindow();
    ASSERT_TRUE(main);
    ::ShowWindow(main, SW_HIDE);
    OpenDialogHost dialog(false, start);
    ::SetForegroundWindow(dialog.window());
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == dialog.window(); }));
    Program second;
    EXPECT_EQ(second.WaitForExit(), 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(main) != FALSE; }));
    if (!switchedOff) dialog.Close();
    SelectRow(main, 0, LVIS_FOCUSED | LVIS_SELECTED);
    ::PostMessageW(::GetDlgItem(main, kListViewId), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }));
    if (switchedOff) {
      EXPECT_EQ(dialog.Folder(), start);
    }
    EXPECT_TRUE(CloseWindowsShowing(L"stashly jump ordinary")) << "a window of its own";
    KillStrays();
  }
  WriteSettingDword(kJumpInPlaceValue, 1);
}

}  // namespace
}  // namespace stashly
