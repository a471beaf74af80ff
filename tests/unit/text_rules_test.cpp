#include "skin/logic/text_rules.h"

#include <gtest/gtest.h>

namespace quorlin::skin {
namespace {

TEST(FontRules, OnlyWeights600And700AreBoldAndFlagsCountWhenExactlyOne) {
  for (long weight : {400L, 599L, 701L, 800L, 900L}) EXPECT_EQ(FontStyleBits(weight, 0, 0, 0), 0) << weight;
  EXPECT_EQ(FontStyleBits(600, 0, 0, 0), kFontStyleBold);
  EXPECT_EQ(FontStyleBits(700, 1, 1, 1), kFontStyleBold | kFontStyleItalic | kFontStyleUnderline | kFontStyleStrikeout);
  EXPECT_EQ(FontStyleBits(400, 255, 2, 255), 0);
  EXPECT_FLOAT_EQ(FontEmSize(-16), 16.0f);
  EXPECT_FLOAT_EQ(FontEmSize(16), 16.0f);
  EXPECT_FLOAT_EQ(FontEmSize(0), 0.0f);
}

TEST(CaretLineAt, CentredInTheBoxAndTruncatedTowardZero) {
  EXPECT_EQ(CaretLineAt(30, 40, 28, 17).x, 52);
  EXPECT_EQ(CaretLineAt(30, 40, 28, 17).top, 48);
  EXPECT_EQ(CaretLineAt(30, 40, 27, 0).top, 47);  // 7.5 down
  EXPECT_EQ(CaretLineAt(0, 0, 5, 0).top, -3);     // -3.5: toward zero, not -4
  EXPECT_EQ(CaretLineAt(0, 10, 6, 0).top, 7);     // sticks out of a box lower than the line
}

}  // namespace
}  // namespace quorlin::skin
