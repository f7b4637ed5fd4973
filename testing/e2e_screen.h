#pragma once
// What the end-to-end drivers read off the screen: a window's pixels (saved as PNG for people to
// look at, beside the test results), colours compared with a tolerance, and where a list row is.
#include <windows.h>
#include <commctrl.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <string>

#include "testing/e2e_support.h"
#include "win/com_ptr.h"
#include "win/gdi.h"
#include "win/module.h"
#include "win/shell_paths.h"
#include "win/unique_any.h"

namespace stashly::e2e {

class Screenshot {
 public:
  explicit Screenshot(HWND window) {
    ::GetWindowRect(window, &rect_);
    width_ = rect_.right - rect_.left;
    height_ = rect_.bottom - rect_.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pixels_ = static_cast<const DWORD*>(bits);
    HDC screen = ::GetDC(nullptr);
    {
      win::UniqueDc dc(::CreateCompatibleDC(screen));
      win::ScopedSelectObject select(dc.get(), bitmap_.get());
      ::BitBlt(dc.get(), 0, 0, width_, height_, screen, rect_.left, rect_.top, SRCCOPY);
    }
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
  }
  // The pixel at a screen position.
  COLORREF At(POINT screen) const {
    int x = screen.x - rect_.left, y = screen.y - rect_.top;
    if (!pixels_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    DWORD p = pixels_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // Saves the picture as a PNG for people to look at.
  bool SavePng(const std::wstring& path) const {
    win::ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.put_void())))
      return false;
    win::ComPtr<IWICBitmap> bitmap;
    win::ComPtr<IWICStream> stream;
    win::ComPtr<IWICBitmapEncoder> encoder;
    win::ComPtr<IWICBitmapFrameEncode> frame;
    return SUCCEEDED(factory->CreateBitmapFromHBITMAP(bitmap_.get(), nullptr, WICBitmapIgnoreAlpha,
                                                      bitmap.put())) &&
           SUCCEEDED(factory->CreateStream(stream.put())) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) &&
           SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(frame.put(), nullptr)) &&
           SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->WriteSource(bitmap.get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(encoder->Commit());
  }

 private:
  RECT rect_{};
  int width_ = 0, height_ = 0;
  win::UniqueBitmap bitmap_;
  const DWORD* pixels_ = nullptr;
};

// Screenshots go beside the test results, for people to look at.
inline std::wstring ArtefactPath(const wchar_t* name) {
  std::wstring folder = win::FileBesideProgram(L"screenshots");
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return win::CombinePath(folder, name);
}

// Near `expected`, allowing for the window's 240/255 opacity over whatever lies below it.
inline ::testing::AssertionResult Near(COLORREF actual, COLORREF expected) {
  auto off = [](int a, int b) { return a > b ? a - b : b - a; };
  if (actual != CLR_INVALID && off(GetRValue(actual), GetRValue(expected)) <= 24 &&
      off(GetGValue(actual), GetGValue(expected)) <= 24 &&
      off(GetBValue(actual), GetBValue(expected)) <= 24)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "RGB(" << int(GetRValue(actual)) << "," << int(GetGValue(actual)) << ","
         << int(GetBValue(actual)) << ") is not near RGB(" << int(GetRValue(expected)) << ","
         << int(GetGValue(expected)) << "," << int(GetBValue(expected)) << ")";
}

inline RECT RowRect(HWND list, int index) {
  RemoteBuffer remote(list, sizeof(RECT));
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  remote.Write(0, &rect, sizeof(rect));
  ::SendMessageW(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote.address()));
  remote.Read(0, &rect, sizeof(rect));
  ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace stashly::e2e
