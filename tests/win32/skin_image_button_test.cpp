#include "skin/image_button.h"

#include <gtest/gtest.h>

#include <vector>

#include "skin/composition.h"
#include "tests/win32/skin_test_support.h"

namespace quorlin::skin {
namespace {

using test::Argb;

constexpr Argb kNormal = 0xFF202020;
constexpr Argb kOver = 0xFF40C040;
constexpr Argb kDown = 0xFF1010A0;
constexpr Argb kDisabled = 0xFF808080;
constexpr Argb kUnder = 0xFF445566;
constexpr int kWidth = 40;
constexpr int kHeight = 20;

std::vector<TRACKMOUSEEVENT> tracked;
BOOL WINAPI RecordTrack(TRACKMOUSEEVENT* track) {
  tracked.push_back(*track);
  return TRUE;
}
int windowDcs = 0;
HDC fakeWindowDc = nullptr;
HDC WINAPI FakeGetWindowDc(HWND) {
  ++windowDcs;
  return fakeWindowDc;
}
std::vector<HDC> released;
int WINAPI RecordReleaseDc(HWND, HDC dc) {
  released.push_back(dc);
  return 1;
}

struct InvalidateCall {
  HWND hwnd;
  RECT rect;
  bool whole;
  BOOL erase;
};
std::vector<InvalidateCall> invalidateCalls;
BOOL WINAPI RecordInvalidate(HWND hwnd, const RECT* rect, BOOL erase) {
  invalidateCalls.push_back({hwnd, rect != nullptr ? *rect : RECT{}, rect == nullptr, erase});
  return TRUE;
}

class ImageButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureSkinLayer();
    tracked.clear();
    windowDcs = 0;
    released.clear();
    form_ = test::CreateForm(200, 150, 120, 80);
    button_ = test::CreateChild(form(), "Button", 30, 20, kWidth, kHeight);
    ASSERT_NE(button(), nullptr);
    for (auto [image, color] : {std::pair{&normal_, kNormal}, {&over_, kOver}, {&down_, kDown},
                                {&disabled_, kDisabled}}) {
      *image = test::SolidBitmap(kWidth, kHeight, color);
    }
  }
  HWND form() const { return form_.get(); }
  HWND button() const { return button_.get(); }
  void AttachWithPictures() {
    ASSERT_TRUE(controller_.AttachButton(button(), normal_.get()));
    controller_.SetStateImages(std::nullopt, over_.get(), down_.get(), disabled_.get());
  }
  int State() const { return static_cast<int>(ReadProperty(button(), property::kDrawState)); }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = MAKELPARAM(5, 5)) {
    return SendMessageA(button(), message, wParam, lParam);
  }

  test::TestWindow form_;
  test::TestWindow button_;
  ImageButton controller_;
  platform::UniqueImage normal_, over_, down_, disabled_;
};

TEST_F(ImageButtonTest, AttachMarksTheButtonOwnerDrawnAndSubclassesIt) {
  const LONG style = GetWindowLongA(button(), GWL_STYLE);
  const LONG_PTR native = GetWindowLongPtrW(button(), GWLP_WNDPROC);
  EXPECT_FALSE(controller_.AttachButton(nullptr));
  AttachWithPictures();
  EXPECT_EQ(controller_.ControlHandle(), button());
  EXPECT_EQ(ControlTypeOf(button()), ControlType::ImageButton);
  EXPECT_EQ(GetWindowLongA(button(), GWL_STYLE), (style & ~WS_CLIPSIBLINGS) | BS_OWNERDRAW);
  EXPECT_EQ(GetWindowLongPtrW(button(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ButtonProc));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(button(), property::kWndProc)), native);
  EXPECT_EQ(ReadImageProperty(button(), property::kNormalImage), normal_.get());
  EXPECT_EQ(ReadImageProperty(button(), "PngControl_OverlImage"), over_.get());
  // A null normal picture given to a second attach keeps the first one.
  ASSERT_TRUE(controller_.AttachButton(button(), nullptr));
  EXPECT_EQ(ReadImageProperty(button(), property::kNormalImage), normal_.get());
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(button(), property::kWndProc)), native);
}

// A radio keeps its type (the role a screen reader reports) and with it a checked state, which an
// owner-drawn button cannot hold.
TEST_F(ImageButtonTest, ARadioKeepsItsTypeAndItsCheckedState) {
  for (const LONG type : {BS_RADIOBUTTON, BS_AUTORADIOBUTTON}) {
    test::TestWindow radio = test::CreateChild(form(), "Button", 30, 50, kWidth, kHeight, WS_CHILD | WS_VISIBLE | type);
    ASSERT_TRUE(controller_.AttachButton(radio.get(), normal_.get()));
    EXPECT_EQ(GetWindowLongA(radio.get(), GWL_STYLE) & BS_TYPEMASK, type);
    SendMessageW(radio.get(), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageW(radio.get(), BM_GETCHECK, 0, 0), BST_CHECKED) << type;
  }
}

TEST_F(ImageButtonTest, StatePicturesAreSetOnlyWhenGiven) {
  AttachWithPictures();
  controller_.SetStateImages(std::nullopt, nullptr);
  EXPECT_EQ(ReadImageProperty(button(), property::kNormalImage), normal_.get());
  EXPECT_EQ(ReadImageProperty(button(), property::kOverImage), nullptr);
  EXPECT_EQ(ReadImageProperty(button(), property::kDownImage), down_.get());

  const std::vector<std::uint8_t> png = test::MakeBlock(test::EncodePng(1, 1, {kOver}));
  const std::vector<std::uint8_t> garbage = test::MakeBlock({1, 2, 3});
  controller_.SetStateImagesFromResources(std::nullopt, png.data(), garbage.data());
  SkinImage decoded = ReadImageProperty(button(), property::kOverImage);
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(test::ReadPixels(decoded, 1, 1), std::vector<Argb>{kOver});
  EXPECT_EQ(ReadImageProperty(button(), property::kDownImage), nullptr);
  EXPECT_EQ(ReadImageProperty(button(), property::kNormalImage), normal_.get());
  EXPECT_EQ(ReadImageProperty(button(), property::kDisableImage), disabled_.get());
  DisposeSkinImage(decoded);

  controller_.SetBackType(2);
  EXPECT_EQ(ReadProperty(button(), property::kBackType), 2);
}

TEST_F(ImageButtonTest, CreateButtonMakesAnAttachedTransparentChild) {
  ImageButton made;
  const HWND handle = made.CreateButton(form(), 5, 6, 30, 12, "OK");
  test::TestWindow owner(handle);
  ASSERT_NE(handle, nullptr);
  char text[8] = {};
  GetWindowTextA(handle, text, sizeof(text));
  EXPECT_STREQ(text, "OK");
  EXPECT_NE(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
  EXPECT_EQ(ControlTypeOf(handle), ControlType::ImageButton);
  EXPECT_EQ(made.ControlHandle(), handle);
  EXPECT_EQ(made.CreateButton(reinterpret_cast<HWND>(0x7FFF0), 0, 0, 1, 1, ""), nullptr);
}

TEST_F(ImageButtonTest, RepaintInvalidatesTheParentAreaFirst) {
  std::vector<InvalidateCall>& calls = invalidateCalls;
  calls.clear();
  api::ScopedOverride invalidate(api::InvalidateRect, &RecordInvalidate);
  RepaintControl(button());
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].hwnd, form());
  EXPECT_EQ(calls[0].rect.left, 30);
  EXPECT_EQ(calls[0].rect.top, 20);
  EXPECT_EQ(calls[0].rect.right, 30 + kWidth);
  EXPECT_EQ(calls[0].rect.bottom, 20 + kHeight);
  EXPECT_EQ(calls[0].erase, FALSE);
  EXPECT_EQ(calls[1].hwnd, button());
  EXPECT_TRUE(calls[1].whole);
  EXPECT_EQ(calls[1].erase, FALSE);
}

// ButtonProc on an ordinary window: every state change is drawn into the button's window DC.
class ButtonProcTest : public ImageButtonTest {
 protected:
  void SetUp() override {
    ImageButtonTest::SetUp();
    AttachWithPictures();
    fakeWindowDc = target_.dc();
  }
  Argb Drawn() const { return target_.Pixel(20, 10) | 0xFF000000; }
  test::PixelDc under_{kWidth, kHeight, kUnder};
  test::PixelDc target_{kWidth, kHeight, 0};
};

TEST_F(ButtonProcTest, NothingIsDrawnBeforeTheFirstPaint) {
  api::ScopedOverride windowDc(api::GetWindowDC, &FakeGetWindowDc);
  api::ScopedOverride track(api::TrackMouseEvent, &RecordTrack);
  Send(WM_MOUSEMOVE);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Over));
  EXPECT_EQ(windowDcs, 0);
  // A real paint captures the snapshot.
  EXPECT_EQ(Send(WM_PAINT, 0, 0), 0);
  EXPECT_NE(GetPropA(button(), property::kCacheBitmap), nullptr);
  EXPECT_EQ(Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(target_.dc()), 0), 1);
  EXPECT_EQ(Send(WM_NCPAINT, 1, 0), 0);
}

TEST_F(ButtonProcTest, PointerAndPressMoveTheState) {
  CaptureCache(button(), under_.dc());
  api::ScopedOverride windowDc(api::GetWindowDC, &FakeGetWindowDc);
  api::ScopedOverride release(api::ReleaseDC, &RecordReleaseDc);
  api::ScopedOverride track(api::TrackMouseEvent, &RecordTrack);

  Send(WM_MOUSEMOVE);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Over));
  EXPECT_EQ(Drawn(), kOver);
  ASSERT_EQ(tracked.size(), 1u);
  EXPECT_EQ(tracked[0].cbSize, sizeof(TRACKMOUSEEVENT));
  EXPECT_EQ(tracked[0].dwFlags, static_cast<DWORD>(TME_LEAVE));
  EXPECT_EQ(tracked[0].hwndTrack, button());
  EXPECT_EQ(released, std::vector<HDC>{target_.dc()});

  const int drawsBefore = windowDcs;
  Send(WM_MOUSEMOVE);
  EXPECT_EQ(windowDcs, drawsBefore);
  EXPECT_EQ(tracked.size(), 1u);

  Send(WM_LBUTTONDOWN, MK_LBUTTON);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Down));
  EXPECT_EQ(Drawn(), kDown);
  // The system button resets its pushed state first, so the click ends in Normal.
  Send(WM_LBUTTONUP);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Normal));
  EXPECT_EQ(Drawn(), kNormal);

  Send(WM_MOUSEMOVE);
  Send(WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Normal));
  EXPECT_EQ(Drawn(), kNormal);
}

TEST_F(ButtonProcTest, FocusAndPushedStateMessages) {
  CaptureCache(button(), under_.dc());
  api::ScopedOverride windowDc(api::GetWindowDC, &FakeGetWindowDc);
  api::ScopedOverride release(api::ReleaseDC, &RecordReleaseDc);

  Send(BM_SETSTATE, 1, 0);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Down));
  EXPECT_EQ(Drawn(), kDown);
  EXPECT_EQ(Send(WM_SETFOCUS, 0, 0), 0);
  EXPECT_EQ(ReadProperty(button(), property::kIsFocus), 1);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Over));
  Send(BM_SETSTATE, 0, 0);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Over));  // focused
  EXPECT_EQ(Send(WM_KILLFOCUS, 0, 0), 0);
  EXPECT_EQ(ReadProperty(button(), "PngControl_IsFoucs"), 0);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Normal));
  EXPECT_EQ(Drawn(), kNormal);
  Send(BM_SETSTATE, 2, 0);  // only exactly 1 means pushed
  EXPECT_EQ(State(), static_cast<int>(DrawState::Normal));
  // Focus arriving while Normal leaves the state alone.
  Send(WM_SETFOCUS, 0, 0);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Normal));
  Send(WM_KILLFOCUS, 0, 0);

  EnableWindow(button(), FALSE);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Disabled));
  EXPECT_EQ(Drawn(), kDisabled);
  EnableWindow(button(), TRUE);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Normal));
  EXPECT_EQ(Drawn(), kNormal);
}

TEST_F(ButtonProcTest, ForcedRedrawOfAnUnchangedState) {
  CaptureCache(button(), under_.dc());
  api::ScopedOverride windowDc(api::GetWindowDC, &FakeGetWindowDc);
  api::ScopedOverride release(api::ReleaseDC, &RecordReleaseDc);
  SetDrawState(button(), DrawState::Normal, false);
  EXPECT_EQ(windowDcs, 0);
  SetDrawState(button(), DrawState::Normal, true);
  EXPECT_EQ(windowDcs, 1);
  SetDrawState(button(), DrawState::Over, false);
  EXPECT_EQ(windowDcs, 2);
  EXPECT_EQ(Drawn(), kOver);
}

// The test form's answer to WM_QUERYUISTATE: its focus cues, hidden as in a form opened with the
// mouse unless a test shows them.
WORD formUiState = UISF_HIDEFOCUS;
HWND uiStateForm = nullptr;
LRESULT WINAPI AnswerUiState(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_QUERYUISTATE && hwnd == uiStateForm) return formUiState;
  return SendMessageW(hwnd, message, wParam, lParam);
}

// ButtonChildProc on a layered form: every state change recomposes and presents the form.
class LayeredButtonTest : public ImageButtonTest {
 protected:
  void SetUp() override {
    ImageButtonTest::SetUp();
    formUiState = UISF_HIDEFOCUS;
    uiStateForm = form_.get();
    background_ = test::SolidBitmap(120, 80, kUnder);
    ASSERT_TRUE(form_controller_.Attach(form()));
    form_controller_.SetBackground(background_.get());
    AttachWithPictures();
    form_controller_.RefreshForm();
    ASSERT_EQ(GetWindowLongPtrW(button(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ButtonChildProc));
  }
  // Shows or hides the form's focus cues and tells its children, as a form does.
  void SetFocusCues(bool shown) {
    formUiState = shown ? 0 : UISF_HIDEFOCUS;
    SendMessageW(button(), WM_UPDATEUISTATE, MAKEWPARAM(shown ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS), 0);
  }
  LayeredForm form_controller_;
  platform::UniqueImage background_;
  api::ScopedOverride<api::types::SendMessageW_t> uiState_{api::SendMessageW, &AnswerUiState};
};

TEST_F(LayeredButtonTest, PointerPressAndClickArePresentedAtOnce) {
  api::ScopedOverride track(api::TrackMouseEvent, &RecordTrack);
  test::PresentRecorder presented;
  const auto shown = [&] { return presented.Pixel(50, 30); };

  Send(WM_MOUSEMOVE);
  ASSERT_EQ(presented.count(), 1);
  EXPECT_EQ(shown(), kOver);
  EXPECT_EQ(presented.Pixel(29, 30), kUnder);
  ASSERT_EQ(tracked.size(), 1u);
  EXPECT_EQ(tracked[0].hwndTrack, button());
  Send(WM_MOUSEMOVE);
  EXPECT_EQ(presented.count(), 1);
  EXPECT_EQ(tracked.size(), 1u);

  Send(WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(presented.count(), 2);
  EXPECT_EQ(shown(), kNormal);

  Send(WM_LBUTTONDOWN, MK_LBUTTON);
  EXPECT_EQ(shown(), kDown);
  Send(WM_LBUTTONUP);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Over));
  EXPECT_EQ(shown(), kOver);
  EXPECT_EQ(presented.count(), 4);

  // Messages without a state change neither recompose nor reach anything but the button.
  Send(BM_SETSTATE, 1, 0);
  EXPECT_EQ(presented.count(), 4);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Over));
}

// The button spans (30, 20) to (69, 39) on the form; its ring lies around it: two white pixels,
// edged with one black.
TEST_F(LayeredButtonTest, TheFocusedButtonHasARingOnlyOnceTheFormShowsFocusCues) {
  test::PresentRecorder presented;
  ASSERT_FALSE(FocusCuesShown(form()));
  const struct {
    int x, y;
    Argb ring;
  } pixels[] = {{28, 18, 0xFFFFFFFF}, {29, 30, 0xFFFFFFFF}, {70, 40, 0xFFFFFFFF}, {71, 41, 0xFFFFFFFF},
                {27, 17, 0xFF000000}, {72, 30, 0xFF000000}, {50, 42, 0xFF000000}};
  const auto ringShown = [&](bool shown) {
    for (const auto& p : pixels) {
      EXPECT_EQ(presented.Pixel(p.x, p.y), shown ? p.ring : kUnder) << p.x << "," << p.y;
    }
    EXPECT_EQ(presented.Pixel(30, 20), kNormal) << "the button's own picture is untouched";
    EXPECT_EQ(presented.Pixel(26, 16), kUnder) << "nothing beyond the ring";
  };

  // A click focuses the button too: without focus cues that composes nothing.
  Send(WM_SETFOCUS, 0, 0);
  EXPECT_EQ(presented.count(), 0);
  ComposeForm(form());
  ringShown(false);

  // The keyboard is used: the form tells its children, and the focused one gains its ring.
  SetFocusCues(true);
  ASSERT_TRUE(FocusCuesShown(form()));
  ASSERT_EQ(presented.count(), 2);
  ringShown(true);
  // A refresh with nothing changed composes nothing; one after the focus property was changed
  // behind the layer's back does.
  form_controller_.RefreshForm();
  EXPECT_EQ(presented.count(), 2);
  SetPropA(button(), property::kIsFocus, nullptr);
  form_controller_.RefreshForm();
  EXPECT_EQ(presented.count(), 3);
  ringShown(false);

  Send(WM_SETFOCUS, 0, 0);
  ringShown(true);
  Send(WM_KILLFOCUS, 0, 0);
  ringShown(false);
  EXPECT_EQ(presented.count(), 5);
}

TEST_F(LayeredButtonTest, DisablingShowsTheDisabledPictureOrTheNormalOne) {
  test::PresentRecorder presented;
  EnableWindow(button(), FALSE);
  EXPECT_EQ(State(), static_cast<int>(DrawState::Disabled));
  EXPECT_EQ(presented.Pixel(50, 30), kDisabled);
  EnableWindow(button(), TRUE);
  EXPECT_EQ(presented.Pixel(50, 30), kNormal);

  controller_.SetStateImages(std::nullopt, nullptr, nullptr, nullptr);
  EnableWindow(button(), FALSE);
  EXPECT_EQ(presented.Pixel(50, 30), kNormal);
  Send(WM_LBUTTONDOWN, MK_LBUTTON);
  EXPECT_EQ(presented.Pixel(50, 30), kNormal);
  EXPECT_EQ(presented.count(), 4);
}

}  // namespace
}  // namespace quorlin::skin
