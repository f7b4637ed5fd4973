#pragma once
// Owners for what the shell hands a context-menu handler: storage media and locked global
// memory.
#include <windows.h>
#include <objidl.h>

#include "win/unique_any.h"

namespace win {

// A storage medium filled by IDataObject::GetData, released with ReleaseStgMedium.
class ScopedStgMedium {
 public:
  ScopedStgMedium() = default;
  ScopedStgMedium(const ScopedStgMedium&) = delete;
  ScopedStgMedium& operator=(const ScopedStgMedium&) = delete;
  ~ScopedStgMedium() { reset(); }

  const STGMEDIUM& get() const { return medium_; }
  void reset() {
    if (medium_.tymed != TYMED_NULL) ::ReleaseStgMedium(&medium_);
    medium_ = STGMEDIUM{};
  }
  // Releases what is held and hands out the medium for GetData to fill.
  STGMEDIUM* put() {
    reset();
    return &medium_;
  }

 private:
  STGMEDIUM medium_{};
};

// GlobalLock for the lifetime of the object.
class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL memory)
      : memory_(memory), data_(memory ? ::GlobalLock(memory) : nullptr) {}
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
  ~ScopedGlobalLock() {
    if (data_) ::GlobalUnlock(memory_);
  }

  void* get() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }
  // Bytes of the block, 0 when it is not locked.
  size_t size() const { return data_ ? ::GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  void* data_;
};

}  // namespace win
