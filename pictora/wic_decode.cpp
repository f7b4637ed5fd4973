#include "pictora/wic_decode.h"

#include <wincodec.h>

#include <cstring>

#include "pictora/draw_geometry.h"

namespace pictora {
namespace {

win::ComPtr<IWICImagingFactory> MakeFactory() {
  win::ComPtr<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put())))) {
    factory.reset();
  }
  return factory;
}

// The decoder for the stream's content, at its start. The three formats skins use are known by
// their first bytes and their decoder is made directly: asking the factory to find one reads the
// registration of every decoder there is, which on a program's first image costs more than the
// decoding. Anything else, or a known start that its decoder refuses, goes to the factory.
win::ComPtr<IWICBitmapDecoder> OpenDecoder(IWICImagingFactory* factory, IStream* stream) {
  static const struct {
    BYTE head[8];
    ULONG length;
    const CLSID* decoder;
  } kFormats[] = {
      {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, 8, &CLSID_WICPngDecoder},
      {{0xFF, 0xD8, 0xFF}, 3, &CLSID_WICJpegDecoder},
      {{'B', 'M'}, 2, &CLSID_WICBmpDecoder},
  };
  const LARGE_INTEGER start{};
  BYTE head[8] = {};
  ULONG read = 0;
  win::ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(stream->Read(head, sizeof head, &read))) return {};
  for (const auto& format : kFormats) {
    if (read < format.length || std::memcmp(head, format.head, format.length) != 0) continue;
    if (SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) &&
        SUCCEEDED(::CoCreateInstance(*format.decoder, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IWICBitmapDecoder, decoder.put_void())) &&
        SUCCEEDED(decoder->Initialize(stream, WICDecodeMetadataCacheOnDemand))) {
      return decoder;
    }
    break;
  }
  if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
      FAILED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.put()))) {
    return {};
  }
  return decoder;
}

DibSection DecodeFrame(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, int frameIndex) {
  UINT frameCount = 0;
  if (frameIndex < 0 || FAILED(decoder->GetFrameCount(&frameCount)) ||
      static_cast<UINT>(frameIndex) >= frameCount) {
    return {};
  }
  win::ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(static_cast<UINT>(frameIndex), frame.put()))) return {};

  UINT width = 0, height = 0;
  if (FAILED(frame->GetSize(&width, &height)) || !ImageSizeAcceptable(width, height)) return {};

  win::ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return {};
  }

  DibSection image = MakeDibSection(static_cast<int>(width), static_cast<int>(height));
  if (!image) return {};

  // Within the size limits the whole buffer is at most 64 MiB, so these fit a UINT.
  const UINT stride = width * 4;
  const UINT bytes = stride * height;
  if (FAILED(converter->CopyPixels(nullptr, stride, bytes, static_cast<BYTE*>(image.bits)))) {
    return {};
  }
  return image;
}

}  // namespace

DibSection MakeDibSection(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as WIC hands rows out
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  DibSection section;
  section.bitmap.reset(
      ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &section.bits, nullptr, 0));
  if (!section.bitmap || !section.bits) return {};
  section.width = width;
  section.height = height;
  return section;
}

DibSection DecodeFile(const wchar_t* path, int frameIndex) {
  if (!path || !*path) return {};
  win::ComPtr<IWICImagingFactory> factory = MakeFactory();
  if (!factory) return {};
  win::ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromFilename(path, GENERIC_READ))) {
    return {};
  }
  win::ComPtr<IWICBitmapDecoder> decoder = OpenDecoder(factory.get(), stream.get());
  if (!decoder) return {};
  return DecodeFrame(factory.get(), decoder.get(), frameIndex);
}

DibSection DecodeMemory(const void* data, UINT size, int frameIndex) {
  if (!data || size == 0) return {};
  win::ComPtr<IWICImagingFactory> factory = MakeFactory();
  if (!factory) return {};
  win::ComPtr<IWICStream> stream;
  // The stream only reads the caller's bytes; the cast drops a const the interface lacks.
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size))) {
    return {};
  }
  win::ComPtr<IWICBitmapDecoder> decoder = OpenDecoder(factory.get(), stream.get());
  if (!decoder) return {};
  return DecodeFrame(factory.get(), decoder.get(), frameIndex);
}

}  // namespace pictora
