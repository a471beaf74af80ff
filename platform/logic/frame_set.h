// A decoded picture as the animation box keeps it: one or more full-size frames of 32-bit pixels.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace quorlin::platform {

static_assert(std::endian::native == std::endian::little,
              "pixel words are laid out for little-endian memory (B, G, R, T)");

// Colour key value meaning "this frame has no colour key".
inline constexpr std::uint32_t kNoColourKey = 0xFF000000u;

// A pixel word holds, in memory order, blue, green, red and a transparency byte
// (0 opaque, 255 fully transparent) - the layout of a 32-bit top-down DIB.
constexpr std::uint32_t MakePixel(std::uint8_t blue, std::uint8_t green, std::uint8_t red,
                                  std::uint8_t transparency = 0) {
  return std::uint32_t{blue} | (std::uint32_t{green} << 8) | (std::uint32_t{red} << 16) |
         (std::uint32_t{transparency} << 24);
}
constexpr std::uint8_t PixelBlue(std::uint32_t p) { return static_cast<std::uint8_t>(p); }
constexpr std::uint8_t PixelGreen(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 8); }
constexpr std::uint8_t PixelRed(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 16); }
constexpr std::uint8_t PixelTransparency(std::uint32_t p) {
  return static_cast<std::uint8_t>(p >> 24);
}

// The pixel's colour as a COLORREF (0x00BBGGRR), for comparing with a colour key.
constexpr std::uint32_t PixelColourRef(std::uint32_t p) {
  return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

struct Frame {
  std::uint32_t colourKey = kNoColourKey;  // COLORREF, or kNoColourKey
  std::int32_t delayMs = 0;
  std::vector<std::uint32_t> pixels;  // width * height words, rows top-down
};

struct FrameSet {
  int width = 0;
  int height = 0;
  std::vector<Frame> frames;

  // True when the picture can be drawn: positive size, at least one frame, and every
  // frame holding exactly width * height pixels.
  bool Usable() const;
};

// Colour key handed to a picture load: -1 none, -2 each frame's own top-left pixel,
// anything else a COLORREF.
inline constexpr std::int32_t kColourKeyNone = -1;
inline constexpr std::int32_t kColourKeyTopLeft = -2;

// The key one frame gets for the requested key (see above).
std::uint32_t ResolveColourKey(const Frame& frame, std::int32_t requestedKey);

// Sets every frame's colour key from the requested key.
void ApplyColourKey(FrameSet& picture, std::int32_t requestedKey);

}  // namespace quorlin::platform
