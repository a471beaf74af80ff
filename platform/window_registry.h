// What the window service knows: the registered templates, the open windows and the values stored
// for windows and controls, with the look-ups the service's parts share.
#pragma once

#include <windows.h>

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

// Common values set while a window or control had no native window; applied when it is created.
struct StoredCommon {
  std::optional<std::int32_t> left, top, width, height;
  std::optional<bool> visible, disabled;
};

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
// The native window of a ref, or the fatal error when the ref names nothing that is open.
HWND HandleOrFail(ControlRef ref);

}  // namespace quorlin::platform
