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
// The object's operations are in abi/image_object.h.
#include <string>

#include "skin/image_type.h"
#include "win/unique_any.h"

struct IImageObject;

namespace stashly {

// A new image object of the path's type (ImageTypeForPath) with the file loaded into it, or null
// when there is no provider or it makes no object. A file that does not decode still gives an
// object, which reports 0 x 0 and draws nothing. Release it with ReleaseImageObject.
IImageObject* CreateImageObjectFor(const std::wstring& path);

// Gives an object back to the provider that made it; null is ignored.
void ReleaseImageObject(IImageObject* object);

// Owns one image object and releases it through the provider.
struct ImageObjectTraits {
  using Type = IImageObject*;
  static Type Invalid() { return nullptr; }
  static void Close(Type object) { ReleaseImageObject(object); }
};
using ImageObjectPtr = win::UniqueAny<ImageObjectTraits>;

// CreateImageObjectFor, owned.
inline ImageObjectPtr LoadImageObject(const std::wstring& path) {
  return ImageObjectPtr(CreateImageObjectFor(path));
}

// The image at `path`, a strip of `frameCount` frames made for 96 DPI, as drawn at `dpi`: its
// frames scaled by dpi / 96 (ScaledFrameSize), taken from the file drawn for the closest scale
// beside it (ImageVariantPaths) when there is one, and resampled by the provider to that size
// when the file drawn has another. At 96 DPI (or 0) it is LoadImageObject; null as that.
ImageObjectPtr LoadImageForDpi(const std::wstring& path, int frameCount, unsigned dpi);

}  // namespace stashly
