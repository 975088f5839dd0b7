// PNG decoding and encoding through GDI+, behind the core's PNG codec interface.
#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <cstring>
#include <memory>

#include "gfx/png_codec.h"
#include "gfx/png_limits.h"

namespace mw {

namespace {

namespace gp = Gdiplus::DllExports;

// GDI+ is started once, on first use, and stays up until the process ends.
bool gdiplusReady() {
  static const bool ready = [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return ready;
}

constexpr uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
const CLSID PNG_ENCODER = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

struct StreamRelease {
  void operator()(IStream* stream) const { stream->Release(); }
};
struct BitmapDispose {
  void operator()(Gdiplus::GpBitmap* bitmap) const { gp::GdipDisposeImage(bitmap); }
};

}  // namespace

bool decodePng(const uint8_t* bytes, size_t size, Image& out) {
  if (bytes == nullptr || size < sizeof PNG_SIGNATURE || size > 0x7FFFFFFF) return false;
  if (std::memcmp(bytes, PNG_SIGNATURE, sizeof PNG_SIGNATURE) != 0) return false;
  // Sides and sizes from the header, before GDI+ allocates anything for them.
  if (!pngHeaderAcceptable(bytes, size)) return false;
  if (!gdiplusReady()) return false;
  std::unique_ptr<IStream, StreamRelease> stream(SHCreateMemStream(bytes, static_cast<UINT>(size)));
  if (!stream) return false;
  Gdiplus::GpBitmap* raw = nullptr;
  if (gp::GdipCreateBitmapFromStream(stream.get(), &raw) != Gdiplus::Ok || raw == nullptr) return false;
  std::unique_ptr<Gdiplus::GpBitmap, BitmapDispose> bitmap(raw);
  UINT width = 0, height = 0;
  if (gp::GdipGetImageWidth(bitmap.get(), &width) != Gdiplus::Ok ||
      gp::GdipGetImageHeight(bitmap.get(), &height) != Gdiplus::Ok)
    return false;
  if (width == 0 || height == 0 || width > LARGEST_PNG_SIDE || height > LARGEST_PNG_SIDE) return false;

  // Non-premultiplied 0xAARRGGBB, top row first: exactly the core's pixel format.
  Gdiplus::GpRect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData data{};
  if (gp::GdipBitmapLockBits(bitmap.get(), &whole, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
      Gdiplus::Ok)
    return false;
  Image image;
  image.width = static_cast<int32_t>(width);
  image.height = static_cast<int32_t>(height);
  image.key = TRANSPARENT_KEY;
  image.pixels.resize(static_cast<size_t>(width) * height);
  for (UINT row = 0; row < height; ++row) {
    const auto* source = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(row) * data.Stride;
    std::memcpy(image.pixels.data() + static_cast<size_t>(row) * width, source, static_cast<size_t>(width) * 4);
  }
  gp::GdipBitmapUnlockBits(bitmap.get(), &data);
  out = std::move(image);
  return true;
}

std::vector<uint8_t> encodePng(const uint32_t* pixels, int32_t width, int32_t height, bool opaque) {
  if (pixels == nullptr || width <= 0 || height <= 0 || !gdiplusReady()) return {};
  std::vector<uint32_t> copy(pixels, pixels + static_cast<size_t>(width) * height);
  if (opaque) {
    for (uint32_t& p : copy) p |= 0xFF000000u;
  }
  Gdiplus::GpBitmap* raw = nullptr;
  if (gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                    reinterpret_cast<BYTE*>(copy.data()), &raw) != Gdiplus::Ok ||
      raw == nullptr)
    return {};
  std::unique_ptr<Gdiplus::GpBitmap, BitmapDispose> bitmap(raw);
  std::unique_ptr<IStream, StreamRelease> stream(SHCreateMemStream(nullptr, 0));
  if (!stream) return {};
  if (gp::GdipSaveImageToStream(bitmap.get(), stream.get(), &PNG_ENCODER, nullptr) != Gdiplus::Ok) return {};
  STATSTG stat{};
  if (stream->Stat(&stat, STATFLAG_NONAME) != S_OK || stat.cbSize.QuadPart > 0x7FFFFFFF) return {};
  std::vector<uint8_t> png(static_cast<size_t>(stat.cbSize.QuadPart));
  LARGE_INTEGER start{};
  ULONG read = 0;
  if (stream->Seek(start, STREAM_SEEK_SET, nullptr) != S_OK ||
      stream->Read(png.data(), static_cast<ULONG>(png.size()), &read) != S_OK || read != png.size())
    return {};
  return png;
}

}  // namespace mw
