#pragma once
// COM owners: interface pointers (AddRef on copy, Release when let go), BSTRs, VARIANTs, and a
// COM initialisation for a scope.
#include <windows.h>
#include <unknwn.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstddef>
#include <utility>

#include "win/unique_any.h"

namespace win {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Shares the pointer: takes a reference of its own. Use Attach to adopt one.
  explicit ComPtr(T* ptr) : ptr_(ptr) {
    if (ptr_) ptr_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.ptr_) {}
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).swap(*this);
    return *this;
  }
  ~ComPtr() { reset(); }

  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

  void reset() {
    if (T* old = std::exchange(ptr_, nullptr)) old->Release();
  }
  // Adopts a pointer whose reference the caller hands over.
  void Attach(T* ptr) {
    reset();
    ptr_ = ptr;
  }
  // Gives up the reference without releasing it.
  T* Detach() { return std::exchange(ptr_, nullptr); }
  // Releases what is held and hands out the address for an out-parameter.
  T** put() {
    reset();
    return &ptr_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  void swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

  // Asks for another interface of the same object; `out` is empty unless it succeeds.
  template <typename U>
  HRESULT QueryInterface(REFIID iid, ComPtr<U>& out) const {
    out.reset();
    if (!ptr_) return E_POINTER;
    HRESULT hr = ptr_->QueryInterface(iid, out.put_void());
    if (FAILED(hr)) out.Detach();  // a failed call hands out no reference
    return hr;
  }
  template <typename U>
  HRESULT QueryInterface(ComPtr<U>& out) const {
    return QueryInterface(__uuidof(U), out);
  }
  template <typename U>
  ComPtr<U> Query() const {
    ComPtr<U> out;
    QueryInterface(out);
    return out;
  }

 private:
  T* ptr_ = nullptr;
};

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

struct BstrTraits {
  using Type = BSTR;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::SysFreeString(value); }
};
// A BSTR from SysAllocString, freed with SysFreeString (link oleaut32).
using UniqueBstr = UniqueAny<BstrTraits>;

// A VARIANT cleared with VariantClear at the end of the scope (link oleaut32).
class ScopedVariant {
 public:
  ScopedVariant() { ::VariantInit(&value_); }
  ~ScopedVariant() { ::VariantClear(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  const VARIANT& get() const { return value_; }
  // Clears what is held and hands out the variant for a call to fill.
  VARIANT* put() {
    ::VariantClear(&value_);
    return &value_;
  }

 private:
  VARIANT value_;
};

}  // namespace win
