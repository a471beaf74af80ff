// Picture boxes: "Static" windows that show one picture with alpha over what lies beneath.
#pragma once

#include <windows.h>

#include <optional>

#include "skin/skin_control.h"
#include "skin/skin_image.h"

namespace quorlin::skin {

// The window text every picture box carries (never drawn).
inline constexpr wchar_t kPictureBoxText[] = L"Zephel真彩控件.图片框";

// Paints the snapshot and the picture on an ordinary window; everything else goes on to "Static".
LRESULT CALLBACK PictureBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class PictureBox final : public SkinControl {
 public:
  // Creates a visible child "Static" at the given place and attaches it; 0 when creation failed.
  virtual HWND CreatePicture(HWND parent, int left, int top, int width, int height);    // slot 13
  virtual bool AttachPicture(HWND hwnd, std::optional<SkinImage> picture = std::nullopt);  // slot 14
  // Stores the picture (null clears it) and invalidates parent and box; no composition.
  virtual void SetPicture(SkinImage picture);        // slot 15
  virtual void LoadPicture(ImageResource resource);  // slot 16
  virtual void SetBackType(int value);               // slot 17
};

}  // namespace quorlin::skin
