#pragma once
// A CRITICAL_SECTION owned by an object, and a scope that holds it.
#include <windows.h>

namespace win {

class CriticalSection {
 public:
  CriticalSection() { ::InitializeCriticalSection(&section_); }
  ~CriticalSection() { ::DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  class Lock {
   public:
    explicit Lock(CriticalSection& owner) : section_(&owner.section_) {
      ::EnterCriticalSection(section_);
    }
    ~Lock() { ::LeaveCriticalSection(section_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    CRITICAL_SECTION* section_;
  };

 private:
  CRITICAL_SECTION section_;
};

}  // namespace win
