#include "skin/text_box.h"

#include "platform/win_api.h"
#include "skin/skin_control.h"

namespace quorlin::skin {

// For now a text box on a layered form behaves exactly as before it was switched.
LRESULT CALLBACK TextBoxChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(api::GetPropA(hwnd, property::kChildWndProc));
  if (previous == nullptr) return api::DefWindowProcA(hwnd, message, wParam, lParam);
  return api::CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

}  // namespace quorlin::skin
