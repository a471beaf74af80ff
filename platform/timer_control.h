// The timer control: an invisible child window that raises a tick at its period.
#pragma once

#include <windows.h>

#include "platform/logic/property_value.h"
#include "platform/logic/timer_rules.h"
#include "platform/logic/window_template.h"

namespace quorlin::platform {

HWND CreateTimerControl(HWND parent, const ControlTemplate& design);
void SetTimerProperty(HWND timer, int index, const PropertyValue& value);
PropertyValue GetTimerProperty(HWND timer, int index);

}  // namespace quorlin::platform
