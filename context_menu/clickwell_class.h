#pragma once
// The Explorer context-menu handler: "打开 Velto文件收藏夹" starts the program,
// "添加到 Velto文件收藏夹" appends the clicked item (or the folder whose background was clicked)
// to the favourites file and tells a running main window to reload it.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "win/com_server.h"
#include "win/stg_medium.h"

namespace clickwell {

inline constexpr wchar_t kOpenText[] = L"打开 Velto文件收藏夹";
inline constexpr wchar_t kAddText[] = L"添加到 Velto文件收藏夹";
inline constexpr wchar_t kHelpText[] = L"This is the simple shell extension's help";

// Command offsets, relative to the first id Explorer grants.
inline constexpr UINT kOpenCommand = 0;
inline constexpr UINT kAddCommand = 1;
inline constexpr UINT kCommandCount = 2;

class CClickwellClass final : public win::ComObject<IShellExtInit, IContextMenu> {
 public:
  CClickwellClass() = default;
  // Loads the menu bitmap; the object works without it.
  HRESULT FinalConstruct();

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject,
                          HKEY programId) override;

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR offset, UINT type, UINT* reserved, CHAR* buffer,
                                UINT size) override;

 private:
  ~CClickwellClass() override = default;

  HRESULT Add(const CMINVOKECOMMANDINFO& info);

  std::wstring selectedPath_;      // first selected item; empty for a folder background
  std::wstring backgroundFolder_;  // the folder Explorer named for a background click
  win::UniqueBitmap menuBitmap_;
};

}  // namespace clickwell
