#pragma once
// What the end-to-end drivers share: starting the real Stashly.exe, finding its window by title,
// reading its list view across the process boundary and clicking its skinned controls.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_ids.h"
#include "store/favorites_file.h"
#include "store/names.h"
#include "testing/process.h"
#include "win/module.h"
#include "win/shell_paths.h"
#include "win/unique_any.h"

namespace stashly::e2e {

inline constexpr DWORD kStartTimeoutMs = 20000;

inline std::wstring ProgramPath() {
  return win::FileBesideProgram(L"Stashly.exe");
}

template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs = 10000) {
  DWORD start = ::GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (::GetTickCount() - start > timeoutMs) return false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(20);
  }
}

inline std::vector<HWND> WindowsTitled(const wchar_t* title) {
  std::vector<HWND> found;
  for (HWND w = ::FindWindowExW(nullptr, nullptr, nullptr, title); w;
       w = ::FindWindowExW(nullptr, w, nullptr, title))
    found.push_back(w);
  return found;
}

// Whether a top-level window whose title holds `text` came up (the shell's view of a folder the
// program opened), closing every such window. The shell's first window in a fresh prefix can
// take long; one that came up late would take the keyboard from the next test.
inline bool CloseWindowsShowing(const wchar_t* text, DWORD timeoutMs = 60000) {
  bool seen = false;
  WaitFor(
      [&] {
        for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetNextWindow(w, GW_HWNDNEXT)) {
          wchar_t title[512] = {};
          ::GetWindowTextW(w, title, 512);
          if (::wcsstr(title, text)) {
            ::PostMessageW(w, WM_CLOSE, 0, 0);
            seen = true;
          }
        }
        return seen;
      },
      timeoutMs);
  return seen;
}

// The program's main windows: of its own class, with its title.
inline std::vector<HWND> MainWindows() {
  std::vector<HWND> found;
  for (HWND w = ::FindWindowExW(nullptr, nullptr, kMainWindowClass, kMainWindowTitle); w;
       w = ::FindWindowExW(nullptr, w, kMainWindowClass, kMainWindowTitle))
    found.push_back(w);
  return found;
}

inline void KillStrays() {
  for (HWND w : MainWindows()) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    win::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (process) {
      ::TerminateProcess(process.get(), 99);
      ::WaitForSingleObject(process.get(), 5000);
    }
  }
  // A killed program's window goes a moment after its process.
  WaitFor([] { return MainWindows().empty(); }, 5000);
}

// One run of the program; killed at the end of the scope if it is still running.
class Program {
 public:
  explicit Program(const std::wstring& path = ProgramPath()) {
    process_ = win::testing::StartProcess(L"\"" + path + L"\"", &pid_);
  }
  ~Program() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process_.get(), 99);
      ::WaitForSingleObject(process_.get(), 5000);
    }
  }
  bool started() const { return bool(process_); }
  HANDLE handle() const { return process_.get(); }

  // The main window of this process, once its list is there.
  HWND WaitForWindow() {
    HWND found = nullptr;
    WaitFor(
        [&] {
          for (HWND w : MainWindows()) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (pid == pid_ && ::GetDlgItem(w, kListViewId) && ::IsWindowVisible(w)) found = w;
          }
          return found != nullptr;
        },
        kStartTimeoutMs);
    if (!found) {
      DWORD code = STILL_ACTIVE;
      ::GetExitCodeProcess(process_.get(), &code);
      ADD_FAILURE() << "no main window; exit code " << code << ", windows titled "
                    << WindowsTitled(kMainWindowTitle).size();
    }
    return found;
  }
  // Exit code, or -1 when it does not end in time.
  int WaitForExit(DWORD timeoutMs = 10000) {
    if (::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    return static_cast<int>(code);
  }

 private:
  win::UniqueHandle process_;
  DWORD pid_ = 0;
};

// Memory in another process, for list-view messages whose structures hold pointers.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size) : size_(size) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    process_.reset(::OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
        FALSE, pid));
    if (process_)
      address_ = static_cast<BYTE*>(
          ::VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  }
  ~RemoteBuffer() {
    if (address_) ::VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
  }
  BYTE* address() const { return address_; }
  bool Write(size_t offset, const void* data, size_t size) {
    return ::WriteProcessMemory(process_.get(), address_ + offset, data, size, nullptr) != FALSE;
  }
  bool Read(size_t offset, void* data, size_t size) const {
    return ::ReadProcessMemory(process_.get(), address_ + offset, data, size, nullptr) != FALSE;
  }

 private:
  win::UniqueHandle process_;
  BYTE* address_ = nullptr;
  size_t size_;
};

inline std::vector<std::wstring> ListRows(HWND main) {
  HWND list = ::GetDlgItem(main, kListViewId);
  int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  constexpr int kChars = 4096;
  RemoteBuffer remote(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  std::vector<std::wstring> rows;
  if (!remote.address()) return rows;
  for (int i = 0; i < count; ++i) {
    LVITEMW item{};
    item.iSubItem = 0;
    item.cchTextMax = kChars;
    item.pszText = reinterpret_cast<wchar_t*>(remote.address() + sizeof(LVITEMW));
    remote.Write(0, &item, sizeof(item));
    auto length = static_cast<size_t>(
        ::SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote.address())));
    std::wstring text(length, L'\0');
    remote.Read(sizeof(LVITEMW), text.data(), length * sizeof(wchar_t));
    rows.push_back(text);
  }
  return rows;
}

// Selects a row (or, with LVIS_FOCUSED, gives it the focus rectangle); other rows keep theirs.
inline void SelectRow(HWND main, int index, UINT state = LVIS_SELECTED) {
  HWND list = ::GetDlgItem(main, kListViewId);
  RemoteBuffer remote(list, sizeof(LVITEMW));
  LVITEMW item{};
  item.stateMask = state;
  item.state = state;
  remote.Write(0, &item, sizeof(item));
  ::SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(remote.address()));
}

inline std::vector<std::wstring> FileRows() {
  RecordList records;
  ReadFavoritesFile(FavoritesFilePath(), records);
  return records.ToVector();
}

// A click on a skinned control of another process: press and release over it.
inline void Click(HWND dialog, int id) {
  HWND control = ::GetDlgItem(dialog, id);
  ASSERT_TRUE(control) << id;
  ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

inline HWND WaitForDialog(const wchar_t* title) {
  HWND found = nullptr;
  WaitFor([&] { return (found = ::FindWindowW(nullptr, title)) && ::IsWindowVisible(found); });
  return found;
}

// Opens the settings dialog of the program's main window `main`, as its button does.
inline HWND OpenSettings(HWND main) {
  ::PostMessageW(main, WM_COMMAND, ID_SETTINGS, 0);
  return WaitForDialog(L"设置");
}

inline bool WaitForGone(HWND window) {
  return WaitFor([&] { return !::IsWindow(window); });
}

// Lays out a copy of `program`, its image provider and its skins in `folder`; the copy's path.
inline std::wstring LayOutProgram(const std::wstring& program, const std::wstring& folder) {
  std::wstring here = win::ParentFolder(program);
  for (const wchar_t* file : {L"Stashly.exe", L"Pictora.dll"})
    ::CopyFileW(win::CombinePath(here, file).c_str(), win::CombinePath(folder, file).c_str(),
                FALSE);
  std::wstring config = win::CombinePath(folder, L"config");
  ::CreateDirectoryW(config.c_str(), nullptr);
  WIN32_FIND_DATAW found{};
  win::UniqueFind search(::FindFirstFileW(win::CombinePath(here, L"config\\*").c_str(), &found));
  if (search) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        ::CopyFileW(win::CombinePath(here, std::wstring(L"config\\") + found.cFileName).c_str(),
                    win::CombinePath(config, found.cFileName).c_str(), FALSE);
    } while (::FindNextFileW(search.get(), &found));
  }
  return win::CombinePath(folder, L"Stashly.exe");
}

}  // namespace stashly::e2e
