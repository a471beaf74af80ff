// Where a control's picture goes: shrink-to-fit, the back-type placement rules and the GDI+ colour
// built from a COLORREF. Pure arithmetic, so it builds and is tested without Win32.
#pragma once

#include <cstdint>

namespace quorlin::skin {

struct FitSize {
  int width = 0;
  int height = 0;
};

// Shrinks (iw, ih) to fit inside (bw, bh) keeping the aspect ratio; never enlarges.
FitSize FitInside(int iw, int ih, int bw, int bh);

// Values of "PngControl_BackType"; every other value means natural size at the top-left.
inline constexpr int kBackTypeStretch = 1;
inline constexpr int kBackTypeFit = 2;

struct ImageRect {
  float x = 0;
  float y = 0;
  float width = 0;
  float height = 0;
};

struct Placement {
  // Where the whole picture is drawn, relative to the control's top-left corner.
  ImageRect destination;
  // Natural size larger than the control: a layered composition draws only `source`, the
  // top-left part of the picture that fits, 1:1 at the control's corner, so nothing spills over
  // neighbouring controls. Snapshot painting ignores this (its bitmap clips by itself).
  bool cropped = false;
  ImageRect source;
};

// Placement of a picture of (iw, ih) pixels inside a control of w x h by back type.
Placement PlaceImage(int backType, double iw, double ih, int w, int h);

// GDI+ ARGB from a COLORREF (0x00BBGGRR) and an alpha of 0..255.
std::uint32_t ColorToArgb(std::uint32_t colorRef, std::uint32_t alpha);

}  // namespace quorlin::skin
