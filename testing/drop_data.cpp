#include "testing/drop_data.h"

#include <shlobj.h>

#include <cstring>

#include "win/text.h"

namespace win::testing {

std::vector<char> DropFiles(const std::vector<std::wstring>& files, bool wide) {
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = wide;
  std::vector<char> block(sizeof header);
  std::memcpy(block.data(), &header, sizeof header);
  auto append = [&](const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    block.insert(block.end(), bytes, bytes + size);
  };
  for (const auto& file : files) {
    if (wide) {
      append(file.c_str(), (file.size() + 1) * sizeof(wchar_t));
    } else {
      std::string narrow = win::ToNarrow(file, CP_ACP);
      append(narrow.c_str(), narrow.size() + 1);
    }
  }
  const wchar_t end = 0;
  append(&end, wide ? sizeof end : 1);
  return block;
}

STDMETHODIMP DropDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  HRESULT hr = QueryGetData(format);
  if (hr != S_OK) return hr;
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, drop_.size());
  if (!memory) return E_OUTOFMEMORY;
  if (!drop_.empty()) {
    std::memcpy(::GlobalLock(memory), drop_.data(), drop_.size());
    ::GlobalUnlock(memory);
  }
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = memory;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

STDMETHODIMP DropDataObject::QueryGetData(FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  if (!offered_ || format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
  if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
  return S_OK;
}

}  // namespace win::testing
