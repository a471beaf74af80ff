// The layer's own access to window properties. Every property the layer writes goes through here,
// and so is mirrored in the process: reading it back costs no call into the window system. The
// window keeps the real property too, for any code that reads it. A property that something other
// than the layer writes (the load dialog's) is read with GetPropA itself.
#pragma once

#include <windows.h>

#include <vector>

namespace quorlin::skin {

HANDLE GetLayerProp(HWND hwnd, const char* name);
bool SetLayerProp(HWND hwnd, const char* name, HANDLE value);
void RemoveLayerProp(HWND hwnd, const char* name);
// The windows of this process that the layer knows to have a non-zero property `name` (written
// through the layer, or read by it).
std::vector<HWND> WindowsWithLayerProp(const char* name);
// The window is being destroyed: what the mirror knows of it goes.
void ForgetLayerProps(HWND hwnd);

}  // namespace quorlin::skin
