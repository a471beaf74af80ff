// The window properties that hold every skinned control's state: their names, the control types
// and drawing states they hold, and reading and writing them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/skin_image.h"

// winuser.h maps DrawState to DrawStateA/W; the layer never calls that function and uses the name
// for the image-button states below.
#undef DrawState

namespace quorlin::skin {

// Window properties of the layer. The spellings are part of the contract with any code that reads
// them, including the two historical ones ("Overl", "Foucs").
namespace property {
inline constexpr char kType[] = "PngControl_Type";
inline constexpr char kWndProc[] = "PngControl_WndProc";
inline constexpr char kChildWndProc[] = "PngControl_ChildWndProc";
inline constexpr char kCacheBitmap[] = "PngControl_CacheBitmap";
inline constexpr char kBackType[] = "PngControl_BackType";
inline constexpr char kBackImage[] = "PngControl_BackImage";
inline constexpr char kNormalImage[] = "PngControl_NormalImage";
inline constexpr char kOverImage[] = "PngControl_OverlImage";
inline constexpr char kDownImage[] = "PngControl_DownImage";
inline constexpr char kDisableImage[] = "PngControl_DisableImage";
inline constexpr char kDrawState[] = "Zephel_DrawState";
inline constexpr char kIsFocus[] = "PngControl_IsFoucs";
inline constexpr char kTextColor[] = "PngControl_TextColor";
inline constexpr char kBackColor[] = "PngControl_BackColor";
inline constexpr char kBackAlpha[] = "PngControl_BackAlpha";
inline constexpr char kOrderColor[] = "PngControl_OrderColor";
inline constexpr char kOrderAlpha[] = "PngControl_OrderAlpha";
inline constexpr char kTime[] = "PngControl_Time";
inline constexpr char kToolTips[] = "Zephel_ToolTips";
inline constexpr char kThread[] = "Zephel_Thread";
inline constexpr char kImage[] = "Zephel_Image";
inline constexpr char kStream[] = "Zephel_Stream";
inline constexpr char kHitMove[] = "ZephelHitMove";
}  // namespace property

// Value of "PngControl_Type"; None (absent) means the window is not a skinned control.
enum class ControlType : int { None = 0, PictureBox = 2, ImageButton = 3, TextBox = 4 };

// Value of "Zephel_DrawState" of an image button.
enum class DrawState : int { Normal = 0, Over = 1, Down = 2, Disabled = 3 };

// Property access; an absent property reads as 0.
std::intptr_t ReadProperty(HWND hwnd, const char* name);
bool WriteProperty(HWND hwnd, const char* name, std::intptr_t value);
SkinImage ReadImageProperty(HWND hwnd, const char* name);
bool WriteImageProperty(HWND hwnd, const char* name, SkinImage image);

// The recognised type of a window; any value other than 2, 3 or 4 counts as None.
ControlType ControlTypeOf(HWND hwnd);

// The picture of the button's current drawing state, falling back to the normal picture.
SkinImage StateImage(HWND hwnd);
// The same for a given value of "Zephel_DrawState".
SkinImage StateImageFor(HWND hwnd, std::intptr_t state);

}  // namespace quorlin::skin
