#pragma once
// The provider's image object: a decoded image held as a premultiplied DIB section, drawn with
// AlphaBlend.
#include <windows.h>

#include "abi/image_object.h"
#include "pictora/draw_geometry.h"
#include "pictora/wic_decode.h"

namespace pictora {

class Image final : public IImageObject {
 public:
  explicit Image(int type) : type_(type) {}
  ~Image() = default;
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  void STDMETHODCALLTYPE Unload() override;
  BOOL STDMETHODCALLTYPE IsLoaded() override;
  int STDMETHODCALLTYPE GetType() override;
  DWORD STDMETHODCALLTYPE GetPixel(int x, int y) override;
  ULONGLONG STDMETHODCALLTYPE GetSize() override;
  BOOL STDMETHODCALLTYPE LoadFromMemory(const void* data, UINT size) override;
  BOOL STDMETHODCALLTYPE Load(const wchar_t* path, int frameIndex) override;
  BOOL STDMETHODCALLTYPE Draw(HDC dc, int left, int top, int right, int bottom, int x, int y,
                              int opacity, int flags) override;
  BOOL STDMETHODCALLTYPE DrawPart(HDC dc, int left, int top, int right, int bottom, int reserved1,
                                  int reserved2, int srcLeft, int srcWidth, int srcTop,
                                  int srcHeight, int opacity) override;
  BOOL STDMETHODCALLTYPE DrawMode1(HDC dc, int left, int top, int right, int bottom, int frameCount,
                                   int frameIndex, int opacity) override;
  BOOL STDMETHODCALLTYPE DrawMode2(HDC dc, int left, int top, int right, int bottom, int frameCount,
                                   int frameIndex, int opacity) override;
  BOOL STDMETHODCALLTYPE DrawMode3(HDC dc, int left, int top, int right, int bottom,
                                   int opacity) override;
  BOOL STDMETHODCALLTYPE DrawMode4(HDC dc, int left, int top, int right, int bottom,
                                   int opacity) override;
  // ResampleImageObject.
  BOOL Resample(int frameCount, int frameWidth, int frameHeight);

 private:
  // Whether a drawing call can go ahead at all: an image, a DC, a non-empty rectangle.
  bool CanDraw(HDC dc, const Rect& dst) const;
  // Draws every blit of the plan from the held bitmap.
  BOOL Blend(HDC dc, const Plan& plan, int opacity) const;
  BOOL Tile(HDC dc, const Rect& dst, int opacity) const;

  int type_;
  DibSection image_;
};

}  // namespace pictora
