#include "skin/logic/placement.h"

namespace quorlin::skin {
namespace {

// A natural-size picture counts as larger than its control only beyond this margin, so float
// noise in a picture's reported size never crops an exact fit.
constexpr double kCropTolerance = 1e-7;

}  // namespace

FitSize FitInside(int iw, int ih, int bw, int bh) {
  FitSize fit{iw, ih};
  if (iw > bw && iw > 0) {
    fit.width = bw;
    fit.height = static_cast<int>(static_cast<double>(ih) * bw / iw);
  }
  if (fit.height > bh && fit.height > 0) {
    fit.width = static_cast<int>(static_cast<double>(fit.width) * bh / fit.height);
    fit.height = bh;
  }
  return fit;
}

Placement PlaceImage(int backType, double iw, double ih, int w, int h) {
  Placement placement;
  if (backType == kBackTypeStretch) {
    placement.destination = {0, 0, static_cast<float>(w), static_cast<float>(h)};
  } else if (backType == kBackTypeFit) {
    const FitSize fit = FitInside(static_cast<int>(iw), static_cast<int>(ih), w, h);
    placement.destination = {static_cast<float>((w - fit.width) / 2), static_cast<float>((h - fit.height) / 2),
                             static_cast<float>(fit.width), static_cast<float>(fit.height)};
  } else {
    placement.destination = {0, 0, static_cast<float>(iw), static_cast<float>(ih)};
    const bool wider = iw - w > kCropTolerance;
    const bool taller = ih - h > kCropTolerance;
    placement.cropped = wider || taller;
    placement.source = {0, 0, static_cast<float>(wider ? w : iw), static_cast<float>(taller ? h : ih)};
    return placement;
  }
  placement.source = {0, 0, static_cast<float>(iw), static_cast<float>(ih)};
  return placement;
}

std::uint32_t ColorToArgb(std::uint32_t colorRef, std::uint32_t alpha) {
  const std::uint32_t red = colorRef & 0xFFu;
  const std::uint32_t green = (colorRef >> 8) & 0xFFu;
  const std::uint32_t blue = (colorRef >> 16) & 0xFFu;
  return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

}  // namespace quorlin::skin
