// The tool's process-wide state: all zero at start, owned by the window thread.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "app/logic/dpi_levels.h"
#include "platform/handle_owners.h"

namespace quorlin::app {

struct ToolState {
  LevelFlags levelFlags{};                  // which scaling level is selected, in table order
  bool applying = false;                    // an Apply worker runs; cleared only by its last step
  platform::UniqueHandle workerThread;      // the latest Apply worker's thread; nothing waits on it
  std::int32_t progressObjectId = 0;        // the strip object inside ProgressBox
  bool wasMinimized = false;                // the last move found MainWindow minimised
  bool applied = false;                     // Apply has written the scaling: the done state
  bool otherUser = false;                   // runs as another user than the session's: no Apply
};

ToolState& state();

}  // namespace quorlin::app
