// The window kind of the windows opened from templates (the form): its object, its controls and
// its window procedure.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>

#include "platform/logic/property_rules.h"
#include "platform/logic/window_template.h"
#include "platform/window_binding.h"

namespace quorlin::platform {

// A control of an open window and its native window (null while it has none).
struct ControlState {
  const ControlTemplate* design = nullptr;
  HWND hwnd = nullptr;
};

// A control's window may be destroyed on its own (a button closed with WM_CLOSE): from then on the
// control has no window, like a control whose window was never created.
HWND LiveHandle(ControlState& control);

// A window opened from its template; it lives as long as its native window.
class FormWindow : public BoundWindow<FormWindow> {
 public:
  static constexpr const wchar_t* kClassName = L"QuorlinForm";
  static void DescribeClass(WNDCLASSEXW& windowClass) {
    windowClass.hCursor = api::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hIcon = api::LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));  // the program's icon, if any
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  }

  explicit FormWindow(const WindowTemplate* design) : design(design) {}
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The window's native handle while it is loaded; null from its destruction on.
  HWND hwnd() const { return destroyed_ ? nullptr : hwnd_; }

  const WindowTemplate* design;
  bool closing = false;
  bool created = false;  // the created event has been raised; events flow from then on
  std::optional<std::uint32_t> backColor;
  // UISF_HIDEFOCUS and the other focus and accelerator cue flags the window's controls follow.
  // Kept here rather than left to the system, which does not keep them everywhere (Wine).
  WORD uiState = 0;
  std::map<std::int32_t, ControlState> controls;

 private:
  bool destroyed_ = false;
};

// Keeps a window's owned windows above it.
void RaiseOwnedWindows(HWND owner);

}  // namespace quorlin::platform
