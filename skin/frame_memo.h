// Whether a layered form still shows what a composition of it would show, so that a refresh with
// nothing changed composes nothing. One change counter says whether anything the picture is drawn
// from may have changed; a few checks cover what can change without the counter seeing it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "skin/skin_image.h"

namespace quorlin::skin {

// Grows with every change that can alter a composition: each window property the layer writes or
// removes and, on each watched thread, each message that moves, sizes, reorders,
// shows, hides, enables, retitles, re-fonts or destroys one of the thread's windows, or tells a
// parent that an edit control's text changed.
std::uint64_t ChangeCount();
void NoteChange();

// What one composition of a form is drawn from, taken before it is drawn.
struct FrameRecord {
  std::uint64_t changes = 0;     // ChangeCount() before anything was read
  HWND firstChild = nullptr;     // GetWindow(form, GW_CHILD): a window set as a child comes first
  std::vector<HWND> children;    // the skinned children, in drawing order
  std::uint64_t properties = 0;  // digest of the properties of the form and of those children it draws from
  bool watched = false;          // every one of those windows is of a watched thread
};
FrameRecord TakeFrameRecord(HWND form);

// The composition described by `record` reached the screen; `kept` says whether it became
// FocusComposition.
void NoteShown(HWND form, FrameRecord record, bool kept);
// The form shows something else now, or may no longer show what was presented (the caret drawn
// over the composition, a failed presentation, the window made layered anew).
void ForgetShown(HWND form);

// True when the form shows exactly what a composition would show now, and, for FocusForm, when
// FocusComposition is that composition.
bool ShowsCurrentFrame(HWND form);

}  // namespace quorlin::skin
