#pragma once
// Decoding with the system's imaging component (WIC) into a premultiplied 32-bit DIB section.
// The caller has COM initialised on the thread for as long as these run.
#include <windows.h>

#include "win/com_ptr.h"
#include "win/gdi.h"
#include "win/unique_any.h"

namespace pictora {

// A top-down 32-bit DIB section of premultiplied BGRA pixels.
struct DibSection {
  win::UniqueBitmap bitmap;
  void* bits = nullptr;  // owned by `bitmap`
  int width = 0;
  int height = 0;

  explicit operator bool() const { return static_cast<bool>(bitmap); }
};

// A new section, its pixels unset; empty when GDI has no room for it.
DibSection MakeDibSection(int width, int height);

// Frame `frameIndex` of the image file at `path`; empty on any failure, including a zero-sized
// image and one beyond the size limits of draw_geometry.h.
DibSection DecodeFile(const wchar_t* path, int frameIndex);

// The same for an image file held in memory.
DibSection DecodeMemory(const void* data, UINT size, int frameIndex);

}  // namespace pictora
