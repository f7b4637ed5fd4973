// The whole right-click against the real main program: this program plays Explorer with the
// registered Clickwell.dll while the built Stashly.exe runs, and checks the favourites file, the
// running window's list (read across processes), starts through "installpath" and the settings
// dialog's switch registering and unregistering the real extension through regsvr32.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "context_menu/clickwell_ids.h"
#include "context_menu/tests/test_support.h"
#include "core/utf8.h"
#include "store/favorites_file.h"
#include "store/settings_store.h"
#include "testing/e2e_support.h"
#include "testing/file_bytes.h"
#include "testing/process.h"
#include "win/com_ptr.h"
#include "win/module.h"
#include "win/shell_paths.h"
#include "win/text.h"
#include "win/unique_any.h"

namespace clickwell::test {
namespace {

using win::testing::FileBytes;

using namespace stashly::e2e;
using win::ComPtr;

constexpr wchar_t kClassKey[] = L"CLSID\\{EDE9C14E-B540-40BD-9592-1770FCDF08F4}";
constexpr DWORD kRegistrationTimeoutMs = 20000;
// The menu offsets Explorer invokes: the handler's two entries.
constexpr UINT kOpenOffset = 0;
constexpr UINT kAddOffset = 1;

// The built program in its own build folder, where its skins and image provider lie beside it.
std::wstring BuiltProgram() {
  std::wstring relative = win::ProgramFolder() + L"\\" STASHLY_PROGRAM_FOLDER L"\\Stashly.exe";
  wchar_t full[MAX_PATH] = {};
  ::GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
  return full;
}

std::vector<std::wstring> FileRecords(const std::wstring& path) {
  stashly::RecordList records;
  stashly::ReadFavoritesFile(path, records);
  return records.ToVector();
}

int RunningPrograms() {
  int count = 0;
  win::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!snapshot || !::Process32FirstW(snapshot.get(), &entry)) return count;
  do {
    if (::lstrcmpiW(entry.szExeFile, L"Stashly.exe") == 0) ++count;
  } while (::Process32NextW(snapshot.get(), &entry));
  return count;
}

// The visible main window, however the program was started.
HWND WaitForVisibleMainWindow() {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND w : WindowsTitled(stashly::kMainWindowTitle))
          if (::GetDlgItem(w, stashly::kListViewId) && ::IsWindowVisible(w)) found = w;
        return found != nullptr;
      },
      kStartTimeoutMs);
  return found;
}

// A folder under the temporary folder, removed with what the test put in it.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + name;
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const auto& child : children_)
      if (!::DeleteFileW(child.c_str())) ::RemoveDirectoryW(child.c_str());
    ::RemoveDirectoryW(path_.c_str());
  }
  std::wstring Folder(const std::wstring& name) {
    std::wstring path = path_ + L"\\" + name;
    ::CreateDirectoryW(path.c_str(), nullptr);
    children_.push_back(path);
    return path;
  }
  std::wstring File(const std::wstring& name) {
    std::wstring path = path_ + L"\\" + name;
    win::UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    children_.push_back(path);
    return path;
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> children_;
};

class EndToEnd : public RegisteredClickwellTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registered());
    favorites_ = stashly::FavoritesFilePath();
    ASSERT_FALSE(favorites_.empty());
    Clean();
  }
  void TearDown() override { Clean(); }

  void Clean() {
    KillStrays();
    ::SHDeleteValueW(HKEY_CURRENT_USER, stashly::kExtensionSettingsKey, stashly::kInstallPathValue);
    ::SHDeleteValueW(HKEY_CURRENT_USER, stashly::kSettingsKey, stashly::kExitWhenCloseValue);
    ::SHDeleteValueW(HKEY_CURRENT_USER, stashly::kSettingsKey, stashly::kRightMenuValue);
    // The window stays up while this program works on it.
    stashly::WriteSettingDword(stashly::kAutoHideValue, 0);
    ::DeleteFileW(favorites_.c_str());
  }

  // A handler as Explorer makes one for a right-click: created, initialised, menu queried.
  static ComPtr<IContextMenu> RightClick(PCIDLIST_ABSOLUTE folder, IDataObject* selection,
                                         HRESULT initialized) {
    ComPtr<IShellExtInit> init;
    EXPECT_EQ(::CoCreateInstance(kClickwellClassId, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IShellExtInit, init.put_void()),
              S_OK);
    if (!init) return {};
    EXPECT_EQ(init->Initialize(folder, selection, nullptr), initialized);
    ComPtr<IContextMenu> menu = init.Query<IContextMenu>();
    if (!menu) return menu;
    EXPECT_EQ(FillMenu(menu.get()), 2);
    return menu;
  }

  static ComPtr<IContextMenu> RightClickOn(const std::wstring& item) {
    ComPtr<DropDataObject> selection;
    selection.Attach(new DropDataObject(DropFiles({item})));
    selection->AddRef();
    return RightClick(nullptr, selection.get(), S_OK);
  }

  std::wstring favorites_;
};

// Makes row `index` the only selected one, as a click would.
void SelectOnly(HWND main, int index) {
  HWND list = ::GetDlgItem(main, stashly::kListViewId);
  RemoteBuffer remote(list, sizeof(LVITEMW));
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  remote.Write(0, &item, sizeof item);
  ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(remote.address()));
  item.state = LVIS_SELECTED;
  remote.Write(0, &item, sizeof item);
  ::SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(remote.address()));
}

win::UniqueHandle StartAddProbe(const std::wstring& prefix, int count) {
  std::wstring command = L"\"" + win::FileBesideProgram(L"add_probe.exe") + L"\" \"" + prefix +
                         L"\" " + std::to_wstring(count);
  return win::testing::StartProcess(std::move(command));
}

// Three Explorers add files while the user deletes other entries in the running window: every
// add that returned S_OK is in the file, once, and every delete took only what it chose.
// (STASHLY_STRESS_ADDS sets the adds per Explorer; a few dozen keep the suite short.)
TEST_F(EndToEnd, NoRecordIsLostWhileThreeExplorersAddAndTheWindowDeletes) {
  const char* adds = std::getenv("STASHLY_STRESS_ADDS");
  const int perExplorer = adds ? std::atoi(adds) : 40;
  std::vector<std::wstring> others;
  for (int k = 0; k < 25; ++k) others.push_back(L"C:\\others\\" + std::to_wstring(k));
  ASSERT_TRUE(stashly::WriteFavoritesFile(favorites_, others));
  Program program(BuiltProgram());
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);

  std::vector<win::UniqueHandle> explorers;
  for (int p = 0; p < 3; ++p) {
    explorers.push_back(StartAddProbe(L"C:\\stress\\" + std::to_wstring(p), perExplorer));
    ASSERT_TRUE(explorers.back());
  }
  // A change notice reloads the list and with it the selection, so a delete may find nothing
  // selected: then the user selects again.
  int deletes = 0;
  for (const std::wstring& other : others) {
    for (int attempt = 0; attempt < 50; ++attempt) {
      const std::vector<std::wstring> rows = ListRows(main);
      const auto row = std::find(rows.begin(), rows.end(), other);
      if (row == rows.end()) break;
      SelectOnly(main, static_cast<int>(row - rows.begin()));
      ::SendMessageW(main, WM_COMMAND, 5001, 0);  // the program's delete command
      ++deletes;
    }
  }
  for (auto& explorer : explorers) {
    ASSERT_EQ(::WaitForSingleObject(explorer.get(), 600000), WAIT_OBJECT_0);
    DWORD failedAdds = 0;
    ::GetExitCodeProcess(explorer.get(), &failedAdds);
    EXPECT_EQ(failedAdds, 0u);
  }

  const std::vector<std::wstring> records = FileRecords(favorites_);
  int lost = 0, duplicated = 0;
  for (int p = 0; p < 3; ++p) {
    for (int i = 0; i < perExplorer; ++i) {
      const std::wstring added =
          L"C:\\stress\\" + std::to_wstring(p) + L"\\" + std::to_wstring(i) + L".txt";
      const auto copies = std::count(records.begin(), records.end(), added);
      lost += copies == 0;
      duplicated += copies > 1;
    }
  }
  const auto left = std::count_if(records.begin(), records.end(), [](const std::wstring& r) {
    return r.rfind(L"C:\\others\\", 0) == 0;
  });
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(duplicated, 0);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(records.size(), static_cast<size_t>(3 * perExplorer));
  std::printf(
      "lost %d of %d adds from 3 processes; %d delete commands meanwhile, %lld of 25 "
      "others left\n",
      lost, 3 * perExplorer, deletes, static_cast<long long>(left));
}

TEST_F(EndToEnd, AddReachesTheFileAndTheRunningWindowBeforeInvokeReturns) {
  // The expected encoding follows the code page this run is meant to have.
  if (const char* expected = std::getenv("STASHLY_EXPECT_ACP")) {
    ASSERT_EQ(std::to_string(::GetACP()), expected);
  }
  TempFolder root(L"Clickwell end to end");
  const std::wstring file = root.File(L"report.txt");
  const std::wstring cjkFolder = root.Folder(L"资料 收藏");
  const std::wstring namedBackground = root.Folder(L"背景 文件夹");
  const std::wstring wideBackground = root.Folder(L"宽 目录");

  std::vector<std::wstring> rows = {LR"(C:\windows)", LR"(C:\Tom & Jerry\notes.txt)"};
  ASSERT_TRUE(stashly::WriteFavoritesFile(favorites_, rows));
  Program program(BuiltProgram());
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  ASSERT_EQ(ListRows(main), rows);

  // Each check follows InvokeCommand at once: the notice is sent, and answered, before it returns.
  ComPtr<IContextMenu> menu = RightClickOn(file);
  ASSERT_TRUE(menu);
  EXPECT_EQ(InvokeOffset(menu.get(), kAddOffset), S_OK);
  rows.push_back(file);
  EXPECT_EQ(ListRows(main), rows);
  EXPECT_FALSE(stashly::StartsWithUtf8Bom(FileBytes(favorites_)));

  menu = RightClickOn(cjkFolder);
  ASSERT_TRUE(menu);
  EXPECT_EQ(InvokeOffset(menu.get(), kAddOffset), S_OK);
  rows.push_back(cjkFolder);
  EXPECT_EQ(ListRows(main), rows);

  // A background click: the folder Explorer names in the item list wins over the ANSI directory.
  win::UniquePidl pidl(::ILCreateFromPathW(namedBackground.c_str()));
  ASSERT_TRUE(pidl);
  menu = RightClick(pidl.get(), nullptr, S_FALSE);
  ASSERT_TRUE(menu);
  EXPECT_EQ(InvokeOffset(menu.get(), kAddOffset, "C:\\ansi"), S_OK);
  rows.push_back(namedBackground);
  EXPECT_EQ(ListRows(main), rows);

  // Without an item list the wide directory of the invoke information names the folder.
  menu = RightClick(nullptr, nullptr, S_FALSE);
  ASSERT_TRUE(menu);
  const std::string ansi = win::ToNarrow(wideBackground, CP_ACP);
  CMINVOKECOMMANDINFOEX info{};
  info.cbSize = sizeof info;
  info.fMask = CMIC_MASK_UNICODE;
  info.lpVerb = MAKEINTRESOURCEA(kAddOffset);
  info.lpVerbW = MAKEINTRESOURCEW(kAddOffset);
  info.lpDirectory = ansi.c_str();
  info.lpDirectoryW = wideBackground.c_str();
  info.nShow = SW_SHOWNORMAL;
  EXPECT_EQ(menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)), S_OK);
  rows.push_back(wideBackground);
  EXPECT_EQ(ListRows(main), rows);

  EXPECT_EQ(FileRecords(favorites_), rows);
  const std::string bytes = FileBytes(favorites_);
  if (::GetACP() == 936) {
    // Every name fits the ANSI code page: the file stays ANSI.
    EXPECT_FALSE(stashly::StartsWithUtf8Bom(bytes));
    EXPECT_NE(bytes.find(win::ToNarrow(cjkFolder, 936)), std::string::npos);
    EXPECT_NE(bytes.find(win::ToNarrow(wideBackground, 936)), std::string::npos);
  } else {
    // The first CJK name turned the file into UTF-8 rather than lose it.
    EXPECT_TRUE(stashly::StartsWithUtf8Bom(bytes));
    EXPECT_NE(bytes.find(stashly::ToUtf8(cjkFolder)), std::string::npos);
    EXPECT_NE(bytes.find(stashly::ToUtf8(wideBackground)), std::string::npos);
  }
}

// The first-level "add" of Windows 11, as Explorer's surrogate runs it (the class straight from
// the server, which the package names): every chosen item is in the running window, in order,
// when Invoke returns.
TEST_F(EndToEnd, FirstLevelAddOfSeveralItemsReachesTheRunningWindowBeforeInvokeReturns) {
  TempFolder root(L"Clickwell first level");
  const std::vector<std::wstring> items = {root.File(L"b.txt"), root.Folder(L"资料 收藏"),
                                           root.File(L"a.txt")};
  std::vector<std::wstring> rows = {LR"(C:\windows)"};
  ASSERT_TRUE(stashly::WriteFavoritesFile(favorites_, rows));
  Program program(BuiltProgram());
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);

  win::UniqueModule server(::LoadLibraryW(ClickwellPath().c_str()));
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto get = win::GetExport<GetClassObject>(server.get(), "DllGetClassObject");
  ASSERT_TRUE(get);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(get(kAddCommandClassId, IID_IClassFactory, factory.put_void()), S_OK);
  ComPtr<IExplorerCommand> command;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IExplorerCommand, command.put_void()), S_OK);

  std::vector<win::UniquePidl> lists;
  std::vector<PCIDLIST_ABSOLUTE> raw;
  for (const std::wstring& item : items) {
    lists.emplace_back(::ILCreateFromPathW(item.c_str()));
    ASSERT_TRUE(lists.back());
    raw.push_back(lists.back().get());
  }
  ComPtr<IShellItemArray> selection;
  ASSERT_EQ(::SHCreateShellItemArrayFromIDLists(static_cast<UINT>(raw.size()), raw.data(),
                                                selection.put()),
            S_OK);
  EXPECT_EQ(command->Invoke(selection.get(), nullptr), S_OK);
  rows.insert(rows.end(), items.begin(), items.end());
  EXPECT_EQ(ListRows(main), rows);
  EXPECT_EQ(FileRecords(favorites_), rows);
}

TEST_F(EndToEnd, OpenStartsTheInstalledProgramAndASecondOpenShowsIt) {
  WriteString(HKEY_CURRENT_USER, stashly::kExtensionSettingsKey, stashly::kInstallPathValue,
              BuiltProgram());
  ComPtr<IContextMenu> menu = RightClickOn(BuiltProgram());
  ASSERT_TRUE(menu);
  EXPECT_EQ(InvokeOffset(menu.get(), kOpenOffset), S_OK);
  HWND main = WaitForVisibleMainWindow();
  ASSERT_TRUE(main);

  ::ShowWindow(main, SW_HIDE);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }));
  EXPECT_EQ(InvokeOffset(menu.get(), kOpenOffset), S_OK);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(main) != FALSE; }, kStartTimeoutMs));
  // The second start handed over to the first and ended.
  EXPECT_TRUE(WaitFor([] { return RunningPrograms() == 1; }, kStartTimeoutMs)) << RunningPrograms();
  EXPECT_EQ(WindowsTitled(stashly::kMainWindowTitle).size(), 1u);
}

TEST_F(EndToEnd, OpenWithoutAnInstallPathStartsNothing) {
  ComPtr<IContextMenu> menu = RightClick(nullptr, nullptr, S_FALSE);
  ASSERT_TRUE(menu);
  EXPECT_EQ(InvokeOffset(menu.get(), kOpenOffset), S_OK);
  // Proving that nothing starts takes a wait; a start would show within it.
  ::Sleep(2000);
  EXPECT_TRUE(WindowsTitled(stashly::kMainWindowTitle).empty());
  EXPECT_EQ(RunningPrograms(), 0);
}

// The switch registers the extension beside the program for this user only: the machine-wide
// registration the suite made is never touched.
TEST_F(EndToEnd, SettingsSwitchUnregistersAndRegistersTheRealExtensionPerUser) {
  const std::wstring folder = win::FileBesideProgram(L"end_to_end_layout");
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring copy = LayOutProgram(BuiltProgram(), folder);
  const std::wstring extension = folder + L"\\Clickwell.dll";
  ASSERT_TRUE(::CopyFileW(ClickwellPath().c_str(), extension.c_str(), FALSE));
  ASSERT_EQ(RunRegsvr32(L"/s /n /i:user " + Quoted(extension)), 0u);
  const std::wstring userClass = std::wstring(L"Software\\Classes\\") + kClassKey;
  const std::wstring server = std::wstring(kClassKey) + L"\\InprocServer32";
  const auto machineServer =
      ReadString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + server, nullptr);
  ASSERT_TRUE(machineServer);

  Program program(copy);
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  // The program's settings command, its Explorer-menu box and its apply button, as the program's
  // skins number them (the extension's tests use nothing of the program's own folder).
  constexpr int kSettings = 5002, kExplorerMenuBox = 6002, kApply = 5001;
  auto toggleExtension = [&] {
    ::PostMessageW(main, WM_COMMAND, kSettings, 0);
    HWND dialog = WaitForDialog(L"设置");
    ASSERT_TRUE(dialog);
    Click(dialog, kExplorerMenuBox);
    Click(dialog, kApply);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
  };

  // Opening the dialog creates "rightmenu" as 1, so the first click turns the extension off.
  DWORD start = ::GetTickCount();
  toggleExtension();
  EXPECT_TRUE(
      WaitFor([&] { return !KeyExists(HKEY_CURRENT_USER, userClass); }, kRegistrationTimeoutMs));
  std::cout << "unregistered after " << ::GetTickCount() - start << " ms\n";

  start = ::GetTickCount();
  toggleExtension();
  // The copy beside the program was registered, not the one this test started with.
  EXPECT_TRUE(WaitFor(
      [&] {
        return ReadString(HKEY_CURRENT_USER, L"Software\\Classes\\" + server, nullptr) == extension;
      },
      kRegistrationTimeoutMs));
  std::cout << "registered after " << ::GetTickCount() - start << " ms\n";
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + server, nullptr),
            machineServer);
  RunRegsvr32(L"/s /u /n /i:user " + Quoted(extension));
}

}  // namespace
}  // namespace clickwell::test
