#pragma once
// The image object of the image provider (Pictora.dll), shared by the provider and the skin
// engine that binds it at run time.
//
// Binary layout: a plain table of thirteen __stdcall operations in the order declared below,
// with no virtual destructor (its slot would differ between compilers), so that any Windows
// caller can bind it. Objects come from the export `CreateImageObject` and go back through
// `DeleteImageObject`; nobody deletes one any other way.
//
// Coordinates are pixels of the target device context. A destination rectangle is passed as
// left, top, right, bottom; an empty or inverted one draws nothing. Opacity runs from 0
// (invisible) to 100 (opaque) and is clamped to that range; it becomes the blend's constant
// alpha (opacity * 255 / 100). Pixels are premultiplied, so transparent parts of PNG images
// leave the target untouched.
//
// Results: operations that answer with BOOL return non-zero on success. A drawing operation
// returns 0 when nothing is loaded, the device context is null, the rectangle is empty or
// inverted, the asked frame or part lies outside the image, a stretched or tiled area is wider
// or higher than 32768 pixels, or GDI refuses; a valid call whose result happens to be
// invisible (opacity 0, clipped away) returns non-zero. Bad input never crashes.
//
// Drawtypes of the skin's image items, and the operation each uses:
//   0  Draw       the image at its own size, its top-left corner at (x, y), clipped to the
//                 rectangle.
//   1  DrawMode1  one frame of a horizontal strip stretched to fill the rectangle.
//   2  DrawMode2  one frame drawn as a nine-grid: every pixel left of, right of, above and
//                 below the frame's middle column and row keeps its size, and only the middle
//                 column and row stretch, so corners and borders stay crisp (edit
//                 backgrounds). Where the rectangle is smaller than the frame, the frame's
//                 two halves are cut to fit instead of squeezed.
//   3  DrawMode3  the image tiled at its own size from the rectangle's top-left corner,
//                 clipped to the rectangle (background layers and patterns).
//   4  DrawMode4  the image at its own size, centred in the rectangle and clipped to it.
//
// Size of an image that could not be decoded (missing or unreadable file, a folder, no frame,
// a zero-sized image, more than 16384 pixels on a side or more than 16777216 in all): 0 x 0,
// and the object draws nothing. A skinned button whose image reports 0 x 0 keeps the size its
// skin gave it.
//
// Thread use: one object on one thread at a time. Load initialises COM on the calling thread
// for its own duration when the thread has not done so; a thread already in either apartment
// is used as it is.
#include <windows.h>

// Image types for CreateImageObject, from the file extension. The type is recorded and
// reported; decoding recognises the format by the file's content, so any type loads any PNG,
// JPEG, BMP (or other format the system's imaging component knows).
enum ImageType : int {
  kImageTypeOther = 0,
  kImageTypePng = 1,
  kImageTypeJpeg = 2,
  kImageTypeBmp = 3,
};

struct IImageObject {
  // 1. Forgets the decoded image; the object stays usable and reports 0 x 0.
  virtual void STDMETHODCALLTYPE Unload() = 0;

  // 2. Non-zero while a decoded image is held.
  virtual BOOL STDMETHODCALLTYPE IsLoaded() = 0;

  // 3. The type the object was created with (0 to 3).
  virtual int STDMETHODCALLTYPE GetType() = 0;

  // 4. The premultiplied pixel at (x, y) as 0xAARRGGBB; 0 outside the image or when nothing
  //    is loaded. Lets a skin hit-test shaped images.
  virtual DWORD STDMETHODCALLTYPE GetPixel(int x, int y) = 0;

  // 5. Width (low 32 bits) and height (high 32 bits) in pixels; 0 x 0 when nothing is loaded.
  //    Packed into one integer because a structure returned from a method is passed
  //    differently by different compilers; see ImageSizeWidth / ImageSizeHeight.
  virtual ULONGLONG STDMETHODCALLTYPE GetSize() = 0;

  // 6. Decodes an image file held in memory (size bytes at data), as Load does for a file.
  virtual BOOL STDMETHODCALLTYPE LoadFromMemory(const void* data, UINT size) = 0;

  // 7. Decodes the file at path. frameIndex picks the frame of a multi-frame file (0: the
  //    first; PNG, JPEG and BMP have only that one). Whatever was loaded before is dropped
  //    first, so a failed load leaves the object empty (0 x 0).
  virtual BOOL STDMETHODCALLTYPE Load(const wchar_t* path, int frameIndex) = 0;

  // 8. Drawtype 0: the image at its own size with its top-left corner at (x, y), clipped to
  //    the rectangle. A background passes its rectangle and 0, 0; an image item its own
  //    rectangle and that rectangle's top-left corner. flags is reserved; pass 0.
  virtual BOOL STDMETHODCALLTYPE Draw(HDC dc, int left, int top, int right, int bottom, int x,
                                      int y, int opacity, int flags) = 0;

  // 9. The source part (srcLeft, srcTop, srcWidth x srcHeight) of the image stretched into the
  //    rectangle; how one state frame of a horizontal strip is drawn. A part reaching beyond
  //    the image draws only its inside, at the place it would have had; a part wholly outside
  //    draws nothing. reserved1 and reserved2 are reserved; pass 0.
  virtual BOOL STDMETHODCALLTYPE DrawPart(HDC dc, int left, int top, int right, int bottom,
                                          int reserved1, int reserved2, int srcLeft, int srcWidth,
                                          int srcTop, int srcHeight, int opacity) = 0;

  // 10. Drawtype 1: frame frameIndex of a horizontal strip of frameCount equal frames (image
  //     width / frameCount, integer division) stretched to the rectangle. 1, 0: the whole image.
  virtual BOOL STDMETHODCALLTYPE DrawMode1(HDC dc, int left, int top, int right, int bottom,
                                           int frameCount, int frameIndex, int opacity) = 0;

  // 11. Drawtype 2: the frame chosen as for DrawMode1, drawn as a nine-grid (see above).
  virtual BOOL STDMETHODCALLTYPE DrawMode2(HDC dc, int left, int top, int right, int bottom,
                                           int frameCount, int frameIndex, int opacity) = 0;

  // 12. Drawtype 3: the image tiled from the rectangle's top-left corner.
  virtual BOOL STDMETHODCALLTYPE DrawMode3(HDC dc, int left, int top, int right, int bottom,
                                           int opacity) = 0;

  // 13. Drawtype 4: the image centred in the rectangle at its own size.
  virtual BOOL STDMETHODCALLTYPE DrawMode4(HDC dc, int left, int top, int right, int bottom,
                                           int opacity) = 0;

 protected:
  // Objects are destroyed only through DeleteImageObject.
  ~IImageObject() = default;
};

inline int ImageSizeWidth(ULONGLONG size) {
  return static_cast<int>(size & 0xFFFFFFFFu);
}
inline int ImageSizeHeight(ULONGLONG size) {
  return static_cast<int>(size >> 32);
}
inline ULONGLONG PackImageSize(int width, int height) {
  return static_cast<ULONGLONG>(static_cast<UINT>(width)) |
         static_cast<ULONGLONG>(static_cast<UINT>(height)) << 32;
}

// The provider's exports, bound by name.
// "CreateImageObject": a new empty object of the type (0 to 3), or null for any other type or
// when memory runs out.
typedef IImageObject*(WINAPI* CreateImageObjectFn)(int type);
// "DeleteImageObject": destroys an object made by CreateImageObject; null is ignored.
typedef void(WINAPI* DeleteImageObjectFn)(IImageObject* object);
// "ResampleImageObject", which a provider may lack (the skin engine then lets the draw modes
// stretch the image): scales an object's loaded image for a display scale, once, so that every
// later drawing is one to one. The image is taken as a horizontal strip of frameCount equal
// frames (image width / frameCount, integer division; 1: the whole image), each frame is
// resampled on its own to frameWidth x frameHeight with a high-quality filter that keeps the
// alpha channel, and the frames are laid side by side again (the new size is frameCount *
// frameWidth by frameHeight). Returns 0, leaving the image as it was, when the object is null or
// has nothing loaded, a count or size is less than 1, a source frame would be narrower than a
// pixel or the new size lies beyond the decoding limits. A separate export rather than a
// fourteenth operation, so that a provider built for the thirteen still binds.
typedef BOOL(WINAPI* ResampleImageObjectFn)(IImageObject* object, int frameCount, int frameWidth,
                                            int frameHeight);
