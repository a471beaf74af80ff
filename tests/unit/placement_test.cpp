#include "skin/logic/placement.h"

#include <gtest/gtest.h>

namespace quorlin::skin {
namespace {

void ExpectRect(const ImageRect& rect, float x, float y, float width, float height) {
  EXPECT_FLOAT_EQ(rect.x, x);
  EXPECT_FLOAT_EQ(rect.y, y);
  EXPECT_FLOAT_EQ(rect.width, width);
  EXPECT_FLOAT_EQ(rect.height, height);
}

TEST(FitInside, ShrinksByTheLimitingSideAndNeverEnlarges) {
  const FitSize wide = FitInside(400, 100, 200, 200);
  EXPECT_EQ(wide.width, 200);
  EXPECT_EQ(wide.height, 50);
  const FitSize tall = FitInside(100, 400, 200, 200);
  EXPECT_EQ(tall.width, 50);
  EXPECT_EQ(tall.height, 200);
  const FitSize small = FitInside(50, 50, 200, 200);
  EXPECT_EQ(small.width, 50);
  EXPECT_EQ(small.height, 50);
}

TEST(FitInside, SecondStepUsesTheTruncatedResultOfTheFirst) {
  // 300 x 200 into 100 x 50: first 100 x 66 (66.67 truncated), then 75 (100 * 50 / 66) x 50.
  const FitSize fit = FitInside(300, 200, 100, 50);
  EXPECT_EQ(fit.width, 75);
  EXPECT_EQ(fit.height, 50);
  // 3 x 2 into 2 x 2: the height 4 / 3 truncates to 1.
  const FitSize tiny = FitInside(3, 2, 2, 2);
  EXPECT_EQ(tiny.width, 2);
  EXPECT_EQ(tiny.height, 1);
}

TEST(FitInside, EmptyPictureStaysEmpty) {
  const FitSize fit = FitInside(0, 0, 10, 10);
  EXPECT_EQ(fit.width, 0);
  EXPECT_EQ(fit.height, 0);
}

TEST(PlaceImage, StretchFillsTheControlWhateverThePictureSize) {
  const Placement big = PlaceImage(kBackTypeStretch, 400, 300, 160, 52);
  ExpectRect(big.destination, 0, 0, 160, 52);
  EXPECT_FALSE(big.cropped);
  ExpectRect(PlaceImage(kBackTypeStretch, 10, 10, 160, 52).destination, 0, 0, 160, 52);
}

TEST(PlaceImage, FitCentresTheShrunkPicture) {
  ExpectRect(PlaceImage(kBackTypeFit, 400, 100, 200, 200).destination, 0, 75, 200, 50);
  ExpectRect(PlaceImage(kBackTypeFit, 50, 50, 200, 200).destination, 75, 75, 50, 50);
  // Odd remainders truncate: (200 - 51) / 2 = 74.
  ExpectRect(PlaceImage(kBackTypeFit, 51, 51, 200, 200).destination, 74, 74, 51, 51);
  // Fractional picture sizes are truncated before fitting.
  ExpectRect(PlaceImage(kBackTypeFit, 50.9, 50.9, 200, 200).destination, 75, 75, 50, 50);
  EXPECT_FALSE(PlaceImage(kBackTypeFit, 400, 100, 200, 200).cropped);
}

TEST(PlaceImage, NaturalSizeForEveryOtherBackType) {
  for (int backType : {0, 3, 7, -1}) {
    const Placement placement = PlaceImage(backType, 22, 22, 160, 52);
    ExpectRect(placement.destination, 0, 0, 22, 22);
    EXPECT_FALSE(placement.cropped) << backType;
  }
}

TEST(PlaceImage, NaturalSizeLargerThanTheControlIsCroppedToIt) {
  const Placement wider = PlaceImage(0, 161, 52, 160, 52);
  EXPECT_TRUE(wider.cropped);
  ExpectRect(wider.destination, 0, 0, 161, 52);
  ExpectRect(wider.source, 0, 0, 160, 52);

  const Placement exact = PlaceImage(0, 160, 52, 160, 52);
  EXPECT_FALSE(exact.cropped);
  ExpectRect(exact.source, 0, 0, 160, 52);

  // Only the side that overflows is limited.
  const Placement taller = PlaceImage(0, 100, 60, 160, 52);
  EXPECT_TRUE(taller.cropped);
  ExpectRect(taller.source, 0, 0, 100, 52);
}

TEST(PlaceImage, CropToleratesExcessUpToOneTenMillionth) {
  EXPECT_FALSE(PlaceImage(0, 160 + 5e-8, 52, 160, 52).cropped);
  EXPECT_FALSE(PlaceImage(0, 160, 52 + 5e-8, 160, 52).cropped);
  EXPECT_TRUE(PlaceImage(0, 160 + 2e-7, 52, 160, 52).cropped);
  EXPECT_TRUE(PlaceImage(0, 160, 52 + 2e-7, 160, 52).cropped);
}

TEST(ColorToArgb, SwapsRedAndBlueAndPutsAlphaOnTop) {
  EXPECT_EQ(ColorToArgb(0x000000FFu, 255), 0xFFFF0000u);  // RGB(255, 0, 0), opaque
  EXPECT_EQ(ColorToArgb(0x00563412u, 0x80), 0x80123456u);
  EXPECT_EQ(ColorToArgb(0x00FF0000u, 0), 0x000000FFu);   // blue, fully transparent
  EXPECT_EQ(ColorToArgb(0, 255), 0xFF000000u);           // the caret's opaque black
  EXPECT_EQ(ColorToArgb(0, 0), 0u);                      // unset colour and alpha
}

}  // namespace
}  // namespace quorlin::skin
