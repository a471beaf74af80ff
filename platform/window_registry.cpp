// The registry of templates and open windows, and the look-ups on it.
#include "platform/window_registry.h"

#include "platform/fatal_error.h"
#include "platform/window_service.h"

namespace quorlin::platform {

Service& service() {
  static Service instance;
  return instance;
}

FormWindow* FindLoaded(std::int32_t windowId) {
  auto& windows = service().windows;
  auto it = windows.find(windowId);
  return it == windows.end() || it->second->hwnd() == nullptr ? nullptr : it->second;
}

const WindowTemplate* FindTemplate(std::int32_t windowId) {
  auto& templates = service().templates;
  auto it = templates.find(windowId);
  return it == templates.end() ? nullptr : &it->second;
}

bool IsWindowRef(ControlRef ref) {
  const WindowTemplate* design = FindTemplate(ref.window);
  return design != nullptr && design->selfId == ref.control;
}

HWND HandleOrFail(ControlRef ref) {
  FormWindow* window = FindLoaded(ref.window);
  if (window == nullptr) FatalError(kNoSuchWindow);
  if (IsWindowRef(ref)) return window->hwnd();
  auto it = window->controls.find(ref.control);
  if (it == window->controls.end() || LiveHandle(it->second) == nullptr) FatalError(kNoSuchWindow);
  return it->second.hwnd;
}

void RegisterWindowTemplate(WindowTemplate window) {
  std::int32_t id = window.id;
  service().templates[id] = std::move(window);
}

}  // namespace quorlin::platform
