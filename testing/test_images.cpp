#include "testing/test_images.h"

#include <wincodec.h>

#include <cstdlib>
#include <cstring>

namespace stashly::testing {
namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, unsigned value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::vector<std::uint8_t> BmpHeader(int width, int height, unsigned imageBytes) {
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + imageBytes);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, static_cast<unsigned>(width));
  Put32(out, static_cast<unsigned>(height));  // positive: rows from the bottom
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // BI_RGB
  Put32(out, imageBytes);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  return out;
}

}  // namespace

std::vector<std::uint8_t> BmpBytes(const Picture& picture) {
  const unsigned stride = (static_cast<unsigned>(picture.width) * 3 + 3) & ~3u;
  std::vector<std::uint8_t> out = BmpHeader(picture.width, picture.height, stride * picture.height);
  for (int y = picture.height - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t p = picture.At(x, y);
      out.push_back(static_cast<std::uint8_t>(p));
      out.push_back(static_cast<std::uint8_t>(p >> 8));
      out.push_back(static_cast<std::uint8_t>(p >> 16));
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

std::vector<std::uint8_t> BmpHeaderOnly(int width, int height, size_t payload) {
  std::vector<std::uint8_t> out = BmpHeader(width, height, static_cast<unsigned>(payload));
  out.resize(out.size() + payload, 0x7F);
  return out;
}

bool WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
         written == bytes.size();
}

bool EncodeFile(const std::wstring& path, const GUID& container, const Picture& picture) {
  win::ScopedComInit com;
  win::ComPtr<IWICImagingFactory> factory;
  win::ComPtr<IWICBitmap> source;
  win::ComPtr<IWICStream> stream;
  win::ComPtr<IWICBitmapEncoder> encoder;
  win::ComPtr<IWICBitmapFrameEncode> frame;
  win::ComPtr<IPropertyBag2> options;
  const UINT stride = static_cast<UINT>(picture.width) * 4;
  std::vector<std::uint32_t> pixels = picture.pixels;
  return com.Usable() &&
         SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.put()))) &&
         SUCCEEDED(factory->CreateBitmapFromMemory(
             picture.width, picture.height, GUID_WICPixelFormat32bppBGRA, stride,
             stride * picture.height, reinterpret_cast<BYTE*>(pixels.data()), source.put())) &&
         SUCCEEDED(factory->CreateStream(stream.put())) &&
         SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(container, nullptr, encoder.put())) &&
         SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(frame.put(), options.put())) &&
         SUCCEEDED(frame->Initialize(options.get())) &&
         SUCCEEDED(frame->SetSize(picture.width, picture.height)) &&
         SUCCEEDED(frame->WriteSource(source.get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
         SUCCEEDED(encoder->Commit());
}

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::wstring candidate = std::wstring(temp) + L"pictora-test-" +
                             std::to_wstring(::GetCurrentProcessId()) + L"-" +
                             std::to_wstring(attempt);
    if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  if (path_.empty()) return;
  WIN32_FIND_DATAW found;
  win::UniqueFind search(::FindFirstFileW((path_ + L"\\*").c_str(), &found));
  if (search) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = path_ + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ::RemoveDirectoryW(full.c_str());
      } else {
        ::DeleteFileW(full.c_str());
      }
    } while (::FindNextFileW(search.get(), &found));
  }
  search.reset();
  ::RemoveDirectoryW(path_.c_str());
}

Canvas::Canvas(int width, int height, std::uint32_t fill) : width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  bits_ = static_cast<std::uint32_t*>(bits);
  dc_.reset(::CreateCompatibleDC(nullptr));
  if (!bitmap_ || !dc_) std::abort();
  ::SelectObject(dc_.get(), bitmap_.get());
  for (int i = 0; i < width * height; ++i) bits_[i] = fill;
}

std::uint32_t Canvas::At(int x, int y) const {
  ::GdiFlush();
  return bits_[static_cast<size_t>(y) * width_ + x];
}

std::vector<std::uint32_t> Canvas::Snapshot() const {
  ::GdiFlush();
  return std::vector<std::uint32_t>(bits_, bits_ + static_cast<size_t>(width_) * height_);
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int difference =
        static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(difference) > tolerance) return false;
  }
  return true;
}

}  // namespace stashly::testing
