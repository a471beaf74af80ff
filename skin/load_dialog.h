// The "ZephelLoadDialog" window class, registered at start-up for a loading window: it ends the
// loader thread and releases the picture and memory its creator handed it, and can be dragged.
#pragma once

#include <windows.h>

namespace quorlin::skin {

inline constexpr char kLoadDialogClass[] = "ZephelLoadDialog";

// Procedure of the "ZephelLoadDialog" class.
LRESULT CALLBACK LoadDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

void RegisterLoadDialogClass();

}  // namespace quorlin::skin
