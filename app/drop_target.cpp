#include "app/drop_target.h"

#include <ole2.h>

#include "win/com_ptr.h"
#include "win/drop_list.h"
#include "win/stg_medium.h"

namespace stashly {
namespace {

FORMATETC DropListFormat() {
  return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

}  // namespace

DWORD CDropTarget::Effect(DWORD allowed) const {
  return offersNames_ ? (allowed & DROPEFFECT_COPY) : DROPEFFECT_NONE;
}

STDMETHODIMP CDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  FORMATETC format = DropListFormat();
  offersNames_ = data && data->QueryGetData(&format) == S_OK;
  *effect = Effect(*effect);
  return S_OK;
}

STDMETHODIMP CDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  *effect = Effect(*effect);
  return S_OK;
}

STDMETHODIMP CDropTarget::DragLeave() {
  offersNames_ = false;
  return S_OK;
}

STDMETHODIMP CDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  offersNames_ = false;
  *effect = DROPEFFECT_NONE;
  if (!data) return E_INVALIDARG;
  FORMATETC format = DropListFormat();
  win::ScopedStgMedium medium;
  if (FAILED(data->GetData(&format, medium.put())) || medium.get().tymed != TYMED_HGLOBAL)
    return S_OK;
  std::vector<std::wstring> names = win::DropListNames(medium.get().hGlobal);
  medium.reset();
  if (names.empty()) return S_OK;
  *effect = DROPEFFECT_COPY;
  // The source waits for this call: the handler only takes the names, and adds them later.
  onDrop_(std::move(names));
  return S_OK;
}

bool DropRegistration::Register(HWND window, CDropTarget::DropHandler onDrop) {
  Revoke();
  win::ComPtr<IDropTarget> target;
  target.Attach(new CDropTarget(std::move(onDrop)));
  target->AddRef();
  if (FAILED(::RegisterDragDrop(window, target.get()))) return false;
  window_ = window;
  return true;
}

void DropRegistration::Revoke() {
  if (window_) ::RevokeDragDrop(window_);
  window_ = nullptr;
}

}  // namespace stashly
