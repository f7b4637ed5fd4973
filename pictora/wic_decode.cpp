#include "pictora/wic_decode.h"

#include <wincodec.h>

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
  win::ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.put()))) {
    return {};
  }
  return DecodeFrame(factory.get(), decoder.get(), frameIndex);
}

DibSection DecodeMemory(const void* data, UINT size, int frameIndex) {
  if (!data || size == 0) return {};
  win::ComPtr<IWICImagingFactory> factory = MakeFactory();
  if (!factory) return {};
  win::ComPtr<IWICStream> stream;
  win::ComPtr<IWICBitmapDecoder> decoder;
  // The stream only reads the caller's bytes; the cast drops a const the interface lacks.
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)) ||
      FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.put()))) {
    return {};
  }
  return DecodeFrame(factory.get(), decoder.get(), frameIndex);
}

}  // namespace pictora
