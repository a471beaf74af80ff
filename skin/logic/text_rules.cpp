#include "skin/logic/text_rules.h"

namespace quorlin::skin {

int FontStyleBits(long weight, int italic, int underline, int strikeOut) {
  int style = 0;
  if (weight == 600 || weight == 700) style |= kFontStyleBold;
  if (italic == 1) style |= kFontStyleItalic;
  if (underline == 1) style |= kFontStyleUnderline;
  if (strikeOut == 1) style |= kFontStyleStrikeout;
  return style;
}

float FontEmSize(long height) { return static_cast<float>(height < 0 ? -height : height); }

TextRect TextLayoutRect(int x, int y, int width, int height) {
  return {static_cast<float>(x + kTextInset), static_cast<float>(y + kTextInset),
          static_cast<float>(width - 2 * kTextInset), static_cast<float>(height - 2 * kTextInset)};
}

CaretLine CaretLineAt(int boxLeft, int boxTop, int boxHeight, int caretX) {
  // Computed in floating point and truncated toward zero, so an odd height rounds toward the top
  // and a box lower than the line gets a line that starts above it.
  const double x = static_cast<double>(boxLeft) + caretX + kCaretGap;
  const double top = boxTop + (static_cast<double>(boxHeight) - kCaretLength) / 2.0;
  return {static_cast<int>(x), static_cast<int>(top)};
}

}  // namespace quorlin::skin
