// The form's window procedure: background, mouse pointer, clicks, moves, free move, deferred close,
// owned windows on top.
#include "platform/form_window.h"

#include "platform/handle_owners.h"
#include "platform/window_registry.h"
#include "platform/window_service.h"

namespace quorlin::platform {

// Posted when a click or an activation may have raised a window above the windows it owns.
constexpr UINT kRaiseOwnedMessage = WM_APP + 0x52;

HWND LiveHandle(ControlState& control) {
  if (control.hwnd != nullptr && !api::IsWindow(control.hwnd)) control.hwnd = nullptr;
  return control.hwnd;
}

// Keeps a window's owned windows above it. Each goes through topmost and back: a real change of place,
// so the window system restacks it even where it already believes it is on top (Wine without a window
// manager raises a clicked owner above its owned windows); it ends just where it belongs.
void RaiseOwnedWindows(HWND owner) {
  static bool raising = false;  // the restacking itself reports z-order changes
  if (raising) return;
  raising = true;
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  for (auto& [id, window] : service().windows) {
    HWND owned = window->hwnd();
    if (owned == nullptr || owned == owner || api::GetWindow(owned, GW_OWNER) != owner) continue;
    api::SetWindowPos(owned, HWND_TOPMOST, 0, 0, 0, 0, flags);
    api::SetWindowPos(owned, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  }
  raising = false;
}

std::optional<LRESULT> FormWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      service().windows[design->id] = this;
      return std::nullopt;
    case WM_ERASEBKGND: {
      if (!backColor) return std::nullopt;
      RECT client;
      api::GetClientRect(hwnd_, &client);
      api::FillRect(reinterpret_cast<HDC>(wParam), &client, UniqueBrush(api::CreateSolidBrush(*backColor)).get());
      return 1;
    }
    case WM_ACTIVATE:
    case WM_PARENTNOTIFY:
      if (message == WM_ACTIVATE ? LOWORD(wParam) != WA_INACTIVE : LOWORD(wParam) == WM_LBUTTONDOWN)
        api::PostMessageW(hwnd_, kRaiseOwnedMessage, 0, 0);
      return std::nullopt;
    case kRaiseOwnedMessage:
      RaiseOwnedWindows(hwnd_);
      return 0;
    case WM_SETCURSOR: {
      // Sent to the window under the pointer and, by the default handling of a control, to its form;
      // wParam names the window under the pointer.
      if (LOWORD(lParam) != HTCLIENT) return std::nullopt;
      // The mouse-pointer property of the window itself or of the control under the pointer.
      const HWND target = reinterpret_cast<HWND>(wParam);
      std::optional<ControlRef> ref;
      if (target == hwnd_) ref = design->Self();
      for (const auto& [id, control] : controls)
        if (target != nullptr && control.hwnd == target) ref = ControlRef{design->id, id};
      const auto& pointers = service().pointers;
      const auto pointer = ref ? pointers.find(*ref) : pointers.end();
      const std::int32_t cursor = SystemCursorFor(pointer == pointers.end() ? kPointerDefault : pointer->second);
      if (cursor == kPointerDefault) return std::nullopt;  // the class cursor
      api::SetCursor(api::LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor)));
      return TRUE;
    }
    case WM_MOVE:
      if (created && design->onMoved) design->onMoved();
      return 0;
    // The window is the top of its UI state: a change of it, asked for by the window or by one of
    // its controls, is made here and handed down to the controls.
    case WM_CHANGEUISTATE:
    case WM_UPDATEUISTATE: {
      const WORD action = LOWORD(wParam);
      const WORD flags = HIWORD(wParam);
      if (action != UIS_SET && action != UIS_CLEAR) return std::nullopt;
      const WORD changed = action == UIS_SET ? static_cast<WORD>(uiState | flags) : static_cast<WORD>(uiState & ~flags);
      if (changed == uiState) return 0;
      uiState = changed;
      for (HWND child = api::GetWindow(hwnd_, GW_CHILD); child != nullptr; child = api::GetWindow(child, GW_HWNDNEXT))
        api::SendMessageW(child, WM_UPDATEUISTATE, wParam, 0);
      return 0;
    }
    case WM_QUERYUISTATE:
      return uiState;
    case WM_LBUTTONDOWN:
      if (!design->freeMove) return std::nullopt;
      // Let the system move the window as if its caption had been grabbed.
      api::ReleaseCapture();
      api::SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
      RaiseOwnedWindows(hwnd_);
      return 0;
    case WM_COMMAND: {
      if (HIWORD(wParam) != BN_CLICKED || lParam == 0) return std::nullopt;
      auto it = controls.find(static_cast<std::int32_t>(LOWORD(wParam)));
      if (it != controls.end() && it->second.hwnd == reinterpret_cast<HWND>(lParam) && it->second.design->onClick)
        it->second.design->onClick();
      return 0;
    }
    case kDeferredCloseMessage:
      if (closing) {
        closing = false;
        api::DestroyWindow(hwnd_);
      }
      return 0;
    case WM_DESTROY:
      destroyed_ = true;  // no longer loaded
      return std::nullopt;
    case WM_NCDESTROY: {
      auto& windows = service().windows;
      if (auto it = windows.find(design->id); it != windows.end() && it->second == this) windows.erase(it);
      if (design->id == service().startupWindowId) api::PostQuitMessage(0);
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace quorlin::platform
