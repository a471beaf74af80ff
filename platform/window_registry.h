// What the window service knows: the registered templates, the open windows and the values stored
// for windows and controls, with the look-ups and rectangles the service's parts share.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/form_window.h"
#include "platform/logic/window_template.h"

namespace quorlin::platform {

inline constexpr char kWindowNotLoaded[] = "未载入欲访问窗口组件所在的窗口";
inline constexpr char kNoNativeWindowYet[] = "指定窗口尚未载入";
inline constexpr char kNoSuchWindow[] = "指定窗口或窗口组件不存在或尚未载入";

// Common values (clamped, by property index) set while a window or control had no native window;
// applied when it is created.
using StoredCommon = std::array<std::optional<std::int32_t>, kFirstKindProperty>;

struct Service {
  std::map<std::int32_t, WindowTemplate> templates;
  std::map<std::int32_t, FormWindow*> windows;  // each owned by its native window
  std::map<ControlRef, StoredCommon> stored;
  std::map<ControlRef, std::string> tags;
  std::map<ControlRef, std::int32_t> pointers;
  std::int32_t startupWindowId = 0;
};

Service& service();

// The open window of a template, or null.
FormWindow* FindLoaded(std::int32_t windowId);
const WindowTemplate* FindTemplate(std::int32_t windowId);
// Whether the ref names a window itself rather than one of its controls.
bool IsWindowRef(ControlRef ref);

// What a ref names: its open window (null for a window that is not open) and, for a control, the
// control, with the native window (null while there is none). A control of a window that is not
// open is the fatal error `notLoaded`; a control its window does not have is kNoSuchWindow.
struct Target {
  FormWindow* window = nullptr;
  ControlState* control = nullptr;
  HWND hwnd = nullptr;
};
Target FindTarget(ControlRef ref, const char* notLoaded);

// Whether a window's position is in its parent's client coordinates (a child, not a pop-up window).
bool HasParentCoordinates(HWND hwnd);
// A window's left, top, width and height (by property index), in its parent's client coordinates
// or, for a top-level window, on the screen.
using Place = std::array<std::int32_t, 4>;
Place PlaceOf(HWND hwnd);
// Applies what was stored for a ref before its window existed, then forgets it.
void ApplyStored(ControlRef ref, HWND hwnd);

}  // namespace quorlin::platform
