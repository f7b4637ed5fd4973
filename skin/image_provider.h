#pragma once
// The skin engine's binding of the image provider, Pictora.dll beside the program: image
// objects by file, released through the provider, and a move-only owner for them.
//
// The library is bound on first need and then kept for the rest of the process. When it
// cannot be loaded, nothing is made and the next call tries again; a library lacking either
// export is freed and forgotten.
//
// Threads: the skin engine makes, draws and releases image objects on the user-interface
// thread only, and so does everything here; none of it is safe to call from two threads.
//
// This header needs no Windows headers; the object's operations are in skin/image_object.h.
#include <string>

#include "skin/image_type.h"

struct IImageObject;

namespace stashly {

// A new image object of the path's type (ImageTypeForPath) with the file loaded into it, or null
// when there is no provider or it makes no object. A file that does not decode still gives an
// object, which reports 0 x 0 and draws nothing. Release it with ReleaseImageObject.
IImageObject* CreateImageObjectFor(const std::wstring& path);

// Gives an object back to the provider that made it; null is ignored.
void ReleaseImageObject(IImageObject* object);

// Owns one image object and releases it through the provider.
class ImageObjectPtr {
 public:
  ImageObjectPtr() = default;
  explicit ImageObjectPtr(IImageObject* object) : object_(object) {}
  ImageObjectPtr(ImageObjectPtr&& other) noexcept : object_(other.release()) {}
  ImageObjectPtr& operator=(ImageObjectPtr&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ImageObjectPtr(const ImageObjectPtr&) = delete;
  ImageObjectPtr& operator=(const ImageObjectPtr&) = delete;
  ~ImageObjectPtr() { reset(); }

  IImageObject* get() const { return object_; }
  IImageObject* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

  IImageObject* release() {
    IImageObject* object = object_;
    object_ = nullptr;
    return object;
  }
  void reset(IImageObject* object = nullptr) {
    if (object_ && object_ != object) ReleaseImageObject(object_);
    object_ = object;
  }

 private:
  IImageObject* object_ = nullptr;
};

// CreateImageObjectFor, owned.
inline ImageObjectPtr LoadImageObject(const std::wstring& path) {
  return ImageObjectPtr(CreateImageObjectFor(path));
}

}  // namespace stashly
