#include "context_menu/explorer_command.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "context_menu/clickwell_class.h"
#include "context_menu/clickwell_ids.h"
#include "context_menu/commands.h"
#include "win/shell_paths.h"
#include "win/unique_any.h"

namespace clickwell {
namespace {

std::wstring FileSystemPath(IShellItem* item) {
  win::UniqueCoTaskMem<wchar_t> name;
  if (!item || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, name.put())) || !name) return {};
  return name.get();
}

// The folder a view shows: the view from the site directly, else through the browser.
std::wstring FolderOfSite(IUnknown* site) {
  win::ComPtr<IServiceProvider> services;
  if (!site || FAILED(site->QueryInterface(IID_IServiceProvider, services.put_void()))) return {};
  win::ComPtr<IFolderView> view;
  if (FAILED(services->QueryService(SID_SFolderView, IID_IFolderView, view.put_void()))) {
    win::ComPtr<IShellBrowser> browser;
    win::ComPtr<IShellView> shellView;
    if (FAILED(
            services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())) ||
        FAILED(browser->QueryActiveShellView(shellView.put())) ||
        FAILED(shellView->QueryInterface(IID_IFolderView, view.put_void())))
      return {};
  }
  win::ComPtr<IPersistFolder2> folder;
  win::UniquePidl location;
  if (FAILED(view->GetFolder(IID_IPersistFolder2, folder.put_void())) ||
      FAILED(folder->GetCurFolder(location.put())))
    return {};
  return win::FileSystemPath(location.get());
}

}  // namespace

STDMETHODIMP CExplorerCommand::GetTitle(IShellItemArray*, LPWSTR* title) {
  if (!title) return E_POINTER;
  return ::SHStrDupW(kind_ == Kind::kAdd ? kAddText : kOpenText, title);
}

STDMETHODIMP CExplorerCommand::GetIcon(IShellItemArray*, LPWSTR* icon) {
  if (!icon) return E_POINTER;
  *icon = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CExplorerCommand::GetToolTip(IShellItemArray*, LPWSTR* tip) {
  if (!tip) return E_POINTER;
  *tip = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CExplorerCommand::GetCanonicalName(GUID* name) {
  if (!name) return E_POINTER;
  *name = kind_ == Kind::kAdd ? kAddCommandClassId : kOpenCommandClassId;
  return S_OK;
}

STDMETHODIMP CExplorerCommand::GetState(IShellItemArray*, BOOL, EXPCMDSTATE* state) {
  if (!state) return E_POINTER;
  *state = ECS_ENABLED;
  return S_OK;
}

STDMETHODIMP CExplorerCommand::GetFlags(EXPCMDFLAGS* flags) {
  if (!flags) return E_POINTER;
  *flags = ECF_DEFAULT;
  return S_OK;
}

STDMETHODIMP CExplorerCommand::EnumSubCommands(IEnumExplorerCommand** commands) {
  if (!commands) return E_POINTER;
  *commands = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CExplorerCommand::Invoke(IShellItemArray* items, IBindCtx*) {
  if (kind_ == Kind::kOpen) {
    StartProgram();
    return S_OK;
  }
  const std::vector<std::wstring> paths = ChosenPaths(items);
  if (paths.empty()) return S_FALSE;
  // The message of a failure belongs to the Explorer window the command came from.
  HWND owner = nullptr;
  if (site_) ::IUnknown_GetWindow(site_.get(), &owner);
  return AddToFavorites(paths, owner, false);
}

std::vector<std::wstring> CExplorerCommand::ChosenPaths(IShellItemArray* items) const {
  std::vector<std::wstring> paths;
  DWORD count = 0;
  if (items && SUCCEEDED(items->GetCount(&count))) {
    paths.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
      win::ComPtr<IShellItem> item;
      if (FAILED(items->GetItemAt(i, item.put()))) continue;
      // Items outside the file system (Control Panel, a library) have no path to keep.
      std::wstring path = FileSystemPath(item.get());
      if (!path.empty()) paths.push_back(std::move(path));
    }
  }
  if (paths.empty()) {
    std::wstring folder = FolderOfSite(site_.get());
    if (!folder.empty()) paths.push_back(std::move(folder));
  }
  return paths;
}

STDMETHODIMP CExplorerCommand::SetSite(IUnknown* site) {
  site_ = win::ComPtr<IUnknown>(site);
  return S_OK;
}

STDMETHODIMP CExplorerCommand::GetSite(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!site_) return E_FAIL;
  return site_->QueryInterface(iid, out);
}

}  // namespace clickwell
