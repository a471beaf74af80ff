#include "skin/text_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "skin/composition.h"
#include "skin/control_properties.h"
#include "skin/text_objects.h"
#include "tests/win32/skin_test_support.h"

namespace quorlin::skin {
namespace {

using test::Argb;

constexpr Argb kBackground = 0xFF203040;
constexpr Argb kOpaqueRed = 0xFFFF0000;
constexpr char kFace[] = "WenQuanYi Micro Hei";  // installed with the build tools (tools/setup.sh)

// GdipCreateFont and GdipDeleteFont calls, passed on to GDI+.
struct FontCall {
  float emSize;
  int style;
  int unit;
};
std::vector<FontCall> fontCalls;
int fontsDeleted = 0;
api::ScopedOverride<api::types::GdipCreateFont_t>* createFontBefore = nullptr;
api::ScopedOverride<api::types::GdipDeleteFont_t>* deleteFontBefore = nullptr;
Gdiplus::GpStatus WINGDIPAPI RecordCreateFont(const Gdiplus::GpFontFamily* family, Gdiplus::REAL emSize, INT style,
                                              Gdiplus::Unit unit, Gdiplus::GpFont** font) {
  fontCalls.push_back({emSize, style, static_cast<int>(unit)});
  return createFontBefore->Previous()(family, emSize, style, unit, font);
}
Gdiplus::GpStatus WINGDIPAPI RecordDeleteFont(Gdiplus::GpFont* font) {
  ++fontsDeleted;
  return deleteFontBefore->Previous()(font);
}

// The pixels of the presented form that differ from the background: the text.
struct Ink {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1, count = 0, opaqueRed = 0;
  std::vector<Argb> pixels;
  int height() const { return bottom - top + 1; }
};

class BoxTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureSkinLayer();
    window_ = test::CreateForm(100, 100, 320, 120);
    ASSERT_TRUE(layered_.Attach(window_.get()));
    background_ = test::SolidBitmap(320, 120, kBackground);
    WriteImageProperty(window_.get(), property::kBackImage, background_.get());
    fontCalls.clear();
    fontsDeleted = 0;
    createFontBefore = &createFont_;
    deleteFontBefore = &deleteFont_;
  }

  // Composes the form holding one text box (no fill, no border, red text) and returns the ink.
  Ink Draw(int x, int y, int width, int height, const char* text, LONG fontHeight, LONG weight = FW_NORMAL) {
    test::TestWindow box = test::CreateChild(window_.get(), "Edit", x, y, width, height);
    LOGFONTA logFont{};
    logFont.lfHeight = fontHeight;
    logFont.lfWeight = weight;
    lstrcpynA(logFont.lfFaceName, kFace, LF_FACESIZE);
    platform::UniqueFont font(CreateFontIndirectA(&logFont));
    SendMessageA(box.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    SetWindowTextA(box.get(), text);
    WriteProperty(box.get(), property::kType, static_cast<std::intptr_t>(ControlType::TextBox));
    WriteProperty(box.get(), property::kBackColor, -1);
    WriteProperty(box.get(), property::kOrderColor, -1);
    WriteProperty(box.get(), property::kTextColor, RGB(255, 0, 0));
    test::PresentRecorder presented;
    ComposeForm(window_.get());
    Ink ink;
    for (int py = 0; py < presented.height(); ++py) {
      for (int px = 0; px < presented.width(); ++px) {
        const Argb pixel = presented.Pixel(px, py);
        ink.pixels.push_back(pixel);
        if (pixel == kBackground) continue;
        ++ink.count;
        ink.opaqueRed += pixel == kOpaqueRed;
        ink.left = std::min(ink.left, px);
        ink.right = std::max(ink.right, px);
        ink.top = std::min(ink.top, py);
        ink.bottom = std::max(ink.bottom, py);
      }
    }
    return ink;
  }

  api::ScopedOverride<api::types::GdipCreateFont_t> createFont_{api::GdipCreateFont, &RecordCreateFont};
  api::ScopedOverride<api::types::GdipDeleteFont_t> deleteFont_{api::GdipDeleteFont, &RecordDeleteFont};
  test::TestWindow window_;
  LayeredForm layered_;
  platform::UniqueImage background_;
};

TEST_F(BoxTextTest, TextIsOpaqueInTheBoxColourAndInsideTheBox) {
  const Ink ink = Draw(20, 30, 200, 30, "HHHH", -16, FW_BOLD);
  ASSERT_GT(ink.count, 0);
  EXPECT_GT(ink.opaqueRed, 10);  // ARGB 0xFFFF0000 for RGB(255, 0, 0)
  EXPECT_GE(ink.left, 22);
  EXPECT_LE(ink.right, 217);
  EXPECT_GE(ink.top, 32);
  EXPECT_LE(ink.bottom, 57);
  // Edges blend the red into the background and nothing else.
  for (Argb pixel : ink.pixels) {
    EXPECT_LE((pixel >> 8) & 0xFF, 0x30u);
    EXPECT_LE(pixel & 0xFF, 0x40u);
  }
  EXPECT_EQ(fontsDeleted, 1);  // released with the composition
}

TEST_F(BoxTextTest, HeightsMinus16AndPlus16BothDraw16PixelText) {
  const Ink negative = Draw(20, 30, 200, 30, "Hx", -16);
  const Ink positive = Draw(20, 30, 200, 30, "Hx", 16);
  ASSERT_EQ(fontCalls.size(), 2u);
  for (const FontCall& call : fontCalls) {
    EXPECT_FLOAT_EQ(call.emSize, 16.0f);
    EXPECT_EQ(call.unit, Gdiplus::UnitPixel);
  }
  ASSERT_GT(negative.count, 0);
  EXPECT_EQ(negative.pixels, positive.pixels);
  // The em size is what reaches the pixels: twice the size, twice as tall.
  const Ink doubled = Draw(20, 20, 200, 60, "Hx", -32);
  EXPECT_NEAR(doubled.height(), 2 * negative.height(), 2);
}

TEST_F(BoxTextTest, Weights600And700DrawBoldAnd800Regular) {
  const Ink regular = Draw(20, 30, 200, 30, "Hamburg", -16, 400);
  const Ink bold = Draw(20, 30, 200, 30, "Hamburg", -16, 700);
  const Ink semiBold = Draw(20, 30, 200, 30, "Hamburg", -16, 600);
  const Ink extraBold = Draw(20, 30, 200, 30, "Hamburg", -16, 800);
  ASSERT_EQ(fontCalls.size(), 4u);
  EXPECT_EQ(fontCalls[0].style, Gdiplus::FontStyleRegular);
  EXPECT_EQ(fontCalls[1].style, Gdiplus::FontStyleBold);
  EXPECT_EQ(fontCalls[2].style, Gdiplus::FontStyleBold);
  EXPECT_EQ(fontCalls[3].style, Gdiplus::FontStyleRegular);
  EXPECT_GT(bold.count, regular.count);
  EXPECT_EQ(semiBold.pixels, bold.pixels);
  EXPECT_EQ(extraBold.pixels, regular.pixels);
}

TEST_F(BoxTextTest, TextIsLeftAlignedAndCentredVertically) {
  const Ink low = Draw(20, 30, 200, 30, "Hx", -16);
  const Ink tall = Draw(20, 30, 280, 70, "Hx", -16);
  const Ink moved = Draw(60, 10, 200, 30, "Hx", -16);
  ASSERT_GT(low.count, 0);
  EXPECT_EQ(tall.left, low.left);  // a wider box leaves the text where it was
  EXPECT_LE(low.left, 22 + 6);
  EXPECT_NEAR(tall.top, low.top + 20, 1);  // 40 pixels more height move it down by half
  EXPECT_EQ(moved.left, low.left + 40);
  EXPECT_EQ(moved.top, low.top - 20);
}

TEST_F(BoxTextTest, EmptyBoxDrawsNoTextAndCreatesNoFont) {
  const Ink ink = Draw(20, 30, 200, 30, "", -16);
  EXPECT_EQ(ink.count, 0);
  EXPECT_TRUE(fontCalls.empty());
}

// Copies share one handle; the GDI+ font goes once, with its last holder.
TEST_F(BoxTextTest, FontCopiesShareTheHandleAndDeleteItOnce) {
  {
    SkinFont original;
    ASSERT_EQ(original.Create(kFace, 12.0f, Gdiplus::FontStyleBold, Gdiplus::UnitPixel), Gdiplus::Ok);
    SkinFont copy(original);
    EXPECT_EQ(copy.Handle(), original.Handle());
    original.Delete();
    EXPECT_EQ(original.Handle(), nullptr);
    float size = 0;
    EXPECT_EQ(copy.Size(size), Gdiplus::Ok);
    EXPECT_FLOAT_EQ(size, 12.0f);
    EXPECT_EQ(fontsDeleted, 0);
  }
  EXPECT_EQ(fontsDeleted, 1);
}

}  // namespace
}  // namespace quorlin::skin
