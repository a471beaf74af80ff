// The layer's drawing: snapshot painting of controls on ordinary windows, and the per-pixel-alpha
// composition of a layered form with its skinned children. Like every part of the layer it runs on
// the window thread; another thread hands its work over (platform/window_thread.h).
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <optional>

#include "skin/skin_image.h"

namespace quorlin::skin {

// Copies the pixels under the control from its paint DC into a new "PngControl_CacheBitmap"
// (deleting the previous one) and returns it.
HBITMAP CaptureCache(HWND control, HDC paintDC);

// Draws the cache bitmap and then the picture, placed by "PngControl_BackType", into dc (the
// control's window DC when dc is null). Nothing without a cache bitmap.
void PaintControl(HWND control, HDC dc, SkinImage picture);

// Builds a fresh ARGB picture of the form (background, then every skinned child in z-order),
// presents it, and keeps it as FocusComposition when the form is FocusForm. Always composes: the
// forced full composition. RefreshForm composes only when something changed (frame_memo.h).
void ComposeForm(HWND form);

// Whether the form shows focus cues: not before the keyboard has been used in it (UISF_HIDEFOCUS).
bool FocusCuesShown(HWND form);

// Pushes the picture to the layered window 1:1 with per-pixel alpha, with the caret over it when
// showCaret is set.
void PresentLayered(HWND form, SkinImage image, bool showCaret);

// Draws the part `area` (client coordinates) of the form's background picture, as the composition
// places it (stretched over the whole form), into dc with the area's top-left corner at dc's origin.
// False when the form has no background.
bool DrawFormBackground(HWND form, HDC dc, const RECT& area);

// Focus record, kept for the text boxes of layered forms and their blinking caret; window thread
// only.
extern HWND FocusForm;               // layered form whose text box has the keyboard focus
extern HWND FocusTextBox;            // that text box
extern SkinImage FocusComposition;   // last composition of FocusForm (owned here)
extern int CaretShown;               // whether the last caret tick showed the caret

// Binds a top-level window as a layered form. Same slot discipline as SkinControl: slots 0 and 1
// are construction and copy, then the virtual operations in order.
class LayeredForm final {
 public:
  LayeredForm() = default;
  LayeredForm(const LayeredForm&) = default;
  LayeredForm& operator=(const LayeredForm&) = default;

  virtual bool Attach(HWND form);                      // slot 2
  virtual bool SetBackground(SkinImage image);         // slot 3
  virtual bool LoadBackground(ImageResource resource);  // slot 4
  virtual void RefreshForm();                          // slot 5
  // The form's rectangle stays in screen coordinates; absent values keep the current ones.
  virtual void MoveControl(std::optional<int> left = std::nullopt, std::optional<int> top = std::nullopt,
                           std::optional<int> width = std::nullopt, std::optional<int> height = std::nullopt,
                           bool noRedraw = false);     // slot 6
  virtual HWND ControlHandle();                        // slot 7
  virtual bool IsAlive();                              // slot 8
  virtual LRESULT SendToControl(UINT message, WPARAM wParam, LPARAM lParam);  // slot 9

  // RefreshForm for a timer that refreshes many times a second: properties written by other code
  // with SetPropA itself are looked for at most every kRereadPeriodMs (frame_memo.h).
  void RefreshOnTick();

 private:
  void Refresh(bool periodic);
  HWND hwnd_ = nullptr;
};

}  // namespace quorlin::skin
