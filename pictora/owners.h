#pragma once
// Owners the image provider uses: the framework's GDI and COM owners, and a balanced COM
// initialisation of its own.
#include <windows.h>
#include <objbase.h>

#include "win/com_ptr.h"
#include "win/gdi.h"
#include "win/unique_any.h"

namespace pictora {

using win::UniqueBitmap;
using UniqueMemoryDc = win::UniqueDc;
using ScopedSelect = win::ScopedSelectObject;
template <typename T>
using ComPtr = win::ComPtr<T>;

// Initialises COM on this thread for the scope when nobody has; a thread already in either
// apartment is used as it is.
class ScopedComInit {
 public:
  ScopedComInit() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ScopedComInit() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

}  // namespace pictora
