#include "skin/window_properties.h"

#include "platform/win_api.h"
#include "skin/frame_memo.h"

namespace quorlin::skin {

HANDLE GetLayerProp(HWND hwnd, const char* name) { return api::GetPropA(hwnd, name); }

// Counted once written: a composition reads the count before anything else, so one that may
// have read the old value composes again at the next refresh.
bool SetLayerProp(HWND hwnd, const char* name, HANDLE value) {
  const bool written = api::SetPropA(hwnd, name, value) != FALSE;
  NoteChange();
  return written;
}

void RemoveLayerProp(HWND hwnd, const char* name) {
  api::RemovePropA(hwnd, name);
  NoteChange();
}

}  // namespace quorlin::skin
