#include "skin/pixel_copy.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/handle_owners.h"
#include "skin/logic/pixel_rows.h"

namespace quorlin::skin {
namespace {

using platform::LockedBits;

bool IsBitmapOfSize(SkinImage image, int width, int height) {
  if (image == nullptr || width <= 0 || height <= 0) return false;
  Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
  if (api::GdipGetImageType(image, &type) != Gdiplus::Ok || type != Gdiplus::ImageTypeBitmap) return false;
  UINT imageWidth = 0;
  UINT imageHeight = 0;
  api::GdipGetImageWidth(image, &imageWidth);
  api::GdipGetImageHeight(image, &imageHeight);
  return imageWidth == static_cast<UINT>(width) && imageHeight == static_cast<UINT>(height);
}

}  // namespace

bool CopyOpaqueBackground(Gdiplus::GpBitmap* composition, SkinImage background, int width, int height) {
  if (!IsBitmapOfSize(background, width, height)) return false;
  Gdiplus::PixelFormat format = 0;
  if (api::GdipGetImagePixelFormat(background, &format) != Gdiplus::Ok ||
      (format & (PixelFormatAlpha | PixelFormatPAlpha | PixelFormatIndexed)) != 0) {
    return false;
  }
  const Gdiplus::GpRect all{0, 0, width, height};
  // Read as well as write: pixels a failed copy leaves alone keep what they held.
  LockedBits target(composition, all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite,
                    PixelFormat32bppARGB);
  if (!target) return false;
  // GDI+ converts the background straight into the composition's own pixels.
  Gdiplus::BitmapData into{};
  into.Width = static_cast<UINT>(width);
  into.Height = static_cast<UINT>(height);
  into.Stride = static_cast<INT>(reinterpret_cast<std::uint8_t*>(target.Row(1)) -
                                 reinterpret_cast<std::uint8_t*>(target.Row(0)));
  into.PixelFormat = PixelFormat32bppARGB;
  into.Scan0 = target.Row(0);
  auto* source = static_cast<Gdiplus::GpBitmap*>(background);
  // The two opaque formats pictures are decoded into are read as they are stored and widened here:
  // a conversion by the library goes pixel by pixel through general-purpose routines.
  if (format == PixelFormat24bppRGB || format == PixelFormat32bppRGB) {
    LockedBits pixels(source, all, Gdiplus::ImageLockModeRead, format);
    if (pixels) {
      for (int y = 0; y < height; ++y) {
        if (format == PixelFormat24bppRGB)
          OpaqueRgb24RowToArgb(reinterpret_cast<const std::uint8_t*>(pixels.Row(y)), target.Row(y), width);
        else
          OpaqueRgb32RowToArgb(pixels.Row(y), target.Row(y), width);
      }
      return true;
    }
  }
  if (height > 1 &&
      api::GdipBitmapLockBits(source, &all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                              PixelFormat32bppARGB, &into) == Gdiplus::Ok) {
    api::GdipBitmapUnlockBits(source, &into);
    return true;
  }
  LockedBits pixels(source, all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
  if (!pixels) return false;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  for (int y = 0; y < height; ++y) std::memcpy(target.Row(y), pixels.Row(y), rowBytes);
  return true;
}

bool CopyToSurface(SkinImage image, void* bits, int width, int height) {
  if (!IsBitmapOfSize(image, width, height)) return false;
  auto* bitmap = static_cast<Gdiplus::GpBitmap*>(image);
  auto* surface = static_cast<std::uint32_t*>(bits);
  // Rows bottom-up in the surface.
  const auto surfaceRow = [&](int y) { return surface + static_cast<std::ptrdiff_t>(height - 1 - y) * width; };
  std::vector<int> blended;  // rows with partly transparent pixels
  {
    LockedBits pixels(bitmap, Gdiplus::GpRect{0, 0, width, height}, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
    if (!pixels) return false;
    for (int y = 0; y < height; ++y) {
      if (!CopyOpaqueOrClearRow(pixels.Row(y), surfaceRow(y), width)) blended.push_back(y);
    }
  }
  // Those rows premultiplied by GDI+ itself, a run of neighbouring rows at a time.
  for (std::size_t i = 0; i < blended.size();) {
    std::size_t end = i + 1;
    while (end < blended.size() && blended[end] == blended[end - 1] + 1) ++end;
    const int first = blended[i];
    const int count = static_cast<int>(end - i);
    LockedBits run(bitmap, Gdiplus::GpRect{0, first, width, count}, Gdiplus::ImageLockModeRead,
                   PixelFormat32bppPARGB);
    if (!run) {
      std::memset(bits, 0, static_cast<std::size_t>(width) * height * 4);  // back to the empty surface
      return false;
    }
    for (int row = 0; row < count; ++row)
      std::memcpy(surfaceRow(first + row), run.Row(row), static_cast<std::size_t>(width) * 4);
    i = end;
  }
  return true;
}

}  // namespace quorlin::skin
