#include "platform/logic/gif_decoder.h"

#include <array>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

namespace quorlin::platform {
namespace {

constexpr int kMaxCodeWidth = 12;
constexpr int kTableSize = 1 << kMaxCodeWidth;

enum class Step { Ok, Truncated, Malformed };

// Bounds-checked little-endian reader; every read fails instead of passing the end.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  bool Byte(std::uint8_t& out) {
    if (pos_ >= data_.size()) return false;
    out = data_[pos_++];
    return true;
  }
  bool Word(int& out) {
    if (data_.size() - pos_ < 2) return false;
    out = data_[pos_] | (data_[pos_ + 1] << 8);
    pos_ += 2;
    return true;
  }
  bool Bytes(std::size_t count, std::span<const std::uint8_t>& out) {
    if (data_.size() - pos_ < count) return false;
    out = data_.subspan(pos_, count);
    pos_ += count;
    return true;
  }

  // Reads data sub-blocks up to and including the zero-length terminator, keeping the first one
  // (empty when there is none) and, when asked, the payload of all of them joined.
  Step SubBlocks(std::span<const std::uint8_t>& first, std::vector<std::uint8_t>* joined = nullptr) {
    first = {};
    for (bool isFirst = true;; isFirst = false) {
      std::uint8_t size = 0;
      std::span<const std::uint8_t> block;
      if (!Byte(size) || !Bytes(size, block)) return Step::Truncated;
      if (size == 0) return Step::Ok;
      if (isFirst) first = block;
      if (joined) joined->insert(joined->end(), block.begin(), block.end());
    }
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

struct ImageBlock {
  GifImage image;
  std::span<const std::uint8_t> palette;  // 3 bytes (R, G, B) per entry
  int minCodeSize = 0;
  std::vector<std::uint8_t> codes;  // the LZW data with the sub-block sizes taken out
};

struct ParsedGif {
  GifInfo info;
  std::vector<ImageBlock> blocks;
  Step end = Step::Ok;  // Ok: trailer reached
};

std::size_t ColourTableBytes(std::uint8_t packed) { return std::size_t{3} << ((packed & 7) + 1); }

Step ParseImage(ByteReader& reader, std::span<const std::uint8_t> globalPalette, ImageBlock block,
                ParsedGif& out) {
  GifImage& image = block.image;
  std::uint8_t packed = 0, minCodeSize = 0;
  if (!reader.Word(image.left) || !reader.Word(image.top) || !reader.Word(image.width) ||
      !reader.Word(image.height) || !reader.Byte(packed)) {
    return Step::Truncated;
  }
  if (image.width == 0 || image.height == 0 || image.left + image.width > out.info.width ||
      image.top + image.height > out.info.height) {
    return Step::Malformed;
  }
  image.interlaced = (packed & 0x40) != 0;
  block.palette = globalPalette;
  if ((packed & 0x80) && !reader.Bytes(ColourTableBytes(packed), block.palette)) return Step::Truncated;
  if (block.palette.empty()) return Step::Malformed;  // no colours to paint with
  if (!reader.Byte(minCodeSize)) return Step::Truncated;
  // 12 would need 13-bit codes from the start.
  if (minCodeSize < 1 || minCodeSize > kMaxCodeWidth - 1) return Step::Malformed;
  block.minCodeSize = minCodeSize;
  std::span<const std::uint8_t> first;
  if (const Step step = reader.SubBlocks(first, &block.codes); step != Step::Ok) return step;
  out.info.images.push_back(image);
  out.blocks.push_back(std::move(block));
  return Step::Ok;
}

// Walks the block structure, filling `out` with what it finds; the result says how it stopped
// (Ok: the trailer was reached).
Step ParseBlocks(std::span<const std::uint8_t> data, const GifLimits& limits, ParsedGif& out) {
  if (!LooksLikeGif(data)) return Step::Malformed;
  ByteReader reader(data.subspan(6));
  std::uint8_t packed = 0, background = 0, aspect = 0;
  if (!reader.Word(out.info.width) || !reader.Word(out.info.height) || !reader.Byte(packed) ||
      !reader.Byte(background) || !reader.Byte(aspect)) {
    return Step::Truncated;
  }
  const int w = out.info.width, h = out.info.height;
  if (w <= 0 || h <= 0 || w > limits.maxSide || h > limits.maxSide ||
      static_cast<std::size_t>(w) * static_cast<std::size_t>(h) > limits.maxCanvasPixels) {
    return Step::Malformed;
  }
  std::span<const std::uint8_t> globalPalette;
  if ((packed & 0x80) && !reader.Bytes(ColourTableBytes(packed), globalPalette)) return Step::Truncated;

  ImageBlock next;  // the graphic-control values for the next image
  for (;;) {
    std::uint8_t introducer = 0, label = 0;
    std::span<const std::uint8_t> first;
    if (!reader.Byte(introducer)) return Step::Truncated;
    if (introducer == 0x3B) {  // trailer
      out.info.complete = true;
      return Step::Ok;
    }
    if (introducer == 0x2C) {  // image separator
      if (const Step step = ParseImage(reader, globalPalette, std::exchange(next, {}), out); step != Step::Ok) {
        return step;
      }
      continue;
    }
    if (introducer != 0x21) return Step::Malformed;  // not an extension either
    if (!reader.Byte(label)) return Step::Truncated;
    if (const Step step = reader.SubBlocks(first); step != Step::Ok) return step;
    if (label == 0xF9 && first.size() >= 4) {  // graphic control
      next.image.disposal = (first[0] >> 2) & 7;
      next.image.hasTransparency = (first[0] & 1) != 0;
      next.image.delayCs = first[1] | (first[2] << 8);
      next.image.transparentIndex = first[3];
    } else if (label == 0xFF && first.size() >= 11) {  // application: its id comes first
      const std::string_view id(reinterpret_cast<const char*>(first.data()), 11);
      out.info.hasLoopExtension |= id == "NETSCAPE2.0" || id == "ANIMEXTS1.0";
    }
    // Comment, plain-text and other extensions carry nothing this decoder uses.
  }
}

// Decodes exactly out.size() colour indices from LSB-first codes. Fails on a code that names no
// table entry and on data that ends before every index is known; codes after the last are ignored.
bool DecodeLzw(std::span<const std::uint8_t> data, int minCodeSize, std::vector<std::uint16_t>& out) {
  const int clearCode = 1 << minCodeSize;
  const int endCode = clearCode + 1;
  std::array<std::uint16_t, kTableSize> prefix{}, suffix{}, firstOf{};
  std::array<std::uint16_t, kTableSize + 1> stack{};  // a prefix always has a lower code
  for (int i = 0; i < clearCode; ++i) suffix[i] = firstOf[i] = static_cast<std::uint16_t>(i);

  std::size_t produced = 0, pos = 0;
  std::uint32_t bits = 0;
  int bitCount = 0, next = endCode + 1, width = minCodeSize + 1, previous = -1;
  while (produced < out.size()) {
    for (; bitCount < width && pos < data.size(); bitCount += 8) bits |= std::uint32_t{data[pos++]} << bitCount;
    if (bitCount < width) break;
    const int code = static_cast<int>(bits & ((1u << width) - 1));
    bits >>= width;
    bitCount -= width;
    if (code == clearCode) {
      next = endCode + 1;
      width = minCodeSize + 1;
      previous = -1;
      continue;
    }
    if (code == endCode) break;
    if (code > (previous < 0 ? clearCode : next)) return false;
    if (previous < 0) {
      out[produced++] = static_cast<std::uint16_t>(code);
      previous = code;
      continue;
    }
    // The string of `code`; a code not yet in the table is the one this very code defines.
    const int known = code == next ? previous : code;
    std::size_t depth = 0;
    if (code == next) stack[depth++] = firstOf[previous];
    int c = known;
    for (; c > endCode; c = prefix[c]) stack[depth++] = suffix[c];
    stack[depth++] = static_cast<std::uint16_t>(c);
    while (depth > 0 && produced < out.size()) out[produced++] = stack[--depth];
    if (next < kTableSize) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      suffix[next] = firstOf[known];
      firstOf[next] = firstOf[previous];
      if (++next == (1 << width) && width < kMaxCodeWidth) ++width;
    }
    previous = code;
  }
  return produced == out.size();
}

// Image rows in the order they are stored: straight, or the four passes of interlacing.
std::vector<int> StoredRowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  constexpr int kStart[4] = {0, 4, 2, 1};
  constexpr int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass) {
    for (int y = interlaced ? kStart[pass] : 0; y < height; y += interlaced ? kStep[pass] : 1) rows.push_back(y);
  }
  return rows;
}

bool RestoresArea(int disposal) { return disposal == 2 || disposal == 3; }

}  // namespace

bool LooksLikeGif(std::span<const std::uint8_t> data) {
  return data.size() >= 6 &&
         (std::memcmp(data.data(), "GIF87a", 6) == 0 || std::memcmp(data.data(), "GIF89a", 6) == 0);
}

std::optional<GifInfo> ParseGifInfo(std::span<const std::uint8_t> data, const GifLimits& limits) {
  ParsedGif parsed;
  parsed.end = ParseBlocks(data, limits, parsed);
  if (parsed.end == Step::Malformed || (parsed.end == Step::Truncated && parsed.info.images.empty())) {
    return std::nullopt;
  }
  return std::move(parsed.info);
}

// Frames are composed on a canvas of the logical screen, first filled with transparent white.
// Disposal 2 and 3 both put the canvas back to what it held before the image was painted; other
// disposal values leave the image in place. Pixels of the transparent index leave the canvas as
// it is; indices beyond the colour table paint opaque black. Each frame is a copy of the canvas.
std::optional<FrameSet> DecodeGif(std::span<const std::uint8_t> data, std::int32_t colourKey,
                                  const GifLimits& limits) {
  ParsedGif parsed;
  parsed.end = ParseBlocks(data, limits, parsed);
  if (parsed.end == Step::Malformed || parsed.blocks.empty()) return std::nullopt;

  FrameSet result{parsed.info.width, parsed.info.height, {}};
  const std::size_t canvasPixels = static_cast<std::size_t>(result.width) * static_cast<std::size_t>(result.height);
  const std::size_t frameBytes = canvasPixels * sizeof(std::uint32_t);
  if (frameBytes > limits.maxFrameBytes || parsed.blocks.size() > limits.maxFrameBytes / frameBytes) {
    return std::nullopt;
  }

  std::vector<std::uint32_t> canvas(canvasPixels, 0xFFFFFFFFu), saved;  // transparent white
  std::vector<std::uint16_t> indices;
  int previousDisposal = 0;
  for (const ImageBlock& block : parsed.blocks) {
    const GifImage& image = block.image;
    indices.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height), 0);
    if (!DecodeLzw(block.codes, block.minCodeSize, indices)) return std::nullopt;
    // Only the previous image changed the canvas since it was saved: restoring all of it puts
    // back just that image's area.
    if (RestoresArea(previousDisposal)) canvas = saved;
    if (RestoresArea(image.disposal)) saved = canvas;
    previousDisposal = image.disposal;

    const std::vector<int> rows = StoredRowOrder(image.height, image.interlaced);
    const std::size_t colours = block.palette.size() / 3;
    for (int stored = 0; stored < image.height; ++stored) {
      const std::uint16_t* source = indices.data() + static_cast<std::size_t>(stored) * image.width;
      std::uint32_t* target =
          canvas.data() + static_cast<std::size_t>(image.top + rows[stored]) * result.width + image.left;
      for (int x = 0; x < image.width; ++x) {
        const std::size_t i = source[x];
        if (image.hasTransparency && i == image.transparentIndex) continue;
        target[x] = i < colours ? MakePixel(block.palette[3 * i + 2], block.palette[3 * i + 1], block.palette[3 * i])
                                : MakePixel(0, 0, 0);
      }
    }
    result.frames.push_back(Frame{kNoColourKey, image.delayCs == 0 ? 50 : image.delayCs * 10, canvas});
  }
  ApplyColourKey(result, colourKey);
  return result;
}

std::shared_ptr<const FrameSet> DecodeFrameSet(std::span<const std::uint8_t> data, std::int32_t colourKey,
                                               const PlatformPictureDecoder& platformDecoder) {
  try {
    std::optional<FrameSet> picture;
    if (LooksLikeGif(data)) {
      picture = DecodeGif(data, colourKey);
    } else if (platformDecoder && !data.empty() && (picture = platformDecoder(data))) {
      ApplyColourKey(*picture, colourKey);
    }
    if (!picture || !picture->Usable()) return nullptr;
    return std::make_shared<const FrameSet>(std::move(*picture));
  } catch (const std::bad_alloc&) {
    return nullptr;  // a picture too big for the memory there is: no picture, not the end
  }
}

}  // namespace quorlin::platform
