// The layer's memory of what each layered form shows, kept on the form itself, and the refresh that
// skips composing when nothing that feeds the picture has changed since the last presentation.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "skin/logic/frame_fingerprint.h"
#include "skin/skin_control.h"
#include "skin/skin_image.h"

namespace quorlin::skin {

// What a composition of the form draws from: its extent and background (FormPart), and for each
// skinned child in window order (AddChild) its type, place, extent, visibility, back type, draw
// state and picture, and for a text box also its text, font and colours. TakeFingerprint does both
// with its own walk over the children.
FormFingerprint FormPart(HWND form);
void AddChild(FormFingerprint& fingerprint, HWND form, HWND child, ControlType type);
FormFingerprint TakeFingerprint(HWND form);

// The form's skinned children in window order: the list found last time while nothing can have
// changed it since (child_list_watch.h), otherwise found by walking the child windows.
std::vector<HWND> SkinnedChildren(HWND form);

// Composes and presents the form unless the screen already shows what that would show (`now` is
// the form's fingerprint taken just before); leaves FocusComposition valid for the caret either way.
void RefreshIfChanged(HWND form, FormFingerprint now);
// The same, taking the fingerprint itself.
void ComposeFormIfChanged(HWND form);

// Bookkeeping of the composition (window thread only, like the composition itself).
// How many presentations reached UpdateLayeredWindow so far, in this process.
std::uint64_t PresentationCount();
// A picture was just handed to UpdateLayeredWindow for the form.
void NotePresented(HWND form);
// The full composition described by `fingerprint` was just presented on the form.
void NoteComposed(HWND form, FormFingerprint fingerprint);
// The form's new composition has become FocusComposition; `presented` says whether it reached the
// screen.
void NoteKept(HWND form, SkinImage kept, bool presented);
// The window may no longer show what was presented (made a layered form anew).
void ForgetPresentation(HWND form);

}  // namespace quorlin::skin
