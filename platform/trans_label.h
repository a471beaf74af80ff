// The transparent label: a child window that draws its caption straight onto what lies behind it.
#pragma once

#include <windows.h>

#include "platform/logic/trans_label_model.h"

namespace quorlin::platform {

HWND CreateTransLabel(HWND parent, int controlId, int left, int top, int width, int height, bool visible,
                      const LabelProperties& properties);
// Stores a label property (clamped) and refreshes the area under the label.
void SetLabelProperty(HWND label, int index, const PropertyValue& value);
PropertyValue GetLabelProperty(HWND label, int index);

}  // namespace quorlin::platform
