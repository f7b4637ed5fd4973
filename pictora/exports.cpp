// The exports of Pictora.dll, bound by name (pictora.def). There is no DllMain: loading
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

extern "C" BOOL WINAPI ResampleImageObject(IImageObject* object, int frameCount, int frameWidth,
                                           int frameHeight) {
  return object && static_cast<pictora::Image*>(object)->Resample(frameCount, frameWidth,
                                                                  frameHeight);
}

static_assert(std::is_same_v<decltype(&CreateImageObject), CreateImageObjectFn>);
static_assert(std::is_same_v<decltype(&ResampleImageObject), ResampleImageObjectFn>);
static_assert(std::is_same_v<decltype(&DeleteImageObject), DeleteImageObjectFn>);
