// The surface a layered form's frame is drawn on and presented from: a memory DC with a 32-bit
// bottom-up DIB section of the frame's extent, and a GDI+ bitmap over the same pixels in
// premultiplied ARGB, the layout UpdateLayeredWindow takes. A composition is drawn straight into
// what is presented. The process keeps one surface and reuses it from frame to frame: a fresh
// 800 x 540 DIB section every frame costs more than the composing itself.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "skin/skin_image.h"

namespace quorlin::skin {

struct DibSurface;

// The surface, lent to one presentation at a time. Its pixels are whatever the last presentation
// left: the borrower writes every pixel or clears them first. A presentation that starts while
// the surface is lent (from a message handled during another one) gets a surface of its own for
// the time of the lease.
class SurfaceLease {
 public:
  // Null dc() when no surface of that extent could be made.
  SurfaceLease(int width, int height);
  ~SurfaceLease();
  SurfaceLease(const SurfaceLease&) = delete;
  SurfaceLease& operator=(const SurfaceLease&) = delete;

  HDC dc() const;
  Gdiplus::GpBitmap* bitmap() const;
  void* bits() const;
  // Makes every pixel fully transparent (all bytes zero), as a new DIB section is.
  void Clear() const;
  // Copies an opaque 24- or 32-bit RGB bitmap of exactly the surface's extent into it: the pixels a
  // draw of it over the whole surface gives, without resampling and blending. False, with nothing
  // changed, for any other picture; then the caller draws it.
  bool CopyOpaque(SkinImage picture) const;

 private:
  DibSurface* surface_ = nullptr;
  std::unique_ptr<DibSurface> own_;
};

}  // namespace quorlin::skin
