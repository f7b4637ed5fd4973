#pragma once
// Test support shared by the provider's tests and the binding's: image files written at run
// time, a 32-bit drawing surface whose pixels can be read back, a scratch folder.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "win/com_ptr.h"
#include "win/gdi.h"
#include "win/unique_any.h"

namespace stashly::testing {

// Straight (not premultiplied) 0xAARRGGBB pixels, rows from the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A picture whose pixel (x, y) is colour(x, y).
template <typename Colour>
Picture MakePicture(int width, int height, Colour colour) {
  Picture picture{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.pixels.push_back(colour(x, y));
  }
  return picture;
}

// A 24-bit BMP file as written by hand (alpha dropped).
std::vector<std::uint8_t> BmpBytes(const Picture& picture);
// A BMP header claiming the size, followed by `payload` bytes of pixels.
std::vector<std::uint8_t> BmpHeaderOnly(int width, int height, size_t payload);

bool WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
// Encodes with the system's imaging component; `container` is GUID_ContainerFormatPng or
// GUID_ContainerFormatJpeg (PNG keeps the alpha channel).
bool EncodeFile(const std::wstring& path, const GUID& container, const Picture& picture);

// A fresh folder under the temporary folder, deleted with its files at the end of the scope.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// A premultiplied 32-bit DIB section in a memory DC.
class Canvas {
 public:
  Canvas(int width, int height, std::uint32_t fill = 0xFFFFFFFF);
  HDC dc() const { return dc_.get(); }
  std::uint32_t At(int x, int y) const;
  std::vector<std::uint32_t> Snapshot() const;

 private:
  int width_, height_;
  std::uint32_t* bits_ = nullptr;
  // Declared before the DC, so the DC goes first and the bitmap is no longer selected when
  // it is deleted.
  win::UniqueBitmap bitmap_;
  win::UniqueDc dc_;
};

// Whether two colours differ by at most `tolerance` in each of red, green and blue.
bool Near(std::uint32_t a, std::uint32_t b, int tolerance);

}  // namespace stashly::testing
