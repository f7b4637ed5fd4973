#include "skin/image_provider.h"

#include <windows.h>

#include "abi/image_object.h"
#include "skin/image_variant.h"
#include "skin/skin_layout.h"
#include "win/module.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

// Once bound, the library stays loaded until the process ends and nothing here frees it: image
// objects released by destructors that run at exit must still find its code. Plain data, so it
// is never destroyed before them.
struct Provider {
  HMODULE module;
  CreateImageObjectFn create;
  DeleteImageObjectFn remove;
  ResampleImageObjectFn resample;  // may be missing
};
constinit Provider provider{};

bool Bind() {
  if (provider.module) return true;
  const std::wstring path = win::FileBesideProgram(L"Pictora.dll");
  if (path.empty()) return false;
  win::UniqueModule module(::LoadLibraryW(path.c_str()));
  if (!module) return false;
  const auto create = win::GetExport<CreateImageObjectFn>(module.get(), "CreateImageObject");
  const auto remove = win::GetExport<DeleteImageObjectFn>(module.get(), "DeleteImageObject");
  if (!create || !remove) return false;  // the owner frees the library
  const auto resample =
      win::GetExport<ResampleImageObjectFn>(module.get(), "ResampleImageObject");
  provider = {module.release(), create, remove, resample};
  return true;
}

}  // namespace

IImageObject* CreateImageObjectFor(const std::wstring& path) {
  if (!Bind()) return nullptr;
  IImageObject* object = provider.create(ImageTypeForPath(path));
  if (object) object->Load(path.c_str(), 0);
  return object;
}

ImageObjectPtr LoadImageForDpi(const std::wstring& path, int frameCount, unsigned dpi) {
  ImageObjectPtr image = LoadImageObject(path);
  if (!image || dpi == 0 || dpi == kBaseDpi) return image;
  // The plain file says how large the image is meant to be.
  const ULONGLONG size = image->GetSize();
  if (ImageSizeWidth(size) <= 0 || ImageSizeHeight(size) <= 0) return image;
  const int frames = frameCount > 0 ? frameCount : 1;
  const SkinSize frame = ScaledFrameSize(ImageSizeWidth(size), ImageSizeHeight(size), frames, dpi);
  for (const std::wstring& variant : ImageVariantPaths(path, dpi)) {
    if (::GetFileAttributesW(variant.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    ImageObjectPtr drawn = LoadImageObject(variant);
    if (drawn && drawn->GetSize() != 0) {
      image = std::move(drawn);
      break;
    }
  }
  if (provider.resample &&
      (static_cast<long long>(frames) * frame.width != ImageSizeWidth(image->GetSize()) ||
       frame.height != ImageSizeHeight(image->GetSize())))
    provider.resample(image.get(), frames, frame.width, frame.height);
  return image;
}

void ReleaseImageObject(IImageObject* object) {
  // An object exists only once the provider is bound, and it stays bound.
  if (object && provider.remove) provider.remove(object);
}

}  // namespace stashly
