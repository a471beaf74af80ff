// Subclassing of skinned controls and their parents: the previous procedure is kept in the window
// property "PngControl_WndProc", and the parent of skinned controls gets the layer's procedure.
#pragma once

#include <windows.h>

namespace quorlin::skin {

// Replaces the window procedure once, keeping the previous one in "PngControl_WndProc"; a window
// that already has that property keeps its chain.
void Subclass(HWND hwnd, WNDPROC procedure);

// Passes a message on to `procedure`, or to the default handling when there is none (creation and
// destruction still need it).
LRESULT CallProcedure(WNDPROC procedure, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Passes a message on to the procedure kept in "PngControl_WndProc".
LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Installed on the parent of skinned controls.
LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quorlin::skin
