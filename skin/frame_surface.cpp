#include "skin/frame_surface.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/dib_info.h"
#include "platform/handle_owners.h"
#include "platform/win_api.h"
#include "skin/logic/pixel_rows.h"

namespace quorlin::skin {

// A memory DC with a DIB section selected into it, and the GDI+ bitmap over its pixels.
struct DibSurface {
  platform::UniqueMemoryDc dc;
  platform::UniqueBitmap section;
  std::optional<platform::ScopedSelect> selected;
  platform::UniqueImage bitmap;  // over the section's pixels: released before the section
  void* bits = nullptr;
  std::uint32_t* top = nullptr;  // the first row of the picture: the last one in memory
  int width = 0;
  int height = 0;
  bool lent = false;

  void Release() {
    bitmap.Reset();
    selected.reset();
    section.Reset();
    dc.Reset();
    bits = nullptr;
    top = nullptr;
    width = height = 0;
  }

  bool Make(int w, int h) {
    Release();
    dc.Reset(api::CreateCompatibleDC(nullptr));  // a memory DC like the screen
    if (!dc) return false;
    const BITMAPINFO info = platform::Dib32Info(w, h);  // bottom-up rows, the layout every DIB reader expects
    void* pixels = nullptr;
    section.Reset(api::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    Gdiplus::GpBitmap* over = nullptr;
    auto* last = static_cast<std::uint32_t*>(pixels) + static_cast<std::ptrdiff_t>(h - 1) * w;
    // A negative stride walks the bottom-up rows from the top of the picture down.
    if (section && pixels != nullptr)
      api::GdipCreateBitmapFromScan0(w, h, -w * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(last), &over);
    bitmap.Reset(over);
    if (!bitmap) {
      Release();
      return false;
    }
    selected.emplace(dc.get(), section.get());
    bits = pixels;
    top = last;
    width = w;
    height = h;
    return true;
  }
};

namespace {

// The process's one shared surface. It lives as long as the process, like the window DC caches of
// the system, and is never destroyed by the exit's static destructors: the system releases it with
// the process.
DibSurface& SharedSurface() {
  static DibSurface& surface = *new DibSurface;
  return surface;
}

}  // namespace

SurfaceLease::SurfaceLease(int width, int height) {
  if (width <= 0 || height <= 0) return;
  DibSurface* surface = &SharedSurface();
  if (surface->lent) {
    own_ = std::make_unique<DibSurface>();
    surface = own_.get();
  }
  if (!surface->dc || surface->width != width || surface->height != height) {
    if (!surface->Make(width, height)) return;
  }
  surface->lent = true;
  surface_ = surface;
}

SurfaceLease::~SurfaceLease() {
  if (own_) own_->Release();
  if (surface_ != nullptr) surface_->lent = false;
}

HDC SurfaceLease::dc() const { return surface_ != nullptr ? surface_->dc.get() : nullptr; }

Gdiplus::GpBitmap* SurfaceLease::bitmap() const {
  return surface_ != nullptr ? static_cast<Gdiplus::GpBitmap*>(surface_->bitmap.get()) : nullptr;
}

void* SurfaceLease::bits() const { return surface_ != nullptr ? surface_->bits : nullptr; }

void SurfaceLease::Clear() const {
  if (surface_ == nullptr) return;
  std::memset(surface_->bits, 0, static_cast<std::size_t>(surface_->width) * surface_->height * 4);
}

bool SurfaceLease::CopyOpaque(SkinImage picture) const {
  if (surface_ == nullptr || picture == nullptr) return false;
  const int width = surface_->width;
  const int height = surface_->height;
  Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
  UINT pictureWidth = 0;
  UINT pictureHeight = 0;
  Gdiplus::PixelFormat format = 0;
  api::GdipGetImageWidth(picture, &pictureWidth);
  api::GdipGetImageHeight(picture, &pictureHeight);
  if (api::GdipGetImageType(picture, &type) != Gdiplus::Ok || type != Gdiplus::ImageTypeBitmap ||
      pictureWidth != static_cast<UINT>(width) || pictureHeight != static_cast<UINT>(height) ||
      api::GdipGetImagePixelFormat(picture, &format) != Gdiplus::Ok ||
      (format & (PixelFormatAlpha | PixelFormatPAlpha | PixelFormatIndexed)) != 0) {
    return false;
  }
  // The two opaque formats pictures are decoded into are read as they are stored and widened here
  // (opaque pixels read the same premultiplied or not): a conversion by the library goes pixel by
  // pixel through general-purpose routines. Any other picture is drawn.
  if (format != PixelFormat24bppRGB && format != PixelFormat32bppRGB) return false;
  platform::LockedBits pixels(static_cast<Gdiplus::GpBitmap*>(picture), Gdiplus::GpRect{0, 0, width, height},
                              Gdiplus::ImageLockModeRead, format);
  if (!pixels) return false;
  for (int y = 0; y < height; ++y) {
    std::uint32_t* row = surface_->top - static_cast<std::ptrdiff_t>(y) * width;
    if (format == PixelFormat24bppRGB)
      OpaqueRgb24RowToArgb(reinterpret_cast<const std::uint8_t*>(pixels.Row(y)), row, width);
    else
      OpaqueRgb32RowToArgb(pixels.Row(y), row, width);
  }
  return true;
}

}  // namespace quorlin::skin
