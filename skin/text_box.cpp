#include "skin/text_box.h"

#include "platform/win_api.h"
#include "skin/composition.h"
#include "skin/control_properties.h"
#include "skin/subclassing.h"
#include "skin/window_properties.h"

namespace quorlin::skin {
namespace {

// Messages after which the box's text, selection or focus may look different, so the form is
// composed again once the edit control has handled them. WM_KEYUP changes nothing and is not
// among them.
bool ChangesTheLook(UINT message) {
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETTEXT:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_LBUTTONUP:
    case WM_IME_CHAR:
    case WM_CUT:
    case WM_PASTE:
      return true;
    default:
      return false;
  }
}

}  // namespace

LRESULT CALLBACK TextBoxChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, property::kChildWndProc));

  // The focus record follows the keyboard focus; a box that just gained it starts with the caret
  // hidden, so the next caret tick shows it.
  if (message == WM_SETFOCUS) {
    CaretShown = 0;
    FocusForm = api::GetParent(hwnd);
    FocusTextBox = hwnd;
  } else if (message == WM_KILLFOCUS) {
    FocusTextBox = nullptr;
    FocusForm = nullptr;
  }

  const LRESULT result = CallProcedure(previous, hwnd, message, wParam, lParam);
  if (ChangesTheLook(message)) ComposeForm(api::GetParent(hwnd));
  return result;
}

}  // namespace quorlin::skin
