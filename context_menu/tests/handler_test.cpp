// The test program plays Explorer: it registers Clickwell.dll with regsvr32, creates the
// handler through COM and drives it as the shell does, with real data objects, menus, the
// favourites file under this prefix's application-data folder and a window titled like the
// main program's.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "context_menu/clickwell_ids.h"
#include "context_menu/tests/launch_probe.h"
#include "context_menu/tests/test_support.h"
#include "core/utf8.h"
#include "store/favorites_file.h"
#include "store/settings_store.h"
#include "testing/display_scale.h"
#include "testing/file_bytes.h"
#include "testing/process.h"
#include "win/com_ptr.h"
#include "win/module.h"
#include "win/shell_paths.h"
#include "win/text.h"
#include "win/thread.h"
#include "win/unique_any.h"

namespace clickwell::test {
namespace {

using win::ComPtr;
using win::testing::FileBytes;
using win::testing::WriteFileBytes;

constexpr wchar_t kOpenText[] = L"打开 Velto文件收藏夹";
constexpr wchar_t kAddText[] = L"添加到 Velto文件收藏夹";
constexpr char kHelpA[] = "This is the simple shell extension's help";
constexpr wchar_t kCjkFolder[] = L"C:\\资料\\收藏 文件夹";

template <typename T, typename... Args>
ComPtr<T> Make(Args&&... args) {
  T* object = new T(std::forward<Args>(args)...);
  object->AddRef();
  ComPtr<T> owner;
  owner.Attach(object);
  return owner;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = folder + L"\\" + name;
      if (!::DeleteFileW(child.c_str())) RemoveTree(child);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(folder.c_str());
}

// A window titled like the main program's, on a thread of its own as the real one would be,
// that notes every change notice and what the favourites file held when it arrived.
class MainWindowStandIn {
 public:
  struct Notice {
    ULONG_PTR dwData;
    DWORD cbData;
    bool dataNull;
    std::string fileBytes;
  };

  MainWindowStandIn() {
    win::UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (thread_.start([this, event = ready.get()] { Run(event); }))
      ::WaitForSingleObject(ready.get(), 10000);
    else
      ADD_FAILURE() << "no thread for the main window";
  }
  ~MainWindowStandIn() {
    if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }

  std::vector<Notice> Notices() {
    std::lock_guard lock(mutex_);
    return notices_;
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainWindowStandIn*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      std::lock_guard lock(self->mutex_);
      self->notices_.push_back({data ? data->dwData : ~ULONG_PTR{0}, data ? data->cbData : 0,
                                data && !data->lpData, FileBytes(stashly::FavoritesFilePath())});
      return TRUE;
    }
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  void Run(HANDLE ready) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = stashly::kMainWindowClass;
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, stashly::kMainWindowTitle,
                                    WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window_ = window;
    ::SetEvent(ready);
    MSG message;
    while (window && ::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  }

  win::Thread thread_;
  std::atomic<HWND> window_ = nullptr;
  win::Mutex mutex_;
  std::vector<Notice> notices_;
};

class Handler : public RegisteredClickwellTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registered());
    favorites_ = stashly::FavoritesFilePath();
    ASSERT_FALSE(favorites_.empty());
    Clean();
    ASSERT_EQ(::CoCreateInstance(kClickwellClassId, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IShellExtInit, init_.put_void()),
              S_OK);
    menu_ = init_.Query<IContextMenu>();
    ASSERT_TRUE(menu_);
  }
  void TearDown() override {
    menu_.reset();
    init_.reset();
    Clean();
  }

  void Clean() {
    RemoveTree(win::ParentFolder(win::ParentFolder(favorites_)));
    ::SHDeleteValueW(HKEY_CURRENT_USER, stashly::kExtensionSettingsKey, stashly::kInstallPathValue);
  }

  HRESULT InitializeWith(const std::vector<char>& drop, bool offered = false) {
    auto data = Make<DropDataObject>(drop, offered);
    return init_->Initialize(nullptr, data.get(), nullptr);
  }

  HRESULT Invoke(UINT offset, const char* directory = nullptr, HWND owner = nullptr) {
    return InvokeOffset(menu_.get(), offset, directory, owner);
  }

  std::vector<std::wstring> Records() {
    stashly::RecordList records;
    stashly::ReadFavoritesFile(favorites_, records);
    return records.ToVector();
  }

  std::wstring favorites_;
  ComPtr<IShellExtInit> init_;
  ComPtr<IContextMenu> menu_;
};

HMODULE Clickwell() {
  return ::GetModuleHandleW(L"Clickwell.dll");
}

TEST_F(Handler, AnswersForItsTwoInterfacesOnly) {
  ComPtr<IUnknown> fromInit = init_.Query<IUnknown>();
  ComPtr<IUnknown> fromMenu = menu_.Query<IUnknown>();
  EXPECT_TRUE(fromInit);
  EXPECT_EQ(fromInit.get(), fromMenu.get());
  EXPECT_EQ(menu_.Query<IShellExtInit>().get(), init_.get());
  EXPECT_FALSE(init_.Query<IContextMenu2>());
  EXPECT_FALSE(init_.Query<IDataObject>());
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(init_->QueryInterface(IID_IContextMenu3, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
}

TEST_F(Handler, FactoryRefusesAggregationAndANullOutput) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(::CoGetClassObject(kClickwellClassId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.put_void()),
            S_OK);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, nullptr), E_POINTER);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(init_.get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  ComPtr<IContextMenu> other;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, other.put_void()), S_OK);
  EXPECT_NE(other.get(), menu_.get());

  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto getClassObject = win::GetExport<GetClassObject>(Clickwell(), "DllGetClassObject");
  ASSERT_TRUE(getClassObject);
  EXPECT_EQ(getClassObject(CLSID_ShellLink, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
}

TEST_F(Handler, ServerStaysLoadedWhileAnObjectOrALockLives) {
  using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
  auto canUnloadNow = win::GetExport<CanUnloadNow>(Clickwell(), "DllCanUnloadNow");
  ASSERT_TRUE(canUnloadNow);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  menu_.reset();
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  init_.reset();
  EXPECT_EQ(canUnloadNow(), S_OK);

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(::CoGetClassObject(kClickwellClassId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.put_void()),
            S_OK);
  factory->LockServer(TRUE);
  factory.reset();
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  ASSERT_EQ(::CoGetClassObject(kClickwellClassId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.put_void()),
            S_OK);
  factory->LockServer(FALSE);
  factory.reset();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

std::vector<char> ManyFiles(int count) {
  std::vector<std::wstring> files;
  for (int i = 0; i < count; ++i)
    files.push_back(L"C:\\many\\file " + std::to_wstring(i) + L".txt");
  return DropFiles(files);
}

TEST_F(Handler, AddStoresTheFirstSelectedItemWhole) {
  const std::wstring longPath = L"C:\\" + std::wstring(120, L'a') + L"\\" +
                                std::wstring(150, L'b') + L"\\" + std::wstring(40, L'c') + L".txt";
  const struct {
    const char* name;
    std::vector<char> drop;
    std::wstring stored;
  } cases[] = {
      {"one file", DropFiles({L"C:\\stash\\report.txt"}), L"C:\\stash\\report.txt"},
      {"three files", DropFiles({L"C:\\one.txt", L"C:\\two.txt", L"C:\\three.txt"}),
       L"C:\\one.txt"},
      {"a folder", DropFiles({L"D:\\Projects"}), L"D:\\Projects"},
      {"longer than MAX_PATH", DropFiles({longPath, L"C:\\next"}), longPath},
      {"an ANSI drop list", DropFiles({L"C:\\ansi\\list.txt"}, false), L"C:\\ansi\\list.txt"},
      {"ten thousand files", ManyFiles(10000), L"C:\\many\\file 0.txt"},
  };
  std::vector<std::wstring> expected;
  for (const auto& c : cases) {
    EXPECT_EQ(InitializeWith(c.drop), S_OK) << c.name;
    EXPECT_EQ(Invoke(1), S_OK) << c.name;
    expected.push_back(c.stored);
    EXPECT_EQ(Records(), expected) << c.name;
  }
}

TEST_F(Handler, InitializeRefusesDataWithoutAFile) {
  std::vector<char> pastTheEnd = DropFiles({L"C:\\x"});
  reinterpret_cast<DROPFILES*>(pastTheEnd.data())->pFiles = 4096;
  std::vector<char> unterminated = DropFiles({L"C:\\x"});
  unterminated.resize(unterminated.size() - 4);
  std::vector<char> headerOnly = DropFiles({});
  headerOnly.resize(sizeof(DROPFILES) - 2);
  const struct {
    const char* name;
    std::vector<char> drop;
  } cases[] = {
      {"no CF_HDROP", {}},
      {"no file in the list", DropFiles({})},
      {"list starts past the block", pastTheEnd},
      {"list without its end", unterminated},
      {"block shorter than its header", headerOnly},
  };
  for (const auto& c : cases) {
    // A selection made before must not linger.
    ASSERT_EQ(InitializeWith(DropFiles({L"C:\\before.txt"})), S_OK);
    EXPECT_EQ(InitializeWith(c.drop), E_INVALIDARG) << c.name;
    EXPECT_EQ(Invoke(1), S_OK) << c.name;
  }
  // A CF_HDROP of zero bytes.
  ASSERT_EQ(InitializeWith(DropFiles({L"C:\\before.txt"})), S_OK);
  EXPECT_EQ(InitializeWith({}, true), E_INVALIDARG);
  EXPECT_EQ(Invoke(1), S_OK);
  EXPECT_EQ(FileBytes(favorites_), "<missing>");
}

class TempFolder {
 public:
  explicit TempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + name;
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TempFolder() { ::RemoveDirectoryW(path_.c_str()); }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

TEST_F(Handler, BackgroundClickStoresTheFolderExplorerNamed) {
  TempFolder folder(L"Clickwell 收藏 background");
  win::UniquePidl pidl(::ILCreateFromPathW(folder.path().c_str()));
  ASSERT_TRUE(pidl);
  EXPECT_EQ(init_->Initialize(pidl.get(), nullptr, nullptr), S_FALSE);
  // The item list wins over the ANSI directory, which cannot name this folder.
  EXPECT_EQ(Invoke(1, "C:\\ansi"), S_OK);
  EXPECT_EQ(Records(), std::vector<std::wstring>{folder.path()});
}

TEST_F(Handler, BackgroundClickTakesTheWideDirectoryBeforeTheAnsiOne) {
  EXPECT_EQ(init_->Initialize(nullptr, nullptr, nullptr), S_FALSE);
  const std::string ansi = win::ToNarrow(kCjkFolder, CP_ACP);
  CMINVOKECOMMANDINFOEX info{};
  info.cbSize = sizeof info;
  info.fMask = CMIC_MASK_UNICODE;
  info.lpVerb = MAKEINTRESOURCEA(1);
  info.lpVerbW = MAKEINTRESOURCEW(1);
  info.lpDirectory = ansi.c_str();
  info.lpDirectoryW = kCjkFolder;
  EXPECT_EQ(menu_->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)), S_OK);

  // Without the Unicode flag the wide members are not there to read.
  info.fMask = 0;
  info.lpDirectory = "C:\\Plain Folder";
  EXPECT_EQ(menu_->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)), S_OK);
  EXPECT_EQ(Invoke(1, "C:\\Short Info"), S_OK);
  EXPECT_EQ(Records(),
            (std::vector<std::wstring>{kCjkFolder, L"C:\\Plain Folder", L"C:\\Short Info"}));
}

TEST_F(Handler, MenuBitmapComesAtTheSizeOfTheDisplayScale) {
  // 16 at 96 DPI; the sizes drawn (24, 32) as they are, the others scaled from the next larger.
  const std::pair<DWORD, DWORD> scales[] = {{96, 16},  {120, 20}, {144, 24},
                                            {168, 28}, {192, 32}, {240, 40}};
  const std::wstring probe = Quoted(win::FileBesideProgram(L"menu_probe.exe"));
  for (const auto& [dpi, side] : scales) {
    stashly::testing::DisplayScale scale(dpi);
    EXPECT_EQ(win::testing::RunToEnd(probe, 30000), side) << dpi;
  }
}

TEST_F(Handler, BackgroundClickWithoutAFolderAddsNothing) {
  MainWindowStandIn window;
  EXPECT_EQ(init_->Initialize(nullptr, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(Invoke(1), S_OK);
  EXPECT_EQ(FileBytes(favorites_), "<missing>");
  EXPECT_TRUE(window.Notices().empty());
}

TEST_F(Handler, MenuGetsBothEntriesAtTheIndexWithTheBitmapOnTheFirst) {
  HMENU menu = ::CreatePopupMenu();
  ASSERT_TRUE(menu);
  ::AppendMenuW(menu, MF_STRING, 1, L"Before");
  ::AppendMenuW(menu, MF_STRING, 2, L"After");
  EXPECT_EQ(menu_->QueryContextMenu(menu, 1, 100, 0x7FFF, CMF_NORMAL), 2);

  ASSERT_EQ(::GetMenuItemCount(menu), 4);
  const struct {
    UINT id;
    const wchar_t* text;
  } expected[] = {{1, L"Before"}, {100, kOpenText}, {101, kAddText}, {2, L"After"}};
  for (int i = 0; i < 4; ++i) {
    wchar_t text[64] = {};
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_CHECKMARKS;
    item.dwTypeData = text;
    item.cch = 64;
    ASSERT_TRUE(::GetMenuItemInfoW(menu, i, TRUE, &item)) << i;
    EXPECT_EQ(item.wID, expected[i].id) << i;
    EXPECT_STREQ(text, expected[i].text) << i;
    if (i == 1) {
      EXPECT_TRUE(item.hbmpChecked);
      EXPECT_EQ(item.hbmpChecked, item.hbmpUnchecked);
      BITMAP bitmap{};
      ASSERT_TRUE(::GetObjectW(item.hbmpChecked, sizeof bitmap, &bitmap));
      EXPECT_EQ(bitmap.bmWidth, 16);
      EXPECT_EQ(bitmap.bmHeight, 16);
      EXPECT_EQ(bitmap.bmBitsPixel, 24);
    } else {
      EXPECT_FALSE(item.hbmpChecked) << i;
      EXPECT_FALSE(item.hbmpUnchecked) << i;
    }
  }
  ::DestroyMenu(menu);
}

TEST_F(Handler, DefaultOnlyOrTooFewIdsAddNothing) {
  const struct {
    const char* name;
    UINT first, last, flags;
  } cases[] = {
      {"default only", 100, 0x7FFF, CMF_DEFAULTONLY},
      {"default only among others", 100, 0x7FFF, CMF_DEFAULTONLY | CMF_EXPLORE},
      {"room for one id", 100, 100, CMF_NORMAL},
      {"no room at all", 100, 99, CMF_NORMAL},
  };
  for (const auto& c : cases) {
    HMENU menu = ::CreatePopupMenu();
    EXPECT_EQ(menu_->QueryContextMenu(menu, 0, c.first, c.last, c.flags), 0) << c.name;
    EXPECT_EQ(::GetMenuItemCount(menu), 0) << c.name;
    ::DestroyMenu(menu);
  }
}

TEST_F(Handler, CommandStringIsTheHelpOfTheOpenEntryCutToTheBuffer) {
  const struct {
    UINT_PTR offset;
    UINT type;
    UINT size;
    HRESULT result;
    std::string text;  // what the buffer holds afterwards, on success
  } cases[] = {
      {0, GCS_HELPTEXTW, 100, S_OK, kHelpA},     {0, GCS_HELPTEXTA, 100, S_OK, kHelpA},
      {0, GCS_HELPTEXTA, 8, S_OK, "This is"},    {0, GCS_HELPTEXTW, 5, S_OK, "This"},
      {0, GCS_HELPTEXTW, 1, S_OK, ""},           {0, GCS_VERBW, 100, S_OK, kHelpA},
      {0, GCS_VERBA, 100, E_INVALIDARG, ""},     {0, GCS_VALIDATEA, 100, E_INVALIDARG, ""},
      {1, GCS_HELPTEXTW, 100, E_INVALIDARG, ""}, {1, GCS_HELPTEXTA, 100, E_INVALIDARG, ""},
      {2, GCS_HELPTEXTW, 100, E_INVALIDARG, ""},
  };
  for (const auto& c : cases) {
    const bool wide = c.type & GCS_UNICODE;
    union {
      char narrow[128];
      wchar_t wide[128];
    } buffer;
    std::memset(&buffer, 0x7F, sizeof buffer);
    EXPECT_EQ(menu_->GetCommandString(c.offset, c.type, nullptr, buffer.narrow, c.size), c.result)
        << c.offset << "/" << c.type << "/" << c.size;
    if (c.result != S_OK) {
      EXPECT_EQ(buffer.narrow[0], 0x7F) << "a refused request writes nothing";
      continue;
    }
    std::string got = wide ? win::ToNarrow(buffer.wide, CP_UTF8) : std::string(buffer.narrow);
    EXPECT_EQ(got, c.text) << c.offset << "/" << c.type << "/" << c.size;
    // Nothing is written past the size the caller gave.
    if (wide)
      EXPECT_EQ(buffer.wide[c.size], wchar_t{0x7F7F});
    else
      EXPECT_EQ(buffer.narrow[c.size], 0x7F);
  }
  // Validation asks with no buffer at all.
  EXPECT_EQ(menu_->GetCommandString(0, GCS_VALIDATEW, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(menu_->GetCommandString(0, GCS_HELPTEXTW, nullptr, nullptr, 0), S_OK);
}

TEST_F(Handler, InvokeUnderstandsOffsetsOnly) {
  ASSERT_EQ(InitializeWith(DropFiles({L"C:\\x.txt"})), S_OK);
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = "open";
  EXPECT_EQ(menu_->InvokeCommand(&info), E_INVALIDARG);
  EXPECT_EQ(Invoke(2), E_INVALIDARG);
  EXPECT_EQ(Invoke(0xFFFF), E_INVALIDARG);
  info.cbSize = 0;
  info.lpVerb = MAKEINTRESOURCEA(1);
  EXPECT_EQ(menu_->InvokeCommand(&info), E_INVALIDARG);
  EXPECT_EQ(menu_->InvokeCommand(nullptr), E_INVALIDARG);
  EXPECT_EQ(FileBytes(favorites_), "<missing>");
}

TEST_F(Handler, AddAppendsThenTellsTheRunningWindowBeforeReturning) {
  WriteFileBytes(favorites_, "C:\\first\r\n");
  MainWindowStandIn window;
  ASSERT_EQ(InitializeWith(DropFiles({L"C:\\stash\\report.txt"})), S_OK);
  EXPECT_EQ(Invoke(1), S_OK);

  const std::string expected = "C:\\first\r\nC:\\stash\\report.txt\n";
  EXPECT_EQ(FileBytes(favorites_), expected);
  std::vector<MainWindowStandIn::Notice> notices = window.Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].dwData, 1u);
  EXPECT_EQ(notices[0].cbData, 0u);
  EXPECT_TRUE(notices[0].dataNull);
  EXPECT_EQ(notices[0].fileBytes, expected);
}

TEST_F(Handler, AddOfACjkFolderKeepsItsName) {
  WriteFileBytes(favorites_, "C:\\first\r\n");
  ASSERT_EQ(InitializeWith(DropFiles({kCjkFolder})), S_OK);
  EXPECT_EQ(Invoke(1), S_OK);
  if (::GetACP() == 936) {
    EXPECT_EQ(FileBytes(favorites_), "C:\\first\r\n" + win::ToNarrow(kCjkFolder, 936) + "\n");
  } else {
    // The ANSI code page cannot hold the name: the file turns into UTF-8 rather than lose it.
    EXPECT_EQ(FileBytes(favorites_),
              "\xEF\xBB\xBF"
              "C:\\first\r\n" +
                  stashly::ToUtf8(kCjkFolder) + "\r\n");
  }
  EXPECT_EQ(Records(), (std::vector<std::wstring>{L"C:\\first", kCjkFolder}));
}

// An Explorer window for the handler's messages to belong to.
win::UniqueWindow ExplorerWindow() {
  return win::UniqueWindow(::CreateWindowExW(0, L"STATIC", L"Explorer", WS_POPUP | WS_VISIBLE, 0,
                                             0, 100, 100, nullptr, nullptr, nullptr, nullptr));
}

// An add that cannot be written changes nothing, sends no notice and returns the failure; it
// tells the user which item and why in a message box owned by Explorer's window, unless Explorer
// asked for no user interface.
TEST_F(Handler, AddThatCannotWriteSaysWhyAndFails) {
  const struct {
    const char* name;
    std::string bytes;  // empty: a folder where the file should be
    DWORD attributes;
    HRESULT expected;
    stashly::StoreError reason;
  } cases[] = {
      {"a folder in its place", "", 0, E_ACCESSDENIED, stashly::StoreError::kDenied},
      {"read-only", "C:\\a\r\n", FILE_ATTRIBUTE_READONLY, E_ACCESSDENIED,
       stashly::StoreError::kDenied},
      {"past the limits", std::string(stashly::kMaxFavoritesBytes + 1, 'x'), 0,
       HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE), stashly::StoreError::kTooLarge},
  };
  win::UniqueWindow explorer = ExplorerWindow();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Clean();
    if (c.bytes.empty())
      win::CreateFolderTree(favorites_);
    else
      WriteFileBytes(favorites_, c.bytes);
    if (c.attributes) ::SetFileAttributesW(favorites_.c_str(), c.attributes);
    const std::string before = FileBytes(favorites_);
    MainWindowStandIn window;
    ASSERT_EQ(InitializeWith(DropFiles({L"C:\\x.txt"})), S_OK);
    EXPECT_EQ(Invoke(1), c.expected);
    MessageBoxCloser box(explorer.get());
    EXPECT_EQ(Invoke(1, nullptr, explorer.get()), c.expected);
    const std::wstring text = box.text();
    EXPECT_NE(text.find(L"C:\\x.txt"), std::wstring::npos) << win::ToNarrow(text, CP_UTF8);
    EXPECT_NE(text.find(stashly::StoreErrorText(c.reason)), std::wstring::npos);
    EXPECT_TRUE(window.Notices().empty());
    EXPECT_EQ(FileBytes(favorites_), before);
    ::SetFileAttributesW(favorites_.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST_F(Handler, AddWithoutARunningWindowStillStores) {
  ASSERT_EQ(InitializeWith(DropFiles({L"C:\\x.txt"})), S_OK);
  EXPECT_EQ(Invoke(1), S_OK);
  EXPECT_EQ(Records(), std::vector<std::wstring>{L"C:\\x.txt"});
}

TEST_F(Handler, OpenStartsTheInstalledProgramAndNothingWithoutOne) {
  win::UniqueHandle started(::CreateEventW(nullptr, TRUE, FALSE, kLaunchProbeEvent));
  ASSERT_TRUE(started);
  EXPECT_EQ(Invoke(0), S_OK);
  EXPECT_EQ(::WaitForSingleObject(started.get(), 2000), static_cast<DWORD>(WAIT_TIMEOUT));

  WriteString(HKEY_CURRENT_USER, stashly::kExtensionSettingsKey, stashly::kInstallPathValue, L"");
  EXPECT_EQ(Invoke(0), S_OK);
  EXPECT_EQ(::WaitForSingleObject(started.get(), 1000), static_cast<DWORD>(WAIT_TIMEOUT));

  // The main program spells the key in lower case: it is the same key.
  WriteString(HKEY_CURRENT_USER, stashly::kSettingsKey, stashly::kInstallPathValue,
              win::FileBesideProgram(L"launch_probe.exe"));
  EXPECT_EQ(Invoke(0), S_OK);
  EXPECT_EQ(::WaitForSingleObject(started.get(), 30000), WAIT_OBJECT_0);
  EXPECT_EQ(FileBytes(favorites_), "<missing>");
}

// The first-level commands, created as Explorer creates them once the package has registered
// their classes, and handed real item arrays.
class ExplorerCommands : public Handler {
 protected:
  static void SetUpTestSuite() {
    Handler::SetUpTestSuite();
    for (const wchar_t* id : {kAddCommandClassIdText, kOpenCommandClassIdText}) {
      const std::wstring key = std::wstring(L"CLSID\\") + id + L"\\InprocServer32";
      WriteString(HKEY_CLASSES_ROOT, key, nullptr, ClickwellPath());
      WriteString(HKEY_CLASSES_ROOT, key, L"ThreadingModel", L"Apartment");
    }
  }
  static void TearDownTestSuite() {
    for (const wchar_t* id : {kAddCommandClassIdText, kOpenCommandClassIdText})
      DeleteTree(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + id);
    Handler::TearDownTestSuite();
  }
  void SetUp() override {
    Handler::SetUp();
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    items_ = win::CombinePath(temp, L"命令 测试");
    RemoveTree(items_);
    ASSERT_TRUE(win::CreateFolderTree(win::CombinePath(items_, L"收藏 文件夹")));
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"})
      WriteFileBytes(win::CombinePath(items_, name), "x");
  }
  void TearDown() override {
    RemoveTree(items_);
    Handler::TearDown();
  }

  static ComPtr<IExplorerCommand> Create(const CLSID& id) {
    ComPtr<IExplorerCommand> command;
    ::CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IExplorerCommand, command.put_void());
    return command;
  }
  // The items as Explorer passes a selection: one array of absolute item lists.
  ComPtr<IShellItemArray> Items(const std::vector<std::wstring>& names) {
    std::vector<win::UniquePidl> lists;
    std::vector<PCIDLIST_ABSOLUTE> raw;
    for (const std::wstring& name : names) {
      win::UniquePidl list;
      if (FAILED(::SHParseDisplayName(win::CombinePath(items_, name).c_str(), nullptr, list.put(),
                                      0, nullptr)))
        return {};
      raw.push_back(list.get());
      lists.push_back(std::move(list));
    }
    ComPtr<IShellItemArray> array;
    ::SHCreateShellItemArrayFromIDLists(static_cast<UINT>(raw.size()), raw.data(), array.put());
    return array;
  }

  std::wstring items_;
};

// What Explorer's view offers a command as its site: the view of the folder it shows.
class FolderViewSite final : public win::ComObject<IServiceProvider, IFolderView> {
 public:
  explicit FolderViewSite(const std::wstring& folder) : folder_(folder) {}
  STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return service == SID_SFolderView ? QueryInterface(iid, out) : E_NOINTERFACE;
  }
  STDMETHODIMP GetFolder(REFIID iid, void** out) override {
    *out = nullptr;
    win::UniquePidl list;
    ComPtr<IShellFolder> desktop;
    if (FAILED(::SHParseDisplayName(folder_.c_str(), nullptr, list.put(), 0, nullptr)) ||
        FAILED(::SHGetDesktopFolder(desktop.put())))
      return E_FAIL;
    return desktop->BindToObject(list.get(), nullptr, iid, out);
  }
  STDMETHODIMP GetCurrentViewMode(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP SetCurrentViewMode(UINT) override { return E_NOTIMPL; }
  STDMETHODIMP Item(int, PITEMID_CHILD*) override { return E_NOTIMPL; }
  STDMETHODIMP ItemCount(UINT, int*) override { return E_NOTIMPL; }
  STDMETHODIMP Items(UINT, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP GetSelectionMarkedItem(int*) override { return E_NOTIMPL; }
  STDMETHODIMP GetFocusedItem(int*) override { return E_NOTIMPL; }
  STDMETHODIMP GetItemPosition(PCUITEMID_CHILD, POINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetSpacing(POINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetDefaultSpacing(POINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetAutoArrange() override { return E_NOTIMPL; }
  STDMETHODIMP SelectItem(int, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SelectAndPositionItems(UINT, PCUITEMID_CHILD_ARRAY, POINT*, DWORD) override {
    return E_NOTIMPL;
  }

 private:
  std::wstring folder_;
};

TEST_F(ExplorerCommands, AnswerTitleStateAndFlagsWithoutTouchingTheItems) {
  const struct {
    const CLSID* id;
    const wchar_t* title;
  } cases[] = {{&kAddCommandClassId, kAddText}, {&kOpenCommandClassId, kOpenText}};
  for (const auto& c : cases) {
    ComPtr<IExplorerCommand> command = Create(*c.id);
    ASSERT_TRUE(command);
    EXPECT_TRUE(command.Query<IObjectWithSite>());
    win::UniqueCoTaskMem<wchar_t> title;
    ASSERT_EQ(command->GetTitle(nullptr, title.put()), S_OK);
    EXPECT_STREQ(title.get(), c.title);
    // An item gone since the right-click: the state does not look at it, nor at the disk.
    const std::wstring gone = win::CombinePath(items_, L"a.txt");
    ComPtr<IShellItemArray> items = Items({L"a.txt"});
    ASSERT_TRUE(items);
    ::DeleteFileW(gone.c_str());
    EXPCMDSTATE state = ECS_HIDDEN;
    EXPECT_EQ(command->GetState(items.get(), FALSE, &state), S_OK);
    EXPECT_EQ(state, ECS_ENABLED);
    EXPECT_EQ(command->GetState(nullptr, FALSE, nullptr), E_POINTER);
    WriteFileBytes(gone, "x");
    EXPCMDFLAGS flags = ~EXPCMDFLAGS{0};
    EXPECT_EQ(command->GetFlags(&flags), S_OK);
    EXPECT_EQ(flags, static_cast<EXPCMDFLAGS>(ECF_DEFAULT));
    GUID name{};
    EXPECT_EQ(command->GetCanonicalName(&name), S_OK);
    EXPECT_EQ(name, *c.id);
    ComPtr<IEnumExplorerCommand> sub;
    EXPECT_EQ(command->EnumSubCommands(sub.put()), E_NOTIMPL);
    EXPECT_FALSE(sub);
  }
  EXPECT_EQ(FileBytes(favorites_), "<missing>");
}

TEST_F(ExplorerCommands, AddAppendsEveryChosenItemAndTheWindowHasReloadedOnReturn) {
  const std::vector<std::wstring> cases[] = {
      {L"b.txt"}, {L"c.txt", L"a.txt", L"b.txt"}, {L"收藏 文件夹"}};
  for (const std::vector<std::wstring>& names : cases) {
    WriteFileBytes(favorites_, "C:\\first\r\n");
    std::vector<std::wstring> expected{L"C:\\first"};
    for (const std::wstring& name : names) expected.push_back(win::CombinePath(items_, name));
    ComPtr<IShellItemArray> items = Items(names);
    ASSERT_TRUE(items);
    MainWindowStandIn window;
    ComPtr<IExplorerCommand> command = Create(kAddCommandClassId);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->Invoke(items.get(), nullptr), S_OK);
    EXPECT_EQ(Records(), expected);
    std::vector<MainWindowStandIn::Notice> notices = window.Notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].fileBytes, FileBytes(favorites_));
  }
}

TEST_F(ExplorerCommands, BackgroundClickAddsTheFolderOfTheSite) {
  ComPtr<IExplorerCommand> command = Create(kAddCommandClassId);
  // No item and no site: nothing to add.
  EXPECT_EQ(command->Invoke(nullptr, nullptr), S_FALSE);
  EXPECT_EQ(FileBytes(favorites_), "<missing>");

  auto site = Make<FolderViewSite>(items_);
  ComPtr<IObjectWithSite> withSite = command.Query<IObjectWithSite>();
  ASSERT_EQ(withSite->SetSite(static_cast<IServiceProvider*>(site.get())), S_OK);
  ComPtr<IServiceProvider> back;
  EXPECT_EQ(withSite->GetSite(IID_IServiceProvider, back.put_void()), S_OK);
  EXPECT_EQ(command->Invoke(nullptr, nullptr), S_OK);
  EXPECT_EQ(Records(), std::vector<std::wstring>{items_});
  withSite->SetSite(nullptr);
  EXPECT_EQ(withSite->GetSite(IID_IServiceProvider, back.put_void()), E_FAIL);
}

// What Explorer offers a command as its site, as far as its window goes.
class WindowSite final : public win::ComObject<IOleWindow> {
 public:
  explicit WindowSite(HWND window) : window_(window) {}
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

 private:
  HWND window_;
};

TEST_F(ExplorerCommands, AddThatCannotWriteSaysWhyInTheSitesWindowAndFails) {
  WriteFileBytes(favorites_, "C:\\first\r\n");
  ASSERT_TRUE(::SetFileAttributesW(favorites_.c_str(), FILE_ATTRIBUTE_READONLY));
  win::UniqueWindow explorer = ExplorerWindow();
  ComPtr<IExplorerCommand> command = Create(kAddCommandClassId);
  auto site = Make<WindowSite>(explorer.get());
  ASSERT_EQ(command.Query<IObjectWithSite>()->SetSite(static_cast<IOleWindow*>(site.get())), S_OK);
  ComPtr<IShellItemArray> items = Items({L"a.txt", L"b.txt"});
  MessageBoxCloser box(explorer.get());
  EXPECT_EQ(command->Invoke(items.get(), nullptr), E_ACCESSDENIED);
  const std::wstring text = box.text();
  EXPECT_NE(text.find(win::CombinePath(items_, L"a.txt")), std::wstring::npos);
  EXPECT_NE(text.find(stashly::StoreErrorText(stashly::StoreError::kDenied)), std::wstring::npos);
  ::SetFileAttributesW(favorites_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Records(), std::vector<std::wstring>{L"C:\\first"});
}

TEST_F(ExplorerCommands, OpenStartsTheInstalledProgramAndNothingWithoutOne) {
  win::UniqueHandle started(::CreateEventW(nullptr, TRUE, FALSE, kLaunchProbeEvent));
  ASSERT_TRUE(started);
  ComPtr<IExplorerCommand> command = Create(kOpenCommandClassId);
  ComPtr<IShellItemArray> items = Items({L"a.txt"});
  EXPECT_EQ(command->Invoke(items.get(), nullptr), S_OK);
  EXPECT_EQ(::WaitForSingleObject(started.get(), 2000), static_cast<DWORD>(WAIT_TIMEOUT));
  WriteString(HKEY_CURRENT_USER, stashly::kSettingsKey, stashly::kInstallPathValue,
              win::FileBesideProgram(L"launch_probe.exe"));
  EXPECT_EQ(command->Invoke(items.get(), nullptr), S_OK);
  EXPECT_EQ(::WaitForSingleObject(started.get(), 30000), WAIT_OBJECT_0);
  EXPECT_EQ(FileBytes(favorites_), "<missing>");
}

}  // namespace
}  // namespace clickwell::test
