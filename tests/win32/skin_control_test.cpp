#include "skin/skin_control.h"

#include <gtest/gtest.h>

#include <vector>

#include "skin/composition.h"
#include "skin/image_button.h"
#include "skin/load_dialog.h"
#include "skin/picture_box.h"
#include "skin/subclassing.h"
#include "tests/win32/skin_test_support.h"

namespace quorlin::skin {
namespace {

// Calls of a few table entries, recorded by fakes installed per test.
struct Calls {
  std::vector<std::pair<HWND, int>> styleWrites;
  std::vector<std::pair<HWND, BOOL>> invalidated;  // window, erase
  int windowDcs = 0;
  int releaseCaptures = 0;
  std::vector<UINT> sentMessages;
  std::vector<HANDLE> terminated;
  std::vector<HANDLE> closed;
  std::vector<HGLOBAL> freed;
  std::vector<Gdiplus::GpImage*> disposed;
};
Calls calls;
HDC fakeWindowDc = nullptr;

api::ScopedOverride<api::types::SetWindowLongA_t>* setLongOverride = nullptr;
LONG WINAPI RecordSetWindowLong(HWND hwnd, int index, LONG value) {
  if (index == GWL_STYLE || index == GWL_EXSTYLE) calls.styleWrites.emplace_back(hwnd, index);
  return setLongOverride->Previous()(hwnd, index, value);
}
BOOL WINAPI RecordInvalidate(HWND hwnd, const RECT*, BOOL erase) {
  calls.invalidated.emplace_back(hwnd, erase);
  return TRUE;
}
HDC WINAPI FakeGetWindowDc(HWND) {
  ++calls.windowDcs;
  return fakeWindowDc;
}
int WINAPI FakeReleaseDc(HWND, HDC) { return 1; }
BOOL WINAPI RecordReleaseCapture() {
  ++calls.releaseCaptures;
  return TRUE;
}
LRESULT WINAPI RecordSendMessage(HWND, UINT message, WPARAM wParam, LPARAM) {
  calls.sentMessages.push_back(message);
  calls.sentMessages.push_back(static_cast<UINT>(wParam));
  return 0;
}
BOOL WINAPI RecordTerminate(HANDLE thread, DWORD) {
  calls.terminated.push_back(thread);
  return TRUE;
}
BOOL WINAPI RecordClose(HANDLE handle) {
  calls.closed.push_back(handle);
  return TRUE;
}
api::ScopedOverride<api::types::GlobalFree_t>* freeOverride = nullptr;
HGLOBAL WINAPI RecordFree(HGLOBAL memory) {
  calls.freed.push_back(memory);
  return freeOverride->Previous()(memory);
}
api::ScopedOverride<api::types::GdipDisposeImage_t>* disposeOverride = nullptr;
Gdiplus::GpStatus WINGDIPAPI RecordDispose(Gdiplus::GpImage* image) {
  calls.disposed.push_back(image);
  return disposeOverride->Previous()(image);
}

class SkinControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureSkinLayer();
    calls = {};
    test::ParentMessages().clear();
    form_ = test::CreateForm(50, 50, 300, 200);
    ASSERT_NE(form(), nullptr);
  }
  HWND form() const { return form_.get(); }
  test::TestWindow form_;
};

TEST_F(SkinControlTest, AttachRefusesNonWindowsAndKeepsTheOldHandle) {
  test::TestWindow child = test::CreateChild(form(), "Static", 0, 0, 10, 10);
  PictureBox control;
  ASSERT_TRUE(control.Attach(child.get()));
  EXPECT_FALSE(control.Attach(nullptr));
  EXPECT_FALSE(control.Attach(reinterpret_cast<HWND>(0x7FFF0)));
  EXPECT_EQ(control.ControlHandle(), child.get());
  EXPECT_TRUE(control.IsAlive());
  child = test::TestWindow();
  EXPECT_FALSE(control.IsAlive());
}

TEST_F(SkinControlTest, ParentIsSubclassedOnceWhateverTheNumberOfControls) {
  test::TestWindow first = test::CreateChild(form(), "Button", 0, 0, 10, 10, WS_CHILD | WS_CLIPSIBLINGS);
  test::TestWindow second = test::CreateChild(form(), "Button", 20, 0, 10, 10);
  SetWindowLongA(form(), GWL_STYLE, GetWindowLongA(form(), GWL_STYLE) | WS_CLIPCHILDREN);
  // The form's own (ANSI) procedure as the wide functions hand it over, which the layer chains with.
  const LONG_PTR own = GetWindowLongPtrW(form(), GWLP_WNDPROC);
  ImageButton button;
  ASSERT_TRUE(button.AttachButton(first.get()));
  ASSERT_TRUE(button.AttachButton(second.get()));
  EXPECT_EQ(GetWindowLongPtrW(form(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ParentProc));
  EXPECT_EQ(GetPropA(form(), property::kWndProc), reinterpret_cast<HANDLE>(own));
  EXPECT_EQ(CallWindowProcW(reinterpret_cast<WNDPROC>(own), form(), WM_CTLCOLORSTATIC, 0, 0), test::kPreviousResult)
      << "the kept procedure is the form's own";
  EXPECT_EQ(GetWindowLongA(form(), GWL_STYLE) & WS_CLIPCHILDREN, 0);
  EXPECT_EQ(GetWindowLongA(first.get(), GWL_STYLE) & WS_CLIPSIBLINGS, 0);
  EXPECT_NE(GetWindowLongA(first.get(), GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
  // The control got its own procedure once as well.
  EXPECT_EQ(GetPropA(first.get(), property::kWndProc), GetPropA(second.get(), property::kWndProc));
  ASSERT_TRUE(button.AttachButton(first.get()));
  EXPECT_EQ(GetWindowLongPtrW(first.get(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ButtonProc));
  EXPECT_NE(GetPropA(first.get(), property::kWndProc), reinterpret_cast<HANDLE>(ButtonProc));
}

TEST_F(SkinControlTest, SkinnedParentKeepsItsProcedureButLosesClipChildren) {
  test::TestWindow parent =
      test::CreateChild(form(), "Static", 0, 0, 100, 100, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
  WriteProperty(parent.get(), property::kType, static_cast<int>(ControlType::PictureBox));
  const LONG_PTR procedure = GetWindowLongPtrW(parent.get(), GWLP_WNDPROC);
  test::TestWindow child = test::CreateChild(parent.get(), "Static", 10, 10, 20, 20);
  PictureBox control;
  ASSERT_TRUE(control.Attach(child.get()));
  EXPECT_EQ(GetWindowLongPtrW(parent.get(), GWLP_WNDPROC), procedure);
  EXPECT_EQ(GetPropA(parent.get(), property::kWndProc), nullptr);
  EXPECT_EQ(GetWindowLongA(parent.get(), GWL_STYLE) & WS_CLIPCHILDREN, 0);
}

TEST_F(SkinControlTest, StyleWordsAreWrittenOnlyWhenTheyChange) {
  test::TestWindow ready =
      test::CreateChild(form(), "Static", 0, 0, 10, 10, WS_CHILD | WS_VISIBLE, WS_EX_TRANSPARENT);
  test::TestWindow fresh = test::CreateChild(form(), "Static", 20, 0, 10, 10, WS_CHILD | WS_CLIPSIBLINGS);
  PictureBox control;
  ASSERT_TRUE(control.Attach(fresh.get()));  // subclasses the form and clears its clip-children
  api::ScopedOverride setLong(api::SetWindowLongA, &RecordSetWindowLong);
  setLongOverride = &setLong;
  calls.styleWrites.clear();
  ASSERT_TRUE(control.Attach(ready.get()));
  EXPECT_TRUE(calls.styleWrites.empty());
  ASSERT_TRUE(control.Attach(fresh.get()));
  EXPECT_TRUE(calls.styleWrites.empty());  // already adjusted by the first attach

  test::TestWindow other = test::CreateChild(form(), "Static", 40, 0, 10, 10, WS_CHILD | WS_CLIPSIBLINGS);
  ASSERT_TRUE(control.Attach(other.get()));
  const std::vector<std::pair<HWND, int>> expected{{other.get(), GWL_STYLE}, {other.get(), GWL_EXSTYLE}};
  EXPECT_EQ(calls.styleWrites, expected);
}

TEST_F(SkinControlTest, OperationsActOnTheBoundWindow) {
  test::TestWindow child = test::CreateChild(form(), "Static", 0, 0, 10, 10);
  SetWindowTextA(child.get(), "abcd");
  PictureBox control;
  ASSERT_TRUE(control.Attach(child.get()));
  EXPECT_TRUE(control.SetProperty(property::kBackColor, -1));
  EXPECT_EQ(control.GetProperty(property::kBackColor), -1);
  EXPECT_EQ(control.GetProperty(property::kOrderColor), 0);
  const PictureBox& constant = control;
  EXPECT_EQ(constant.ControlHandle(), child.get());
  EXPECT_EQ(control.SendToControl(WM_GETTEXTLENGTH, 0, 0), 4);
  EXPECT_EQ(constant.SendToControl(WM_GETTEXTLENGTH, 0, 0), 4);
  api::ScopedOverride invalidate(api::InvalidateRect, &RecordInvalidate);
  control.Invalidate();
  EXPECT_EQ(calls.invalidated, (std::vector<std::pair<HWND, BOOL>>{{child.get(), FALSE}}));
}

TEST_F(SkinControlTest, MoveControlKeepsWhatIsNotGiven) {
  test::TestWindow child = test::CreateChild(form(), "Static", 15, 25, 60, 40);
  PictureBox control;
  ASSERT_TRUE(control.Attach(child.get()));
  control.MoveControl(70);
  RECT rect{};
  GetWindowRect(child.get(), &rect);
  MapWindowPoints(nullptr, form(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 70);
  EXPECT_EQ(rect.top, 25);
  EXPECT_EQ(rect.right - rect.left, 60);
  EXPECT_EQ(rect.bottom - rect.top, 40);
  control.MoveControl(std::nullopt, std::nullopt, 30);
  GetWindowRect(child.get(), &rect);
  MapWindowPoints(nullptr, form(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 70);
  EXPECT_EQ(rect.right - rect.left, 30);
  EXPECT_EQ(rect.bottom - rect.top, 40);
}

TEST_F(SkinControlTest, StateImageFallsBackToTheNormalPicture) {
  test::TestWindow child = test::CreateChild(form(), "Button", 0, 0, 10, 10);
  auto normal = reinterpret_cast<SkinImage>(0x1000);
  auto over = reinterpret_cast<SkinImage>(0x2000);
  WriteImageProperty(child.get(), property::kNormalImage, normal);
  for (int state : {0, 1, 2, 3, 9, -1}) {
    WriteProperty(child.get(), property::kDrawState, state);
    EXPECT_EQ(StateImage(child.get()), normal) << state;
  }
  WriteImageProperty(child.get(), "PngControl_OverlImage", over);
  WriteProperty(child.get(), "Zephel_DrawState", 1);
  EXPECT_EQ(StateImage(child.get()), over);
  WriteProperty(child.get(), property::kDrawState, 2);
  EXPECT_EQ(StateImage(child.get()), normal);
}

// ParentProc, seen from the parent of skinned controls.
class ParentProcTest : public SkinControlTest {
 protected:
  void SetUp() override {
    SkinControlTest::SetUp();
    picture_ = test::CreateChild(form(), "Static", 0, 0, 20, 20);
    PictureBox box;
    ASSERT_TRUE(box.AttachPicture(picture_.get()));
    edit_ = test::CreateChild(form(), "Edit", 30, 0, 50, 20);
    plainEdit_ = test::CreateChild(form(), "Edit", 90, 0, 50, 20);
    WriteProperty(edit_.get(), property::kType, static_cast<int>(ControlType::TextBox));
    WriteProperty(edit_.get(), property::kTextColor, RGB(255, 0, 0));
    test::ParentMessages().clear();
  }
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(form(), message, wParam, lParam);
  }
  test::TestWindow picture_;
  test::TestWindow edit_;
  test::TestWindow plainEdit_;
  test::PixelDc dc_{4, 4, 0};
};

TEST_F(ParentProcTest, ColourMessagesOfSkinnedControlsGetTheNullBrush) {
  SetTextColor(dc_.dc(), RGB(1, 2, 3));
  SetBkMode(dc_.dc(), OPAQUE);
  const LRESULT brush = Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc_.dc()),
                             reinterpret_cast<LPARAM>(picture_.get()));
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(GetBkMode(dc_.dc()), TRANSPARENT);
  EXPECT_EQ(GetTextColor(dc_.dc()), RGB(1, 2, 3));
  EXPECT_TRUE(test::ParentMessages().empty());

  SetBkMode(dc_.dc(), OPAQUE);
  Send(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc_.dc()), reinterpret_cast<LPARAM>(edit_.get()));
  EXPECT_EQ(GetTextColor(dc_.dc()), RGB(255, 0, 0));
  EXPECT_EQ(GetBkMode(dc_.dc()), TRANSPARENT);
}

TEST_F(ParentProcTest, OtherColourMessagesGoToThePreviousProcedure) {
  EXPECT_EQ(Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc_.dc()), reinterpret_cast<LPARAM>(plainEdit_.get())),
            test::kPreviousResult);
  EXPECT_EQ(Send(WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(dc_.dc()), reinterpret_cast<LPARAM>(picture_.get())),
            test::kPreviousResult);
  EXPECT_EQ(test::ParentMessages(), (std::vector<UINT>{WM_CTLCOLORSTATIC, WM_CTLCOLORSCROLLBAR}));
}

TEST_F(ParentProcTest, EditNotificationsInvalidateOnlyTextBoxes) {
  api::ScopedOverride invalidate(api::InvalidateRect, &RecordInvalidate);
  const auto command = [&](HWND control, WORD code) {
    return Send(WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(control));
  };
  EXPECT_EQ(command(plainEdit_.get(), EN_CHANGE), test::kPreviousResult);
  EXPECT_TRUE(calls.invalidated.empty());
  EXPECT_EQ(command(edit_.get(), EN_UPDATE), test::kPreviousResult);
  EXPECT_TRUE(calls.invalidated.empty());
  for (WORD code : {EN_CHANGE, EN_HSCROLL, EN_VSCROLL}) {
    EXPECT_EQ(command(edit_.get(), code), test::kPreviousResult);
  }
  EXPECT_EQ(calls.invalidated, (std::vector<std::pair<HWND, BOOL>>(3, {edit_.get(), TRUE})));
  EXPECT_EQ(test::ParentMessages().size(), 5u);
}

TEST_F(ParentProcTest, CustomDrawRepaintsImageButtonsOnly) {
  test::TestWindow button = test::CreateChild(form(), "Button", 0, 30, 20, 20);
  ImageButton controller;
  ASSERT_TRUE(controller.AttachButton(button.get()));
  test::PixelDc under(20, 20, 0xFF445566);
  CaptureCache(button.get(), under.dc());
  CaptureCache(picture_.get(), under.dc());
  test::PixelDc target(20, 20, 0);
  fakeWindowDc = target.dc();
  api::ScopedOverride windowDc(api::GetWindowDC, &FakeGetWindowDc);
  api::ScopedOverride release(api::ReleaseDC, &FakeReleaseDc);
  test::ParentMessages().clear();

  NMHDR fromPicture{picture_.get(), 0, static_cast<UINT>(NM_CUSTOMDRAW)};
  EXPECT_EQ(Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&fromPicture)), test::kPreviousResult);
  EXPECT_EQ(calls.windowDcs, 0);
  NMHDR otherCode{button.get(), 0, static_cast<UINT>(NM_CLICK)};
  EXPECT_EQ(Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&otherCode)), test::kPreviousResult);
  EXPECT_EQ(calls.windowDcs, 0);
  NMHDR fromButton{button.get(), 0, static_cast<UINT>(NM_CUSTOMDRAW)};
  EXPECT_EQ(Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&fromButton)), test::kPreviousResult);
  EXPECT_EQ(calls.windowDcs, 1);
  EXPECT_EQ(target.Pixel(10, 10) & 0x00FFFFFF, 0x445566u);  // the snapshot, repainted
  EXPECT_EQ(test::ParentMessages().size(), 3u);
}

class LoadDialogTest : public SkinControlTest {
 protected:
  void SetUp() override {
    SkinControlTest::SetUp();
    dialog_ = test::TestWindow(CreateWindowExA(0, kLoadDialogClass, "", WS_POPUP, 0, 0, 100, 80, nullptr, nullptr,
                                               GetModuleHandleA(nullptr), nullptr));
    ASSERT_NE(dialog_.get(), nullptr);
  }
  test::TestWindow dialog_;
};

TEST_F(LoadDialogTest, OnlyHitMoveOneStartsADrag) {
  api::ScopedOverride capture(api::ReleaseCapture, &RecordReleaseCapture);
  api::ScopedOverride send(api::SendMessageA, &RecordSendMessage);
  SendMessageA(dialog_.get(), WM_LBUTTONDOWN, 0, 0);
  WriteProperty(dialog_.get(), property::kHitMove, 2);
  SendMessageA(dialog_.get(), WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(calls.releaseCaptures, 0);
  EXPECT_TRUE(calls.sentMessages.empty());
  WriteProperty(dialog_.get(), property::kHitMove, 1);
  SendMessageA(dialog_.get(), WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(calls.releaseCaptures, 1);
  EXPECT_EQ(calls.sentMessages, (std::vector<UINT>{WM_NCLBUTTONDOWN, HTCAPTION}));
}

TEST_F(LoadDialogTest, DestroySkipsWhatWasNeverHandedOver) {
  api::ScopedOverride terminate(api::TerminateThread, &RecordTerminate);
  api::ScopedOverride close(api::CloseHandle, &RecordClose);
  api::ScopedOverride frees(api::GlobalFree, &RecordFree);
  freeOverride = &frees;
  api::ScopedOverride dispose(api::GdipDisposeImage, &RecordDispose);
  disposeOverride = &dispose;
  dialog_ = test::TestWindow();
  EXPECT_TRUE(calls.terminated.empty());
  EXPECT_TRUE(calls.closed.empty());
  EXPECT_TRUE(calls.freed.empty());
  EXPECT_TRUE(calls.disposed.empty());
}

TEST_F(LoadDialogTest, DestroyReleasesThreadImageAndMemory) {
  const std::vector<std::uint8_t> block = test::MakeBlock(test::EncodePng(1, 1, {0xFF00FF00}));
  SkinImage image = LoadSkinImage(block.data());
  ASSERT_NE(image, nullptr);
  HGLOBAL memory = GlobalAlloc(GMEM_FIXED, 16);
  const auto thread = reinterpret_cast<HANDLE>(0x4321);
  WriteProperty(dialog_.get(), property::kThread, reinterpret_cast<std::intptr_t>(thread));
  WriteImageProperty(dialog_.get(), property::kImage, image);
  WriteProperty(dialog_.get(), property::kStream, reinterpret_cast<std::intptr_t>(memory));

  api::ScopedOverride terminate(api::TerminateThread, &RecordTerminate);
  api::ScopedOverride close(api::CloseHandle, &RecordClose);
  api::ScopedOverride frees(api::GlobalFree, &RecordFree);
  freeOverride = &frees;
  api::ScopedOverride dispose(api::GdipDisposeImage, &RecordDispose);
  disposeOverride = &dispose;
  dialog_ = test::TestWindow();
  EXPECT_EQ(calls.terminated, std::vector<HANDLE>{thread});
  EXPECT_EQ(calls.closed, std::vector<HANDLE>{thread});
  EXPECT_EQ(calls.disposed, std::vector<Gdiplus::GpImage*>{image});
  // The image's own copy of its bytes, then the memory the caller handed over.
  ASSERT_EQ(calls.freed.size(), 2u);
  EXPECT_EQ(calls.freed.back(), memory);
}

}  // namespace
}  // namespace quorlin::skin
