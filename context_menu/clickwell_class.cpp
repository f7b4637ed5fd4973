#include "context_menu/clickwell_class.h"

#include <shellapi.h>

#include <cstring>

#include "context_menu/clickwell_resource.h"
#include "context_menu/commands.h"
#include "win/drop_list.h"
#include "win/shell_paths.h"
#include "win/text.h"
#include "win/unique_any.h"

namespace clickwell {
namespace {

// The menu bitmap as a DIB section made straight from the resource: the image's own 24-bit
// colours on any display, at a fraction of the cost of LoadBitmapW's conversion for the screen
// (Explorer makes one handler, and so one bitmap, per right-click).
HBITMAP LoadMenuBitmap(HINSTANCE instance) {
  HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(IDB_CLICKWELL_MENU), RT_BITMAP);
  HGLOBAL loaded = resource ? ::LoadResource(instance, resource) : nullptr;
  const auto* info = loaded ? static_cast<const BITMAPINFO*>(::LockResource(loaded)) : nullptr;
  const size_t size = resource ? ::SizeofResource(instance, resource) : 0;
  if (!info || size < sizeof(BITMAPINFOHEADER)) return nullptr;
  const BITMAPINFOHEADER& header = info->bmiHeader;
  constexpr LONG kLargest = 256;
  if (header.biSize < sizeof header || header.biBitCount != 24 || header.biCompression != BI_RGB ||
      header.biClrUsed != 0 || header.biWidth <= 0 || header.biWidth > kLargest ||
      header.biHeight == 0 || header.biHeight > kLargest || header.biHeight < -kLargest)
    return nullptr;
  const size_t stride = (static_cast<size_t>(header.biWidth) * 3 + 3) & ~size_t{3};
  const size_t bytes =
      stride * static_cast<size_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
  if (header.biSize + bytes > size) return nullptr;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits)
    std::memcpy(bits, reinterpret_cast<const unsigned char*>(info) + header.biSize, bytes);
  return bitmap;
}

// Copies `text` into a caller's buffer of `size` characters, cut to fit, always terminated.
template <typename Char>
void CopyCut(Char* buffer, UINT size, std::basic_string_view<Char> text) {
  if (!buffer || size == 0) return;
  const size_t length = text.size() < size ? text.size() : size - 1;
  text.copy(buffer, length);
  buffer[length] = Char{};
}

}  // namespace

HRESULT CClickwellClass::FinalConstruct() {
  if (win::DllModule* module = win::DllModule::Current())
    menuBitmap_.reset(LoadMenuBitmap(module->Instance()));
  return S_OK;
}

STDMETHODIMP CClickwellClass::Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject, HKEY) {
  selectedPath_.clear();
  backgroundFolder_.clear();
  if (!dataObject) {
    if (folder) backgroundFolder_ = win::FileSystemPath(folder);
    return S_FALSE;
  }

  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  win::ScopedStgMedium medium;
  if (FAILED(dataObject->GetData(&format, medium.put()))) return E_INVALIDARG;
  if (medium.get().tymed != TYMED_HGLOBAL) return E_INVALIDARG;
  const HGLOBAL memory = medium.get().hGlobal;
  win::ScopedGlobalLock lock(memory);
  if (!lock || !win::IsWellFormedDropList(lock.get(), lock.size())) return E_INVALIDARG;

  const HDROP drop = static_cast<HDROP>(memory);
  if (::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0) return E_INVALIDARG;
  // Only the first item counts; it is asked for its length first, so no path is cut.
  const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
  if (length == 0) return E_INVALIDARG;
  std::wstring path(length + 1, L'\0');
  const UINT copied = ::DragQueryFileW(drop, 0, path.data(), length + 1);
  if (copied == 0) return E_INVALIDARG;
  path.resize(copied);
  selectedPath_ = std::move(path);
  return S_OK;
}

STDMETHODIMP CClickwellClass::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                               UINT flags) {
  if (flags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  // Ids past the granted range would belong to other commands of the same menu.
  if (lastId < firstId || lastId - firstId < kCommandCount - 1)
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  ::InsertMenuW(menu, index, MF_BYPOSITION | MF_STRING, firstId + kOpenCommand, kOpenText);
  ::SetMenuItemBitmaps(menu, index, MF_BYPOSITION, menuBitmap_.get(), menuBitmap_.get());
  ::InsertMenuW(menu, index + 1, MF_BYPOSITION | MF_STRING, firstId + kAddCommand, kAddText);
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, kCommandCount);
}

STDMETHODIMP CClickwellClass::GetCommandString(UINT_PTR offset, UINT type, UINT*, CHAR* buffer,
                                               UINT size) {
  if (offset != kOpenCommand) return E_INVALIDARG;
  // GCS_VERBA and GCS_VALIDATEA have neither the help bit nor the Unicode bit.
  if ((type & (GCS_HELPTEXTA | GCS_UNICODE)) == 0) return E_INVALIDARG;
  if (type & GCS_UNICODE) {
    CopyCut(reinterpret_cast<wchar_t*>(buffer), size, std::wstring_view(kHelpText));
  } else {
    const std::string help = win::ToNarrow(kHelpText, CP_ACP);
    CopyCut(buffer, size, std::string_view(help));
  }
  return S_OK;
}

STDMETHODIMP CClickwellClass::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (!info || info->cbSize < sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
  // Only offsets are understood, not verbs given as text.
  if (!IS_INTRESOURCE(info->lpVerb)) return E_INVALIDARG;
  switch (LOWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb))) {
    case kOpenCommand:
      StartProgram();
      return S_OK;
    case kAddCommand:
      return Add(*info);
    default:
      return E_INVALIDARG;
  }
}

HRESULT CClickwellClass::Add(const CMINVOKECOMMANDINFO& info) {
  std::wstring path = selectedPath_;
  // A background click: the folder from Initialize, else the invoke information's directory,
  // the wide one before the ANSI one, which cannot hold every name.
  if (path.empty()) path = backgroundFolder_;
  if (path.empty() && info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX) &&
      (info.fMask & CMIC_MASK_UNICODE)) {
    const auto& wide = reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info);
    if (wide.lpDirectoryW) path = wide.lpDirectoryW;
  }
  if (path.empty() && info.lpDirectory) path = win::ToWide(info.lpDirectory, CP_ACP);
  if (path.empty()) return S_OK;  // nothing to add

  return AddToFavorites({&path, 1}, info.hwnd, (info.fMask & CMIC_MASK_FLAG_NO_UI) != 0);
}

}  // namespace clickwell
