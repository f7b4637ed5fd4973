// A library named like the provider that has only one of its two exports: the binding must
// free it and carry on without images.
#include <windows.h>

extern "C" void* WINAPI CreateImageObject(int) {
  return nullptr;
}
