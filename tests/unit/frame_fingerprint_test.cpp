#include "skin/logic/frame_fingerprint.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "skin/logic/pixel_rows.h"

namespace quorlin::skin {
namespace {

FormFingerprint Form() {
  FormFingerprint form;
  form.width = 800;
  form.height = 540;
  form.background = 0x1000;
  ChildFingerprint button;
  button.type = 3;
  button.left = 552;
  button.top = 437;
  button.width = 160;
  button.height = 52;
  button.visible = true;
  button.picture = 0x2000;
  ChildFingerprint box;
  box.type = 4;
  box.width = 100;
  box.height = 20;
  box.text = "abc";
  box.font = 0x3000;
  box.fontDescription = {1, 2, 3};
  form.children = {button, box};
  return form;
}

// A memo that has just presented the composition of Form() as presentation 7.
FrameMemo Presented() {
  FrameMemo memo;
  memo.Composed(Form(), 7);
  return memo;
}

TEST(FrameMemo, ComposesUntilSomethingWasPresentedAndSkipsWhileNothingChanged) {
  FrameMemo memo;
  EXPECT_EQ(memo.Decide(Form(), false, 0), RefreshAction::Compose);
  memo = Presented();
  EXPECT_EQ(memo.Decide(Form(), false, 0), RefreshAction::Skip);
  memo.Forget();
  EXPECT_EQ(memo.Decide(Form(), false, 0), RefreshAction::Compose);
}

TEST(FrameMemo, AnyInputOfThePictureThatChangedMeansComposing) {
  const std::vector<std::function<void(FormFingerprint&)>> changes = {
      [](FormFingerprint& f) { f.width = 801; },
      [](FormFingerprint& f) { f.height = 1; },
      [](FormFingerprint& f) { f.background = 0x1001; },
      [](FormFingerprint& f) { f.children.pop_back(); },
      [](FormFingerprint& f) { std::swap(f.children[0], f.children[1]); },  // drawing order
      [](FormFingerprint& f) { f.children.push_back(f.children[0]); },
      [](FormFingerprint& f) { f.children[0].type = 2; },
      [](FormFingerprint& f) { f.children[0].left += 1; },
      [](FormFingerprint& f) { f.children[0].top -= 1; },
      [](FormFingerprint& f) { f.children[0].width = 161; },
      [](FormFingerprint& f) { f.children[0].height = 51; },
      [](FormFingerprint& f) { f.children[0].visible = false; },
      [](FormFingerprint& f) { f.children[0].backType = 1; },
      [](FormFingerprint& f) { f.children[0].drawState = 1; },
      [](FormFingerprint& f) { f.children[0].picture = 0x2001; },
      [](FormFingerprint& f) { f.children[1].text = "abd"; },
      [](FormFingerprint& f) { f.children[1].font = 0x3001; },
      [](FormFingerprint& f) { f.children[1].fontDescription[2] = 4; },
      [](FormFingerprint& f) { f.children[1].textColor = 0xFF; },
      [](FormFingerprint& f) { f.children[1].backColor = -1; },
      [](FormFingerprint& f) { f.children[1].backAlpha = 128; },
      [](FormFingerprint& f) { f.children[1].orderColor = 0xFF00; },
      [](FormFingerprint& f) { f.children[1].orderAlpha = 255; },
  };
  const FrameMemo memo = Presented();
  for (std::size_t i = 0; i < changes.size(); ++i) {
    FormFingerprint now = Form();
    changes[i](now);
    EXPECT_EQ(memo.Decide(now, false, 0), RefreshAction::Compose) << "change " << i;
  }
}

TEST(FrameMemo, APresentationOfAnythingElseMeansComposingAgain) {
  FrameMemo memo = Presented();
  memo.Presented(8);  // e.g. a test or a caret blink on a form that is no longer the focus form
  EXPECT_EQ(memo.Decide(Form(), false, 0), RefreshAction::Compose);
  memo.Composed(Form(), 9);
  EXPECT_EQ(memo.Decide(Form(), false, 0), RefreshAction::Skip);
}

TEST(FrameMemo, TheFocusFormSkipsOnlyWhileItsOwnCompositionIsKept) {
  FrameMemo memo = Presented();
  // Became the focus form after its last composition: FocusComposition holds nothing of it yet.
  EXPECT_EQ(memo.Decide(Form(), true, 0), RefreshAction::Compose);
  memo.Kept(5);
  EXPECT_EQ(memo.Decide(Form(), true, 5), RefreshAction::Skip);
  EXPECT_EQ(memo.Decide(Form(), true, 6), RefreshAction::Compose);  // another form's, or replaced
  // A new composition that was not kept forgets the old serial.
  memo.Composed(Form(), 9);
  EXPECT_EQ(memo.Decide(Form(), true, 5), RefreshAction::Compose);
}

TEST(FrameMemo, AfterACaretBlinkTheFocusFormPresentsItsKeptCompositionAgain) {
  FrameMemo memo = Presented();
  memo.Kept(5);
  memo.Presented(8);  // the caret shown over the kept composition
  EXPECT_EQ(memo.Decide(Form(), true, 5), RefreshAction::PresentKept);
  memo.Presented(9);  // presented again, without the caret
  memo.ShownAgain();
  EXPECT_EQ(memo.Decide(Form(), true, 5), RefreshAction::Skip);
  // A change still needs a composition, caret or not.
  memo.Presented(10);
  FormFingerprint moved = Form();
  moved.children[0].left = 0;
  EXPECT_EQ(memo.Decide(moved, true, 5), RefreshAction::Compose);
}

TEST(BackTypeMatters, OnlyAPictureOfTheControlsOwnSizeIsPlacedAlikeByEveryBackType) {
  EXPECT_FALSE(BackTypeMatters(160, 52, 160, 52));
  EXPECT_FALSE(BackTypeMatters(22, 22, 22, 22));
  EXPECT_TRUE(BackTypeMatters(161, 52, 160, 52));  // cropped at natural size, shrunk to fit
  EXPECT_TRUE(BackTypeMatters(20, 20, 22, 22));    // stretched by type 1
  EXPECT_TRUE(BackTypeMatters(400, 100, 200, 200));
  EXPECT_TRUE(BackTypeMatters(160, 52, 160, 60));
}

TEST(CopyOpaqueOrClearRow, CopiesOpaquePixelsAndZeroesClearOnes) {
  const std::vector<std::uint32_t> row = {0xFF102030, 0x00FFFFFF, 0xFFFFFFFF, 0x00000001};
  std::vector<std::uint32_t> out(row.size(), 0xDEADBEEF);
  ASSERT_TRUE(CopyOpaqueOrClearRow(row.data(), out.data(), 4));
  EXPECT_EQ(out, (std::vector<std::uint32_t>{0xFF102030, 0, 0xFFFFFFFF, 0}));
}

TEST(CopyOpaqueOrClearRow, RefusesARowWithAnyPartlyTransparentPixel) {
  for (std::uint32_t alpha : {0x01u, 0x80u, 0xFEu}) {
    const std::vector<std::uint32_t> row = {0xFF000000, (alpha << 24) | 0x00808080, 0xFF000000};
    std::vector<std::uint32_t> out(row.size());
    EXPECT_FALSE(CopyOpaqueOrClearRow(row.data(), out.data(), 3)) << alpha;
  }
  std::vector<std::uint32_t> none;
  EXPECT_TRUE(CopyOpaqueOrClearRow(none.data(), none.data(), 0));
}

TEST(OpaqueRowToArgb, WidensStoredRowsToOpaqueArgb) {
  const std::vector<std::uint8_t> bgr{0x01, 0x02, 0x03, 0xFF, 0x00, 0x80};
  std::vector<std::uint32_t> out(2, 0);
  OpaqueRgb24RowToArgb(bgr.data(), out.data(), 2);
  EXPECT_EQ(out, (std::vector<std::uint32_t>{0xFF030201u, 0xFF8000FFu}));
  // The unused byte of a 32-bit row may hold anything: the result is opaque whatever it is.
  const std::vector<std::uint32_t> xrgb{0x00102030u, 0x7F405060u, 0xFFFFFFFFu};
  std::vector<std::uint32_t> wide(3, 0);
  OpaqueRgb32RowToArgb(xrgb.data(), wide.data(), 3);
  EXPECT_EQ(wide, (std::vector<std::uint32_t>{0xFF102030u, 0xFF405060u, 0xFFFFFFFFu}));
}

}  // namespace
}  // namespace quorlin::skin
