#include "skin/image_provider.h"

#include <windows.h>
#include <shlwapi.h>

#include "skin/image_object.h"
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

template <typename Function>
Function Export(HMODULE module, const char* name) {
  // Through the generic function pointer type, which converts to any other without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

bool Bind() {
  if (provider.module) return true;
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  ::PathRemoveFileSpecW(path);
  if (!::PathAppendW(path, L"Pictora.dll")) return false;

  win::UniqueModule module(::LoadLibraryW(path));
  if (!module) return false;
  const auto create = Export<CreateImageObjectFn>(module.get(), "CreateImageObject");
  const auto remove = Export<DeleteImageObjectFn>(module.get(), "DeleteImageObject");
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
