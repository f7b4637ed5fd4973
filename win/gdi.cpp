#include "win/gdi.h"

namespace win {

DoubleBuffer::DoubleBuffer(HDC target, const RECT& rect) : target_(target), rect_(rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (!target || width <= 0 || height <= 0) return;
  UniqueDc memory(::CreateCompatibleDC(target));
  if (!memory) return;
  UniqueBitmap bitmap(::CreateCompatibleBitmap(target, width, height));
  if (!bitmap) return;
  HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
  if (!previous || previous == HGDI_ERROR) return;
  // The bitmap's pixel 0,0 stands for the rectangle's top-left corner in the target.
  ::SetViewportOrgEx(memory.get(), -rect.left, -rect.top, nullptr);
  previousBitmap_ = previous;
  bitmap_ = std::move(bitmap);
  memory_ = std::move(memory);
}

DoubleBuffer::~DoubleBuffer() {
  if (!memory_) return;
  if (!flushed_) Flush();
  ::SelectObject(memory_.get(), previousBitmap_);
}

void DoubleBuffer::Flush() {
  flushed_ = true;
  if (!memory_) return;
  ::BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top,
           memory_.get(), rect_.left, rect_.top, SRCCOPY);
}

}  // namespace win
