#pragma once
// A data object like the one Explorer hands out for a selection or a drag: a CF_HDROP block in
// global memory (or nothing), for the tests of the extension and of the program's drop target.
#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

#include "win/com_server.h"

namespace win::testing {

// A DROPFILES block listing `files` (wide, or in the thread's ANSI code page).
std::vector<char> DropFiles(const std::vector<std::wstring>& files, bool wide = true);

// A data object that offers a CF_HDROP block in global memory, or nothing at all.
class DropDataObject final : public win::ComObject<IDataObject> {
 public:
  // `drop` empty: the object offers no CF_HDROP, unless `offered` says it offers an empty block.
  explicit DropDataObject(std::vector<char> drop, bool offered = false)
      : drop_(std::move(drop)), offered_(offered || !drop_.empty()) {}

  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ~DropDataObject() override = default;
  std::vector<char> drop_;
  bool offered_;
};

}  // namespace win::testing
