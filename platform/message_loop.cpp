// The message loop of the window thread, with the Esc key of the windows that close on it and the
// keys that move the focus among their controls.
#include <optional>
#include <vector>

#include "platform/logic/keyboard_rules.h"
#include "platform/window_registry.h"
#include "platform/window_service.h"

namespace quorlin::platform {

namespace {

// The focus moves by the keyboard: from now on the window shows where the focus is. Giving a
// control the focus raises its window above the windows it owns under Wine without a window
// manager, as a click does: they go back on top.
void FocusFromKeyboard(HWND root, HWND target) {
  api::SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  api::SetFocus(target);
  RaiseOwnedWindows(root);
}

// Tab and Shift+Tab, the arrow keys in a radio group and Enter, in a window whose template has
// controls that the keyboard reaches. Space is the button's own: it clicks the focused button.
bool HandleNavigation(WPARAM key, HWND root, FormWindow* window) {
  const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
  if (key != VK_TAB && key != VK_RETURN && !arrow) return false;
  if (api::GetKeyState(VK_CONTROL) < 0) return false;
  // The keyboard's view of the window's controls, in template order, with their windows.
  std::vector<KeyStop> stops;
  std::vector<HWND> windows;
  std::optional<std::size_t> focused;
  const HWND focus = api::GetFocus();
  for (const ControlTemplate& design : window->design->controls) {
    HWND hwnd = nullptr;
    if (auto it = window->controls.find(design.id); it != window->controls.end()) hwnd = LiveHandle(it->second);
    const bool usable = hwnd != nullptr && api::IsWindowVisible(hwnd) && api::IsWindowEnabled(hwnd);
    const bool checked = design.radio && hwnd != nullptr && api::SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (focus != nullptr && hwnd == focus) focused = stops.size();
    stops.push_back({design.tabStop, design.radio, usable, checked});
    windows.push_back(hwnd);
  }
  // A click from the keyboard, as the button itself reports one: the form runs the button's handler.
  // The button's look does not change (no press is simulated).
  const auto click = [&](std::size_t i) {
    api::SendMessageW(root, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(window->design->controls[i].id), BN_CLICKED),
                      reinterpret_cast<LPARAM>(windows[i]));
    return true;
  };

  if (key == VK_TAB || arrow) {
    if (arrow && (!focused || !stops[*focused].radio)) return false;
    const std::optional<std::size_t> target =
        arrow ? ArrowTarget(stops, *focused, key == VK_LEFT || key == VK_UP)
              : TabTarget(stops, focused, api::GetKeyState(VK_SHIFT) < 0);
    if (!target) return false;
    FocusFromKeyboard(root, windows[*target]);
    // The focused radio is the selected one: moving to a radio by arrow selects it.
    if (arrow && !stops[*target].checked) click(*target);
    return true;
  }
  // Enter clicks the focused button; in a radio group, the default one. With no control focused it
  // does nothing: after a click on Apply (which loses the focus) a stray Enter must not log off.
  if (!focused) return false;
  if (!stops[*focused].radio) return stops[*focused].usable && click(*focused);
  const std::vector<ControlTemplate>& controls = window->design->controls;
  for (std::int32_t id : window->design->defaultButtons)
    for (std::size_t i = 0; i < controls.size(); ++i)
      if (controls[i].id == id && stops[i].usable) return click(i);
  return false;
}

}  // namespace

bool HandleWindowKeys(const MSG& message) {
  // With no focus at all (the focused Apply button was disabled) keys arrive as system keys.
  const bool systemKey = message.message == WM_SYSKEYDOWN;
  if ((message.message != WM_KEYDOWN && !systemKey) || message.hwnd == nullptr) return false;
  HWND root = api::GetAncestor(message.hwnd, GA_ROOT);
  FormWindow* window = FormWindow::FromHandle(root);
  if (window == nullptr || window->hwnd() == nullptr) return false;
  // Esc closes a window whose template says so, whichever of its controls has the focus.
  if (message.wParam == VK_ESCAPE) {
    if (!window->design->escCloses) return false;
    api::SendMessageW(root, WM_CLOSE, 0, 0);
    return true;
  }
  // A system key pressed with Alt is left to the system.
  if (systemKey && (message.lParam & (1 << 29)) != 0) return false;
  return HandleNavigation(message.wParam, root, window);
}

int RunMessageLoop() {
  MSG message;
  while (api::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (HandleWindowKeys(message)) continue;
    api::TranslateMessage(&message);
    api::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace quorlin::platform
