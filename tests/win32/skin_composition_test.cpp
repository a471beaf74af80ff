#include "skin/composition.h"

#include <gtest/gtest.h>

#include <cstring>

#include <vector>

#include "skin/frame_surface.h"
#include "skin/image_button.h"
#include "skin/picture_box.h"
#include "skin/skin_control.h"
#include "skin/subclassing.h"
#include "tests/win32/skin_test_support.h"

namespace quorlin::skin {
namespace {

using test::Argb;
using test::PresentRecorder;

constexpr int kFormWidth = 200;
constexpr int kFormHeight = 120;
constexpr Argb kGreen = 0xFF00FF00;
constexpr Argb kBlue = 0xFF0000FF;
constexpr Argb kRed = 0xFFFF0000;

Argb BackgroundAt(int x, int y) {
  return 0xFF000000u | (static_cast<Argb>(x) << 16) | (static_cast<Argb>(y) << 8) | 0x40u;
}

// A hidden popup made a layered form; children are added by each test.
class CompositionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureSkinLayer();
    window_ = test::CreateForm(100, 100, kFormWidth, kFormHeight);
    ASSERT_NE(form(), nullptr);
    ASSERT_TRUE(layered_.Attach(form()));
    background_ = test::MakeBitmap(kFormWidth, kFormHeight, BackgroundAt);
  }

  HWND form() const { return window_.get(); }

  // A child with a picture at natural size (back type 0 unless given).
  HWND AddPicture(int x, int y, int width, int height, SkinImage picture, int backType = 0) {
    children_.push_back(test::CreateChild(form(), "Static", x, y, width, height));
    PictureBox box;
    box.AttachPicture(children_.back().get(), picture);
    box.SetBackType(backType);
    return children_.back().get();
  }

  void ExpectBackgroundAt(const PresentRecorder& presented, int x, int y) {
    EXPECT_EQ(presented.Pixel(x, y), BackgroundAt(x, y)) << "at " << x << ", " << y;
  }

  test::TestWindow window_;
  LayeredForm layered_;
  platform::UniqueImage background_;
  std::vector<test::TestWindow> children_;
};

TEST_F(CompositionTest, BackgroundOfTheFormsSizeIsPresentedPixelForPixel) {
  PresentRecorder presented;
  ASSERT_TRUE(layered_.SetBackground(background_.get()));
  ASSERT_EQ(presented.count(), 1);
  EXPECT_EQ(presented.window(), form());
  ASSERT_EQ(presented.width(), kFormWidth);
  ASSERT_EQ(presented.height(), kFormHeight);
  EXPECT_EQ(presented.flags(), static_cast<DWORD>(ULW_ALPHA));
  EXPECT_EQ(presented.blend().SourceConstantAlpha, 255);
  EXPECT_EQ(presented.blend().AlphaFormat, AC_SRC_ALPHA);
  int mismatches = 0;
  for (int y = 0; y < kFormHeight; ++y) {
    for (int x = 0; x < kFormWidth; ++x) mismatches += presented.Pixel(x, y) != BackgroundAt(x, y);
  }
  EXPECT_EQ(mismatches, 0);
}

TEST_F(CompositionTest, SmallerBackgroundIsStretchedOverTheWholeForm) {
  platform::UniqueImage small = test::SolidBitmap(50, 30, kBlue);
  PresentRecorder presented;
  ASSERT_TRUE(layered_.SetBackground(small.get()));
  for (POINT p : {POINT{10, 10}, POINT{100, 60}, POINT{190, 110}}) {
    EXPECT_EQ(presented.Pixel(p.x, p.y), kBlue) << p.x << ", " << p.y;
  }
}

TEST_F(CompositionTest, AlphaPictureIsBlendedOverTheBackgroundAtItsPlace) {
  platform::UniqueImage halfRed = test::SolidBitmap(22, 22, 0x80FF0000);
  AddPicture(30, 40, 22, 22, halfRed.get());
  PresentRecorder presented;
  ASSERT_TRUE(layered_.SetBackground(background_.get()));
  for (POINT p : {POINT{30, 40}, POINT{40, 50}, POINT{51, 61}}) {
    const Argb under = BackgroundAt(p.x, p.y);
    const auto mix = [](Argb dst, int shift, int src) {
      return static_cast<Argb>((src * 128 + static_cast<int>((dst >> shift) & 0xFF) * 127) / 255) << shift;
    };
    const Argb expected = 0xFF000000u | mix(under, 16, 255) | mix(under, 8, 0) | mix(under, 0, 0);
    EXPECT_TRUE(test::NearArgb(presented.Pixel(p.x, p.y), expected, 2))
        << std::hex << presented.Pixel(p.x, p.y) << " vs " << expected;
  }
  ExpectBackgroundAt(presented, 29, 40);
  ExpectBackgroundAt(presented, 52, 40);
  ExpectBackgroundAt(presented, 30, 39);
  ExpectBackgroundAt(presented, 30, 62);
}

TEST_F(CompositionTest, NaturalSizePictureWiderThanItsControlIsCropped) {
  // Column 159 is red, column 160 (the one too many) green.
  platform::UniqueImage wide =
      test::MakeBitmap(161, 52, [](int x, int) { return x == 160 ? kGreen : x == 159 ? kRed : kBlue; });
  children_.push_back(test::CreateChild(form(), "Button", 20, 30, 160, 52));
  ImageButton button;
  ASSERT_TRUE(button.AttachButton(children_.back().get(), wide.get()));
  PresentRecorder presented;
  layered_.SetBackground(background_.get());
  EXPECT_EQ(presented.Pixel(20, 30), kBlue);
  EXPECT_EQ(presented.Pixel(178, 81), kBlue);
  EXPECT_EQ(presented.Pixel(179, 30), kRed);
  EXPECT_EQ(presented.Pixel(179, 81), kRed);
  for (int y = 30; y < 82; ++y) ExpectBackgroundAt(presented, 180, y);
  ExpectBackgroundAt(presented, 100, 82);
}

TEST_F(CompositionTest, PictureOfTheControlsSizeIsDrawnWhole) {
  platform::UniqueImage exact = test::MakeBitmap(160, 52, [](int x, int) { return x == 159 ? kRed : kBlue; });
  AddPicture(20, 30, 160, 52, exact.get());
  PresentRecorder presented;
  layered_.SetBackground(background_.get());
  EXPECT_EQ(presented.Pixel(179, 50), kRed);
  EXPECT_EQ(presented.Pixel(20, 81), kBlue);
  ExpectBackgroundAt(presented, 180, 50);
}

TEST_F(CompositionTest, FitBackTypeShrinksAndCentres) {
  platform::UniqueImage wide = test::SolidBitmap(200, 50, kGreen);
  AddPicture(50, 10, 100, 100, wide.get(), 2);  // drawn 100 x 25 at (50, 10 + 37)
  PresentRecorder presented;
  layered_.SetBackground(background_.get());
  for (int y = 50; y <= 68; y += 6) {
    EXPECT_EQ(presented.Pixel(53, y), kGreen) << y;
    EXPECT_EQ(presented.Pixel(146, y), kGreen) << y;
  }
  ExpectBackgroundAt(presented, 100, 44);
  ExpectBackgroundAt(presented, 100, 74);
  ExpectBackgroundAt(presented, 100, 15);
}

TEST_F(CompositionTest, ChildrenWithoutARecognisedTypeAreNeverDrawn) {
  platform::UniqueImage red = test::SolidBitmap(50, 50, kRed);
  test::TestWindow plain = test::CreateChild(form(), "Static", 0, 0, 50, 50);
  WriteImageProperty(plain.get(), property::kBackImage, red.get());
  WriteImageProperty(plain.get(), property::kNormalImage, red.get());
  test::TestWindow unknown = test::CreateChild(form(), "Static", 60, 0, 50, 50);
  WriteProperty(unknown.get(), property::kType, 7);
  WriteImageProperty(unknown.get(), property::kBackImage, red.get());
  PresentRecorder presented;
  layered_.SetBackground(background_.get());
  ExpectBackgroundAt(presented, 25, 25);
  ExpectBackgroundAt(presented, 85, 25);
}

TEST_F(CompositionTest, AreaThatNothingCoversStaysFullyTransparent) {
  platform::UniqueImage opaque = test::SolidBitmap(20, 20, kBlue);
  platform::UniqueImage clear = test::SolidBitmap(20, 20, test::kTransparent);
  AddPicture(10, 10, 20, 20, opaque.get());
  AddPicture(50, 10, 20, 20, clear.get());
  PresentRecorder presented;
  layered_.RefreshForm();  // no background
  ASSERT_EQ(presented.count(), 1);
  EXPECT_EQ(presented.Pixel(15, 15), kBlue);
  EXPECT_EQ(presented.Pixel(5, 5), test::kTransparent);
  EXPECT_EQ(presented.Pixel(60, 20), test::kTransparent);
  EXPECT_EQ(presented.Pixel(150, 100), test::kTransparent);
}

TEST_F(CompositionTest, LaterChildInWindowOrderIsDrawnOnTop) {
  platform::UniqueImage red = test::SolidBitmap(40, 40, kRed);
  platform::UniqueImage blue = test::SolidBitmap(40, 40, kBlue);
  HWND one = AddPicture(10, 10, 40, 40, red.get());
  AddPicture(30, 30, 40, 40, blue.get());
  const HWND drawnFirst = GetWindow(form(), GW_CHILD);
  PresentRecorder presented;
  layered_.SetBackground(background_.get());
  EXPECT_EQ(presented.Pixel(40, 40), drawnFirst == one ? kBlue : kRed);
}

TEST_F(CompositionTest, SetBackgroundRefusesNullPicturesAndDeadForms) {
  PresentRecorder presented;
  ASSERT_TRUE(layered_.SetBackground(background_.get()));
  EXPECT_FALSE(layered_.SetBackground(nullptr));
  const std::vector<std::uint8_t> garbage = test::MakeBlock(std::vector<std::uint8_t>(40, 7));
  EXPECT_FALSE(layered_.LoadBackground(garbage.data()));
  EXPECT_EQ(ReadImageProperty(form(), property::kBackImage), background_.get());
  EXPECT_EQ(presented.count(), 1);

  const std::vector<std::uint8_t> png = test::MakeBlock(test::EncodePng(2, 2, std::vector<Argb>(4, kGreen)));
  ASSERT_TRUE(layered_.LoadBackground(png.data()));
  EXPECT_EQ(presented.count(), 2);
  EXPECT_EQ(presented.Pixel(100, 60), kGreen);

  LayeredForm unbound;
  EXPECT_FALSE(unbound.SetBackground(background_.get()));
  EXPECT_FALSE(unbound.LoadBackground(png.data()));
  EXPECT_EQ(presented.count(), 2);
}

std::vector<Gdiplus::GpImage*> disposed;
api::ScopedOverride<api::types::GdipDisposeImage_t>* disposeOverride = nullptr;
Gdiplus::GpStatus WINGDIPAPI RecordDispose(Gdiplus::GpImage* image) {
  disposed.push_back(image);
  return disposeOverride->Previous()(image);
}

int bitmapsCreated = 0;
api::ScopedOverride<api::types::GdipCreateBitmapFromScan0_t>* createOverride = nullptr;
Gdiplus::GpStatus WINGDIPAPI CountCreate(INT width, INT height, INT stride, Gdiplus::PixelFormat format,
                                         BYTE* scan0, Gdiplus::GpBitmap** bitmap) {
  ++bitmapsCreated;
  return createOverride->Previous()(width, height, stride, format, scan0, bitmap);
}

TEST_F(CompositionTest, FocusFormKeepsItsLastCompositionAndOthersReuseOneBitmap) {
  layered_.SetBackground(background_.get());
  api::ScopedOverride dispose(api::GdipDisposeImage, &RecordDispose);
  disposeOverride = &dispose;
  api::ScopedOverride create(api::GdipCreateBitmapFromScan0, &CountCreate);
  createOverride = &create;
  disposed.clear();
  bitmapsCreated = 0;
  PresentRecorder presented;
  for (int i = 0; i < 3; ++i) ComposeForm(form());
  // Not the focus form: one bitmap serves every composition, none is left behind.
  EXPECT_LE(bitmapsCreated, 1);
  EXPECT_TRUE(disposed.empty());
  EXPECT_EQ(FocusComposition, nullptr);
  EXPECT_EQ(presented.count(), 3);
  EXPECT_EQ(presented.Pixel(0, 0), BackgroundAt(0, 0));

  FocusForm = form();
  disposed.clear();
  ComposeForm(form());
  SkinImage first = FocusComposition;
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(disposed.empty());
  EXPECT_EQ(test::ReadPixels(first, 1, 1), std::vector<Argb>{BackgroundAt(0, 0)});
  ComposeForm(form());
  EXPECT_NE(FocusComposition, first);
  EXPECT_EQ(disposed, std::vector<Gdiplus::GpImage*>{first});

  api::GdipDisposeImage(FocusComposition);
  FocusComposition = nullptr;
  FocusForm = nullptr;
}

TEST_F(CompositionTest, AReusedBitmapStartsFullyTransparentWhenTheBackgroundDoesNotCoverIt) {
  PresentRecorder presented;
  ASSERT_TRUE(layered_.SetBackground(background_.get()));  // opaque, every pixel
  ComposeForm(form());
  ExpectBackgroundAt(presented, 100, 60);
  // A clear picture stretched over the form: what is left of the last frame must not show through.
  const std::vector<std::uint8_t> clear = test::MakeBlock(test::EncodePng(2, 2, std::vector<Argb>(4, 0u)));
  ASSERT_TRUE(layered_.LoadBackground(clear.data()));
  EXPECT_EQ(presented.Pixel(100, 60), 0u);
  EXPECT_EQ(presented.Pixel(0, 0), 0u);
  EXPECT_EQ(presented.Pixel(kFormWidth - 1, kFormHeight - 1), 0u);
}

TEST_F(CompositionTest, APresentationDuringAnotherGetsASurfaceOfItsOwn) {
  ASSERT_TRUE(layered_.SetBackground(background_.get()));
  PresentRecorder presented;
  const SurfaceLease outer(kFormWidth, kFormHeight);  // as if a frame were being presented
  ASSERT_NE(outer.dc(), nullptr);
  std::memset(outer.bits(), 0x5A, static_cast<std::size_t>(kFormWidth) * kFormHeight * 4);
  ComposeForm(form());  // neither waits for the lent surface nor draws into it
  ASSERT_EQ(presented.count(), 1);
  ExpectBackgroundAt(presented, 100, 60);
  EXPECT_EQ(static_cast<const std::uint8_t*>(outer.bits())[0], 0x5A);
}

TEST_F(CompositionTest, RefreshFormPutsChildrenIntoLayeredModeOnce) {
  children_.push_back(test::CreateChild(form(), "Button", 10, 10, 40, 20));
  const HWND button = children_.back().get();
  const LONG_PTR buttonNative = GetWindowLongPtrW(button, GWLP_WNDPROC);
  children_.push_back(test::CreateChild(form(), "Static", 60, 10, 40, 20));
  const HWND box = children_.back().get();
  const LONG_PTR staticNative = GetWindowLongPtrW(box, GWLP_WNDPROC);
  ImageButton controller;
  ASSERT_TRUE(controller.AttachButton(button));
  PictureBox picture;
  ASSERT_TRUE(picture.AttachPicture(box));
  ASSERT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ButtonProc));

  layered_.RefreshForm();
  EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ButtonChildProc));
  EXPECT_EQ(GetPropA(button, property::kWndProc), nullptr);
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(button, property::kChildWndProc)), buttonNative);
  EXPECT_EQ(GetWindowLongPtrW(box, GWLP_WNDPROC), staticNative);
  EXPECT_EQ(GetPropA(box, property::kWndProc), nullptr);
  EXPECT_EQ(GetPropA(box, property::kChildWndProc), nullptr);
  // The form keeps the parent procedure.
  EXPECT_EQ(GetWindowLongPtrW(form(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ParentProc));

  // Re-attaching a button in layered mode puts ButtonProc in front; the next refresh undoes that
  // and keeps the original chain.
  ASSERT_TRUE(controller.AttachButton(button));
  EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ButtonProc));
  EXPECT_EQ(GetPropA(button, property::kWndProc), reinterpret_cast<HANDLE>(ButtonChildProc));
  layered_.RefreshForm();
  EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ButtonChildProc));
  EXPECT_EQ(GetPropA(button, property::kWndProc), nullptr);
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(button, property::kChildWndProc)), buttonNative);
}

api::ScopedOverride<api::types::UpdateLayeredWindow_t>* failingPresent = nullptr;
int presentFailuresLeft = 0;
int presentAttempts = 0;
BOOL WINAPI FailingPresent(HWND hwnd, HDC dst, POINT* dstPoint, SIZE* size, HDC src, POINT* srcPoint,
                           COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
  ++presentAttempts;
  if (presentFailuresLeft > 0) {
    --presentFailuresLeft;
    return FALSE;
  }
  return failingPresent->Previous()(hwnd, dst, dstPoint, size, src, srcPoint, key, blend, flags);
}

TEST_F(CompositionTest, AFailedPresentationIsTriedAgainByTheNextRefresh) {
  PresentRecorder presented;
  api::ScopedOverride<api::types::UpdateLayeredWindow_t> failing(api::UpdateLayeredWindow, &FailingPresent);
  failingPresent = &failing;
  presentAttempts = 0;
  presentFailuresLeft = 1;
  ASSERT_TRUE(layered_.SetBackground(background_.get()));
  EXPECT_EQ(presentAttempts, 1);
  EXPECT_EQ(presented.count(), 0);
  layered_.RefreshForm();
  EXPECT_EQ(presentAttempts, 2) << "the frame the system refused was not taken as shown";
  ASSERT_EQ(presented.count(), 1);
  ExpectBackgroundAt(presented, 10, 10);
  layered_.RefreshForm();
  EXPECT_EQ(presentAttempts, 2) << "once shown, an unchanged frame is not presented again";
}

TEST_F(CompositionTest, NothingIsComposedWhileTheFormIsMinimised) {
  ShowWindow(form(), SW_SHOWMINNOACTIVE);
  ASSERT_TRUE(IsIconic(form()));
  PresentRecorder presented;
  ASSERT_TRUE(layered_.SetBackground(background_.get()));
  layered_.RefreshForm();
  EXPECT_EQ(presented.count(), 0) << "a frame of the iconic rectangle would be squashed";
  ShowWindow(form(), SW_SHOWNOACTIVATE);
  ASSERT_FALSE(IsIconic(form()));
  layered_.RefreshForm();
  ASSERT_EQ(presented.count(), 1) << "the first refresh after the restore shows the frame";
  EXPECT_EQ(presented.width(), kFormWidth);
  EXPECT_EQ(presented.height(), kFormHeight);
  ExpectBackgroundAt(presented, kFormWidth - 1, kFormHeight - 1);
}

int timersSet = 0;
UINT_PTR WINAPI CountSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) {
  ++timersSet;
  return id;
}

TEST(LayeredFormAttach, MakesTheWindowLayeredAndInstallsOneCaretTimer) {
  test::EnsureSkinLayer();
  api::ScopedOverride timers(api::SetTimer, &CountSetTimer);
  timersSet = 0;
  test::TestWindow window(CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "Static", "", WS_POPUP, 0, 0, 50, 50,
                                          nullptr, nullptr, nullptr, nullptr));
  LayeredForm form;
  EXPECT_FALSE(form.Attach(nullptr));
  EXPECT_FALSE(form.IsAlive());
  ASSERT_TRUE(form.Attach(window.get()));
  EXPECT_TRUE(form.IsAlive());
  EXPECT_EQ(form.ControlHandle(), window.get());
  // Added to the window's own extended styles, which stay.
  EXPECT_EQ(GetWindowLongA(window.get(), GWL_EXSTYLE) & ~WS_EX_TOPMOST, WS_EX_LAYERED | WS_EX_TOOLWINDOW);
  EXPECT_EQ(ReadProperty(window.get(), property::kTime), 64);
  ASSERT_TRUE(form.Attach(window.get()));
  EXPECT_EQ(timersSet, 1);
}

struct MoveCall {
  int x, y, width, height;
  UINT flags;
};
std::vector<MoveCall> moves;
BOOL WINAPI RecordSetWindowPos(HWND, HWND, int x, int y, int width, int height, UINT flags) {
  moves.push_back({x, y, width, height, flags});
  return TRUE;
}

TEST(LayeredFormMove, OmittedValuesKeepTheWindowsScreenRectangle) {
  test::EnsureSkinLayer();
  test::TestWindow window = test::CreateForm(120, 90, 300, 200);
  LayeredForm form;
  ASSERT_TRUE(form.Attach(window.get()));
  api::ScopedOverride place(api::SetWindowPos, &RecordSetWindowPos);
  moves.clear();
  form.MoveControl(40);
  form.MoveControl();
  form.MoveControl(std::nullopt, std::nullopt, std::nullopt, 77, true);
  ASSERT_EQ(moves.size(), 3u);
  EXPECT_EQ(moves[0].x, 40);
  EXPECT_EQ(moves[0].y, 90);
  EXPECT_EQ(moves[0].width, 300);
  EXPECT_EQ(moves[0].height, 200);
  EXPECT_EQ(moves[0].flags, static_cast<UINT>(SWP_NOZORDER | SWP_NOSIZE));
  EXPECT_EQ(moves[1].flags, static_cast<UINT>(SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE));
  EXPECT_EQ(moves[2].height, 77);
  EXPECT_EQ(moves[2].width, 300);
  EXPECT_EQ(moves[2].flags, static_cast<UINT>(SWP_NOZORDER | SWP_NOREDRAW | SWP_NOMOVE));
}

// Snapshot painting into DCs whose pixels the test can read.
class SnapshotTest : public ::testing::Test {
 protected:
  static Argb Under(int x, int y) {
    return 0xFF000000u | (static_cast<Argb>(x * 5) << 16) | (static_cast<Argb>(y * 7) << 8) | 0x30u;
  }
  void SetUp() override {
    test::EnsureSkinLayer();
    parent_ = test::CreateForm(0, 0, 200, 200);
    control_ = test::CreateChild(parent_.get(), "Static", 10, 10, 40, 30);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) paint_.SetPixel(x, y, Under(x, y));
    }
  }
  test::TestWindow parent_;
  test::TestWindow control_;
  test::PixelDc paint_{40, 30, 0};
  test::PixelDc target_{40, 30, 0xFF112233};
};

TEST_F(SnapshotTest, NothingIsDrawnBeforeTheFirstCapture) {
  platform::UniqueImage red = test::SolidBitmap(10, 10, kRed);
  PaintControl(control_.get(), target_.dc(), red.get());
  EXPECT_EQ(target_.Pixel(5, 5), 0xFF112233u);
  EXPECT_EQ(target_.Pixel(30, 20), 0xFF112233u);
}

TEST_F(SnapshotTest, PictureIsBlendedOverTheCapturedPixels) {
  const HBITMAP first = CaptureCache(control_.get(), paint_.dc());
  ASSERT_NE(first, nullptr);
  const HBITMAP cache = CaptureCache(control_.get(), paint_.dc());
  EXPECT_EQ(GetPropA(control_.get(), property::kCacheBitmap), cache);
  EXPECT_EQ(GetObjectType(first), 0u);  // the previous snapshot was deleted

  platform::UniqueImage halfBlue = test::SolidBitmap(10, 10, 0x800000FF);
  PaintControl(control_.get(), target_.dc(), halfBlue.get());
  constexpr Argb kRgb = 0x00FFFFFF;
  EXPECT_EQ(target_.Pixel(20, 5) & kRgb, Under(20, 5) & kRgb);
  EXPECT_EQ(target_.Pixel(39, 29) & kRgb, Under(39, 29) & kRgb);
  const Argb under = Under(5, 5);
  const Argb expected = ((((under >> 16) & 0xFF) * 127 / 255) << 16) | ((((under >> 8) & 0xFF) * 127 / 255) << 8) |
                        ((255 * 128 + (under & 0xFF) * 127) / 255);
  EXPECT_TRUE(test::NearArgb(target_.Pixel(5, 5) & kRgb, expected, 2)) << std::hex << target_.Pixel(5, 5);
}

}  // namespace
}  // namespace quorlin::skin
