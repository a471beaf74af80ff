// Arbitrary bytes as a picture for the animation box: structure parsing, GIF decoding and the
// format dispatch must agree with each other, give only drawable pictures, and never read past
// the input, crash or leak on damaged data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "fuzz_check.h"
#include "platform/logic/frame_set.h"
#include "platform/logic/gif_decoder.h"

namespace {

using namespace quorlin::platform;

constexpr std::uint32_t kBlank = 0xFFFFFFFFu;  // the canvas before anything is painted

std::optional<FrameSet> NoPlatformDecoder(std::span<const std::uint8_t>) { return std::nullopt; }

// A stand-in for a platform decoder that returns whatever the bytes say, sound or not: size from
// the first two bytes, frame count and pixel count (possibly wrong) from the next two.
std::optional<FrameSet> CarelessPlatformDecoder(std::span<const std::uint8_t> data) {
  if (data.size() < 4) return std::nullopt;
  FrameSet picture;
  picture.width = data[0] % 5 - 1;
  picture.height = data[1] % 5 - 1;
  const std::size_t pixels = data[3] % 2 == 0 && picture.width > 0 && picture.height > 0
                                 ? static_cast<std::size_t>(picture.width) * picture.height
                                 : data[3] % 7;
  picture.frames.resize(data[2] % 3);
  for (std::size_t i = 0; i < picture.frames.size(); ++i) {
    picture.frames[i].pixels.assign(pixels + (i == 1 && data[3] % 3 == 0 ? 1 : 0), data[i % 4]);
  }
  return picture;
}

// The colour key comes from the input length so the bytes themselves stay a plain GIF file.
std::int32_t ColourKeyFor(std::size_t size) {
  switch (size % 3) {
    case 0: return kColourKeyNone;
    case 1: return kColourKeyTopLeft;
    default: return 0x00F6F6F6;
  }
}

void CheckAgainstStructure(const FrameSet& picture, const GifInfo& info, std::int32_t key) {
  FUZZ_CHECK(picture.Usable());
  FUZZ_CHECK(picture.width == info.width && picture.height == info.height);
  FUZZ_CHECK(picture.frames.size() == info.images.size());
  for (std::size_t i = 0; i < info.images.size(); ++i) {
    const GifImage& image = info.images[i];
    const Frame& frame = picture.frames[i];
    FUZZ_CHECK(image.left >= 0 && image.top >= 0 && image.width > 0 && image.height > 0);
    FUZZ_CHECK(image.left + image.width <= info.width && image.top + image.height <= info.height);
    FUZZ_CHECK(frame.delayMs == (image.delayCs == 0 ? 50 : image.delayCs * 10));
    FUZZ_CHECK(frame.colourKey == ResolveColourKey(frame, key));
  }
  // Nothing is painted outside the first image: the rest of frame 0 is still blank.
  const GifImage& first = info.images.front();
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const bool inside = x >= first.left && x < first.left + first.width && y >= first.top &&
                          y < first.top + first.height;
      if (!inside) {
        FUZZ_CHECK(picture.frames[0].pixels[static_cast<std::size_t>(y) * picture.width + x] ==
                   kBlank);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const std::int32_t key = ColourKeyFor(size);

  const auto info = ParseGifInfo(bytes);
  const auto gif = DecodeGif(bytes, key);
  if (!LooksLikeGif(bytes)) {
    FUZZ_CHECK(!info && !gif);
  }
  if (gif) {
    FUZZ_CHECK(info.has_value());  // a decodable file has a readable structure
    CheckAgainstStructure(*gif, *info, key);
  }

  // The dispatch of the animation box: GIF goes to the decoder above; with a platform decoder
  // that recognises nothing, or none at all, everything else gives no picture.
  const auto viaDispatch = DecodeFrameSet(bytes, key, NoPlatformDecoder);
  FUZZ_CHECK((viaDispatch != nullptr) == gif.has_value());
  if (viaDispatch) {
    FUZZ_CHECK(viaDispatch->frames.size() == gif->frames.size());
    for (std::size_t i = 0; i < gif->frames.size(); ++i) {
      FUZZ_CHECK(viaDispatch->frames[i].pixels == gif->frames[i].pixels);
    }
  }
  FUZZ_CHECK((DecodeFrameSet(bytes, key, {}) != nullptr) == gif.has_value());

  // Whatever a platform decoder hands back, the dispatch passes on only drawable pictures, keyed.
  if (!LooksLikeGif(bytes)) {
    if (const auto other = DecodeFrameSet(bytes, key, CarelessPlatformDecoder)) {
      FUZZ_CHECK(other->Usable());
      for (const Frame& frame : other->frames) {
        FUZZ_CHECK(frame.colourKey == ResolveColourKey(frame, key));
      }
    }
  }

  // Tight limits must turn away whatever exceeds them and never give a larger picture.
  const GifLimits tight{64, 64 * 32, 64 * 32 * 4 * sizeof(std::uint32_t)};
  if (const auto small = DecodeGif(bytes, key, tight)) {
    FUZZ_CHECK(small->width <= tight.maxSide && small->height <= tight.maxSide);
    FUZZ_CHECK(static_cast<std::size_t>(small->width) * small->height <= tight.maxCanvasPixels);
    FUZZ_CHECK(static_cast<std::size_t>(small->width) * small->height * small->frames.size() *
                   sizeof(std::uint32_t) <=
               tight.maxFrameBytes);
    FUZZ_CHECK(gif.has_value() && small->frames.size() == gif->frames.size());
  }
  return 0;
}
