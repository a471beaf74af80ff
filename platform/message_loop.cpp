// The message loop of the window thread, with the Esc key of the windows that close on it.
#include "platform/window_registry.h"
#include "platform/window_service.h"

namespace quorlin::platform {

namespace {

// Esc in a window whose template says so, whichever of its controls has the focus, closes it.
bool HandleEscape(const MSG& message) {
  // With no focus at all (the focused Apply button was disabled) keys arrive as system keys.
  bool key = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  if (!key || message.wParam != VK_ESCAPE || message.hwnd == nullptr) return false;
  HWND root = api::GetAncestor(message.hwnd, GA_ROOT);
  FormWindow* window = FormWindow::FromHandle(root);
  if (window == nullptr || window->hwnd() == nullptr || !window->design->escCloses) return false;
  api::SendMessageW(root, WM_CLOSE, 0, 0);
  return true;
}

}  // namespace

int RunMessageLoop() {
  MSG message;
  while (api::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (HandleEscape(message)) continue;
    api::TranslateMessage(&message);
    api::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace quorlin::platform
