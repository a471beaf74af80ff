#include "skin/picture_box.h"

#include <gtest/gtest.h>

#include <vector>

#include "skin/composition.h"
#include "tests/win32/skin_test_support.h"

namespace quorlin::skin {
namespace {

struct Invalidation {
  HWND hwnd;
  bool whole;
  RECT rect;
};
std::vector<Invalidation> invalidations;
BOOL WINAPI RecordInvalidate(HWND hwnd, const RECT* rect, BOOL) {
  invalidations.push_back({hwnd, rect == nullptr, rect != nullptr ? *rect : RECT{}});
  return TRUE;
}

class PictureBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureSkinLayer();
    invalidations.clear();
    form_ = test::CreateForm(10, 10, 640, 500);
    ASSERT_NE(form(), nullptr);
  }
  HWND form() const { return form_.get(); }
  test::TestWindow form_;
  PictureBox box_;
};

TEST_F(PictureBoxTest, CreatePictureMakesATransparentStaticWithItsText) {
  const HWND hwnd = box_.CreatePicture(form(), 53, 427, 530, 48);
  test::TestWindow owner(hwnd);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(box_.ControlHandle(), hwnd);
  char className[16] = {};
  GetClassNameA(hwnd, className, sizeof(className));
  EXPECT_STREQ(className, "Static");
  // Read as stored: WM_GETTEXT through the ANSI procedure would itself lose it under code page 1252.
  wchar_t text[32] = {};
  InternalGetWindowText(hwnd, text, 32);
  EXPECT_STREQ(text, L"Zephel\u771F\u5F69\u63A7\u4EF6.\u56FE\u7247\u6846");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), 0x50000100u);
  EXPECT_NE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(PictureBoxProc));
  EXPECT_EQ(ControlTypeOf(hwnd), ControlType::PictureBox);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(nullptr, form(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 53);
  EXPECT_EQ(rect.top, 427);
  EXPECT_EQ(rect.right - rect.left, 530);
  EXPECT_EQ(rect.bottom - rect.top, 48);

  PictureBox failed;
  EXPECT_EQ(failed.CreatePicture(nullptr, 0, 0, 10, 10), nullptr);  // a child needs a parent
  EXPECT_EQ(failed.ControlHandle(), nullptr);
}

TEST_F(PictureBoxTest, SecondAttachKeepsTheChainAndTheType) {
  test::TestWindow child = test::CreateChild(form(), "Static", 0, 0, 20, 20);
  const LONG_PTR native = GetWindowLongPtrW(child.get(), GWLP_WNDPROC);
  EXPECT_FALSE(box_.AttachPicture(nullptr));
  ASSERT_TRUE(box_.AttachPicture(child.get()));
  ASSERT_TRUE(box_.AttachPicture(child.get()));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(child.get(), property::kWndProc)), native);
  EXPECT_EQ(GetWindowLongPtrW(child.get(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(PictureBoxProc));
  EXPECT_EQ(ReadProperty(child.get(), property::kType), 2);
  EXPECT_EQ(ReadImageProperty(child.get(), property::kBackImage), nullptr);
  // Set again through the window's own (now ANSI) procedure chain, the text must stay exact.
  wchar_t text[32] = {};
  InternalGetWindowText(child.get(), text, 32);
  EXPECT_STREQ(text, kPictureBoxText);
}

TEST_F(PictureBoxTest, SetPictureInvalidatesTheParentUnderTheBoxThenTheBox) {
  test::TestWindow child = test::CreateChild(form(), "Static", 40, 30, 20, 10);
  platform::UniqueImage picture = test::SolidBitmap(4, 4, 0xFF00FF00);
  ASSERT_TRUE(box_.AttachPicture(child.get()));
  api::ScopedOverride invalidate(api::InvalidateRect, &RecordInvalidate);
  box_.SetPicture(picture.get());
  EXPECT_EQ(ReadImageProperty(child.get(), property::kBackImage), picture.get());
  ASSERT_EQ(invalidations.size(), 2u);
  EXPECT_EQ(invalidations[0].hwnd, form());
  EXPECT_EQ(invalidations[0].rect.left, 40);
  EXPECT_EQ(invalidations[0].rect.top, 30);
  EXPECT_EQ(invalidations[0].rect.right, 60);
  EXPECT_EQ(invalidations[0].rect.bottom, 40);
  EXPECT_EQ(invalidations[1].hwnd, child.get());
  EXPECT_TRUE(invalidations[1].whole);

  // The back type is only stored; nothing repaints until the next paint or composition.
  invalidations.clear();
  box_.SetBackType(2);
  EXPECT_EQ(ReadProperty(child.get(), property::kBackType), 2);
  EXPECT_TRUE(invalidations.empty());
}

TEST_F(PictureBoxTest, LoadPictureDecodesOrClears) {
  test::TestWindow child = test::CreateChild(form(), "Static", 0, 0, 20, 20);
  ASSERT_TRUE(box_.AttachPicture(child.get()));
  const std::vector<std::uint8_t> png = test::MakeBlock(test::EncodePng(2, 1, {0xFF0000FF, 0xFF00FF00}));
  box_.LoadPicture(png.data());
  SkinImage loaded = ReadImageProperty(child.get(), property::kBackImage);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(test::ReadPixels(loaded, 2, 1), (std::vector<test::Argb>{0xFF0000FF, 0xFF00FF00}));
  const std::vector<std::uint8_t> garbage = test::MakeBlock(std::vector<std::uint8_t>(20, 0xEE));
  box_.LoadPicture(garbage.data());
  EXPECT_EQ(ReadImageProperty(child.get(), property::kBackImage), nullptr);
  DisposeSkinImage(loaded);
}

TEST_F(PictureBoxTest, PaintsItsSnapshotAndNeverErases) {
  test::TestWindow child = test::CreateChild(form(), "Static", 0, 0, 20, 20);
  ASSERT_TRUE(box_.AttachPicture(child.get()));
  EXPECT_EQ(SendMessageA(child.get(), WM_ERASEBKGND, 0, 0), 1);
  EXPECT_EQ(GetPropA(child.get(), property::kCacheBitmap), nullptr);
  EXPECT_EQ(SendMessageA(child.get(), WM_PAINT, 0, 0), 0);
  EXPECT_NE(GetPropA(child.get(), property::kCacheBitmap), nullptr);
}

TEST_F(PictureBoxTest, WithoutAPictureItAddsNothingToAComposition) {
  LayeredForm layered;
  ASSERT_TRUE(layered.Attach(form()));
  const HWND hwnd = box_.CreatePicture(form(), 53, 427, 530, 48);
  test::TestWindow owner(hwnd);
  test::PresentRecorder presented;
  layered.RefreshForm();
  ASSERT_EQ(presented.count(), 1);
  int covered = 0;
  for (int y = 0; y < 500; ++y) {
    for (int x = 0; x < 640; ++x) covered += presented.Pixel(x, y) != test::kTransparent;
  }
  EXPECT_EQ(covered, 0);
  EXPECT_EQ(GetPropA(hwnd, property::kWndProc), nullptr);  // back to the native procedure
}

}  // namespace
}  // namespace quorlin::skin

namespace quorlin::skin {
namespace {

TEST_F(PictureBoxTest, AnsiTextUnderTheChineseCodePageIsGbk) {
  if (GetACP() != 936) GTEST_SKIP() << "needs ANSI code page 936, have " << GetACP();
  const HWND hwnd = box_.CreatePicture(form(), 0, 0, 10, 10);
  test::TestWindow owner(hwnd);
  ASSERT_TRUE(box_.AttachPicture(hwnd));
  char text[32] = {};
  GetWindowTextA(hwnd, text, sizeof(text));
  EXPECT_STREQ(text, "Zephel\xD5\xE6\xB2\xCA\xBF\xD8\xBC\xFE.\xCD\xBC\xC6\xAC\xBF\xF2");
}

}  // namespace
}  // namespace quorlin::skin
