// GIF87a/89a decoding into full-canvas frames, and the picture-format dispatch of the animation box.
//
// Input handling: the decoder reads only inside the given span and rejects, rather than guesses at,
// damaged data. Structural damage (bad signature, zero or oversized dimensions, an image reaching
// outside the logical screen, a missing colour table, an LZW minimum code size outside 1..11, an
// unknown block) and damaged LZW data (a code that names no table entry, image data that ends before
// every pixel is known) give no picture at all. Input that simply stops - a truncated file or one
// without its trailer - keeps the images that were complete before the end, and gives no picture if
// there was none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/logic/frame_set.h"

namespace quorlin::platform {

struct GifImage {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int delayCs = 0;   // from the graphic-control extension, hundredths of a second
  int disposal = 0;  // disposal method 0..7
  bool hasTransparency = false;
  std::uint8_t transparentIndex = 0;
  bool interlaced = false;
};

struct GifInfo {
  int width = 0;   // logical screen
  int height = 0;
  bool hasLoopExtension = false;  // NETSCAPE2.0 / ANIMEXTS1.0 application extension seen
  std::vector<GifImage> images;   // complete images, in file order
  bool complete = false;          // the trailer was reached (false: the input stopped early)
};

// Bounds that keep hostile dimensions from exhausting memory: a GIF of 100 bytes can name a huge
// logical screen and many frames, each of which becomes a full copy of that screen.
struct GifLimits {
  int maxSide = 16384;                             // logical screen width or height
  std::size_t maxCanvasPixels = 4u * 1024 * 1024;  // logical screen width * height
  std::size_t maxFrameBytes = 16u * 1024 * 1024;   // canvas pixels * 4 bytes * frame count
};

// Reads the block structure without decoding pixel data. Gives nullopt for structural damage, for
// dimensions beyond `limits`, and for input that stops before its first complete image.
std::optional<GifInfo> ParseGifInfo(std::span<const std::uint8_t> data, const GifLimits& limits = {});

// Decodes every image into a full-canvas frame (see the .cpp for the compositing rules).
// colourKey: -1 none, -2 each frame's top-left pixel, otherwise a COLORREF.
std::optional<FrameSet> DecodeGif(std::span<const std::uint8_t> data, std::int32_t colourKey,
                                  const GifLimits& limits = {});

// True for data longer than 5 bytes that starts with "GIF87a" or "GIF89a".
bool LooksLikeGif(std::span<const std::uint8_t> data);

// Decodes PNG and any other non-GIF format; it need not set colour keys.
using PlatformPictureDecoder =
    std::function<std::optional<FrameSet>(std::span<const std::uint8_t>)>;

// GIF data goes to DecodeGif, everything else to `platformDecoder`. The result is always usable
// (FrameSet::Usable) or null, with the colour key applied to every frame. Memory running out
// (std::bad_alloc) gives null like any undecodable picture.
std::shared_ptr<const FrameSet> DecodeFrameSet(std::span<const std::uint8_t> data, std::int32_t colourKey,
                                               const PlatformPictureDecoder& platformDecoder);

}  // namespace quorlin::platform
