#include "skin/caret.h"

namespace quorlin::skin {

// No caret is drawn yet; the timer ticks without effect.
void DrawCaret(HWND, HWND, Gdiplus::GpGraphics*) {}

void CALLBACK CaretTick(HWND, UINT, UINT_PTR, DWORD) {}

}  // namespace quorlin::skin
