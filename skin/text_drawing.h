// Text of text boxes drawn into a layered form's composition.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace quorlin::skin {

// Draws the box's window text into the composition; (x, y) is the box's top-left corner on the
// form, (width, height) its window size.
void DrawBoxText(Gdiplus::GpGraphics* graphics, HWND box, int x, int y, int width, int height);

}  // namespace quorlin::skin
