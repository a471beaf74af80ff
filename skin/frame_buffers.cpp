#include "skin/frame_buffers.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/win_api.h"

namespace quorlin::skin {
namespace {

using platform::UniqueBitmap;
using platform::UniqueImage;
using platform::UniqueMemoryDc;

}  // namespace

// A memory DC with a DIB section selected into it.
struct DibSurface {
  UniqueMemoryDc dc;
  UniqueBitmap bitmap;
  HGDIOBJ previous = nullptr;
  void* bits = nullptr;
  int width = 0;
  int height = 0;

  void Release() {
    if (dc && previous != nullptr) api::SelectObject(dc.get(), previous);
    previous = nullptr;
    bitmap.Reset();
    dc.Reset();
    bits = nullptr;
    width = height = 0;
  }

  bool Make(HDC compatibleWith, int w, int h) {
    Release();
    dc.Reset(api::CreateCompatibleDC(compatibleWith));
    if (!dc) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;  // bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(w) * static_cast<DWORD>(h) * 32 / 8;
    void* pixels = nullptr;
    bitmap.Reset(api::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!bitmap || pixels == nullptr) {
      Release();
      return false;
    }
    previous = api::SelectObject(dc.get(), bitmap.get());
    if (previous == nullptr || previous == HGDI_ERROR) {
      previous = nullptr;
      Release();
      return false;
    }
    bits = pixels;
    width = w;
    height = h;
    return true;
  }
};

namespace {

// The process's one shared presentation surface; it lives as long as the process, like the
// window DC caches of the system.
struct SharedSurface {
  bool lent = false;
  DibSurface surface;
};

// Both live until the process ends, never destroyed by the exit's static destructors: the
// system releases them with the process.
SharedSurface& TheSurface() {
  static SharedSurface& surface = *new SharedSurface;
  return surface;
}

struct Spare {
  UniqueImage image;
};

Spare& TheSpare() {
  static Spare& spare = *new Spare;
  return spare;
}

bool HasExtent(Gdiplus::GpImage* image, int width, int height) {
  UINT w = 0;
  UINT h = 0;
  api::GdipGetImageWidth(image, &w);
  api::GdipGetImageHeight(image, &h);
  return w == static_cast<UINT>(width) && h == static_cast<UINT>(height);
}

}  // namespace

SurfaceLease::SurfaceLease(HDC compatibleWith, int width, int height) {
  if (width <= 0 || height <= 0) return;
  DibSurface* surface = nullptr;
  if (!TheSurface().lent) {
    TheSurface().lent = true;
    sharedLent_ = true;
    surface = &TheSurface().surface;
  } else {
    own_ = std::make_unique<DibSurface>();
    surface = own_.get();
  }
  if (!surface->dc || surface->width != width || surface->height != height) {
    if (!surface->Make(compatibleWith, width, height)) return;
  }
  dc_ = surface->dc.get();
  bits_ = surface->bits;
  bytes_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

SurfaceLease::~SurfaceLease() {
  if (own_) own_->Release();
  if (sharedLent_) TheSurface().lent = false;
}

void SurfaceLease::Clear() const {
  if (bits_ != nullptr) std::memset(bits_, 0, bytes_);
}

CompositionBitmap TakeCompositionBitmap(int width, int height) {
  {
    Spare& spare = TheSpare();
    if (spare.image && HasExtent(spare.image.get(), width, height)) return {std::move(spare.image), false};
    spare.image.Reset();
  }
  Gdiplus::GpBitmap* bitmap = nullptr;
  api::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap);
  return {UniqueImage(bitmap), true};
}

void GiveBackComposition(UniqueImage composition) {
  if (!composition) return;
  Spare& spare = TheSpare();
  spare.image = std::move(composition);
}

bool ClearBitmap(Gdiplus::GpBitmap* bitmap, int width, int height) {
  const Gdiplus::GpRect all{0, 0, width, height};
  Gdiplus::BitmapData data{};
  if (api::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) !=
      Gdiplus::Ok) {
    return false;
  }
  for (int y = 0; y < height; ++y) {
    std::memset(static_cast<std::uint8_t*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride, 0,
                static_cast<std::size_t>(width) * 4);
  }
  api::GdipBitmapUnlockBits(bitmap, &data);
  return true;
}

}  // namespace quorlin::skin
