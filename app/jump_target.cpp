#include "app/jump_target.h"

#include <exdisp.h>
#include <shlobj.h>

#include "store/settings_store.h"
#include "win/com_ptr.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

// A window that takes longer than this to answer counts as hung: the ordinary open runs.
constexpr UINT kAnswerMs = 2000;
// The file-name box of a common file dialog: the combo box cmb13 (its edit), or the edit edt1.
constexpr int kNameCombo = 1148;
constexpr int kNameEdit = 1152;

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  ::GetClassNameW(window, name, 128);
  return name;
}

// One message to another program's window; false when it is hung, gone or refuses us (a
// program running with higher rights).
bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* answer = nullptr) {
  DWORD_PTR result = 0;
  const bool answered = ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                              kAnswerMs, &result) != 0;
  if (answer) *answer = result;
  return answered;
}

bool TextOf(HWND box, std::wstring& text) {
  DWORD_PTR length = 0;
  if (!Send(box, WM_GETTEXTLENGTH, 0, 0, &length) || length > 32767) return false;
  text.assign(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!Send(box, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), &copied))
    return false;
  text.resize(copied < length ? copied : length);
  return true;
}

bool SetText(HWND box, const std::wstring& text) {
  return Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// What a file dialog is made of: its file-name box and whether it shows a folder view.
struct DialogParts {
  HWND nameBox = nullptr;
  bool folderView = false;
};

BOOL CALLBACK NoteDialogPart(HWND child, LPARAM context) {
  auto& parts = *reinterpret_cast<DialogParts*>(context);
  const std::wstring name = ClassOf(child);
  if (name == L"SHELLDLL_DefView") {
    parts.folderView = true;
  } else if (name == L"Edit" && !parts.nameBox) {
    // The edit 1152, or the edit inside the combo box 1148 (which may sit in a ComboBoxEx).
    const HWND parent = ::GetParent(child);
    if (::GetDlgCtrlID(child) == kNameEdit || ::GetDlgCtrlID(child) == kNameCombo ||
        ::GetDlgCtrlID(parent) == kNameCombo || ::GetDlgCtrlID(::GetParent(parent)) == kNameCombo)
      parts.nameBox = child;
  }
  return TRUE;
}

DialogParts PartsOf(HWND dialog) {
  DialogParts parts;
  ::EnumChildWindows(dialog, NoteDialogPart, reinterpret_cast<LPARAM>(&parts));
  return parts;
}

// Takes a file dialog to `folder` the way a user would: the folder's path in the file-name box
// and the default button pressed. Then the box holds `name` (selected, not confirmed), or, when
// that is empty, what the user had typed.
bool DialogGoTo(HWND dialog, HWND box, const std::wstring& folder, const std::wstring& name) {
  std::wstring typed;
  if (!TextOf(box, typed) || !SetText(box, folder)) return false;
  DWORD_PTR defaultId = 0;
  UINT button = IDOK;
  if (Send(dialog, DM_GETDEFID, 0, 0, &defaultId) && HIWORD(defaultId) == DC_HASDEFID)
    button = LOWORD(defaultId);
  const bool pressed =
      Send(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
           reinterpret_cast<LPARAM>(::GetDlgItem(dialog, static_cast<int>(button))));
  if (!::IsWindow(box)) return pressed;
  const bool withName = pressed && !name.empty();
  SetText(box, withName ? name : typed);
  if (withName) Send(box, EM_SETSEL, 0, -1);
  return pressed;
}

// The shell's browser object of the Explorer window `window`, found among the shell's windows.
win::ComPtr<IWebBrowser2> BrowserOf(HWND window) {
  win::ComPtr<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                windows.put_void())))
    return {};
  long count = 0;
  windows->get_Count(&count);
  for (long i = 0; i < count; ++i) {
    VARIANT index{};
    index.vt = VT_I4;
    index.lVal = i;
    win::ComPtr<IDispatch> item;
    if (FAILED(windows->Item(index, item.put())) || !item) continue;
    auto browser = item.Query<IWebBrowser2>();
    SHANDLE_PTR handle = 0;
    if (browser && SUCCEEDED(browser->get_HWND(&handle)) &&
        reinterpret_cast<HWND>(handle) == window)
      return browser;
  }
  return {};
}

// Takes an Explorer window to `folder` and, when `file` is given, selects it there.
bool ExplorerGoTo(HWND window, const std::wstring& folder, const std::wstring& file) {
  win::ComPtr<IWebBrowser2> browser = BrowserOf(window);
  win::UniquePidl folderList(::ILCreateFromPathW(folder.c_str()));
  if (!browser || !folderList) return false;
  win::ComPtr<IShellBrowser> shell;
  if (auto services = browser.Query<IServiceProvider>())
    services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, shell.put_void());
  if (shell) {
    if (FAILED(shell->BrowseObject(folderList.get(), SBSP_SAMEBROWSER | SBSP_ABSOLUTE)))
      return false;
  } else {
    VARIANT target{};
    target.vt = VT_BSTR;
    target.bstrVal = ::SysAllocString(folder.c_str());
    const HRESULT went = browser->Navigate2(&target, nullptr, nullptr, nullptr, nullptr);
    ::VariantClear(&target);
    if (FAILED(went)) return false;
  }
  win::ComPtr<IShellView> view;
  win::UniquePidl fileList(file.empty() ? nullptr : ::ILCreateFromPathW(file.c_str()));
  if (fileList && shell && SUCCEEDED(shell->QueryActiveShellView(view.put())))
    view->SelectItem(::ILFindLastID(fileList.get()),
                     SVSI_SELECT | SVSI_DESELECTOTHERS | SVSI_ENSUREVISIBLE | SVSI_FOCUSED);
  return true;
}

}  // namespace

void JumpTarget::Remember(HWND foreground, HWND self) {
  DWORD process = 0;
  if (!foreground || foreground == self ||
      !::GetWindowThreadProcessId(foreground, &process) || process == ::GetCurrentProcessId())
    return;
  window_ = foreground;
  process_ = process;
  class_ = ClassOf(foreground);
}

JumpWindow JumpTarget::Current(HWND& nameBox) const {
  nameBox = nullptr;
  DWORD process = 0;
  if (!window_ || !::IsWindow(window_) || !::IsWindowVisible(window_) ||
      !::GetWindowThreadProcessId(window_, &process) || process != process_ ||
      ClassOf(window_) != class_ || !Send(window_, WM_NULL, 0, 0))
    return JumpWindow::kNone;
  if (class_ != L"#32770") return KindOfWindow(class_, false, false);
  const DialogParts parts = PartsOf(window_);
  nameBox = parts.nameBox;
  return KindOfWindow(class_, parts.nameBox != nullptr, parts.folderView);
}

bool JumpTarget::Open(const std::wstring& path) {
  DWORD on = 1;
  if (!ReadSettingDword(kJumpInPlaceValue, on)) on = 1;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  const bool isFolder = exists && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  const auto [folder, name] = SplitFilePath(path);
  HWND box = nullptr;
  bool went = false;
  switch (ChooseJump(on ? Current(box) : JumpWindow::kNone, exists, isFolder, on != 0)) {
    case JumpAction::kOrdinary:
      return false;
    case JumpAction::kDialogToFolder:
      went = DialogGoTo(window_, box, path, L"");
      break;
    case JumpAction::kDialogToFile:
      went = DialogGoTo(window_, box, folder, name);
      break;
    case JumpAction::kExplorerToFolder:
      went = ExplorerGoTo(window_, path, L"");
      break;
    case JumpAction::kExplorerToFile:
      went = ExplorerGoTo(window_, folder, path);
      break;
  }
  if (went) ::SetForegroundWindow(window_);
  return went;
}

}  // namespace stashly
