// The numbered properties of windows and controls: the common ones and those of each kind.
// SetControlProperty and GetControlProperty are declared in window_service.h.
#pragma once

#include <windows.h>

#include "platform/logic/window_template.h"

namespace quorlin::platform {

// Whether a window's position is in its parent's client coordinates (a child, not a pop-up window).
bool HasParentCoordinates(HWND hwnd);
// The window's rectangle in its parent's client coordinates, or on the screen for a top-level window.
RECT CurrentRect(HWND hwnd);
// Applies what was stored for a ref before its window existed, then forgets it.
void ApplyStored(ControlRef ref, HWND hwnd);

}  // namespace quorlin::platform
