#pragma once
// Owners the image provider needs beyond win/unique_any.h: GDI bitmaps and memory DCs, a
// scoped selection, COM interface pointers and a balanced COM initialisation.
#include <windows.h>
#include <objbase.h>

#include "win/unique_any.h"

namespace pictora {

struct BitmapTraits {
  using Type = HBITMAP;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::DeleteObject(value); }
};

struct MemoryDcTraits {
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::DeleteDC(value); }
};

using UniqueBitmap = win::UniqueAny<BitmapTraits>;
using UniqueMemoryDc = win::UniqueAny<MemoryDcTraits>;

// Selects an object into a DC for the scope and puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~ScopedSelect() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  bool Selected() const { return previous_ && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(ComPtr&& other) noexcept : pointer_(other.pointer_) { other.pointer_ = nullptr; }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = other.pointer_;
      other.pointer_ = nullptr;
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // Releases what is held and hands out the address for an out-parameter.
  T** Put() {
    Reset();
    return &pointer_;
  }
  void Reset() {
    if (pointer_) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  T* pointer_ = nullptr;
};

// COM for the scope on a thread that may or may not have it. A thread already in the other
// apartment (RPC_E_CHANGED_MODE) keeps it and is used as it is; only a successful call here
// (S_OK or S_FALSE) is balanced.
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
