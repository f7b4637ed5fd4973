#pragma once
// Scoped GDI state: what is selected, borrowed or begun in a scope is put back at its end.
#include <windows.h>

#include "win/unique_any.h"

namespace win {

// A RECT from any rectangle type of the logic libraries (left, top, right, bottom) and back.
template <typename Box>
RECT ToRect(const Box& box) {
  return RECT{static_cast<LONG>(box.left), static_cast<LONG>(box.top), static_cast<LONG>(box.right),
              static_cast<LONG>(box.bottom)};
}
template <typename Box>
Box FromRect(const RECT& rect) {
  using Coordinate = decltype(Box{}.left);
  return Box{static_cast<Coordinate>(rect.left), static_cast<Coordinate>(rect.top),
             static_cast<Coordinate>(rect.right), static_cast<Coordinate>(rect.bottom)};
}

// Selects a pen, brush, font or bitmap and restores the previous one. Not for regions, whose
// selection returns no previous object.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(dc && object ? ::SelectObject(dc, object) : nullptr) {
    if (previous_ == HGDI_ERROR) previous_ = nullptr;
  }
  ~ScopedSelectObject() {
    if (previous_) ::SelectObject(dc_, previous_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

  explicit operator bool() const { return previous_ != nullptr; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window's device context from GetDC, released with ReleaseDC.
class ScopedGetDC {
 public:
  explicit ScopedGetDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  ~ScopedGetDC() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  ScopedGetDC(const ScopedGetDC&) = delete;
  ScopedGetDC& operator=(const ScopedGetDC&) = delete;

  HDC get() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint in the constructor, EndPaint in the destructor.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
  ~PaintScope() {
    if (dc_) ::EndPaint(hwnd_, &ps_);
  }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

  HDC dc() const { return dc_; }
  const RECT& paintRect() const { return ps_.rcPaint; }
  bool erase() const { return ps_.fErase != FALSE; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Drawing goes into a memory bitmap the size of `rect`, in the target's coordinates; Flush (or
// the destructor, when Flush was not called) copies it to the target with SRCCOPY. When no
// memory context or bitmap can be had, dc() is the target itself and drawing goes straight there.
class DoubleBuffer {
 public:
  DoubleBuffer(HDC target, const RECT& rect);
  ~DoubleBuffer();
  DoubleBuffer(const DoubleBuffer&) = delete;
  DoubleBuffer& operator=(const DoubleBuffer&) = delete;

  HDC dc() const { return memory_ ? memory_.get() : target_; }
  bool buffered() const { return static_cast<bool>(memory_); }
  const RECT& rect() const { return rect_; }
  void Flush();

 private:
  HDC target_;
  RECT rect_;
  UniqueDc memory_;
  UniqueBitmap bitmap_;
  HGDIOBJ previousBitmap_ = nullptr;
  bool flushed_ = false;
};

}  // namespace win
