// The transparent label: a child window that draws its caption straight onto what lies behind it.
#pragma once

#include <windows.h>

#include "platform/logic/trans_label_model.h"
#include "platform/logic/window_template.h"

namespace quorlin::platform {

// A label from its template: place, visibility and the stored design record.
HWND CreateTransLabel(HWND parent, const ControlTemplate& design);
// Stores a label property (clamped) and refreshes the area under the label.
void SetLabelProperty(HWND label, int index, const PropertyValue& value);
PropertyValue GetLabelProperty(HWND label, int index);

// What the screen shows beneath a colour-keyed window: fills `dc` with the picture seen through
// `window` in `area` (client coordinates of `window`; the DC's origin is the area's top-left corner).
// False when there is no such picture. The program installs one (the labels' window is keyed over
// another window whose picture the program composes); null removes it.
using LabelBackdrop = bool (*)(HWND window, HDC dc, const RECT& area);
void SetLabelBackdrop(LabelBackdrop backdrop);
// Repaints every label of the process: the picture beneath them has changed.
void RepaintLabels();

}  // namespace quorlin::platform
