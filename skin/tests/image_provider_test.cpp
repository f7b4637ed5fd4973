// The binding of Pictora.dll from this program's folder. The binding is process-wide and keeps
// the library once bound, so its life (absent, look-alike, present) is one test, run first.
#include "skin/image_provider.h"

#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include "abi/image_object.h"
#include "testing/test_images.h"
#include "win/module.h"

namespace stashly {
namespace {

using testing::MakePicture;
using testing::ScratchFolder;

// The build puts Pictora.dll beside this program; the test takes it away and brings it back.
// A copy under another name keeps it safe should a run stop half-way.
class ProviderFile {
 public:
  ProviderFile() {
    if (::GetFileAttributesW(dll_.c_str()) != INVALID_FILE_ATTRIBUTES) {
      ::CopyFileW(dll_.c_str(), keep_.c_str(), FALSE);
    }
  }
  ~ProviderFile() {
    if (::GetFileAttributesW(dll_.c_str()) == INVALID_FILE_ATTRIBUTES) Restore();
    if (::GetFileAttributesW(dll_.c_str()) != INVALID_FILE_ATTRIBUTES) ::DeleteFileW(keep_.c_str());
  }
  bool Remove() const {
    return ::DeleteFileW(dll_.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
  }
  bool Restore() const { return ::CopyFileW(keep_.c_str(), dll_.c_str(), FALSE); }
  bool PutLookAlike() const {
    return ::CopyFileW(win::FileBesideProgram(L"pictora_half_provider.dll").c_str(), dll_.c_str(),
                       FALSE);
  }
  const std::wstring& path() const { return dll_; }

 private:
  std::wstring dll_ = win::FileBesideProgram(L"Pictora.dll");
  std::wstring keep_ = win::FileBesideProgram(L"Pictora.dll.keep");
};

// A 90x30 strip of three frames, as a button image.
std::wstring WriteStrip(const ScratchFolder& folder, const wchar_t* name) {
  const std::wstring path = folder.File(name);
  const auto strip = MakePicture(90, 30, [](int x, int) {
    return x < 30 ? 0xFFFF0000u : x < 60 ? 0xFF00FF00u : 0xFF0000FFu;
  });
  EXPECT_TRUE(testing::EncodeFile(path, GUID_ContainerFormatPng, strip));
  return path;
}

TEST(ImageProvider, BindsOnlyALibraryWithBothExportsAndThenKeepsIt) {
  ScratchFolder folder;
  const std::wstring image = WriteStrip(folder, L"button.png");
  ProviderFile provider;

  ASSERT_TRUE(provider.Remove());
  EXPECT_EQ(CreateImageObjectFor(image), nullptr) << "no library beside the program";
  ReleaseImageObject(nullptr);

  ASSERT_TRUE(provider.PutLookAlike());
  EXPECT_EQ(CreateImageObjectFor(image), nullptr) << "library without DeleteImageObject";
  EXPECT_EQ(::GetModuleHandleW(provider.path().c_str()), nullptr) << "look-alike not freed";
  // Freed, so the file can go.
  ASSERT_TRUE(provider.Remove());

  // The next call tries again and finds the real one.
  ASSERT_TRUE(provider.Restore());
  ImageObjectPtr object = LoadImageObject(image);
  ASSERT_TRUE(object);
  EXPECT_EQ(object->GetType(), 1);
  EXPECT_EQ(object->GetSize(), PackImageSize(90, 30));
  object.reset();

  // Kept loaded with no object alive, and usable after its file is gone.
  EXPECT_NE(::GetModuleHandleW(provider.path().c_str()), nullptr);
  ASSERT_FALSE(::DeleteFileW(provider.path().c_str())) << "a loaded library cannot be deleted";
  EXPECT_TRUE(LoadImageObject(image));
}

TEST(ImageProvider, MakesObjectsByExtensionAndKeepsOnesThatDoNotDecode) {
  ScratchFolder folder;
  const std::wstring png = WriteStrip(folder, L"strip.png");
  struct Case {
    std::wstring path;
    int type;
    int width;
  };
  const Case cases[] = {
      {png, 1, 90},
      {WriteStrip(folder, L"Upper.PNG"), 1, 90},
      {WriteStrip(folder, L"named.jpg"), 2, 90},  // PNG content: the type is only a label
      {WriteStrip(folder, L"named.Bmp"), 3, 90},
      {WriteStrip(folder, L"named.jpeg"), 0, 90},
      {folder.File(L"missing.png"), 1, 0},
      {folder.path(), 0, 0},  // an empty skin value names the program's folder
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.path.c_str());
    ImageObjectPtr object = LoadImageObject(c.path);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->GetType(), c.type);
    EXPECT_EQ(ImageSizeWidth(object->GetSize()), c.width);
  }
}

}  // namespace
}  // namespace stashly
