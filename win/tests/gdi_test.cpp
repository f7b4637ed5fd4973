#include "win/gdi.h"

#include <objidl.h>

#include "testing/test_images.h"
#include "win/com_ptr.h"
#include "win/dialog.h"
#include "win/dpi.h"
#include "win/unique_any.h"
#include "win/window.h"

#include <gtest/gtest.h>

namespace {

using stashly::testing::Canvas;

// The colour of a canvas pixel, without its alpha.
DWORD ColourAt(const Canvas& canvas, int x, int y) {
  return canvas.At(x, y) & 0xFFFFFF;
}

constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kRed = 0xFF0000;  // as a DIB stores RGB(255, 0, 0)

TEST(Gdi, OwnersFreeTheirObjects) {
  HBRUSH brush;
  HFONT font;
  HRGN region;
  HBITMAP bitmap;
  HDC dc;
  {
    win::UniqueBrush b(::CreateSolidBrush(RGB(1, 2, 3)));
    LOGFONTW lf{};
    lf.lfHeight = 12;
    win::UniqueFont f(::CreateFontIndirectW(&lf));
    win::UniqueRgn r(::CreateRectRgn(0, 0, 5, 5));
    win::UniqueBitmap m(::CreateBitmap(4, 4, 1, 32, nullptr));
    win::UniqueDc d(::CreateCompatibleDC(nullptr));
    brush = b.get();
    font = f.get();
    region = r.get();
    bitmap = m.get();
    dc = d.get();
    for (HGDIOBJ object :
         {static_cast<HGDIOBJ>(brush), static_cast<HGDIOBJ>(font), static_cast<HGDIOBJ>(region),
          static_cast<HGDIOBJ>(bitmap), static_cast<HGDIOBJ>(dc)})
      ASSERT_NE(::GetObjectType(object), 0u);
  }
  for (HGDIOBJ object :
       {static_cast<HGDIOBJ>(brush), static_cast<HGDIOBJ>(font), static_cast<HGDIOBJ>(region),
        static_cast<HGDIOBJ>(bitmap), static_cast<HGDIOBJ>(dc)})
    EXPECT_EQ(::GetObjectType(object), 0u);

  BYTE andMask[32 * 4] = {}, xorMask[32 * 4] = {};
  win::UniqueIcon icon(::CreateIcon(nullptr, 32, 32, 1, 1, andMask, xorMask));
  ASSERT_TRUE(icon);
  HICON raw = icon.get();
  icon.reset();
  ICONINFO info;
  EXPECT_FALSE(::GetIconInfo(raw, &info));
}

TEST(Gdi, SelectionIsRestoredAtTheEndOfTheScope) {
  Canvas canvas(4, 4);
  HGDIOBJ before = ::GetCurrentObject(canvas.dc(), OBJ_BRUSH);
  win::UniqueBrush red(::CreateSolidBrush(RGB(255, 0, 0)));
  {
    win::ScopedSelectObject select(canvas.dc(), red.get());
    EXPECT_TRUE(select);
    EXPECT_EQ(::GetCurrentObject(canvas.dc(), OBJ_BRUSH), red.get());
  }
  EXPECT_EQ(::GetCurrentObject(canvas.dc(), OBJ_BRUSH), before);
  win::ScopedSelectObject nothing(canvas.dc(), nullptr);
  EXPECT_FALSE(nothing);
}

TEST(Gdi, DoubleBufferDrawsOffScreenAndCopiesOnlyItsRectangle) {
  Canvas canvas(20, 20);
  HGDIOBJ memoryBitmap;
  HDC memoryDc;
  {
    win::DoubleBuffer buffer(canvas.dc(), {5, 5, 15, 15});
    ASSERT_TRUE(buffer.buffered());
    memoryDc = buffer.dc();
    memoryBitmap = ::GetCurrentObject(memoryDc, OBJ_BITMAP);
    win::UniqueBrush red(::CreateSolidBrush(RGB(255, 0, 0)));
    RECT everything{0, 0, 20, 20};  // in the target's coordinates; clipped to the buffer
    ::FillRect(buffer.dc(), &everything, red.get());
    EXPECT_EQ(ColourAt(canvas, 5, 5), kWhite) << "nothing reaches the target before the copy";
  }
  EXPECT_EQ(ColourAt(canvas, 5, 5), kRed);
  EXPECT_EQ(ColourAt(canvas, 14, 14), kRed);
  EXPECT_EQ(ColourAt(canvas, 4, 4), kWhite);
  EXPECT_EQ(ColourAt(canvas, 15, 15), kWhite);
  EXPECT_EQ(::GetObjectType(memoryBitmap), 0u);
  EXPECT_EQ(::GetObjectType(memoryDc), 0u);

  // An empty rectangle draws straight into the target.
  win::DoubleBuffer empty(canvas.dc(), {3, 3, 3, 9});
  EXPECT_FALSE(empty.buffered());
  EXPECT_EQ(empty.dc(), canvas.dc());
}

TEST(Gdi, ExplicitFlushCopiesOnceAndTheDestructorDoesNotCopyAgain) {
  Canvas canvas(8, 8);
  {
    win::DoubleBuffer buffer(canvas.dc(), {0, 0, 8, 8});
    ::PatBlt(buffer.dc(), 0, 0, 8, 8, BLACKNESS);
    buffer.Flush();
    EXPECT_EQ(ColourAt(canvas, 3, 3), 0u);
    ::PatBlt(canvas.dc(), 0, 0, 8, 8, WHITENESS);
  }
  EXPECT_EQ(ColourAt(canvas, 3, 3), kWhite);
}

// Paints through PaintScope and DoubleBuffer, as the skinned windows do.
class Painted : public win::Window {
 protected:
  win::WindowClass GetWindowClass() const override {
    win::WindowClass cls;
    cls.defaultStyle = WS_POPUP | WS_VISIBLE;
    return cls;
  }
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (message == WM_PAINT) {
      win::PaintScope paint(hwnd());
      RECT client;
      ::GetClientRect(hwnd(), &client);
      win::DoubleBuffer buffer(paint.dc(), client);
      ::FillRect(buffer.dc(), &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
      result = 0;
      return true;
    }
    return Window::HandleMessage(message, wParam, lParam, result);
  }
};

// Counting by GetGuiResources where the system keeps the counts; Wine answers 0 for both.
TEST(Gdi, WindowsDialogsAndBuffersLeaveNoObjectsBehind) {
  HANDLE process = ::GetCurrentProcess();
  auto count = [&] {
    return ::GetGuiResources(process, GR_GDIOBJECTS) + ::GetGuiResources(process, GR_USEROBJECTS);
  };
  auto cycle = [] {
    Painted window;
    window.Create(nullptr, {0, 0, 60, 40});
    ::UpdateWindow(window.hwnd());
    win::Dialog dialog;
    dialog.CreateModeless(window.hwnd());
    win::ScopedGetDC dc(window.hwnd());
    win::DoubleBuffer buffer(dc, {0, 0, 30, 30});
  };
  cycle();  // classes and caches the first time
  const DWORD before = count();
  if (before == 0) GTEST_SKIP() << "GetGuiResources reports no counts on this system";
  for (int i = 0; i < 20; ++i) cycle();
  EXPECT_EQ(count(), before);
}

// A COM object that counts its references, to watch ComPtr's bookkeeping.
class Counted : public IPersist {
 public:
  ULONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IPersist) {
      *out = static_cast<IPersist*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
};

TEST(Dpi, SystemFiguresComeAtTheDpiAskedFor) {
  const UINT system = win::SystemDpi();
  EXPECT_GE(system, 96u);
  EXPECT_EQ(win::WindowDpi(nullptr), system);
  EXPECT_EQ(win::WindowDpi(::GetDesktopWindow()), system);
  // The small icon and the message font twice as large at twice the DPI.
  EXPECT_EQ(win::SystemMetricForDpi(SM_CXSMICON, 192),
            2 * win::SystemMetricForDpi(SM_CXSMICON, 96));
  EXPECT_EQ(win::SystemMetricForDpi(SM_CXSMICON, system), ::GetSystemMetrics(SM_CXSMICON));
  const LOGFONTW normal = win::MessageFontForDpi(96);
  const LOGFONTW large = win::MessageFontForDpi(192);
  EXPECT_NE(normal.lfHeight, 0);
  EXPECT_EQ(large.lfHeight, 2 * normal.lfHeight);
  EXPECT_STREQ(large.lfFaceName, normal.lfFaceName);
}

TEST(ComPtr, CopiesShareMovesTransferAndQueriesHandOutOwnedReferences) {
  Counted object;
  {
    win::ComPtr<IPersist> a;
    a.Attach(&object);  // adopts the creation reference
    EXPECT_EQ(object.refs, 1u);
    win::ComPtr<IPersist> b = a;
    EXPECT_EQ(object.refs, 2u);
    win::ComPtr<IPersist> c = std::move(b);
    EXPECT_FALSE(b);
    EXPECT_EQ(object.refs, 2u);

    win::ComPtr<IUnknown> unknown = a.Query<IUnknown>();
    EXPECT_TRUE(unknown);
    EXPECT_EQ(object.refs, 3u);
    win::ComPtr<IStream> stream;
    EXPECT_EQ(a.QueryInterface(stream), E_NOINTERFACE);
    EXPECT_FALSE(stream);
    EXPECT_EQ(object.refs, 3u);

    // put() lets go of the old reference before handing out the slot.
    EXPECT_EQ(a->QueryInterface(IID_IPersist, c.put_void()), S_OK);
    EXPECT_EQ(object.refs, 3u);
    c = a;  // the same object: no net change
    EXPECT_EQ(object.refs, 3u);
    IPersist* raw = c.Detach();
    EXPECT_EQ(object.refs, 3u);
    raw->Release();
  }
  EXPECT_EQ(object.refs, 0u);
  win::ComPtr<IPersist> empty;
  win::ComPtr<IUnknown> out;
  EXPECT_EQ(empty.QueryInterface(out), E_POINTER);
}

}  // namespace
