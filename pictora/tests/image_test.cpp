// Pictora.dll bound by name from this program's folder, as the skin engine binds it: decoding
// real files written here, and the pixels each drawing operation puts on a 32-bit surface.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <tuple>

#include "abi/image_object.h"
#include "testing/test_images.h"
#include "win/module.h"
#include "win/thread.h"

namespace pictora::test {
namespace {

using namespace stashly::testing;

constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kYellow = 0xFFFFFF00;

struct Library {
  win::UniqueModule module;
  CreateImageObjectFn create = nullptr;
  DeleteImageObjectFn remove = nullptr;
  ResampleImageObjectFn resample = nullptr;
};

const Library& Provider() {
  static Library library = [] {
    Library l;
    l.module.reset(::LoadLibraryW(win::FileBesideProgram(L"Pictora.dll").c_str()));
    if (l.module) {
      l.create = win::GetExport<CreateImageObjectFn>(l.module.get(), "CreateImageObject");
      l.remove = win::GetExport<DeleteImageObjectFn>(l.module.get(), "DeleteImageObject");
      l.resample = win::GetExport<ResampleImageObjectFn>(l.module.get(), "ResampleImageObject");
    }
    return l;
  }();
  return library;
}

// One object, deleted through the library.
class Object {
 public:
  explicit Object(int type = kImageTypePng) : object_(Provider().create(type)) {}
  ~Object() { Provider().remove(object_); }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  IImageObject* operator->() const { return object_; }
  IImageObject* get() const { return object_; }

 private:
  IImageObject* object_;
};

class PictoraTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Provider().create && Provider().remove) << "Pictora.dll or its exports missing";
    ASSERT_FALSE(folder_.path().empty());
  }

  // Writes the picture as a PNG file and loads it into `object`.
  void LoadPng(const Object& object, const Picture& picture) {
    const std::wstring path = folder_.File(L"picture" + std::to_wstring(++files_) + L".png");
    ASSERT_TRUE(EncodeFile(path, GUID_ContainerFormatPng, picture));
    ASSERT_TRUE(object->Load(path.c_str(), 0));
  }

  ScratchFolder folder_;
  int files_ = 0;
};

// Premultiplied form of a straight colour, as the provider keeps it.
std::uint32_t Premultiplied(std::uint32_t argb) {
  const std::uint32_t a = argb >> 24;
  const auto channel = [a](std::uint32_t c) { return (c * a + 127) / 255; };
  return a << 24 | channel((argb >> 16) & 0xFF) << 16 | channel((argb >> 8) & 0xFF) << 8 |
         channel(argb & 0xFF);
}

TEST_F(PictoraTest, DecodesPngJpegAndBmpWrittenAtRunTime) {
  // Blocks of 16x16, JPEG's largest coding unit, so that its colour subsampling keeps each
  // block's colour.
  const Picture picture = MakePicture(48, 32, [](int x, int y) {
    const std::uint32_t colours[] = {kRed, kGreen, kBlue, kWhite, kBlack, kYellow};
    return colours[(y / 16) * 3 + x / 16];
  });
  struct Case {
    const wchar_t* name;
    int type;
    int tolerance;
    std::function<bool(const std::wstring&)> write;
  };
  const Case cases[] = {
      {L"a.png", kImageTypePng, 0,
       [&](const std::wstring& p) { return EncodeFile(p, GUID_ContainerFormatPng, picture); }},
      {L"a.jpg", kImageTypeJpeg, 24,
       [&](const std::wstring& p) { return EncodeFile(p, GUID_ContainerFormatJpeg, picture); }},
      {L"a.bmp", kImageTypeBmp, 0,
       [&](const std::wstring& p) { return WriteBytes(p, BmpBytes(picture)); }},
      // A format the skins do not use is still decoded.
      {L"a.tif", kImageTypeOther, 0,
       [&](const std::wstring& p) { return EncodeFile(p, GUID_ContainerFormatTiff, picture); }},
      // The type is only recorded; the content decides the format.
      {L"png-named.bmp", kImageTypeOther, 0,
       [&](const std::wstring& p) { return EncodeFile(p, GUID_ContainerFormatPng, picture); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name);
    const std::wstring path = folder_.File(c.name);
    ASSERT_TRUE(c.write(path));
    Object object(c.type);
    EXPECT_EQ(object->GetType(), c.type);
    ASSERT_TRUE(object->Load(path.c_str(), 0));
    EXPECT_TRUE(object->IsLoaded());
    const ULONGLONG size = object->GetSize();
    EXPECT_EQ(ImageSizeWidth(size), 48);
    EXPECT_EQ(ImageSizeHeight(size), 32);
    for (int y = 8; y < 32; y += 16) {
      for (int x = 8; x < 48; x += 16) {
        const std::uint32_t pixel = object->GetPixel(x, y);
        EXPECT_EQ(pixel >> 24, 0xFFu);
        EXPECT_TRUE(Near(pixel, picture.At(x, y), c.tolerance))
            << std::hex << pixel << " at " << std::dec << x << "," << y;
      }
    }
  }
}

TEST_F(PictoraTest, KeepsPngTransparencyPremultiplied) {
  const Picture picture = MakePicture(2, 1, [](int x, int) {
    return x == 0 ? 0x80FF0000u : 0x00000000u;  // half-transparent red, fully transparent
  });
  Object object;
  LoadPng(object, picture);
  EXPECT_TRUE(Near(object->GetPixel(0, 0), Premultiplied(0x80FF0000), 1));
  EXPECT_EQ(object->GetPixel(0, 0) >> 24, 0x80u);
  EXPECT_EQ(object->GetPixel(1, 0), 0u);

  // Over white: half of the red, half of the white behind it; the transparent pixel leaves
  // the white alone.
  Canvas canvas(2, 1);
  EXPECT_TRUE(object->Draw(canvas.dc(), 0, 0, 2, 1, 0, 0, 100, 0));
  EXPECT_TRUE(Near(canvas.At(0, 0), 0xFFFF7F7F, 2)) << std::hex << canvas.At(0, 0);
  EXPECT_EQ(canvas.At(1, 0), kWhite);
}

TEST_F(PictoraTest, LoadsFromMemoryAndForgetsOnUnload) {
  const Picture picture = MakePicture(3, 2, [](int, int) { return kBlue; });
  const std::vector<std::uint8_t> bytes = BmpBytes(picture);
  Object object(kImageTypeBmp);
  ASSERT_TRUE(object->LoadFromMemory(bytes.data(), static_cast<UINT>(bytes.size())));
  EXPECT_EQ(object->GetSize(), PackImageSize(3, 2));
  EXPECT_EQ(object->GetPixel(2, 1), kBlue);
  object->Unload();
  EXPECT_FALSE(object->IsLoaded());
  EXPECT_EQ(object->GetSize(), 0u);
  EXPECT_EQ(object->GetPixel(0, 0), 0u);
}

TEST_F(PictoraTest, WhatDoesNotDecodeLeavesAnEmptyObjectThatDrawsNothing) {
  const std::wstring garbage = folder_.File(L"garbage.png");
  ASSERT_TRUE(WriteBytes(garbage, std::vector<std::uint8_t>(300, 0x5A)));
  const std::wstring empty = folder_.File(L"empty.png");
  ASSERT_TRUE(WriteBytes(empty, {}));
  const std::wstring truncated = folder_.File(L"truncated.png");
  ASSERT_TRUE(EncodeFile(truncated, GUID_ContainerFormatPng,
                         MakePicture(40, 40, [](int x, int) { return x ? kRed : kBlue; })));
  {
    win::UniqueFile file(
        ::CreateFileW(truncated.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ::SetFilePointer(file.get(), 40, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file.get());
  }
  const std::wstring zeroWidth = folder_.File(L"zero.bmp");
  ASSERT_TRUE(WriteBytes(zeroWidth, BmpHeaderOnly(0, 5, 0)));
  const std::wstring huge = folder_.File(L"huge.bmp");
  ASSERT_TRUE(WriteBytes(huge, BmpHeaderOnly(100000, 100000, 64)));
  const std::wstring wide = folder_.File(L"wide.bmp");
  ASSERT_TRUE(WriteBytes(wide, BmpHeaderOnly(16385, 1, 16385 * 3 + 1)));
  const std::wstring good = folder_.File(L"good.bmp");
  ASSERT_TRUE(WriteBytes(good, BmpBytes(MakePicture(4, 4, [](int, int) { return kRed; }))));

  struct Case {
    const wchar_t* what;
    std::wstring path;
    int frame;
  };
  const Case cases[] = {
      {L"missing file", folder_.File(L"missing.png"), 0},
      {L"garbage", garbage, 0},
      {L"empty file", empty, 0},
      {L"truncated PNG", truncated, 0},
      {L"zero width", zeroWidth, 0},
      {L"100000 x 100000", huge, 0},
      {L"wider than the limit", wide, 0},
      {L"a folder", folder_.path(), 0},
      {L"empty path", L"", 0},
      {L"second frame of a one-frame file", good, 1},
      {L"negative frame", good, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Object object;
    // Whatever was loaded before goes, so a failed load never shows an old picture.
    ASSERT_TRUE(object->Load(good.c_str(), 0));
    EXPECT_FALSE(object->Load(c.path.c_str(), c.frame));
    EXPECT_FALSE(object->IsLoaded());
    EXPECT_EQ(object->GetSize(), 0u);
    Canvas canvas(8, 8);
    EXPECT_FALSE(object->Draw(canvas.dc(), 0, 0, 8, 8, 0, 0, 100, 0));
    EXPECT_FALSE(object->DrawPart(canvas.dc(), 0, 0, 8, 8, 0, 0, 0, 4, 0, 4, 100));
    EXPECT_FALSE(object->DrawMode1(canvas.dc(), 0, 0, 8, 8, 1, 0, 100));
    EXPECT_FALSE(object->DrawMode2(canvas.dc(), 0, 0, 8, 8, 1, 0, 100));
    EXPECT_FALSE(object->DrawMode3(canvas.dc(), 0, 0, 8, 8, 100));
    EXPECT_FALSE(object->DrawMode4(canvas.dc(), 0, 0, 8, 8, 100));
    EXPECT_EQ(canvas.Snapshot(), std::vector<std::uint32_t>(64, kWhite));
  }
  Object object;
  EXPECT_FALSE(object->Load(nullptr, 0));
  EXPECT_FALSE(object->LoadFromMemory(nullptr, 10));
  const std::uint8_t junk[] = {1, 2, 3};
  EXPECT_FALSE(object->LoadFromMemory(junk, sizeof(junk)));
}

TEST_F(PictoraTest, CreatesOnlyTheFourTypes) {
  for (int type : {0, 1, 2, 3}) {
    IImageObject* object = Provider().create(type);
    ASSERT_NE(object, nullptr) << type;
    EXPECT_EQ(object->GetType(), type);
    EXPECT_EQ(object->GetSize(), 0u);
    Provider().remove(object);
  }
  for (int type : {-1, 4, 1000}) EXPECT_EQ(Provider().create(type), nullptr) << type;
  Provider().remove(nullptr);
}

// A caller that is not C++ finds the operations by their place in the table: GetSize is the
// fifth, Load the seventh, DrawMode4 the thirteenth (the last: resampling is an export of its
// own, so a provider of the thirteen still binds).
TEST_F(PictoraTest, OperationsSitInTheirTableSlots) {
  const std::wstring path = folder_.File(L"slots.bmp");
  ASSERT_TRUE(WriteBytes(path, BmpBytes(MakePicture(7, 3, [](int, int) { return kBlue; }))));
  Object object(kImageTypeBmp);
  void* const* table = *reinterpret_cast<void* const* const*>(object.get());
  using LoadSlot = BOOL(STDMETHODCALLTYPE*)(IImageObject*, const wchar_t*, int);
  using GetSizeSlot = ULONGLONG(STDMETHODCALLTYPE*)(IImageObject*);
  using DrawMode4Slot = BOOL(STDMETHODCALLTYPE*)(IImageObject*, HDC, int, int, int, int, int);
  ASSERT_TRUE(reinterpret_cast<LoadSlot>(table[6])(object.get(), path.c_str(), 0));
  EXPECT_EQ(reinterpret_cast<GetSizeSlot>(table[4])(object.get()), PackImageSize(7, 3));
  Canvas canvas(7, 3);
  ASSERT_TRUE(
      reinterpret_cast<DrawMode4Slot>(table[12])(object.get(), canvas.dc(), 0, 0, 7, 3, 100));
  EXPECT_EQ(canvas.At(6, 2), kBlue);
  ASSERT_TRUE(Provider().resample(object.get(), 1, 14, 6));
  EXPECT_EQ(object->GetSize(), PackImageSize(14, 6));
  EXPECT_FALSE(Provider().resample(nullptr, 1, 14, 6));
}

// A 90x30 strip of three frames: red, green, blue.
Picture Strip() {
  return MakePicture(90, 30, [](int x, int) {
    const std::uint32_t colours[] = {kRed, kGreen, kBlue};
    return colours[x / 30];
  });
}

TEST_F(PictoraTest, ResampleScalesEachFrameOnceForTheDisplayScale) {
  Object object;
  LoadPng(object, Strip());
  ASSERT_TRUE(Provider().resample(object.get(), 3, 45, 45));
  EXPECT_EQ(object->GetSize(), PackImageSize(135, 45));
  // Each frame keeps its own colour up to its edges: none bleeds into its neighbour.
  const std::pair<int, std::uint32_t> columns[] = {{0, kRed},    {44, kRed},  {45, kGreen},
                                                   {89, kGreen}, {90, kBlue}, {134, kBlue}};
  for (const auto& [x, colour] : columns) EXPECT_EQ(object->GetPixel(x, 22), colour) << x;
  // Drawn one to one afterwards: the hover frame at its new place and size.
  Canvas canvas(45, 45);
  ASSERT_TRUE(object->DrawPart(canvas.dc(), 0, 0, 45, 45, 0, 0, 45, 45, 0, 45, 100));
  EXPECT_EQ(canvas.At(0, 0), kGreen);
  EXPECT_EQ(canvas.At(44, 44), kGreen);

  // What cannot be done leaves the image as it is.
  for (const auto& [count, width, height] :
       {std::tuple{0, 10, 10}, std::tuple{3, 0, 10}, std::tuple{3, 10, -1}, std::tuple{136, 1, 1},
        std::tuple{3, 10000, 10}}) {
    EXPECT_FALSE(Provider().resample(object.get(), count, width, height)) << count << " " << width;
    EXPECT_EQ(object->GetSize(), PackImageSize(135, 45));
  }
  Object empty;
  EXPECT_FALSE(Provider().resample(empty.get(), 1, 10, 10));
  EXPECT_EQ(empty->GetSize(), 0u);
}

TEST_F(PictoraTest, DrawPartDrawsOneStateFrameOfTheStrip) {
  Object object;
  LoadPng(object, Strip());
  for (int frame = 0; frame < 3; ++frame) {
    SCOPED_TRACE(frame);
    Canvas canvas(40, 40);
    ASSERT_TRUE(object->DrawPart(canvas.dc(), 5, 5, 35, 35, 0, 0, 30 * frame, 30, 0, 30, 100));
    const std::uint32_t expected[] = {kRed, kGreen, kBlue};
    for (int i = 5; i < 35; i += 6) {
      EXPECT_EQ(canvas.At(i, i), expected[frame]);
      EXPECT_EQ(canvas.At(i, 34), expected[frame]);
    }
    EXPECT_EQ(canvas.At(4, 4), kWhite);
    EXPECT_EQ(canvas.At(35, 35), kWhite);
  }
}

TEST_F(PictoraTest, OpacityScalesTheBlend) {
  Object object;
  LoadPng(object, MakePicture(4, 4, [](int, int) { return kRed; }));
  struct Case {
    int opacity;
    std::uint32_t expected;
  };
  const Case cases[] = {{100, kRed}, {50, 0xFFFF8080}, {0, kWhite}, {-20, kWhite}, {250, kRed}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.opacity);
    Canvas canvas(4, 4);
    EXPECT_TRUE(object->DrawMode1(canvas.dc(), 0, 0, 4, 4, 1, 0, c.opacity));
    EXPECT_TRUE(Near(canvas.At(1, 1), c.expected, 2)) << std::hex << canvas.At(1, 1);
    Canvas part(4, 4);
    EXPECT_TRUE(object->DrawPart(part.dc(), 0, 0, 4, 4, 0, 0, 0, 4, 0, 4, c.opacity));
    EXPECT_TRUE(Near(part.At(2, 2), c.expected, 2)) << std::hex << part.At(2, 2);
  }
}

// Red, green, blue, yellow quarters of an 8x8 image.
Picture Quarters() {
  return MakePicture(8, 8, [](int x, int y) {
    const std::uint32_t colours[] = {kRed, kGreen, kBlue, kYellow};
    return colours[(y / 4) * 2 + x / 4];
  });
}

TEST_F(PictoraTest, DrawPlacesTheImageAtItsOwnSizeAtXY) {
  Object object;
  LoadPng(object, Quarters());
  Canvas canvas(20, 20);
  // The rectangle clips: only the image's top-left 6x6 shows.
  ASSERT_TRUE(object->Draw(canvas.dc(), 0, 0, 10, 10, 4, 4, 100, 0));
  EXPECT_EQ(canvas.At(3, 3), kWhite);
  EXPECT_EQ(canvas.At(4, 4), kRed);
  EXPECT_EQ(canvas.At(8, 4), kGreen);
  EXPECT_EQ(canvas.At(4, 8), kBlue);
  EXPECT_EQ(canvas.At(9, 9), kYellow);
  EXPECT_EQ(canvas.At(10, 10), kWhite);
  EXPECT_EQ(canvas.At(10, 4), kWhite);
}

TEST_F(PictoraTest, DrawMode1StretchesTheChosenFrame) {
  Object object;
  LoadPng(object, Strip());
  Canvas canvas(100, 20);
  ASSERT_TRUE(object->DrawMode1(canvas.dc(), 10, 5, 90, 15, 3, 2, 100));
  EXPECT_EQ(canvas.At(10, 5), kBlue);
  EXPECT_EQ(canvas.At(89, 14), kBlue);
  EXPECT_EQ(canvas.At(9, 5), kWhite);
  EXPECT_EQ(canvas.At(90, 14), kWhite);
  EXPECT_EQ(canvas.At(50, 15), kWhite);

  Object quarters;
  LoadPng(quarters, Quarters());
  Canvas stretched(16, 16);
  ASSERT_TRUE(quarters->DrawMode1(stretched.dc(), 0, 0, 16, 16, 1, 0, 100));
  EXPECT_EQ(stretched.At(6, 6), kRed);
  EXPECT_EQ(stretched.At(9, 6), kGreen);
  EXPECT_EQ(stretched.At(6, 9), kBlue);
  EXPECT_EQ(stretched.At(15, 15), kYellow);
}

// A 5x5 frame whose nine regions (two pixels, the middle pixel, two pixels on each axis) have
// nine colours.
std::uint32_t RegionColour(int column, int row) {
  const std::uint32_t colours[] = {kRed,   kGreen,     kBlue,      kYellow,   kBlack,
                                   kWhite, 0xFF808080, 0xFF00FFFF, 0xFFFF00FF};
  return colours[row * 3 + column];
}
int Region(int position, int length) {
  return position < 2 ? 0 : position >= length - 2 ? 2 : 1;
}

TEST_F(PictoraTest, DrawMode2KeepsCornersAndBordersCrisp) {
  Object object;
  // Frame 1 of a two-frame strip; frame 0 is plain blue and must not show.
  LoadPng(object, MakePicture(10, 5, [](int x, int y) {
            return x < 5 ? kBlue : RegionColour(Region(x - 5, 5), Region(y, 5));
          }));
  struct Case {
    int width, height;
  };
  for (const Case& c : {Case{20, 12}, Case{5, 5}, Case{7, 30}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    Canvas canvas(c.width + 2, c.height + 2, 0xFF123456);
    ASSERT_TRUE(object->DrawMode2(canvas.dc(), 1, 1, c.width + 1, c.height + 1, 2, 1, 100));
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        ASSERT_EQ(canvas.At(x + 1, y + 1), RegionColour(Region(x, c.width), Region(y, c.height)))
            << x << "," << y;
      }
    }
    EXPECT_EQ(canvas.At(0, 0), 0xFF123456u);
    EXPECT_EQ(canvas.At(c.width + 1, c.height + 1), 0xFF123456u);
  }
}

TEST_F(PictoraTest, DrawMode3TilesFromTheRectangleCorner) {
  Object object;
  LoadPng(object, MakePicture(3, 2, [](int x, int y) { return RegionColour(x, y); }));
  Canvas canvas(12, 9);
  ASSERT_TRUE(object->DrawMode3(canvas.dc(), 1, 2, 11, 8, 100));
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 1 && x < 11 && y >= 2 && y < 8;
      ASSERT_EQ(canvas.At(x, y), inside ? RegionColour((x - 1) % 3, (y - 2) % 2) : kWhite)
          << x << "," << y;
    }
  }
  // A rectangle far larger than the surface: only the visible part is tiled, in phase.
  Canvas large(4, 4);
  ASSERT_TRUE(object->DrawMode3(large.dc(), -100, -99, 2000000000, 2000000000, 100));
  EXPECT_EQ(large.At(0, 0), RegionColour(100 % 3, 99 % 2));
  EXPECT_EQ(large.At(3, 3), RegionColour(103 % 3, 102 % 2));
}

TEST_F(PictoraTest, DrawMode4CentresAtOwnSize) {
  Object object;
  LoadPng(object, Quarters());
  Canvas canvas(20, 20);
  ASSERT_TRUE(object->DrawMode4(canvas.dc(), 0, 0, 20, 16, 100));
  EXPECT_EQ(canvas.At(5, 3), kWhite);
  EXPECT_EQ(canvas.At(6, 4), kRed);
  EXPECT_EQ(canvas.At(13, 11), kYellow);
  EXPECT_EQ(canvas.At(14, 12), kWhite);
  // Larger than the rectangle: the middle shows.
  Canvas small(4, 4);
  ASSERT_TRUE(object->DrawMode4(small.dc(), 0, 0, 4, 4, 100));
  EXPECT_EQ(small.At(1, 1), kRed);
  EXPECT_EQ(small.At(2, 1), kGreen);
  EXPECT_EQ(small.At(1, 2), kBlue);
  EXPECT_EQ(small.At(2, 2), kYellow);
}

TEST_F(PictoraTest, BadDrawingArgumentsDrawNothing) {
  Object object;
  LoadPng(object, Strip());
  Canvas canvas(8, 8);
  const HDC dc = canvas.dc();
  struct Case {
    const char* what;
    std::function<BOOL()> draw;
  };
  const Case cases[] = {
      {"null DC", [&] { return object->Draw(nullptr, 0, 0, 8, 8, 0, 0, 100, 0); }},
      {"null DC, tiled", [&] { return object->DrawMode3(nullptr, 0, 0, 8, 8, 100); }},
      {"a handle that is no DC",
       [&] { return object->DrawMode1(reinterpret_cast<HDC>(0x1234), 0, 0, 8, 8, 1, 0, 100); }},
      {"a handle that is no DC, tiled",
       [&] { return object->DrawMode3(reinterpret_cast<HDC>(0x1234), 0, 0, 8, 8, 100); }},
      {"inverted", [&] { return object->Draw(dc, 8, 8, 0, 0, 0, 0, 100, 0); }},
      {"empty", [&] { return object->DrawMode4(dc, 0, 0, 0, 8, 100); }},
      {"inverted, tiled", [&] { return object->DrawMode3(dc, 8, 0, 0, 8, 100); }},
      {"frame past the strip",
       [&] { return object->DrawPart(dc, 0, 0, 8, 8, 0, 0, 90, 30, 0, 30, 100); }},
      {"part above the image",
       [&] { return object->DrawPart(dc, 0, 0, 8, 8, 0, 0, 0, 30, -30, 30, 100); }},
      {"zero-width part", [&] { return object->DrawPart(dc, 0, 0, 8, 8, 0, 0, 0, 0, 0, 30, 100); }},
      {"part overflowing int",
       [&] { return object->DrawPart(dc, 0, 0, 8, 8, 0, 0, 0x7FFFFFF0, 0x7FFFFFF0, 0, 30, 100); }},
      {"frame index 3 of 3", [&] { return object->DrawMode1(dc, 0, 0, 8, 8, 3, 3, 100); }},
      {"frame count 0", [&] { return object->DrawMode2(dc, 0, 0, 8, 8, 0, 0, 100); }},
      {"more frames than pixels", [&] { return object->DrawMode1(dc, 0, 0, 8, 8, 91, 0, 100); }},
      {"stretched beyond the extent limit",
       [&] { return object->DrawMode1(dc, 0, 0, 40000, 8, 1, 0, 100); }},
      {"nine-grid beyond the extent limit",
       [&] { return object->DrawMode2(dc, INT_MIN, 0, INT_MAX, 8, 1, 0, 100); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(c.draw());
  }
  EXPECT_EQ(canvas.Snapshot(), std::vector<std::uint32_t>(64, kWhite));
}

// Whether COM is initialised on this thread, without changing that: a successful
// CoInitializeEx is undone at once.
bool ThreadHasCom() {
  const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (SUCCEEDED(hr)) ::CoUninitialize();
  return hr == S_FALSE || hr == RPC_E_CHANGED_MODE;
}

TEST_F(PictoraTest, LoadsOnThreadsWithAndWithoutComAndLeavesThemAsTheyWere) {
  const std::wstring path = folder_.File(L"com.bmp");
  ASSERT_TRUE(WriteBytes(path, BmpBytes(MakePicture(2, 2, [](int, int) { return kGreen; }))));
  struct Case {
    const char* what;
    bool initialise;
    DWORD model;
  };
  const Case cases[] = {
      {"no COM", false, 0},
      {"single-threaded apartment", true, COINIT_APARTMENTTHREADED},
      {"multithreaded apartment", true, COINIT_MULTITHREADED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool loaded = false, comBefore = false, comAfter = false, comAtEnd = true;
    win::Thread thread;
    ASSERT_TRUE(thread.start([&] {
      if (c.initialise) ::CoInitializeEx(nullptr, c.model);
      comBefore = ThreadHasCom();
      Object object(kImageTypeBmp);
      loaded = object->Load(path.c_str(), 0) && object->GetPixel(1, 1) == kGreen;
      comAfter = ThreadHasCom();
      if (c.initialise) ::CoUninitialize();
      // Only balanced if the provider undid exactly what it did.
      comAtEnd = ThreadHasCom();
    }));
    thread.join();
    EXPECT_TRUE(loaded);
    EXPECT_EQ(comBefore, c.initialise);
    EXPECT_EQ(comAfter, c.initialise);
    EXPECT_FALSE(comAtEnd);
  }
}

}  // namespace
}  // namespace pictora::test
