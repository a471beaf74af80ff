// Arithmetic of text-box drawing: the GDI+ font taken from a GDI font's fields, the rectangle the
// text is laid out in and where the imitated caret goes. Pure arithmetic, built and tested without
// Win32.
#pragma once

namespace quorlin::skin {

// GDI+ FontStyle bits.
inline constexpr int kFontStyleBold = 1;
inline constexpr int kFontStyleItalic = 2;
inline constexpr int kFontStyleUnderline = 4;
inline constexpr int kFontStyleStrikeout = 8;

// GDI+ UnitPixel: text-box fonts are always sized in pixels.
inline constexpr int kFontUnitPixel = 2;

// Style bits from the LOGFONT fields. Only the weights 600 and 700 are bold (heavier ones draw
// regular), and each flag counts only when it is exactly 1.
int FontStyleBits(long weight, int italic, int underline, int strikeOut);

// The em size for a LOGFONT height: a negative (character) height by its absolute value, a
// positive (cell) height used as it is, 0 stays 0.
float FontEmSize(long height);

struct TextRect {
  float x = 0;
  float y = 0;
  float width = 0;
  float height = 0;
};

// The box's text is laid out 2 pixels inside its rectangle on every side.
inline constexpr int kTextInset = 2;
TextRect TextLayoutRect(int x, int y, int width, int height);

// The caret line: kCaretLength pixels long, kCaretGap pixels right of the system caret position and
// centred vertically in the box whatever the box height.
inline constexpr int kCaretLength = 12;
inline constexpr int kCaretGap = 5;

struct CaretLine {
  int x = 0;
  int top = 0;  // the line runs from top to top + kCaretLength
};

// boxLeft, boxTop: the box's corner on the form; caretX: the system caret's x in the box.
CaretLine CaretLineAt(int boxLeft, int boxTop, int boxHeight, int caretX);

}  // namespace quorlin::skin
