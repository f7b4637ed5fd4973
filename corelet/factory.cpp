// The one export, CreateInstance (corelet.def names it), and the factory behind it. There is no
// DllMain: loading the library does nothing but map it.
#include <new>
#include <type_traits>

#include "corelet/objects.h"

namespace corelet {
namespace {

template <typename Class>
stashly::IXUnknown* Make(const GUID* iid) {
  Class* object = new (std::nothrow) Class;
  if (!object) return nullptr;
  void* answer = nullptr;
  // The new object's one reference becomes the caller's, through the pointer the identifier asks
  // for (the second interface of a two-interface class is a pointer of its own).
  if (object->QueryInterface(iid, &answer) < 0 || !answer) {
    object->Release();
    return nullptr;
  }
  return static_cast<stashly::IXUnknown*>(answer);
}

}  // namespace

stashly::IXUnknown* NewObject(const GUID* iid) {
  switch (ClassForIdentifier(iid)) {
    case ObjectClass::kSystemInfo:
      return Make<CSystemInfo>(iid);
    case ObjectClass::kHash:
      return Make<CHash>(iid);
    case ObjectClass::kRegister:
      return Make<CRegister>(iid);
    case ObjectClass::kStatistic:
      return Make<CStatistic>(iid);
    case ObjectClass::kVersion:
      return Make<CVersion>(iid);
    case ObjectClass::kNone:
      break;
  }
  return nullptr;
}

}  // namespace corelet

extern "C" stashly::IXUnknown* WINAPI CreateInstance(const GUID* iid) {
  return corelet::NewObject(iid);
}

static_assert(std::is_same_v<decltype(&CreateInstance), stashly::CreateInstanceFn>);
