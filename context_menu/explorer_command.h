#pragma once
// The first-level Explorer entries of Windows 11: one command object per entry ("添加到 …" and
// "打开 …"), served from Clickwell.dll through the sparse package. Explorer calls GetState on its
// user-interface thread for every right-click, so nothing here but Invoke touches a disk.
#include <windows.h>
#include <ocidl.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "win/com_ptr.h"
#include "win/com_server.h"

namespace clickwell {

class CExplorerCommand : public win::ComObject<IExplorerCommand, IObjectWithSite> {
 public:
  // IExplorerCommand
  STDMETHODIMP GetTitle(IShellItemArray* items, LPWSTR* title) override;
  STDMETHODIMP GetIcon(IShellItemArray* items, LPWSTR* icon) override;
  STDMETHODIMP GetToolTip(IShellItemArray* items, LPWSTR* tip) override;
  STDMETHODIMP GetCanonicalName(GUID* name) override;
  STDMETHODIMP GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) override;
  STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx* context) override;
  STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) override;
  STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** commands) override;

  // IObjectWithSite
  STDMETHODIMP SetSite(IUnknown* site) override;
  STDMETHODIMP GetSite(REFIID iid, void** out) override;

 protected:
  enum class Kind { kAdd, kOpen };
  explicit CExplorerCommand(Kind kind) : kind_(kind) {}
  ~CExplorerCommand() override = default;

 private:
  // The file-system paths of the chosen items, in their order; else (a click on a folder's
  // background) the folder the site shows.
  std::vector<std::wstring> ChosenPaths(IShellItemArray* items) const;

  const Kind kind_;
  win::ComPtr<IUnknown> site_;
};

class CAddCommand final : public CExplorerCommand {
 public:
  CAddCommand() : CExplorerCommand(Kind::kAdd) {}
};

class COpenCommand final : public CExplorerCommand {
 public:
  COpenCommand() : CExplorerCommand(Kind::kOpen) {}
};

}  // namespace clickwell
