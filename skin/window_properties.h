// The layer's own access to window properties. Every property the layer writes goes through here,
// so that a refresh knows the picture may have changed (frame_memo.h). The properties stay an
// interface open to any code in the process, which may read and write them with GetPropA and
// SetPropA itself.
#pragma once

#include <windows.h>

namespace quorlin::skin {

HANDLE GetLayerProp(HWND hwnd, const char* name);
bool SetLayerProp(HWND hwnd, const char* name, HANDLE value);
void RemoveLayerProp(HWND hwnd, const char* name);

}  // namespace quorlin::skin
