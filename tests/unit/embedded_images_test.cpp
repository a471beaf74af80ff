// Checks the pictures as they are compiled into the program: block layout, and for
// each file the properties the drawing code depends on (size, alpha channel, no
// density that would make GDI+ rescale, the strip's exact frame structure).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/logic/level_marks.h"
#include "platform/logic/frame_set.h"
#include "platform/logic/gif_decoder.h"
#include "resources/image_resources.h"
#include "skin/logic/image_resource.h"

namespace quorlin {
namespace {

using skin::ImageBytes;
using skin::ImageResource;

struct PngPicture {
  const char* name;
  ImageResource (*block)();
  std::uint32_t width;
  std::uint32_t height;
  int colourType;  // 2 RGB, 6 RGBA
};

// Block order of the embedded array, and what each picture must be.
constexpr std::array<PngPicture, 15> kPngPictures{{
    {"IntroBackground", resources::IntroBackground, 800, 540, 2},
    {"DoneBackground", resources::DoneBackground, 800, 540, 2},
    {"RadioOn", resources::RadioOn, 22, 22, 6},
    {"RadioOff", resources::RadioOff, 22, 22, 6},
    {"ApplyNormal", resources::ApplyNormal, 160, 52, 6},
    {"ApplyOver", resources::ApplyOver, 160, 52, 6},
    {"ApplyPressed", resources::ApplyPressed, 160, 52, 6},
    {"LogOffNormal", resources::LogOffNormal, 160, 52, 6},
    {"LogOffOver", resources::LogOffOver, 160, 52, 6},
    {"LogOffPressed", resources::LogOffPressed, 160, 52, 6},
    {"CloseNormal", resources::CloseNormal, 18, 18, 6},
    {"CloseOver", resources::CloseOver, 18, 18, 6},
    {"ClosePressed", resources::ClosePressed, 18, 18, 6},
    // The program places and sizes the badges by these (app/logic/level_marks.h).
    {"BadgeCurrent", resources::BadgeCurrent, app::kCurrentBadgeWidth, app::kBadgeHeight, 6},
    {"BadgeWaiting", resources::BadgeWaiting, app::kWaitingBadgeWidth, app::kBadgeHeight, 6},
}};

std::uint32_t Be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

struct PngChunk {
  std::string type;
  std::span<const std::uint8_t> data;
};

// Splits a PNG file into chunks, failing the test on any structural fault
// (bad signature, chunk past the end, wrong CRC, bytes after IEND).
std::vector<PngChunk> PngChunks(std::span<const std::uint8_t> file) {
  static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<PngChunk> chunks;
  if (file.size() < sizeof kSignature || !std::equal(kSignature, kSignature + 8, file.begin())) {
    ADD_FAILURE() << "no PNG signature";
    return chunks;
  }
  std::size_t at = sizeof kSignature;
  while (at < file.size()) {
    if (file.size() - at < 12) {
      ADD_FAILURE() << "partial chunk header at " << at;
      break;
    }
    const std::uint32_t length = Be32(&file[at]);
    if (length > file.size() - at - 12) {
      ADD_FAILURE() << "chunk at " << at << " runs past the block";
      break;
    }
    const auto typeAndData = file.subspan(at + 4, 4 + length);
    EXPECT_EQ(Be32(&file[at + 8 + length]), Crc32(typeAndData)) << "CRC of chunk at " << at;
    chunks.push_back({std::string(typeAndData.begin(), typeAndData.begin() + 4),
                      typeAndData.subspan(4)});
    at += 12 + length;
    if (chunks.back().type == "IEND") break;
  }
  EXPECT_EQ(at, file.size()) << "bytes after IEND";
  return chunks;
}

TEST(EmbeddedImagesTest, BlocksLieBackToBackInDeclarationOrder) {
  bool truncated = true;
  const auto blocks = skin::SplitImageBlocks(resources::AllImageBlocks(), &truncated);
  EXPECT_FALSE(truncated);
  ASSERT_EQ(blocks.size(), kPngPictures.size() + 1);
  for (std::size_t i = 0; i < kPngPictures.size(); ++i) {
    SCOPED_TRACE(kPngPictures[i].name);
    EXPECT_EQ(blocks[i].data - skin::kImageBlockHeaderSize, kPngPictures[i].block());
    EXPECT_EQ(blocks[i].type, 1u);
  }
  EXPECT_EQ(blocks.back().data - skin::kImageBlockHeaderSize, resources::ProgressStrip());
  EXPECT_EQ(blocks.back().type, 1u);
}

TEST(EmbeddedImagesTest, PngPicturesHaveTheirSizeAndChannels) {
  for (const PngPicture& picture : kPngPictures) {
    SCOPED_TRACE(picture.name);
    const auto chunks = PngChunks(ImageBytes(picture.block()));
    ASSERT_GE(chunks.size(), 3u);
    ASSERT_EQ(chunks.front().type, "IHDR");
    const auto ihdr = chunks.front().data;
    ASSERT_EQ(ihdr.size(), 13u);
    EXPECT_EQ(Be32(&ihdr[0]), picture.width);
    EXPECT_EQ(Be32(&ihdr[4]), picture.height);
    EXPECT_EQ(int{ihdr[8]}, 8) << "bit depth";
    EXPECT_EQ(int{ihdr[9]}, picture.colourType) << "colour type";
    EXPECT_EQ(int{ihdr[12]}, 0) << "interlace";
    EXPECT_EQ(chunks.back().type, "IEND");
  }
}

TEST(EmbeddedImagesTest, PngPicturesCarryNoDensityOtherThan96Dpi) {
  // GDI+ rescales a picture whose stored density differs from the screen's 96 DPI,
  // which would blur every 1:1 draw of the skin.
  for (const PngPicture& picture : kPngPictures) {
    SCOPED_TRACE(picture.name);
    for (const PngChunk& chunk : PngChunks(ImageBytes(picture.block()))) {
      if (chunk.type != "pHYs") continue;
      ASSERT_EQ(chunk.data.size(), 9u);
      EXPECT_EQ(int{chunk.data[8]}, 1) << "unit must be the metre";
      EXPECT_EQ(Be32(&chunk.data[0]), 3780u);  // 96 DPI in pixels per metre
      EXPECT_EQ(Be32(&chunk.data[4]), 3780u);
    }
  }
}

class ProgressStripTest : public ::testing::Test {
 protected:
  std::span<const std::uint8_t> Bytes() const { return ImageBytes(resources::ProgressStrip()); }
};

TEST_F(ProgressStripTest, HasTheFrameStructureTheAnimationBoxExpects) {
  const auto bytes = Bytes();
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");

  const auto info = platform::ParseGifInfo(bytes);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->width, 800);
  EXPECT_EQ(info->height, 6);
  EXPECT_TRUE(info->hasLoopExtension);
  EXPECT_TRUE(info->complete);
  ASSERT_EQ(info->images.size(), 4u);

  struct Rect { int left, top, width, height; };
  constexpr Rect kRects[] = {{0, 0, 800, 6}, {0, 0, 800, 6}, {0, 1, 800, 4}, {0, 1, 800, 4}};
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const auto& image = info->images[i];
    EXPECT_EQ(image.left, kRects[i].left);
    EXPECT_EQ(image.top, kRects[i].top);
    EXPECT_EQ(image.width, kRects[i].width);
    EXPECT_EQ(image.height, kRects[i].height);
    EXPECT_EQ(image.delayCs, 10);
    EXPECT_EQ(image.disposal, 1);
    EXPECT_TRUE(image.hasTransparency);
    EXPECT_EQ(image.transparentIndex, 255);
    EXPECT_FALSE(image.interlaced);
  }
}

TEST_F(ProgressStripTest, ShowsAnAmberBandBetweenDarkLinesWithAMovingSheen) {
  const auto frames = platform::DecodeGif(Bytes(), platform::kColourKeyNone);
  ASSERT_TRUE(frames.has_value());
  ASSERT_EQ(frames->frames.size(), 4u);
  ASSERT_EQ(frames->width, 800);
  ASSERT_EQ(frames->height, 6);

  for (std::size_t f = 0; f < frames->frames.size(); ++f) {
    SCOPED_TRACE(f);
    const auto& pixels = frames->frames[f].pixels;
    EXPECT_EQ(frames->frames[f].delayMs, 100);
    long sum[3] = {0, 0, 0};
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 800; ++x) {
        const std::uint32_t p = pixels[y * 800 + x];
        // Frames 3 and 4 leave rows 0 and 5 to the earlier images: still opaque there.
        ASSERT_EQ(platform::PixelTransparency(p), 0) << x << "," << y;
        ASSERT_NE(platform::PixelColourRef(p), 0x787878u) << "overlay key colour at " << x << "," << y;
        if (y == 0 || y == 5) {
          ASSERT_LT(platform::PixelRed(p) + platform::PixelGreen(p) + platform::PixelBlue(p), 120)
              << "line not near-black at " << x << "," << y;
        } else {
          ASSERT_GT(platform::PixelRed(p), platform::PixelGreen(p));
          ASSERT_GT(platform::PixelGreen(p), platform::PixelBlue(p));
          sum[0] += platform::PixelRed(p);
          sum[1] += platform::PixelGreen(p);
          sum[2] += platform::PixelBlue(p);
        }
      }
    }
    // The band's average stays near RGB(224, 155, 65); the sheen only lightens it a little.
    const long n = 4 * 800;
    EXPECT_NEAR(sum[0] / n, 224, 25);
    EXPECT_NEAR(sum[1] / n, 155, 30);
    EXPECT_NEAR(sum[2] / n, 65, 40);
  }
  for (std::size_t f = 0; f < 4; ++f) {
    EXPECT_NE(frames->frames[f].pixels, frames->frames[(f + 1) % 4].pixels)
        << "frame " << f << " and the next look the same: the sheen does not move";
  }
}

}  // namespace
}  // namespace quorlin
