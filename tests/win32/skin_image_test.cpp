#include "skin/skin_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/win32/skin_test_support.h"

namespace quorlin::skin {
namespace {

using test::Argb;

constexpr Argb kRed = 0xFFFF0000;
constexpr Argb kBlue = 0xFF0000FF;
// GDI+'s time dimension, written out: the SDK's constant lives in a library we do not link.
constexpr GUID kTimeDimension{0x6AEDBD6D, 0x3FB5, 0x418A, {0x83, 0xA6, 0x7F, 0x45, 0x22, 0x9D, 0xC8, 0x72}};

// A 4 x 3 PNG with a distinct colour per pixel and one half-transparent pixel.
std::vector<Argb> PatternPixels() {
  std::vector<Argb> pixels;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) pixels.push_back(0xFF000000u | (static_cast<Argb>(x * 60) << 16) | (y * 80u << 8) | 0x20u);
  }
  pixels[5] = 0x80FF8000;
  return pixels;
}

struct Recorded {
  std::vector<HGLOBAL> allocated;
  std::vector<HGLOBAL> freed;
  std::vector<GUID> dimensions;
  std::vector<UINT> frames;
};
Recorded recorded;
api::ScopedOverride<api::types::GlobalAlloc_t>* allocOverride = nullptr;
api::ScopedOverride<api::types::GlobalFree_t>* freeOverride = nullptr;
api::ScopedOverride<api::types::GdipImageSelectActiveFrame_t>* frameOverride = nullptr;

HGLOBAL WINAPI RecordAlloc(UINT flags, SIZE_T bytes) {
  HGLOBAL memory = allocOverride->Previous()(flags, bytes);
  recorded.allocated.push_back(memory);
  return memory;
}
HGLOBAL WINAPI RecordFree(HGLOBAL memory) {
  recorded.freed.push_back(memory);
  return freeOverride->Previous()(memory);
}
Gdiplus::GpStatus WINGDIPAPI RecordFrame(Gdiplus::GpImage* image, const GUID* dimension, UINT frame) {
  recorded.dimensions.push_back(dimension != nullptr ? *dimension : GUID{});
  recorded.frames.push_back(frame);
  return frameOverride->Previous()(image, dimension, frame);
}

class SkinImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureSkinLayer();
    recorded = {};
  }
};

TEST_F(SkinImageTest, MissingEmptyOrUndecodableBlocksGiveNoImage) {
  EXPECT_EQ(LoadSkinImage(nullptr), nullptr);
  const std::vector<std::uint8_t> empty = test::MakeBlock({});
  EXPECT_EQ(LoadSkinImage(empty.data()), nullptr);
  const std::vector<std::uint8_t> garbage = test::MakeBlock(std::vector<std::uint8_t>(64, 0x5A));
  EXPECT_EQ(LoadSkinImage(garbage.data()), nullptr);
  // A PNG cut short after its signature.
  std::vector<std::uint8_t> png = test::EncodePng(4, 3, PatternPixels());
  png.resize(12);
  const std::vector<std::uint8_t> truncated = test::MakeBlock(png);
  EXPECT_EQ(LoadSkinImage(truncated.data()), nullptr);
}

TEST_F(SkinImageTest, DecodesPngPixelsWhateverTheTypeWord) {
  const std::vector<Argb> pattern = PatternPixels();
  const std::vector<std::uint8_t> png = test::EncodePng(4, 3, pattern);
  for (std::uint32_t type : {1u, 0u, 0xDEADBEEFu}) {
    const std::vector<std::uint8_t> block = test::MakeBlock(png, type);
    SkinImage image = LoadSkinImage(block.data());
    ASSERT_NE(image, nullptr) << type;
    EXPECT_EQ(test::ReadPixels(image, 4, 3), pattern) << type;
    DisposeSkinImage(image);
  }
}

TEST_F(SkinImageTest, BlocksBackToBackDecodeIndependently) {
  std::vector<std::uint8_t> both = test::MakeBlock(test::EncodePng(1, 1, {kRed}));
  const std::vector<std::uint8_t> second = test::MakeBlock(test::EncodePng(2, 1, {kBlue, kBlue}));
  const std::size_t secondOffset = both.size();
  both.insert(both.end(), second.begin(), second.end());
  SkinImage first = LoadSkinImage(both.data());
  SkinImage next = LoadSkinImage(both.data() + secondOffset);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(test::ReadPixels(first, 1, 1), std::vector<Argb>{kRed});
  EXPECT_EQ(test::ReadPixels(next, 2, 1), (std::vector<Argb>{kBlue, kBlue}));
  DisposeSkinImage(first);
  DisposeSkinImage(next);
}

TEST_F(SkinImageTest, MultiFrameGifShowsItsFirstFrame) {
  api::ScopedOverride frames(api::GdipImageSelectActiveFrame, &RecordFrame);
  frameOverride = &frames;
  const std::vector<std::uint8_t> block = test::MakeBlock(test::EncodeSolidGif(3, 2, {kRed, kBlue}));
  SkinImage image = LoadSkinImage(block.data());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(test::ReadPixels(image, 3, 2), std::vector<Argb>(6, kRed));
  ASSERT_EQ(recorded.frames.size(), 1u);
  EXPECT_EQ(recorded.frames[0], 0u);
  EXPECT_TRUE(IsEqualGUID(recorded.dimensions[0], kTimeDimension));
  DisposeSkinImage(image);
}

TEST_F(SkinImageTest, ImageOwnsItsBytesUntilDisposed) {
  api::ScopedOverride allocs(api::GlobalAlloc, &RecordAlloc);
  api::ScopedOverride frees(api::GlobalFree, &RecordFree);
  allocOverride = &allocs;
  freeOverride = &frees;
  const std::vector<Argb> pattern = PatternPixels();
  std::vector<std::uint8_t> block = test::MakeBlock(test::EncodePng(4, 3, pattern));
  SkinImage image = LoadSkinImage(block.data());
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(recorded.allocated.size(), 1u);
  EXPECT_TRUE(recorded.freed.empty());

  // The source block is gone; the picture still draws from its own copy.
  std::memset(block.data(), 0xCC, block.size());
  block = {};
  platform::UniqueImage canvas = test::SolidBitmap(4, 3, test::kTransparent);
  {
    platform::UniqueGraphics graphics;
    api::GdipGetImageGraphicsContext(canvas.get(), graphics.Put());
    api::GdipSetCompositingMode(graphics.get(), Gdiplus::CompositingModeSourceCopy);
    EXPECT_EQ(api::GdipDrawImageRectI(graphics.get(), image, 0, 0, 4, 3), Gdiplus::Ok);
  }
  EXPECT_EQ(test::ReadPixels(canvas.get(), 4, 3), pattern);

  DisposeSkinImage(image);
  EXPECT_EQ(recorded.freed, recorded.allocated);
}

TEST_F(SkinImageTest, FailedDecodeReleasesItsCopy) {
  api::ScopedOverride allocs(api::GlobalAlloc, &RecordAlloc);
  api::ScopedOverride frees(api::GlobalFree, &RecordFree);
  allocOverride = &allocs;
  freeOverride = &frees;
  const std::vector<std::uint8_t> garbage = test::MakeBlock(std::vector<std::uint8_t>(32, 0x11));
  EXPECT_EQ(LoadSkinImage(garbage.data()), nullptr);
  ASSERT_EQ(recorded.allocated.size(), 1u);
  EXPECT_EQ(recorded.freed, recorded.allocated);
}

TEST_F(SkinImageTest, StartupFillsTheTimeDimensionAndRegistersTheLoadDialog) {
  ASSERT_NE(FrameDimensionTime(), nullptr);
  EXPECT_TRUE(IsEqualGUID(*FrameDimensionTime(), kTimeDimension));
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "ZephelLoadDialog", &windowClass));
  EXPECT_EQ(windowClass.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW));
  EXPECT_EQ(windowClass.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));

  ReleaseSkinLayer();
  EXPECT_EQ(FrameDimensionTime(), nullptr);
  // Decoding still works without it; only the frame selection is refused.
  const std::vector<std::uint8_t> block = test::MakeBlock(test::EncodePng(1, 1, {kRed}));
  SkinImage image = LoadSkinImage(block.data());
  EXPECT_NE(image, nullptr);
  DisposeSkinImage(image);
  SkinLayerStartup();
  EXPECT_NE(FrameDimensionTime(), nullptr);
}

TEST(ToWideText, KeepsTheTerminatorInTheBuffer) {
  const WideText empty = ToWideText("");
  EXPECT_EQ(empty.ByteLength(), 2u);
  EXPECT_EQ(empty.Length(), 0);
  ASSERT_NE(empty.c_str(), nullptr);
  EXPECT_EQ(empty.c_str()[0], L'\0');

  const WideText text = ToWideText("{6AEDBD6D}");
  EXPECT_EQ(text.ByteLength(), 22u);
  EXPECT_EQ(text.Length(), 10);
  EXPECT_STREQ(text.c_str(), L"{6AEDBD6D}");

  const WideText none = ToWideText(nullptr);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.c_str(), nullptr);
  EXPECT_EQ(none.Length(), 0);
}

}  // namespace
}  // namespace quorlin::skin
