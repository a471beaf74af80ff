#include "skin/text_box.h"

#include <gtest/gtest.h>

#include "skin/caret.h"
#include "skin/composition.h"
#include "skin/control_properties.h"
#include "tests/win32/skin_test_support.h"
#include "tests/win32/test_support.h"

namespace quorlin::skin {
namespace {

using test::Argb;
using test::PresentRecorder;

constexpr Argb kWhite = 0xFFFFFFFF;
constexpr Argb kBlack = 0xFF000000;
constexpr int kBoxLeft = 30;
constexpr int kBoxTop = 40;
constexpr int kBoxHeight = 27;  // odd: (27 - 12) / 2 = 7.5 puts the caret line 7 pixels down

// A shown layered form with one text box (opaque white fill, red text) in layered mode, and a
// second form to move the focus to.
class TextBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureSkinLayer();
    window_ = test::CreateForm(100, 100, 300, 120);
    ASSERT_TRUE(layered_.Attach(form()));
    background_ = test::SolidBitmap(300, 120, 0xFF406080);
    WriteImageProperty(form(), property::kBackImage, background_.get());
    box_ = test::CreateChild(form(), "Edit", kBoxLeft, kBoxTop, 200, kBoxHeight);
    LOGFONTA logFont{};
    logFont.lfHeight = -16;
    lstrcpynA(logFont.lfFaceName, "WenQuanYi Micro Hei", LF_FACESIZE);
    font_.Reset(CreateFontIndirectA(&logFont));
    SendMessageA(box(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    WriteProperty(box(), property::kType, static_cast<std::intptr_t>(ControlType::TextBox));
    WriteProperty(box(), property::kTextColor, RGB(255, 0, 0));
    WriteProperty(box(), property::kBackColor, RGB(255, 255, 255));
    WriteProperty(box(), property::kBackAlpha, 255);
    WriteProperty(box(), property::kOrderColor, -1);
    layered_.RefreshForm();
    ASSERT_EQ(GetWindowLongPtrW(box(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(TextBoxChildProc));
    ShowWindow(form(), SW_SHOWNA);
    other_ = test::CreateForm(450, 100, 100, 60);
  }

  void TearDown() override {
    SetFocus(nullptr);
    if (FocusComposition != nullptr) api::GdipDisposeImage(FocusComposition);
    FocusComposition = nullptr;
    FocusForm = FocusTextBox = nullptr;
    CaretShown = 0;
  }

  HWND form() const { return window_.get(); }
  HWND box() const { return box_.get(); }
  void Focus() {
    SetFocus(box());
    ASSERT_EQ(GetFocus(), box());
  }
  // Top of the caret line as it must be now: 5 right of the system caret, centred in the box.
  static POINT CaretTop() {
    POINT caret{};
    GetCaretPos(&caret);
    return {kBoxLeft + caret.x + 5, kBoxTop + 7};
  }
  static int BlackRun(const PresentRecorder& presented, POINT from) {
    int run = 0;
    while (from.y + run < presented.height() && presented.Pixel(from.x, from.y + run) == kBlack) ++run;
    return run;
  }

  test::TestWindow window_, box_, other_;
  LayeredForm layered_;
  platform::UniqueImage background_;
  platform::UniqueFont font_;
};

TEST_F(TextBoxTest, FocusIsRecordedAndTypingACharacterRecomposesTwice) {
  CaretShown = 1;
  PresentRecorder presented;
  Focus();
  EXPECT_EQ(FocusForm, form());
  EXPECT_EQ(FocusTextBox, box());
  EXPECT_EQ(CaretShown, 0);
  EXPECT_EQ(presented.count(), 1);
  ASSERT_NE(FocusComposition, nullptr);

  SendMessageA(box(), WM_KEYDOWN, 'A', 0x001E0001);
  EXPECT_EQ(presented.count(), 2);
  SendMessageA(box(), WM_CHAR, 'a', 0x001E0001);
  EXPECT_EQ(presented.count(), 3);
  SendMessageA(box(), WM_KEYUP, 'A', static_cast<LPARAM>(0xC01E0001));
  EXPECT_EQ(presented.count(), 3);
  int red = 0;  // the letter is already in the composition made after WM_CHAR
  for (int y = kBoxTop; y < kBoxTop + kBoxHeight; ++y) {
    for (int x = kBoxLeft; x < kBoxLeft + 30; ++x) red += presented.Pixel(x, y) == 0xFFFF0000;
  }
  EXPECT_GT(red, 0);

  const SkinImage kept = FocusComposition;
  SetFocus(other_.get());
  EXPECT_EQ(FocusForm, nullptr);
  EXPECT_EQ(FocusTextBox, nullptr);
  EXPECT_EQ(FocusComposition, kept);  // outlives the focus
}

TEST_F(TextBoxTest, FirstTickAfterFocusShowsTheCaretAndTheNextHidesIt) {
  Focus();
  SendMessageA(box(), WM_CHAR, 'H', 0);
  const POINT top = CaretTop();
  ASSERT_GT(top.x, kBoxLeft + 5);  // the caret follows the text
  PresentRecorder presented;
  CaretTick(form(), WM_TIMER, kCaretTimerId, 0);
  ASSERT_EQ(presented.count(), 1);
  EXPECT_EQ(CaretShown, 1);
  // A line 12 units long: 12 pixels, or 13 where the rasteriser also sets the end point (Wine).
  EXPECT_GE(BlackRun(presented, top), 12);
  EXPECT_LE(BlackRun(presented, top), 13);
  EXPECT_EQ(presented.Pixel(top.x, top.y - 1), kWhite);
  EXPECT_EQ(presented.Pixel(top.x - 1, top.y + 6), kWhite);
  EXPECT_EQ(presented.Pixel(top.x + 1, top.y + 6), kWhite);

  CaretTick(form(), WM_TIMER, kCaretTimerId, 0);
  EXPECT_EQ(presented.count(), 2);
  EXPECT_EQ(CaretShown, 0);
  EXPECT_EQ(BlackRun(presented, top), 0);
}

TEST_F(TextBoxTest, TicksWithAnotherIdOrWithoutAFocusedBoxDoNothing) {
  Focus();
  PresentRecorder presented;
  CaretTick(form(), WM_TIMER, 63, 0);
  CaretTick(form(), WM_TIMER, 1000, 0);
  CaretTick(other_.get(), WM_TIMER, kCaretTimerId, 0);
  EXPECT_EQ(presented.count(), 0);
  SetFocus(other_.get());
  const int afterBlur = presented.count();
  CaretTick(form(), WM_TIMER, kCaretTimerId, 0);
  EXPECT_EQ(presented.count(), afterBlur);
  EXPECT_EQ(CaretShown, 0);
}

TEST_F(TextBoxTest, TheFormsOwnTimerShowsTheCaret) {
  Focus();
  PresentRecorder presented;
  // The bound only keeps a broken timer from hanging the run.
  ASSERT_TRUE(testing::PumpUntil([&] { return presented.count() >= 1; }, 10000));
  EXPECT_EQ(CaretShown, 1);
  EXPECT_GE(BlackRun(presented, CaretTop()), 12);
}

}  // namespace
}  // namespace quorlin::skin
