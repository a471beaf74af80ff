// The tool's process-wide state: all zero at start, owned by the window thread.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "app/logic/dpi_levels.h"

namespace quorlin::app {

struct ToolState {
  LevelFlags levelFlags{};                  // which scaling level is selected, in table order
  HANDLE workerThread = nullptr;            // the Apply worker, while it runs
  std::int32_t progressObjectId = 0;        // the strip object inside ProgressBox
  bool wasMinimized = false;                // the last move found MainWindow minimised
  bool applied = false;                     // Apply has written the scaling: the done state
};

ToolState& state();

}  // namespace quorlin::app
