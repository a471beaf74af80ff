// Tooltips of skinned controls: every control's tip lives in one shared "tooltips_class32" window.
#pragma once

#include <windows.h>

namespace quorlin::skin {

inline constexpr char kToolTipClass[] = "tooltips_class32";
// Texts wider than this wrap onto further lines.
inline constexpr int kToolTipMaxWidth = 1024;

// The one tooltip window of the process: 0 until the first SetControlToolTip creates it, never
// destroyed by the layer. It belongs to the thread that created it.
extern HWND SharedToolTip;

// Registers the control with the shared tooltip window (flags and rectangle fixed by the first
// call: TTF_SUBCLASS, plus TTF_CENTERTIP unless atCursor) or, once registered, replaces its text.
// The text is copied before it is sent; a null text is sent as a null pointer.
void SetControlToolTip(HWND control, const char* text, bool atCursor);

}  // namespace quorlin::skin
