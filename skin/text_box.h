// Text boxes (ControlType 4) on layered forms.
#pragma once

#include <windows.h>

namespace quorlin::skin {

// Layered-mode procedure that RefreshForm installs on a text box; the replaced procedure is kept
// in "PngControl_ChildWndProc".
LRESULT CALLBACK TextBoxChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quorlin::skin
