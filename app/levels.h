// Selection of the scaling level with the five picture radios.
#pragma once

#include "app/logic/dpi_levels.h"

namespace quorlin::app {

// Selects a level: sets its flag, swaps the radio pictures and recomposes the main window. Selecting
// the level that is already selected does nothing at all.
void SelectLevel(DpiLevel level);
// The selection after start-up and after every restore: 100 %, pictures set, without recomposing.
void ShowStartupSelection();

}  // namespace quorlin::app
