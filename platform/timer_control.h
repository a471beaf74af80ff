// The timer control: an invisible child window that raises a tick at its period.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/logic/timer_rules.h"
#include "platform/logic/window_template.h"

namespace quorlin::platform {

HWND CreateTimerControl(HWND parent, const ControlTemplate& design);
void SetTimerPeriod(HWND timer, std::int32_t period);
std::int32_t TimerPeriod(HWND timer);

}  // namespace quorlin::platform
