#include "platform/cartoon_box.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/logic/gif_decoder.h"
#include "platform/win_api.h"
#include "resources/image_resources.h"
#include "skin/logic/image_resource.h"
#include "tests/win32/skin_test_support.h"
#include "tests/win32/test_support.h"

namespace quorlin::platform {
namespace {

using skin::test::PixelDc;

DWORD fakeNow = 1000;
DWORD WINAPI FakeTickCount() { return fakeNow; }

int updateWindowCalls = 0;
BOOL WINAPI CountUpdateWindow(HWND) {
  ++updateWindowCalls;
  return TRUE;
}

std::span<const std::uint8_t> Strip() { return skin::ImageBytes(resources::ProgressStrip()); }

std::uint32_t ColourRefToPixel(COLORREF c) { return MakePixel(GetBValue(c), GetGValue(c), GetRValue(c)); }

// The box with the clock under the test's control (api::GetTickCount), on a visible form.
class CartoonBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    skin::test::EnsureSkinLayer();  // GDI+ for the PNG path
    fakeNow = 1000;
    form_.emplace(skin::test::CreateForm(60, 60, 820, 60));
    ASSERT_NE(Form(), nullptr);
    ::ShowWindow(Form(), SW_SHOWNOACTIVATE);
  }

  HWND Form() const { return form_->get(); }

  CartoonBox* MakeBox(int x, int y, int width, int height) {
    HWND hwnd = CreateCartoonBox(Form(), 77, x, y, width, height, true);
    EXPECT_NE(hwnd, nullptr);
    return CartoonBoxFromHandle(hwnd);
  }

  // What the window shows: the client area read back from its DC after painting what is pending.
  static std::vector<std::uint32_t> Shown(CartoonBox* box) {
    RECT client;
    ::GetClientRect(box->Handle(), &client);
    ::UpdateWindow(box->Handle());
    ::GdiFlush();
    PixelDc target(client.right, client.bottom, 0);
    HDC dc = ::GetDC(box->Handle());
    ::BitBlt(target.dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ::ReleaseDC(box->Handle(), dc);
    ::GdiFlush();
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x) pixels.push_back(target.Pixel(x, y) & 0x00FFFFFFu);
    return pixels;
  }

  // The whole client area as the box paints it into another DC (WM_PRINTCLIENT).
  static std::vector<std::uint32_t> Printed(CartoonBox* box) {
    RECT client;
    ::GetClientRect(box->Handle(), &client);
    PixelDc target(client.right, client.bottom, 0x12345678);
    ::SendMessageW(box->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target.dc()), PRF_CLIENT);
    ::GdiFlush();
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x) pixels.push_back(target.Pixel(x, y));
    return pixels;
  }

  static std::vector<std::uint32_t> StripFrame(std::size_t frame) {
    const auto frames = DecodeGif(Strip(), kColourKeyNone);
    std::vector<std::uint32_t> pixels = frames.value().frames.at(frame).pixels;
    for (auto& p : pixels) p &= 0x00FFFFFFu;
    return pixels;
  }

  api::ScopedOverride<api::types::GetTickCount_t> clock_{api::GetTickCount, &FakeTickCount};
  std::optional<skin::test::TestWindow> form_;
};

// The tool's own use: a strip object shown over RGB(246, 246, 246), playing without end.
TEST_F(CartoonBoxTest, PaintsTheStripFrameByFrame) {
  CartoonBox* box = MakeBox(0, 10, 800, 6);
  ASSERT_NE(box, nullptr);
  const ObjectId id = box->CreateObject(nullptr, 0, 0, false);
  EXPECT_EQ(id, 1);
  box->ShowObject(id);
  box->SetBackColor(0xF6F6F6);
  box->SetObjectPicture(id, Strip());
  box->PlayAnimation(id, 0);

  EXPECT_EQ(Shown(box), StripFrame(0));
  box->OnTimer();  // starts frame 0 at 1000
  fakeNow = 1099;
  box->OnTimer();
  EXPECT_EQ(box->Scene().Find(id)->frameIndex, 0);
  fakeNow = 1100;
  box->OnTimer();
  EXPECT_EQ(box->Scene().Find(id)->frameIndex, 1);
  EXPECT_EQ(Shown(box), StripFrame(1));
  EXPECT_EQ(Printed(box), StripFrame(1));
  for (DWORD t = 1200; t <= 1400; t += 100) {
    fakeNow = t;
    box->OnTimer();
  }
  EXPECT_EQ(box->Scene().Find(id)->frameIndex, 0);  // four frames, then round again
  EXPECT_EQ(Shown(box), StripFrame(0));
}

TEST_F(CartoonBoxTest, BackColorFillsWhereNoObjectIs) {
  CartoonBox* box = MakeBox(0, 0, 40, 20);
  ASSERT_NE(box, nullptr);
  box->SetBackColor(RGB(10, 20, 30));
  EXPECT_EQ(box->BackColor(), static_cast<std::uint32_t>(RGB(10, 20, 30)));
  const std::vector<std::uint32_t> expected(40 * 20, MakePixel(30, 20, 10));
  EXPECT_EQ(Shown(box), expected);

  // An object covering the top rows: the fill stays below it.
  const ObjectId id = box->CreateObject(nullptr, 0, 0);
  box->SetObjectPicture(id, Strip());
  const std::vector<std::uint32_t> shown = Shown(box);
  EXPECT_EQ(shown[19 * 40 + 39], MakePixel(30, 20, 10));
  EXPECT_EQ(shown[0], StripFrame(0)[0]);
}

TEST_F(CartoonBoxTest, DefaultBackColorIsTheButtonFace) {
  CartoonBox* box = MakeBox(0, 0, 30, 10);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->BackColor(), kButtonFaceBackColor);
  const std::uint32_t face = ColourRefToPixel(::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(Shown(box), std::vector<std::uint32_t>(30 * 10, face));
  box->SetBackColor(RGB(1, 2, 3));
  box->SetBackColor(kButtonFaceBackColor);
  EXPECT_EQ(Printed(box), std::vector<std::uint32_t>(30 * 10, face));
}

TEST_F(CartoonBoxTest, PngThroughGdiplusWithAlphaAndColourKey) {
  // Opaque red, half-transparent blue, and a fully transparent pixel.
  const std::vector<std::uint8_t> png =
      skin::test::EncodePng(3, 1, {0xFFFF0000u, 0x800000FFu, 0x00000000u});
  const auto picture = DecodeWithGdiplus(png);
  ASSERT_TRUE(picture);
  ASSERT_TRUE(picture->Usable());
  ASSERT_EQ(picture->frames.size(), 1u);
  EXPECT_EQ(picture->frames[0].pixels[0], MakePixel(0, 0, 255, 0));
  EXPECT_EQ(picture->frames[0].pixels[1], MakePixel(255, 0, 0, 127));
  EXPECT_EQ(PixelTransparency(picture->frames[0].pixels[2]), 255);
  const std::vector<std::uint8_t> garbage{1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_FALSE(DecodeWithGdiplus(garbage));

  CartoonBox* box = MakeBox(0, 0, 3, 1);
  ASSERT_NE(box, nullptr);
  box->SetBackColor(RGB(0, 0, 0));
  const ObjectId id = box->CreateObject(nullptr, 0, 0);
  box->SetObjectPicture(id, png, kColourKeyTopLeft);  // red is the key: not drawn
  ASSERT_TRUE(box->Scene().Find(id)->picture);
  EXPECT_EQ(box->Scene().Find(id)->picture->frames[0].colourKey, static_cast<std::uint32_t>(RGB(255, 0, 0)));
  const std::vector<std::uint32_t> printed = Printed(box);
  EXPECT_EQ(printed[0], MakePixel(0, 0, 0));
  EXPECT_EQ(printed[1], MakePixel(128, 0, 0));  // t = 127: 255 * 128 / 255 of the way to blue
  EXPECT_EQ(printed[2], MakePixel(0, 0, 0));

  box->SetObjectPicture(id, garbage);
  EXPECT_FALSE(box->Scene().Find(id)->picture);
  box->SetObjectPicture(id, std::nullopt);
  EXPECT_FALSE(box->Scene().Find(id)->picture);
}

TEST_F(CartoonBoxTest, FrameChangeInvalidatesOnlyTheObject) {
  CartoonBox* box = MakeBox(0, 0, 800, 20);
  ASSERT_NE(box, nullptr);
  const ObjectId id = box->CreateObject(nullptr, 0, 7);
  box->SetObjectPicture(id, Strip());
  box->PlayAnimation(id, 0);
  ::UpdateWindow(box->Handle());
  RECT pending;
  EXPECT_FALSE(::GetUpdateRect(box->Handle(), &pending, FALSE));

  api::ScopedOverride noForcedPaint(api::UpdateWindow, &CountUpdateWindow);
  box->OnTimer();
  fakeNow += 100;
  box->OnTimer();
  ASSERT_TRUE(::GetUpdateRect(box->Handle(), &pending, FALSE));
  EXPECT_EQ(pending.left, 0);
  EXPECT_EQ(pending.top, 7);
  EXPECT_EQ(pending.right, 800);
  EXPECT_EQ(pending.bottom, 13);
}

TEST_F(CartoonBoxTest, ForcedRepaintAtMostEvery100MsAcrossBoxes) {
  CartoonBox* first = MakeBox(0, 0, 10, 10);
  CartoonBox* second = MakeBox(20, 0, 10, 10);
  ASSERT_TRUE(first && second);
  api::ScopedOverride count(api::UpdateWindow, &CountUpdateWindow);
  updateWindowCalls = 0;
  fakeNow = 5'000'000;
  first->OnTimer();
  EXPECT_EQ(updateWindowCalls, 1);
  fakeNow += 50;
  second->OnTimer();  // the other box shares the last forced time
  first->OnTimer();
  EXPECT_EQ(updateWindowCalls, 1);
  fakeNow += 51;
  second->OnTimer();
  EXPECT_EQ(updateWindowCalls, 2);
}

TEST_F(CartoonBoxTest, FinishedHandlerOnceThenObjectGone) {
  CartoonBox* box = MakeBox(0, 0, 800, 6);
  ASSERT_NE(box, nullptr);
  std::vector<ObjectId> finished;
  box->SetFinishedHandler([&](ObjectId id) { finished.push_back(id); });
  const ObjectId id = box->CreateObject(nullptr, 0, 0);
  box->SetObjectPicture(id, Strip());
  box->PlayAnimation(id, 1, true);
  box->OnTimer();
  for (int i = 0; i < 6; ++i) {
    fakeNow += 100;
    box->OnTimer();
  }
  EXPECT_EQ(finished, std::vector<ObjectId>{id});
  EXPECT_EQ(box->Scene().Find(id), nullptr);
}

TEST_F(CartoonBoxTest, HandlerMayDestroyTheBox) {
  CartoonBox* box = MakeBox(0, 0, 800, 6);
  ASSERT_NE(box, nullptr);
  const HWND hwnd = box->Handle();
  int calls = 0;
  box->SetFinishedHandler([&](ObjectId) {
    ++calls;
    ::DestroyWindow(hwnd);
  });
  for (int i = 0; i < 2; ++i) {  // two objects finish in the same tick
    const ObjectId id = box->CreateObject(nullptr, 0, 0);
    box->SetObjectPicture(id, Strip());
    box->PlayAnimation(id, 1);
  }
  box->OnTimer();
  for (int i = 0; i < 4; ++i) {
    fakeNow += 100;
    if (CartoonBox* alive = CartoonBoxFromHandle(hwnd)) alive->OnTimer();
  }
  EXPECT_EQ(calls, 1);  // the second notification went with the box
  EXPECT_EQ(CartoonBoxFromHandle(hwnd), nullptr);
}

TEST_F(CartoonBoxTest, OnlyBoxWindowsHaveABox) {
  EXPECT_EQ(CartoonBoxFromHandle(Form()), nullptr);
  EXPECT_EQ(CartoonBoxFromHandle(nullptr), nullptr);
  CartoonBox* box = MakeBox(0, 0, 5, 5);
  ASSERT_NE(box, nullptr);
  const HWND hwnd = box->Handle();
  EXPECT_EQ(::GetParent(hwnd), Form());
  EXPECT_EQ(::GetDlgCtrlID(hwnd), 77);
  EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_STYLE) & WS_CLIPSIBLINGS);
  ::DestroyWindow(hwnd);
  EXPECT_EQ(CartoonBoxFromHandle(hwnd), nullptr);
}

// With the real clock the box's own 5 ms timer moves the strip on.
TEST(CartoonBoxTimerTest, AnimatesByItself) {
  skin::test::TestWindow form = skin::test::CreateForm(60, 60, 820, 30);
  ::ShowWindow(form.get(), SW_SHOWNOACTIVATE);
  CartoonBox* box = CartoonBoxFromHandle(CreateCartoonBox(form.get(), 1, 0, 0, 800, 6, true));
  ASSERT_NE(box, nullptr);
  const ObjectId id = box->CreateObject(nullptr, 0, 0);
  box->SetObjectPicture(id, Strip());
  box->PlayAnimation(id, 0);
  EXPECT_TRUE(quorlin::testing::PumpUntil([&] { return box->Scene().Find(id)->frameIndex == 2; }, 5000));
}

}  // namespace
}  // namespace quorlin::platform
