#pragma once
// An owner for a COM interface pointer: AddRef on copy, Release when it lets go.
#include <windows.h>
#include <unknwn.h>
#include <objbase.h>

#include <cstddef>
#include <utility>

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

}  // namespace win
