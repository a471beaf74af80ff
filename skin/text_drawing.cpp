#include "skin/text_drawing.h"

namespace quorlin::skin {

// No text is drawn yet.
void DrawBoxText(Gdiplus::GpGraphics*, HWND, int, int, int, int) {}

}  // namespace quorlin::skin
