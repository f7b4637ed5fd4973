#include "skin/image_provider.h"

#include <windows.h>

#include "abi/image_object.h"
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
  provider = {module.release(), create, remove};
  return true;
}

}  // namespace

IImageObject* CreateImageObjectFor(const std::wstring& path) {
  if (!Bind()) return nullptr;
  IImageObject* object = provider.create(ImageTypeForPath(path));
  if (object) object->Load(path.c_str(), 0);
  return object;
}

void ReleaseImageObject(IImageObject* object) {
  // An object exists only once the provider is bound, and it stays bound.
  if (object && provider.remove) provider.remove(object);
}

}  // namespace stashly
