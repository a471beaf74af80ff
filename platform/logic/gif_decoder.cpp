#include "platform/logic/gif_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string_view>

namespace quorlin::platform {
namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kApplicationLabel = 0xFF;

constexpr int kMaxCodeWidth = 12;
constexpr int kTableSize = 1 << kMaxCodeWidth;
constexpr int kMinCodeSizeLow = 1;
constexpr int kMinCodeSizeHigh = 11;  // 12 would need 13-bit codes from the start

constexpr std::uint32_t kTransparentWhite = 0xFFFFFFFFu;
constexpr std::int32_t kZeroDelayMs = 50;

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
  std::size_t Position() const { return pos_; }
  std::span<const std::uint8_t> From(std::size_t start) const {
    return data_.subspan(start, pos_ - start);
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

// Skips data sub-blocks up to and including the zero-length terminator.
Step SkipSubBlocks(ByteReader& reader) {
  for (;;) {
    std::uint8_t size = 0;
    if (!reader.Byte(size)) return Step::Truncated;
    if (size == 0) return Step::Ok;
    std::span<const std::uint8_t> skipped;
    if (!reader.Bytes(size, skipped)) return Step::Truncated;
  }
}

// Reads the first sub-block of an extension (empty when the extension has none) and skips the rest.
Step ReadExtension(ByteReader& reader, std::span<const std::uint8_t>& first) {
  std::uint8_t size = 0;
  if (!reader.Byte(size)) return Step::Truncated;
  first = {};
  if (size == 0) return Step::Ok;
  if (!reader.Bytes(size, first)) return Step::Truncated;
  return SkipSubBlocks(reader);
}

struct ImageBlock {
  GifImage image;
  std::span<const std::uint8_t> palette;  // 3 bytes (R, G, B) per entry
  int minCodeSize = 0;
  std::span<const std::uint8_t> subBlocks;  // LZW data sub-blocks with their terminator
};

struct ParsedGif {
  GifInfo info;
  std::vector<ImageBlock> blocks;
  Step end = Step::Ok;  // Ok: trailer reached
};

std::size_t ColourTableBytes(std::uint8_t packed) { return std::size_t{3} << ((packed & 7) + 1); }

Step ParseImage(ByteReader& reader, std::span<const std::uint8_t> globalPalette,
                const GifImage& control, ParsedGif& out) {
  GifImage image = control;
  std::uint8_t packed = 0;
  if (!reader.Word(image.left) || !reader.Word(image.top) || !reader.Word(image.width) ||
      !reader.Word(image.height) || !reader.Byte(packed)) {
    return Step::Truncated;
  }
  if (image.width == 0 || image.height == 0 || image.left + image.width > out.info.width ||
      image.top + image.height > out.info.height) {
    return Step::Malformed;
  }
  image.interlaced = (packed & 0x40) != 0;

  ImageBlock block;
  block.palette = globalPalette;
  if (packed & 0x80) {
    if (!reader.Bytes(ColourTableBytes(packed), block.palette)) return Step::Truncated;
  }
  if (block.palette.empty()) return Step::Malformed;  // no colours to paint with

  std::uint8_t minCodeSize = 0;
  if (!reader.Byte(minCodeSize)) return Step::Truncated;
  if (minCodeSize < kMinCodeSizeLow || minCodeSize > kMinCodeSizeHigh) return Step::Malformed;
  block.minCodeSize = minCodeSize;

  const std::size_t dataStart = reader.Position();
  if (const Step step = SkipSubBlocks(reader); step != Step::Ok) return step;
  block.subBlocks = reader.From(dataStart);
  block.image = image;

  out.info.images.push_back(image);
  out.blocks.push_back(block);
  return Step::Ok;
}

bool IsLoopApplication(std::span<const std::uint8_t> id) {
  if (id.size() < 11) return false;
  const std::string_view name(reinterpret_cast<const char*>(id.data()), 11);
  return name == "NETSCAPE2.0" || name == "ANIMEXTS1.0";
}

// Walks the block structure, filling `out` with what it finds; the result says how it stopped
// (Ok: the trailer was reached).
Step ParseBlocks(std::span<const std::uint8_t> data, const GifLimits& limits, ParsedGif& out) {
  if (!LooksLikeGif(data)) return Step::Malformed;

  ByteReader reader(data);
  std::span<const std::uint8_t> signature;
  reader.Bytes(6, signature);
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
  if ((packed & 0x80) && !reader.Bytes(ColourTableBytes(packed), globalPalette)) {
    return Step::Truncated;
  }

  GifImage control;  // graphic-control values for the next image
  for (;;) {
    std::uint8_t introducer = 0;
    if (!reader.Byte(introducer)) return Step::Truncated;
    if (introducer == kTrailer) {
      out.info.complete = true;
      return Step::Ok;
    }
    if (introducer == kImageSeparator) {
      if (const Step step = ParseImage(reader, globalPalette, control, out); step != Step::Ok) {
        return step;
      }
      control = GifImage{};
      continue;
    }
    if (introducer != kExtensionIntroducer) return Step::Malformed;

    std::uint8_t label = 0;
    if (!reader.Byte(label)) return Step::Truncated;
    std::span<const std::uint8_t> first;
    if (const Step step = ReadExtension(reader, first); step != Step::Ok) return step;
    if (label == kGraphicControlLabel && first.size() >= 4) {
      control.disposal = (first[0] >> 2) & 7;
      control.hasTransparency = (first[0] & 1) != 0;
      control.delayCs = first[1] | (first[2] << 8);
      control.transparentIndex = first[3];
    } else if (label == kApplicationLabel && IsLoopApplication(first)) {
      out.info.hasLoopExtension = true;
    }
    // Comment, plain-text and other extensions carry nothing this decoder uses.
  }
}

ParsedGif ParseStructure(std::span<const std::uint8_t> data, const GifLimits& limits) {
  ParsedGif out;
  out.end = ParseBlocks(data, limits, out);
  return out;
}

// LSB-first code reader over a chain of data sub-blocks.
class CodeReader {
 public:
  explicit CodeReader(std::span<const std::uint8_t> subBlocks) : data_(subBlocks) {}

  bool Read(int width, int& code) {
    while (bitCount_ < width) {
      std::uint8_t byte = 0;
      if (!NextByte(byte)) return false;
      bits_ |= std::uint32_t{byte} << bitCount_;
      bitCount_ += 8;
    }
    code = static_cast<int>(bits_ & ((1u << width) - 1));
    bits_ >>= width;
    bitCount_ -= width;
    return true;
  }

 private:
  bool NextByte(std::uint8_t& byte) {
    while (blockLeft_ == 0) {
      if (pos_ >= data_.size()) return false;
      blockLeft_ = data_[pos_++];
      if (blockLeft_ == 0) {
        pos_ = data_.size();  // terminator: nothing follows
        return false;
      }
    }
    if (pos_ >= data_.size()) return false;
    byte = data_[pos_++];
    --blockLeft_;
    return true;
  }

  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  std::size_t blockLeft_ = 0;
  std::uint32_t bits_ = 0;
  int bitCount_ = 0;
};

// Decodes exactly out.size() colour indices. Fails on a code that names no table entry and on
// data that ends before every index is known; codes after the last index are ignored.
bool DecodeLzw(std::span<const std::uint8_t> subBlocks, int minCodeSize,
               std::vector<std::uint16_t>& out) {
  const int clearCode = 1 << minCodeSize;
  const int endCode = clearCode + 1;
  std::array<std::uint16_t, kTableSize> prefix{};
  std::array<std::uint16_t, kTableSize> suffix{};
  std::array<std::uint16_t, kTableSize> firstOf{};
  std::array<std::uint16_t, kTableSize> stack{};
  for (int i = 0; i < clearCode; ++i) {
    suffix[i] = static_cast<std::uint16_t>(i);
    firstOf[i] = static_cast<std::uint16_t>(i);
  }

  CodeReader reader(subBlocks);
  const std::size_t total = out.size();
  std::size_t produced = 0;
  int next = endCode + 1;
  int width = minCodeSize + 1;
  int previous = -1;

  // Writes the string of `code` (a literal or a table entry), cut at the image's end.
  auto emit = [&](int code) {
    std::size_t depth = 0;
    while (code > endCode && depth < stack.size()) {
      stack[depth++] = suffix[code];
      code = prefix[code];
    }
    if (depth < stack.size()) stack[depth++] = static_cast<std::uint16_t>(code);
    while (depth > 0 && produced < total) out[produced++] = stack[--depth];
  };

  while (produced < total) {
    int code = 0;
    if (!reader.Read(width, code)) break;
    if (code == clearCode) {
      next = endCode + 1;
      width = minCodeSize + 1;
      previous = -1;
      continue;
    }
    if (code == endCode) break;
    if (previous < 0) {
      if (code > clearCode) return false;  // the table holds no entries yet
      out[produced++] = static_cast<std::uint16_t>(code);
      previous = code;
      continue;
    }
    std::uint16_t firstChar = 0;
    if (code < next) {
      firstChar = firstOf[code];
      emit(code);
    } else if (code == next) {  // the entry being defined by this very code
      firstChar = firstOf[previous];
      emit(previous);
      if (produced < total) out[produced++] = firstChar;
    } else {
      return false;
    }
    if (next < kTableSize) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      suffix[next] = firstChar;
      firstOf[next] = firstOf[previous];
      ++next;
      if (next == (1 << width) && width < kMaxCodeWidth) ++width;
    }
    previous = code;
  }
  return produced == total;
}

// Image rows in the order they are stored: straight, or the four passes of interlacing.
std::vector<int> StoredRowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  constexpr int kStart[4] = {0, 4, 2, 1};
  constexpr int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  }
  return rows;
}

struct Area {
  int left = 0, top = 0, width = 0, height = 0;
};

void SaveArea(const std::vector<std::uint32_t>& canvas, int canvasWidth, const Area& area,
              std::vector<std::uint32_t>& saved) {
  saved.resize(static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height));
  for (int y = 0; y < area.height; ++y) {
    const auto from = canvas.begin() +
                      static_cast<std::ptrdiff_t>(area.top + y) * canvasWidth + area.left;
    std::copy(from, from + area.width, saved.begin() + static_cast<std::ptrdiff_t>(y) * area.width);
  }
}

void RestoreArea(std::vector<std::uint32_t>& canvas, int canvasWidth, const Area& area,
                 const std::vector<std::uint32_t>& saved) {
  for (int y = 0; y < area.height; ++y) {
    const auto from = saved.begin() + static_cast<std::ptrdiff_t>(y) * area.width;
    std::copy(from, from + area.width,
              canvas.begin() + static_cast<std::ptrdiff_t>(area.top + y) * canvasWidth + area.left);
  }
}

bool RestoresArea(int disposal) { return disposal == 2 || disposal == 3; }

}  // namespace

bool LooksLikeGif(std::span<const std::uint8_t> data) {
  if (data.size() < 6) return false;
  return std::memcmp(data.data(), "GIF87a", 6) == 0 || std::memcmp(data.data(), "GIF89a", 6) == 0;
}

std::optional<GifInfo> ParseGifInfo(std::span<const std::uint8_t> data, const GifLimits& limits) {
  ParsedGif parsed = ParseStructure(data, limits);
  if (parsed.end == Step::Malformed) return std::nullopt;
  if (parsed.end == Step::Truncated && parsed.info.images.empty()) return std::nullopt;
  return std::move(parsed.info);
}

// Frames are composed on a canvas of the logical screen, first filled with transparent white.
// Disposal 2 and 3 both put the area an image covered back to what it held before that image was
// painted (the area is saved just before painting); other disposal values leave the image in
// place. Pixels of the transparent index leave the canvas as it is; indices beyond the colour
// table paint opaque black. Each frame is a copy of the whole canvas.
std::optional<FrameSet> DecodeGif(std::span<const std::uint8_t> data, std::int32_t colourKey,
                                  const GifLimits& limits) {
  const ParsedGif parsed = ParseStructure(data, limits);
  if (parsed.end == Step::Malformed || parsed.blocks.empty()) return std::nullopt;

  const int canvasWidth = parsed.info.width;
  const std::size_t canvasPixels =
      static_cast<std::size_t>(canvasWidth) * static_cast<std::size_t>(parsed.info.height);
  const std::size_t frameBytes = canvasPixels * sizeof(std::uint32_t);
  if (frameBytes > limits.maxFrameBytes || parsed.blocks.size() > limits.maxFrameBytes / frameBytes) {
    return std::nullopt;
  }

  FrameSet result;
  result.width = canvasWidth;
  result.height = parsed.info.height;
  result.frames.reserve(parsed.blocks.size());

  std::vector<std::uint32_t> canvas(canvasPixels, kTransparentWhite);
  std::vector<std::uint32_t> saved;
  std::vector<std::uint16_t> indices;
  std::vector<std::uint32_t> palette;
  Area previousArea;
  int previousDisposal = 0;

  for (const ImageBlock& block : parsed.blocks) {
    const GifImage& image = block.image;
    const Area area{image.left, image.top, image.width, image.height};

    indices.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height),
                   0);
    if (!DecodeLzw(block.subBlocks, block.minCodeSize, indices)) return std::nullopt;

    if (RestoresArea(previousDisposal)) RestoreArea(canvas, canvasWidth, previousArea, saved);
    if (RestoresArea(image.disposal)) SaveArea(canvas, canvasWidth, area, saved);

    palette.assign(block.palette.size() / 3, 0);
    for (std::size_t i = 0; i < palette.size(); ++i) {
      palette[i] = MakePixel(block.palette[3 * i + 2], block.palette[3 * i + 1], block.palette[3 * i]);
    }
    const std::uint32_t outOfTable = MakePixel(0, 0, 0);

    const std::vector<int> rows = StoredRowOrder(image.height, image.interlaced);
    for (int stored = 0; stored < image.height; ++stored) {
      const std::uint16_t* source = indices.data() + static_cast<std::size_t>(stored) * image.width;
      std::uint32_t* target = canvas.data() +
                              static_cast<std::size_t>(image.top + rows[stored]) * canvasWidth +
                              image.left;
      for (int x = 0; x < image.width; ++x) {
        const std::uint16_t index = source[x];
        if (image.hasTransparency && index == image.transparentIndex) continue;
        target[x] = index < palette.size() ? palette[index] : outOfTable;
      }
    }

    Frame frame;
    frame.delayMs = image.delayCs == 0 ? kZeroDelayMs : image.delayCs * 10;
    frame.pixels = canvas;
    frame.colourKey = ResolveColourKey(frame, colourKey);
    result.frames.push_back(std::move(frame));

    previousArea = area;
    previousDisposal = image.disposal;
  }
  return result;
}

std::optional<FrameSet> DecodeFrameSet(std::span<const std::uint8_t> data, std::int32_t colourKey,
                                       const PlatformPictureDecoder& platformDecoder) {
  std::optional<FrameSet> picture;
  try {
    if (LooksLikeGif(data)) {
      picture = DecodeGif(data, colourKey);
    } else if (platformDecoder && !data.empty()) {
      picture = platformDecoder(data);
      if (picture) ApplyColourKey(*picture, colourKey);
    }
  } catch (const std::bad_alloc&) {
    return std::nullopt;  // a picture too big for the memory there is: no picture, not the end
  }
  if (!picture || !picture->Usable()) return std::nullopt;
  return picture;
}

}  // namespace quorlin::platform
