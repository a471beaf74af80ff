// The two big buffers of a layered form's frame, reused from one frame to the next: a fresh 800 x 540
// bitmap and a fresh DIB section every frame cost more (allocating, touching new pages, freeing)
// than the composing itself.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "platform/handle_owners.h"

namespace quorlin::skin {

struct DibSurface;

// The presentation surface: a memory DC with a 32-bit bottom-up DIB section of the frame's extent
// selected into it, lent to one presentation at a time. Its pixels are whatever the last
// presentation left: the borrower writes every pixel or clears them first. A presentation that
// starts while the surface is lent (from a message handled during another one) gets a surface of
// its own for the time of the lease.
class SurfaceLease {
 public:
  // Null dc() when no surface of that extent could be made.
  SurfaceLease(HDC compatibleWith, int width, int height);
  ~SurfaceLease();
  SurfaceLease(const SurfaceLease&) = delete;
  SurfaceLease& operator=(const SurfaceLease&) = delete;
  HDC dc() const { return dc_; }
  void* bits() const { return bits_; }
  // Makes every pixel fully transparent (all bytes zero), as a new DIB section is.
  void Clear() const;

 private:
  bool sharedLent_ = false;
  std::unique_ptr<DibSurface> own_;
  HDC dc_ = nullptr;
  void* bits_ = nullptr;
  std::size_t bytes_ = 0;
};

// A 32-bit ARGB bitmap of width x height for the next composition. `clean` says whether it is fully
// transparent, as a new one is; a reused one holds the last composition given back.
struct CompositionBitmap {
  platform::UniqueImage image;
  bool clean = true;
};
CompositionBitmap TakeCompositionBitmap(int width, int height);
// A composition that is no longer needed, kept for the next one instead of being disposed.
void GiveBackComposition(platform::UniqueImage composition);

// Makes every pixel of the bitmap fully transparent; false when it cannot be written.
bool ClearBitmap(Gdiplus::GpBitmap* bitmap, int width, int height);

}  // namespace quorlin::skin
