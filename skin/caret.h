// The caret of the focused text box on a layered form, drawn into the presented picture.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace quorlin::skin {

// Timer id of a layered form's caret timer and its period.
inline constexpr UINT_PTR kCaretTimerId = 64;
inline constexpr UINT kCaretPeriodMs = 500;

// Draws the caret line of textBox over the picture being presented for form.
void DrawCaret(HWND form, HWND textBox, Gdiplus::GpGraphics* graphics);

// Timer procedure of the caret timer.
void CALLBACK CaretTick(HWND hwnd, UINT message, UINT_PTR id, DWORD time);

}  // namespace quorlin::skin
