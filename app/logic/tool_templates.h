// The templates of the tool's two windows: MainWindow and the transparent OverlayWindow on top of it.
#pragma once

#include <vector>

#include "platform/logic/window_template.h"

namespace quorlin::app {

// The handlers the templates bind to events; passed in so the templates stay plain data.
struct ToolHandlers {
  platform::EventHandler onMainCreated = nullptr;
  platform::EventHandler onMainMoved = nullptr;
  platform::EventHandler onOverlayCreated = nullptr;
  platform::EventHandler onSelect100 = nullptr;
  platform::EventHandler onSelect125 = nullptr;
  platform::EventHandler onSelect150 = nullptr;
  platform::EventHandler onSelect200 = nullptr;
  platform::EventHandler onSelect250 = nullptr;
  platform::EventHandler onApply = nullptr;
  platform::EventHandler onLogOff = nullptr;
  platform::EventHandler onClose = nullptr;
  platform::EventHandler onRefreshTick = nullptr;
};

platform::WindowTemplate MainWindowTemplate(const ToolHandlers& handlers);
platform::WindowTemplate OverlayWindowTemplate(const ToolHandlers& handlers);

}  // namespace quorlin::app
