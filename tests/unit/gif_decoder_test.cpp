#include "platform/logic/gif_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace quorlin::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
  std::uint8_t r, g, b;
};

std::uint32_t Opaque(Rgb c) { return MakePixel(c.b, c.g, c.r, 0); }
constexpr std::uint32_t kBlank = 0xFFFFFFFFu;  // the canvas before anything is painted

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kGrey{90, 80, 70};

class BitWriter {
 public:
  void Put(int code, int width) {
    bits_ |= static_cast<std::uint32_t>(code) << count_;
    count_ += width;
    while (count_ >= 8) {
      bytes_.push_back(static_cast<std::uint8_t>(bits_));
      bits_ >>= 8;
      count_ -= 8;
    }
  }
  Bytes Finish() {
    if (count_ > 0) bytes_.push_back(static_cast<std::uint8_t>(bits_));
    return std::move(bytes_);
  }

 private:
  Bytes bytes_;
  std::uint32_t bits_ = 0;
  int count_ = 0;
};

// A plain GIF LZW encoder. With clearWhenFull false it keeps coding with a full table
// (a "deferred clear"), which decoders must accept too.
Bytes LzwEncode(const Bytes& indices, int minCodeSize, bool clearWhenFull = true) {
  const int clear = 1 << minCodeSize, end = clear + 1;
  BitWriter out;
  std::map<std::pair<int, int>, int> table;
  int next = end + 1, width = minCodeSize + 1;
  out.Put(clear, width);
  int prefix = indices.at(0);
  for (std::size_t i = 1; i < indices.size(); ++i) {
    const int k = indices[i];
    if (auto it = table.find({prefix, k}); it != table.end()) {
      prefix = it->second;
      continue;
    }
    out.Put(prefix, width);
    if (next < 4096) {
      table[{prefix, k}] = next++;
      if (next > (1 << width) && width < 12) ++width;
    } else if (clearWhenFull) {
      out.Put(clear, width);
      table.clear();
      next = end + 1;
      width = minCodeSize + 1;
    }
    prefix = k;
  }
  out.Put(prefix, width);
  if (next < 4096 && next + 1 > (1 << width) && width < 12) ++width;  // the decoder's last entry
  out.Put(end, width);
  return out.Finish();
}

// Raw codes of given widths, for hand-made (often broken) code streams.
Bytes PackCodes(const std::vector<std::pair<int, int>>& codes) {
  BitWriter out;
  for (auto [code, width] : codes) out.Put(code, width);
  return out.Finish();
}

void AppendSubBlocks(Bytes& gif, const Bytes& data) {
  for (std::size_t pos = 0; pos < data.size(); pos += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - pos);
    gif.push_back(static_cast<std::uint8_t>(n));
    gif.insert(gif.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
               data.begin() + static_cast<std::ptrdiff_t>(pos + n));
  }
  gif.push_back(0);
}

void AppendWord(Bytes& gif, int value) {
  gif.push_back(static_cast<std::uint8_t>(value));
  gif.push_back(static_cast<std::uint8_t>(value >> 8));
}

// Table size field for a palette: entries padded to a power of two, at least 2.
int PaletteSizeField(std::size_t entries) {
  int field = 0;
  while ((std::size_t{2} << field) < entries) ++field;
  return field;
}

void AppendPalette(Bytes& gif, const std::vector<Rgb>& palette) {
  const std::size_t padded = std::size_t{2} << PaletteSizeField(palette.size());
  for (std::size_t i = 0; i < padded; ++i) {
    const Rgb c = i < palette.size() ? palette[i] : Rgb{0, 0, 0};
    gif.insert(gif.end(), {c.r, c.g, c.b});
  }
}

struct TestImage {
  int left = 0, top = 0, width = 0, height = 0;
  Bytes indices;  // display order, row by row
  std::vector<Rgb> localPalette;
  bool interlaced = false;
  bool control = true;  // write a graphic-control extension
  int disposal = 0;
  int delayCs = 0;
  std::optional<std::uint8_t> transparent;
  int minCodeSize = 8;
  bool clearWhenFull = true;
  std::optional<Bytes> rawData;  // replaces the LZW-coded indices
};

struct TestGif {
  int width = 0, height = 0;
  std::vector<Rgb> globalPalette;
  std::vector<TestImage> images;
  bool loopExtension = false;
  bool otherExtensions = false;  // comment, plain text and a foreign application extension
};

Bytes StoredOrder(const TestImage& image) {
  if (!image.interlaced) return image.indices;
  Bytes stored;
  const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = starts[pass]; y < image.height; y += steps[pass]) {
      const auto row = image.indices.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
      stored.insert(stored.end(), row, row + image.width);
    }
  }
  return stored;
}

Bytes BuildGif(const TestGif& layout) {
  Bytes gif{'G', 'I', 'F', '8', '9', 'a'};
  AppendWord(gif, layout.width);
  AppendWord(gif, layout.height);
  const bool global = !layout.globalPalette.empty();
  gif.push_back(static_cast<std::uint8_t>(
      global ? 0x80 | 0x70 | PaletteSizeField(layout.globalPalette.size()) : 0x70));
  gif.insert(gif.end(), {0, 0});
  if (global) AppendPalette(gif, layout.globalPalette);
  if (layout.loopExtension) {
    gif.insert(gif.end(), {0x21, 0xFF, 11});
    for (char c : std::string("NETSCAPE2.0")) gif.push_back(static_cast<std::uint8_t>(c));
    gif.insert(gif.end(), {3, 1, 0, 0, 0});
  }
  if (layout.otherExtensions) {
    gif.insert(gif.end(), {0x21, 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 0});
    gif.insert(gif.end(), {0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0, 2, 'h', 'i', 0});
    gif.insert(gif.end(), {0x21, 0xFF, 11});
    for (char c : std::string("XMP DataXMP")) gif.push_back(static_cast<std::uint8_t>(c));
    gif.insert(gif.end(), {2, 0x3B, 0x2C, 0});  // payload bytes that look like block markers
  }
  for (const TestImage& image : layout.images) {
    if (image.control) {
      gif.insert(gif.end(), {0x21, 0xF9, 4});
      gif.push_back(static_cast<std::uint8_t>((image.disposal << 2) | (image.transparent ? 1 : 0)));
      AppendWord(gif, image.delayCs);
      gif.push_back(image.transparent.value_or(0));
      gif.push_back(0);
    }
    gif.push_back(0x2C);
    AppendWord(gif, image.left);
    AppendWord(gif, image.top);
    AppendWord(gif, image.width);
    AppendWord(gif, image.height);
    const bool local = !image.localPalette.empty();
    gif.push_back(static_cast<std::uint8_t>((local ? 0x80 | PaletteSizeField(image.localPalette.size()) : 0) |
                                            (image.interlaced ? 0x40 : 0)));
    if (local) AppendPalette(gif, image.localPalette);
    gif.push_back(static_cast<std::uint8_t>(image.minCodeSize));
    AppendSubBlocks(gif, image.rawData ? *image.rawData
                                       : LzwEncode(StoredOrder(image), image.minCodeSize,
                                                   image.clearWhenFull));
  }
  gif.push_back(0x3B);
  return gif;
}

TestImage Filled(int left, int top, int width, int height, std::uint8_t index) {
  TestImage image;
  image.left = left;
  image.top = top;
  image.width = width;
  image.height = height;
  image.indices.assign(static_cast<std::size_t>(width * height), index);
  return image;
}

std::uint32_t At(const FrameSet& set, std::size_t frame, int x, int y) {
  return set.frames.at(frame).pixels.at(static_cast<std::size_t>(y * set.width + x));
}

const std::vector<Rgb> kPalette{kRed, kGreen, kBlue, kGrey};

// Three frames on a 4 x 3 canvas: a full red image, a green 2 x 2 at (1, 1) with a transparent
// corner, and a blue pixel at (3, 0) after a zero delay.
TestGif ThreeFrameGif() {
  TestGif layout{4, 3, kPalette, {}};
  TestImage first = Filled(0, 0, 4, 3, 0);
  first.delayCs = 10;
  first.disposal = 1;
  TestImage second = Filled(1, 1, 2, 2, 1);
  second.indices[3] = 3;
  second.transparent = 3;
  second.delayCs = 25;
  TestImage third = Filled(3, 0, 1, 1, 2);
  third.delayCs = 0;
  layout.images = {first, second, third};
  layout.loopExtension = true;
  layout.otherExtensions = true;
  return layout;
}

TEST(GifDecodeTest, FramesAreFullCanvasCompositesWithDelays) {
  const Bytes gif = BuildGif(ThreeFrameGif());
  const auto set = DecodeGif(gif, kColourKeyNone);
  ASSERT_TRUE(set);
  ASSERT_TRUE(set->Usable());
  EXPECT_EQ(set->width, 4);
  EXPECT_EQ(set->height, 3);
  ASSERT_EQ(set->frames.size(), 3u);
  EXPECT_EQ(set->frames[0].delayMs, 100);
  EXPECT_EQ(set->frames[1].delayMs, 250);
  EXPECT_EQ(set->frames[2].delayMs, 50);  // zero delay shows for 50 ms

  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(*set, 0, x, y), Opaque(kRed)) << x << "," << y;
  EXPECT_EQ(At(*set, 1, 1, 1), Opaque(kGreen));
  EXPECT_EQ(At(*set, 1, 2, 2), Opaque(kRed));  // transparent index leaves the canvas as it was
  EXPECT_EQ(At(*set, 1, 0, 0), Opaque(kRed));
  EXPECT_EQ(At(*set, 2, 3, 0), Opaque(kBlue));
  EXPECT_EQ(At(*set, 2, 1, 1), Opaque(kGreen));  // disposal 0 keeps the previous image
  for (const Frame& frame : set->frames) EXPECT_EQ(frame.colourKey, kNoColourKey);
}

TEST(GifDecodeTest, ParseReportsImagesAndSkipsOtherExtensions) {
  const auto info = ParseGifInfo(BuildGif(ThreeFrameGif()));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->width, 4);
  EXPECT_EQ(info->height, 3);
  EXPECT_TRUE(info->hasLoopExtension);
  EXPECT_TRUE(info->complete);
  ASSERT_EQ(info->images.size(), 3u);
  const GifImage& second = info->images[1];
  EXPECT_EQ(second.left, 1);
  EXPECT_EQ(second.top, 1);
  EXPECT_EQ(second.width, 2);
  EXPECT_EQ(second.height, 2);
  EXPECT_EQ(second.delayCs, 25);
  EXPECT_TRUE(second.hasTransparency);
  EXPECT_EQ(second.transparentIndex, 3);
  EXPECT_EQ(info->images[0].disposal, 1);
  EXPECT_FALSE(info->images[0].hasTransparency);

  TestGif plain = ThreeFrameGif();
  plain.loopExtension = false;
  const auto withoutLoop = ParseGifInfo(BuildGif(plain));
  ASSERT_TRUE(withoutLoop);
  EXPECT_FALSE(withoutLoop->hasLoopExtension);  // a foreign application extension is not a loop
}

TEST(GifDecodeTest, ControlExtensionAppliesToTheNextImageOnly) {
  TestGif layout{2, 1, kPalette, {}};
  TestImage first = Filled(0, 0, 2, 1, 1);
  first.delayCs = 7;
  first.transparent = 0;
  TestImage second = Filled(0, 0, 2, 1, 0);
  second.control = false;
  layout.images = {first, second};
  const auto set = DecodeGif(BuildGif(layout), kColourKeyNone);
  ASSERT_TRUE(set);
  EXPECT_EQ(set->frames[0].delayMs, 70);
  EXPECT_EQ(set->frames[1].delayMs, 50);
  EXPECT_EQ(At(*set, 1, 0, 0), Opaque(kRed));  // index 0 is no longer transparent
}

TEST(GifDecodeTest, UncoveredAndTransparentPixelsStayTransparentWhite) {
  TestGif layout{3, 2, kPalette, {}};
  TestImage image = Filled(1, 0, 2, 1, 2);
  image.indices[1] = 0;
  image.transparent = 0;
  layout.images = {image};
  const auto set = DecodeGif(BuildGif(layout), kColourKeyNone);
  ASSERT_TRUE(set);
  EXPECT_EQ(At(*set, 0, 0, 0), kBlank);
  EXPECT_EQ(At(*set, 0, 1, 0), Opaque(kBlue));
  EXPECT_EQ(At(*set, 0, 2, 0), kBlank);
  EXPECT_EQ(At(*set, 0, 1, 1), kBlank);
}

class GifRestoringDisposalTest : public testing::TestWithParam<int> {};

// Disposal 2 and 3 put the covered area back to what it held before the image was painted.
TEST_P(GifRestoringDisposalTest, RestoresAreaBeforeNextImage) {
  TestGif layout{4, 2, kPalette, {}};
  TestImage base = Filled(0, 0, 4, 2, 2);  // blue everywhere, kept (disposal 1)
  base.disposal = 1;
  TestImage patch = Filled(1, 0, 2, 2, 1);  // green, restored afterwards
  patch.disposal = GetParam();
  patch.indices[0] = 3;
  patch.transparent = 3;
  TestImage dot = Filled(3, 1, 1, 1, 0);  // red, disposal 0
  TestImage last = Filled(0, 0, 1, 1, 3);  // grey
  layout.images = {base, patch, dot, last};
  const auto set = DecodeGif(BuildGif(layout), kColourKeyNone);
  ASSERT_TRUE(set);
  ASSERT_EQ(set->frames.size(), 4u);
  EXPECT_EQ(At(*set, 1, 1, 0), Opaque(kBlue));  // transparent pixel of the patch
  EXPECT_EQ(At(*set, 1, 2, 0), Opaque(kGreen));
  EXPECT_EQ(At(*set, 1, 1, 1), Opaque(kGreen));
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(At(*set, 2, x, 0), Opaque(kBlue)) << x;
    EXPECT_EQ(At(*set, 2, x, 1), Opaque(kBlue)) << x;
  }
  EXPECT_EQ(At(*set, 2, 3, 1), Opaque(kRed));
  EXPECT_EQ(At(*set, 3, 3, 1), Opaque(kRed));  // disposal 0 is not undone
  EXPECT_EQ(At(*set, 3, 0, 0), Opaque(kGrey));
}

TEST_P(GifRestoringDisposalTest, FirstImageRestoresToBlankCanvas) {
  TestGif layout{2, 1, kPalette, {}};
  TestImage first = Filled(0, 0, 2, 1, 0);
  first.disposal = GetParam();
  TestImage second = Filled(1, 0, 1, 1, 1);
  layout.images = {first, second};
  const auto set = DecodeGif(BuildGif(layout), kColourKeyNone);
  ASSERT_TRUE(set);
  EXPECT_EQ(At(*set, 0, 0, 0), Opaque(kRed));
  EXPECT_EQ(At(*set, 1, 0, 0), kBlank);
  EXPECT_EQ(At(*set, 1, 1, 0), Opaque(kGreen));
}

INSTANTIATE_TEST_SUITE_P(Disposal, GifRestoringDisposalTest, testing::Values(2, 3));

TEST(GifDecodeTest, InterlacedRowsLandWhereTheyBelong) {
  std::vector<Rgb> greys;
  for (int i = 0; i < 16; ++i) greys.push_back(Rgb{static_cast<std::uint8_t>(i * 16), 1, 2});
  for (int height : {1, 2, 3, 5, 9, 11, 16}) {
    TestGif layout{3, height, greys, {}};
    TestImage image = Filled(0, 0, 3, height, 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < 3; ++x) {
        image.indices[static_cast<std::size_t>(y * 3 + x)] = static_cast<std::uint8_t>(y);
      }
    image.interlaced = true;
    image.minCodeSize = 4;
    layout.images = {image};
    const auto set = DecodeGif(BuildGif(layout), kColourKeyNone);
    ASSERT_TRUE(set) << height;
    for (int y = 0; y < height; ++y) {
      EXPECT_EQ(At(*set, 0, 2, y), Opaque(greys[static_cast<std::size_t>(y)])) << height << ":" << y;
    }
  }
}

TEST(GifDecodeTest, LocalPaletteOverridesGlobalAndMayStandAlone) {
  TestGif layout{2, 1, kPalette, {}};
  TestImage global = Filled(0, 0, 2, 1, 1);
  TestImage local = Filled(0, 0, 1, 1, 1);
  local.localPalette = {kGrey, kBlue};
  local.minCodeSize = 2;
  layout.images = {global, local};
  auto set = DecodeGif(BuildGif(layout), kColourKeyNone);
  ASSERT_TRUE(set);
  EXPECT_EQ(At(*set, 0, 0, 0), Opaque(kGreen));
  EXPECT_EQ(At(*set, 1, 0, 0), Opaque(kBlue));
  EXPECT_EQ(At(*set, 1, 1, 0), Opaque(kGreen));

  layout.globalPalette.clear();
  layout.images = {local};
  set = DecodeGif(BuildGif(layout), kColourKeyNone);
  ASSERT_TRUE(set);
  EXPECT_EQ(At(*set, 0, 0, 0), Opaque(kBlue));
}

TEST(GifDecodeTest, IndexBeyondColourTablePaintsOpaqueBlack) {
  TestGif layout{1, 1, {kRed, kGreen}, {Filled(0, 0, 1, 1, 5)}};
  layout.images[0].minCodeSize = 3;
  const auto set = DecodeGif(BuildGif(layout), kColourKeyNone);
  ASSERT_TRUE(set);
  EXPECT_EQ(At(*set, 0, 0, 0), MakePixel(0, 0, 0, 0));
}

TEST(GifDecodeTest, LongCodeStreamsFillTheTable) {
  std::vector<Rgb> palette;
  for (int i = 0; i < 256; ++i) {
    palette.push_back(Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7});
  }
  for (bool clearWhenFull : {true, false}) {
    TestGif layout{150, 120, palette, {}};
    TestImage image = Filled(0, 0, 150, 120, 0);
    std::uint32_t seed = 12345;
    for (auto& index : image.indices) {
      seed = seed * 1103515245u + 12345u;
      index = static_cast<std::uint8_t>((seed >> 16) % ((seed >> 28) < 8 ? 256 : 3));
    }
    image.clearWhenFull = clearWhenFull;
    layout.images = {image};
    const auto set = DecodeGif(BuildGif(layout), kColourKeyNone);
    ASSERT_TRUE(set) << clearWhenFull;
    for (std::size_t i = 0; i < image.indices.size(); ++i) {
      ASSERT_EQ(set->frames[0].pixels[i], Opaque(palette[image.indices[i]])) << clearWhenFull << " at " << i;
    }
  }
}

TEST(GifDecodeTest, ColourKeyPerFrame) {
  TestGif layout{2, 1, kPalette, {Filled(0, 0, 2, 1, 0), Filled(0, 0, 1, 1, 2)}};
  const Bytes gif = BuildGif(layout);
  auto set = DecodeGif(gif, kColourKeyTopLeft);
  ASSERT_TRUE(set);
  EXPECT_EQ(set->frames[0].colourKey, 0x0000FFu);  // red as a COLORREF
  EXPECT_EQ(set->frames[1].colourKey, 0xFF0000u);  // blue
  set = DecodeGif(gif, 0x00FF00);
  ASSERT_TRUE(set);
  EXPECT_EQ(set->frames[0].colourKey, 0x00FF00u);
  EXPECT_EQ(set->frames[1].colourKey, 0x00FF00u);
}

// --- damaged input ---

TestGif OneImage() { return TestGif{2, 2, kPalette, {Filled(0, 0, 2, 2, 1)}}; }

TEST(GifMalformedTest, HeaderAndDimensionsAreChecked) {
  Bytes gif = BuildGif(OneImage());
  ASSERT_TRUE(DecodeGif(gif, kColourKeyNone));
  Bytes badSignature = gif;
  badSignature[4] = '8';
  EXPECT_FALSE(DecodeGif(badSignature, kColourKeyNone));
  EXPECT_FALSE(ParseGifInfo(badSignature));

  for (auto [w, h] : {std::pair{0, 2}, std::pair{2, 0}, std::pair{20000, 2}}) {
    TestGif layout = OneImage();
    layout.width = w;
    layout.height = h;
    EXPECT_FALSE(DecodeGif(BuildGif(layout), kColourKeyNone)) << w << "x" << h;
  }
  TestGif big = OneImage();  // 8192 x 4096 is within the side limit but over the canvas budget
  big.width = 8192;
  big.height = 4096;
  EXPECT_FALSE(ParseGifInfo(BuildGif(big)));
}

TEST(GifMalformedTest, ImagesMustLieInsideTheCanvas) {
  for (auto [left, top, w, h] : {std::tuple{1, 0, 2, 2}, std::tuple{0, 1, 2, 2},
                                 std::tuple{0, 0, 0, 2}, std::tuple{0, 0, 2, 0},
                                 std::tuple{65535, 0, 2, 2}}) {
    TestGif layout = OneImage();
    layout.images[0].left = left;
    layout.images[0].top = top;
    layout.images[0].width = w;
    layout.images[0].height = h;
    layout.images[0].indices.assign(static_cast<std::size_t>(std::max(1, w * h)), 1);
    EXPECT_FALSE(ParseGifInfo(BuildGif(layout))) << left << "," << top << " " << w << "x" << h;
  }
}

TEST(GifMalformedTest, CodeSizeAndColourTableAreChecked) {
  for (int size : {0, 12, 255}) {
    TestGif layout = OneImage();
    layout.images[0].minCodeSize = size;
    layout.images[0].rawData = Bytes{0x00, 0x01};
    EXPECT_FALSE(DecodeGif(BuildGif(layout), kColourKeyNone)) << size;
  }
  TestGif withoutColours = OneImage();
  withoutColours.globalPalette.clear();
  EXPECT_FALSE(DecodeGif(BuildGif(withoutColours), kColourKeyNone));
}

TEST(GifMalformedTest, BrokenCodeStreamsGiveNoPicture) {
  const std::vector<std::pair<const char*, Bytes>> streams = {
      // min code size 2: clear 4, end 5, first free entry 6, 3-bit codes
      {"code beyond the table", PackCodes({{4, 3}, {0, 3}, {7, 3}, {5, 3}})},
      {"table entry before any literal", PackCodes({{4, 3}, {6, 3}, {5, 3}})},
      {"end before every pixel", PackCodes({{4, 3}, {1, 3}, {1, 3}, {5, 3}})},
      {"data stops before every pixel", PackCodes({{4, 3}, {1, 3}})},
      {"no data at all", Bytes{}},
  };
  for (const auto& [what, stream] : streams) {
    TestGif layout = OneImage();
    layout.images[0].minCodeSize = 2;
    layout.images[0].rawData = stream;
    const Bytes gif = BuildGif(layout);
    EXPECT_TRUE(ParseGifInfo(gif)) << what;  // the block structure itself is sound
    EXPECT_FALSE(DecodeGif(gif, kColourKeyNone)) << what;
  }
  // The same hand-made stream, complete, decodes; codes after the last pixel are ignored.
  TestGif layout = OneImage();
  layout.images[0].minCodeSize = 2;
  layout.images[0].rawData = PackCodes({{1, 3}, {1, 3}, {6, 3}, {3, 3}, {3, 3}});
  const auto set = DecodeGif(BuildGif(layout), kColourKeyNone);
  ASSERT_TRUE(set);
  EXPECT_EQ(At(*set, 0, 1, 1), Opaque(kGreen));
}

TEST(GifMalformedTest, DamageAfterGoodImagesRejectsThePicture) {
  Bytes gif = BuildGif(ThreeFrameGif());
  gif.back() = 0x00;  // an unknown block where the trailer belongs
  EXPECT_FALSE(DecodeGif(gif, kColourKeyNone));
  EXPECT_FALSE(ParseGifInfo(gif));
}

TEST(GifMalformedTest, TotalPixelBudgetIsEnforced) {
  const Bytes gif = BuildGif(ThreeFrameGif());  // 3 frames of 12 pixels, 4 bytes each
  GifLimits limits;
  limits.maxFrameBytes = 144;
  EXPECT_TRUE(DecodeGif(gif, kColourKeyNone, limits));
  limits.maxFrameBytes = 143;
  EXPECT_FALSE(DecodeGif(gif, kColourKeyNone, limits));
}

// A tiny file naming a large logical screen: every frame is a full copy of that screen.
Bytes TinyImagesOnAScreenOf(int width, int height, int frames) {
  TestGif layout{width, height, kPalette, {}};
  for (int i = 0; i < frames; ++i) layout.images.push_back(Filled(0, 0, 1, 1, 1));
  return BuildGif(layout);
}

TEST(GifMalformedTest, FramesBeyondSixteenMegabytesAreRefusedByDefault) {
  const struct {
    int width, height, frames;
    bool decodes;
  } cases[] = {
      {65535, 65535, 8, false},  // 16 GB of frames from a file of about 100 bytes
      {4096, 4096, 1, false},    // one frame of 64 MB
      {2048, 2048, 2, false},    // 32 MB
      {1024, 1024, 5, false},    // 20 MB
      {1024, 1024, 4, true},     // exactly 16 MB
      {800, 6, 4, true},         // the progress strip's size
  };
  for (const auto& c : cases) {
    const Bytes gif = TinyImagesOnAScreenOf(c.width, c.height, c.frames);
    EXPECT_LT(gif.size(), 300u) << "a file of a few hundred bytes";
    const auto set = DecodeGif(gif, kColourKeyNone);
    EXPECT_EQ(set.has_value(), c.decodes) << c.width << "x" << c.height << " x " << c.frames;
    EXPECT_EQ(DecodeFrameSet(gif, kColourKeyNone, {}) != nullptr, c.decodes);
    if (set) {
      EXPECT_EQ(set->frames.size(), static_cast<std::size_t>(c.frames));
    }
  }
}

TEST(DecodeFrameSetTest, RunningOutOfMemoryGivesNoPicture) {
  const PlatformPictureDecoder exhausted = [](std::span<const std::uint8_t>) -> std::optional<FrameSet> {
    throw std::bad_alloc();
  };
  const Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0};
  EXPECT_FALSE(DecodeFrameSet(png, kColourKeyNone, exhausted));
}

TEST(GifTruncationTest, EveryPrefixGivesNothingOrTheCompleteFramesSoFar) {
  TestGif layout = ThreeFrameGif();
  layout.images[0].interlaced = true;
  const Bytes gif = BuildGif(layout);
  const auto full = DecodeGif(gif, kColourKeyTopLeft);
  ASSERT_TRUE(full);
  const auto fullInfo = ParseGifInfo(gif);
  ASSERT_TRUE(fullInfo);

  std::size_t lastCount = 0;
  for (std::size_t n = 0; n < gif.size(); ++n) {
    // A copy of exactly n bytes, so a read past the end is caught by sanitizers.
    const std::vector<std::uint8_t> prefix(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(n));
    const auto set = DecodeGif(prefix, kColourKeyTopLeft);
    const auto info = ParseGifInfo(prefix);
    EXPECT_EQ(set.has_value(), info.has_value()) << n;
    if (!set) {
      EXPECT_EQ(lastCount, 0u) << "a longer prefix lost frames at " << n;
      continue;
    }
    ASSERT_TRUE(set->Usable()) << n;
    ASSERT_LE(set->frames.size(), full->frames.size()) << n;
    EXPECT_GE(set->frames.size(), lastCount) << n;
    lastCount = set->frames.size();
    EXPECT_FALSE(info->complete) << n;
    EXPECT_EQ(info->images.size(), set->frames.size()) << n;
    for (std::size_t f = 0; f < set->frames.size(); ++f) {
      EXPECT_EQ(set->frames[f].pixels, full->frames[f].pixels) << n << " frame " << f;
      EXPECT_EQ(set->frames[f].delayMs, full->frames[f].delayMs) << n;
      EXPECT_EQ(set->frames[f].colourKey, full->frames[f].colourKey) << n;
    }
  }
  // Only the trailer missing: every frame is kept.
  EXPECT_EQ(lastCount, full->frames.size());
}

TEST(DecodeFrameSetTest, DispatchesByFormat) {
  int platformCalls = 0;
  FrameSet platformPicture{2, 1, {Frame{kNoColourKey, 0, {MakePixel(1, 2, 3), MakePixel(4, 5, 6)}}}};
  const PlatformPictureDecoder platform = [&](std::span<const std::uint8_t>) -> std::optional<FrameSet> {
    ++platformCalls;
    return platformPicture;
  };

  const auto gif = DecodeFrameSet(BuildGif(OneImage()), kColourKeyNone, platform);
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->width, 2);
  EXPECT_EQ(platformCalls, 0);

  Bytes damagedGif = BuildGif(OneImage());
  damagedGif[6] = 0;  // zero width
  damagedGif[7] = 0;
  EXPECT_FALSE(DecodeFrameSet(damagedGif, kColourKeyNone, platform));
  EXPECT_EQ(platformCalls, 0);  // a broken GIF is not handed on

  const Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0};
  const auto decoded = DecodeFrameSet(png, kColourKeyTopLeft, platform);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(platformCalls, 1);
  EXPECT_EQ(decoded->frames[0].colourKey, 0x010203u);  // top-left pixel B1 G2 R3 as a COLORREF

  const Bytes fiveBytes{'G', 'I', 'F', '8', '9'};
  EXPECT_TRUE(DecodeFrameSet(fiveBytes, kColourKeyNone, platform));
  EXPECT_EQ(platformCalls, 2);

  platformPicture.frames[0].pixels.pop_back();  // pixel count no longer matches the size
  EXPECT_FALSE(DecodeFrameSet(png, kColourKeyNone, platform));
  EXPECT_FALSE(DecodeFrameSet(png, kColourKeyNone, PlatformPictureDecoder{}));
}

}  // namespace
}  // namespace quorlin::platform
