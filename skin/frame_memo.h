// What a layered form's composition is drawn from, read once per frame, and whether the form still
// shows what a composition of it would show, so that a refresh with nothing changed composes
// nothing. One change counter says whether anything the picture is drawn from may have changed; a
// few checks cover what can change without the counter seeing it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "skin/control_properties.h"
#include "skin/skin_image.h"

namespace quorlin::skin {

// Grows with every change that can alter a composition: each window property the layer writes or
// removes and, on each watched thread, each message that moves, sizes, reorders, shows, hides,
// enables, retitles, re-fonts or destroys one of the thread's windows, or tells a parent that an
// edit control's text changed.
std::uint64_t ChangeCount();
void NoteChange();

// The window properties a skinned child is drawn from. Its place, text and font are not here: a
// change of them is a message the counter sees.
struct ChildLook {
  HWND hwnd = nullptr;
  ControlType type = ControlType::None;
  SkinImage picture = nullptr;    // an image button's state picture, or the back picture
  std::intptr_t backType = 0;     // read only when the picture does not fill the control exactly
  bool focusRing = false;         // an image button with the focus while the form shows focus cues
  std::intptr_t textColor = 0;    // a text box's colours and alphas; 0 for other controls
  std::intptr_t backColor = 0;
  std::intptr_t backAlpha = 0;
  std::intptr_t orderColor = 0;
  std::intptr_t orderAlpha = 0;
  bool operator==(const ChildLook&) const = default;
};

// What one composition of a form is drawn from, taken before it is drawn.
struct FrameRecord {
  std::uint64_t changes = 0;      // ChangeCount() before anything was read
  HWND firstChild = nullptr;      // GetWindow(form, GW_CHILD): a window set as a child comes first
  SkinImage background = nullptr;
  std::vector<ChildLook> children;  // the skinned children, in drawing order
  bool watched = false;           // every one of those windows is of a watched thread
};
FrameRecord TakeFrameRecord(HWND form);

// The composition described by `record` reached the screen; `kept` says whether it became
// FocusComposition.
void NoteShown(HWND form, FrameRecord record, bool kept);
// The form shows something else now, or may no longer show what was presented (the caret drawn
// over the composition, a failed presentation, the window made layered anew).
void ForgetShown(HWND form);

// True when the form shows exactly what a composition would show now, and, for FocusForm, when
// FocusComposition is that composition. Nothing but the properties' values tells of a property
// written by other code with SetPropA itself: a periodic refresh reads them again at most every
// kRereadPeriodMs and otherwise trusts the counter, any other refresh reads them every time.
inline constexpr std::uint32_t kRereadPeriodMs = 100;
bool ShowsCurrentFrame(HWND form, bool periodic);

}  // namespace quorlin::skin
