#pragma once
// The library's five classes. Each is reference counted with interlocked operations and
// answers QueryInterface for IXUnknown and its primary interface with its primary pointer and
// for its second interface (CHash, CSystemInfo) with that interface's own pointer into the same
// object; QueryInterface adds no reference.
#include <windows.h>

#include <string>

#include "abi/xunknown.h"
#include "corelet/rules.h"

namespace corelet {

template <typename Interface>
struct IdOf;
template <>
struct IdOf<stashly::IMD5> {
  static constexpr const stashly::XInterfaceId& value = stashly::kIdIMD5;
};
template <>
struct IdOf<stashly::IHash> {
  static constexpr const stashly::XInterfaceId& value = stashly::kIdIHash;
};
template <>
struct IdOf<stashly::ICPUInfo> {
  static constexpr const stashly::XInterfaceId& value = stashly::kIdICPUInfo;
};
template <>
struct IdOf<stashly::IDiskInfo> {
  static constexpr const stashly::XInterfaceId& value = stashly::kIdIDiskInfo;
};
template <>
struct IdOf<stashly::IStatistic> {
  static constexpr const stashly::XInterfaceId& value = stashly::kIdIStatistic;
};
template <>
struct IdOf<stashly::IRegister> {
  static constexpr const stashly::XInterfaceId& value = stashly::kIdIRegister;
};
template <>
struct IdOf<stashly::IVersion> {
  static constexpr const stashly::XInterfaceId& value = stashly::kIdIVersion;
};

// The count and QueryInterface every class shares. An object starts with one reference.
template <typename Derived, typename Primary, typename... Others>
class XObject : public Primary, public Others... {
 public:
  LONG STDMETHODCALLTYPE QueryInterface(const GUID* iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (SameIdentifier(iid, stashly::kIdIXUnknown) || SameIdentifier(iid, IdOf<Primary>::value)) {
      *out = static_cast<Primary*>(this);
    } else {
      (void)((SameIdentifier(iid, IdOf<Others>::value) && (*out = static_cast<Others*>(this))) ||
             ...);
    }
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(::InterlockedIncrement(&count_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&count_);
    if (left == 0) delete static_cast<Derived*>(this);
    return static_cast<ULONG>(left);
  }

 protected:
  XObject() = default;
  ~XObject() = default;

 private:
  LONG count_ = 1;
};

class CHash final : public XObject<CHash, stashly::IMD5, stashly::IHash> {
 public:
  void STDMETHODCALLTYPE MD5String(const char* text, char* out) override;
  void STDMETHODCALLTYPE Reserved(void* first, void* second) override;
  void STDMETHODCALLTYPE XorBuffer(const char* data, const char* key, char* out,
                                   int count) override;
};

class CSystemInfo final : public XObject<CSystemInfo, stashly::ICPUInfo, stashly::IDiskInfo> {
 public:
  const char* STDMETHODCALLTYPE GetCPUID() override;
  int STDMETHODCALLTYPE GetDriveKind(wchar_t letter) override;
  int STDMETHODCALLTYPE GetDriveLetters(wchar_t* letters, int max) override;
  const char* STDMETHODCALLTYPE GetDiskModel() override;

 private:
  // The texts handed out, valid until the next call of the same operation on this object.
  std::string cpuId_;
  std::string diskModel_;
};

class CRegister final : public XObject<CRegister, stashly::IRegister> {
 public:
  void STDMETHODCALLTYPE GetMachineId(char* out) override;
};

class CVersion final : public XObject<CVersion, stashly::IVersion> {
 public:
  int STDMETHODCALLTYPE GetFileVersion(const stashly::XStringRef* path, wchar_t* buffer,
                                       int length) override;
  int STDMETHODCALLTYPE GetOSVersion() override;
};

// The address a report composes (at most kReportAddressCapacity characters with its terminator)
// belongs to the report's worker, not to the object: see statistic.cpp.
class CStatistic final : public XObject<CStatistic, stashly::IStatistic> {
 public:
  int STDMETHODCALLTYPE Report(const wchar_t* base) override;
};

// The library's factory, also used by its own objects for their helpers.
stashly::IXUnknown* NewObject(const GUID* iid);

// An object of the library for `iid`, owned: null when there is none.
template <typename Interface>
Interface* NewObjectAs(const GUID& iid) {
  return static_cast<Interface*>(NewObject(&iid));
}

}  // namespace corelet
