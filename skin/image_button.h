// Image buttons: system "Button" windows drawn from up to four pictures, one per DrawState.
#pragma once

#include <windows.h>

#include <optional>

#include "skin/skin_control.h"
#include "skin/skin_image.h"

namespace quorlin::skin {

// Stores the state and redraws the button by snapshot painting when it changed (or always, with
// force).
void SetDrawState(HWND handle, DrawState state, bool force);

// Invalidates the parent's area under the control and then the whole control, without erasing, so
// the parent repaints first and the control's next paint captures a fresh snapshot.
void RepaintControl(HWND handle);

// Procedure of a button on an ordinary window: paints it and follows pointer, press and focus.
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Procedure of a button on a layered form: follows pointer and press and recomposes the form.
LRESULT CALLBACK ButtonChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class ImageButton final : public SkinControl {
 public:
  // Creates a visible child "Button" and attaches it without a picture; 0 when creation failed.
  virtual HWND CreateButton(HWND parent, int x, int y, int width, int height, const char* text);  // slot 13
  virtual bool AttachButton(HWND handle, std::optional<SkinImage> normal = std::nullopt);        // slot 14
  // Each given picture is stored (a given null clears it); nothing is redrawn.
  virtual void SetStateImages(std::optional<SkinImage> normal, std::optional<SkinImage> over = std::nullopt,
                              std::optional<SkinImage> down = std::nullopt,
                              std::optional<SkinImage> disabled = std::nullopt);  // slot 15
  // Each given block is decoded and stored; nothing is redrawn.
  virtual void SetStateImagesFromResources(std::optional<ImageResource> normal,
                                           std::optional<ImageResource> over = std::nullopt,
                                           std::optional<ImageResource> down = std::nullopt,
                                           std::optional<ImageResource> disabled = std::nullopt);  // slot 16
  virtual void SetBackType(int value);  // slot 17
};

}  // namespace quorlin::skin
