#pragma once
// Owner of one COM interface reference in the tests: released exactly once, whatever path
// leaves the scope. Shaped like win::ComPtr, so the tests can move to it.
#include <objbase.h>

#include <utility>

namespace clickwell::test {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr& other) : pointer_(other.pointer_) {
    if (pointer_) pointer_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~ComPtr() { reset(); }

  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  void reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }
  // Adopts a reference the caller hands over.
  void Attach(T* pointer) {
    reset();
    pointer_ = pointer;
  }
  // Releases what is held and hands out the address for an out-parameter.
  T** put() {
    reset();
    return &pointer_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  template <typename U>
  ComPtr<U> Query() const {
    ComPtr<U> other;
    if (pointer_) pointer_->QueryInterface(__uuidof(U), other.put_void());
    return other;
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace clickwell::test
