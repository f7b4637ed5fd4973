// The two exports of Pictora.dll, bound by name (pictora.def). There is no DllMain: loading
// the library does nothing but map it.
#include <new>
#include <type_traits>

#include "pictora/image.h"

extern "C" IImageObject* WINAPI CreateImageObject(int type) {
  if (type < kImageTypeOther || type > kImageTypeBmp) return nullptr;
  return new (std::nothrow) pictora::Image(type);
}

extern "C" void WINAPI DeleteImageObject(IImageObject* object) {
  delete static_cast<pictora::Image*>(object);
}

static_assert(std::is_same_v<decltype(&CreateImageObject), CreateImageObjectFn>);
static_assert(std::is_same_v<decltype(&DeleteImageObject), DeleteImageObjectFn>);
