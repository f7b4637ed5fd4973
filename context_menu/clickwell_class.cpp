#include "context_menu/clickwell_class.h"

#include <shellapi.h>

#include <cstring>
#include <iterator>

#include "context_menu/clickwell_resource.h"
#include "context_menu/commands.h"
#include "win/dpi.h"
#include "win/drop_list.h"
#include "win/gdi.h"
#include "win/shell_paths.h"
#include "win/text.h"
#include "win/unique_any.h"

namespace clickwell {
namespace {

// The menu bitmap is 16 x 16 at 96 DPI, drawn also at 24 and 32 pixels (144 and 192 DPI).
struct MenuBitmap {
  int size;
  UINT id;
};
constexpr MenuBitmap kMenuBitmaps[] = {
    {16, IDB_CLICKWELL_MENU}, {24, IDB_CLICKWELL_MENU_24}, {32, IDB_CLICKWELL_MENU_32}};
constexpr int kLargestMenuBitmap = 256;

// The size the menu shows its bitmap at: 16 scaled to the DPI of the window the menu opens for
// (this thread's active window: Explorer's), else to the system's.
int MenuBitmapSize() {
  const HWND active = ::GetActiveWindow();
  const UINT dpi = active ? win::WindowDpi(active) : win::SystemDpi();
  const int size =
      ::MulDiv(kMenuBitmaps[0].size, static_cast<int>(dpi), static_cast<int>(win::kDefaultDpi));
  return size < 1 ? kMenuBitmaps[0].size : (size > kLargestMenuBitmap ? kLargestMenuBitmap : size);
}

// A bitmap resource as a DIB section made straight from it: the image's own 24-bit colours on
// any display, at a fraction of the cost of LoadBitmapW's conversion for the screen (Explorer
// makes one handler, and so one bitmap, per right-click).
HBITMAP LoadMenuBitmap(HINSTANCE instance, UINT id) {
  HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(id), RT_BITMAP);
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

// The menu bitmap at `size`: the one drawn for it, or the next larger one (the largest, past
// them) scaled to it with the system's halftone stretching.
HBITMAP MenuBitmapAt(HINSTANCE instance, int size) {
  const MenuBitmap* drawn = &kMenuBitmaps[std::size(kMenuBitmaps) - 1];
  for (const MenuBitmap& bitmap : kMenuBitmaps) {
    if (bitmap.size >= size) {
      drawn = &bitmap;
      break;
    }
  }
  win::UniqueBitmap source(LoadMenuBitmap(instance, drawn->id));
  if (!source || drawn->size == size) return source.release();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  win::UniqueBitmap scaled(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win::UniqueDc from(::CreateCompatibleDC(nullptr));
  win::UniqueDc to(::CreateCompatibleDC(nullptr));
  if (!scaled || !from || !to) return source.release();
  {
    win::ScopedSelectObject reading(from.get(), source.get());
    win::ScopedSelectObject writing(to.get(), scaled.get());
    ::SetStretchBltMode(to.get(), HALFTONE);
    ::SetBrushOrgEx(to.get(), 0, 0, nullptr);
    if (!::StretchBlt(to.get(), 0, 0, size, size, from.get(), 0, 0, drawn->size, drawn->size,
                      SRCCOPY))
      return source.release();
  }
  return scaled.release();
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
    menuBitmap_.reset(MenuBitmapAt(module->Instance(), MenuBitmapSize()));
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
