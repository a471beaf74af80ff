// Control-binding objects and the window properties that hold every skinned control's state, the
// subclassing rule, the procedure installed on parents of skinned controls and the load dialog.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

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

inline constexpr char kLoadDialogClass[] = "ZephelLoadDialog";

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

// Replaces the window procedure once, keeping the previous one in "PngControl_WndProc"; a window
// that already has that property keeps its chain.
void Subclass(HWND hwnd, WNDPROC procedure);

// Passes a message on to the procedure kept in "PngControl_WndProc".
LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Installed on the parent of skinned controls.
LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Procedure of the "ZephelLoadDialog" class.
LRESULT CALLBACK LoadDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Binds one native window; all state lives on the window, so one object may serve several windows
// in turn and always acts on the last one. The virtual operations keep a fixed slot order (slots 0
// and 1 are construction and copy); slots 9 and 12 repeat slots 3 and 6, filled by const overloads
// of the same operations.
class SkinControl {
 public:
  SkinControl() = default;
  SkinControl(const SkinControl&) = default;
  SkinControl& operator=(const SkinControl&) = default;

  virtual bool Attach(HWND hwnd);                                        // slot 2
  virtual HWND ControlHandle();                                          // slot 3
  virtual bool SetProperty(const char* name, std::intptr_t value);       // slot 4
  virtual std::intptr_t GetProperty(const char* name);                   // slot 5
  virtual LRESULT SendToControl(UINT message, WPARAM wParam, LPARAM lParam);  // slot 6
  virtual void SetToolTip(const char* text, std::optional<bool> atCursor = std::nullopt);  // slot 7
  // Absent coordinates keep the current ones; absent noRedraw means redraw.
  virtual void MoveControl(std::optional<int> x = std::nullopt, std::optional<int> y = std::nullopt,
                           std::optional<int> width = std::nullopt, std::optional<int> height = std::nullopt,
                           std::optional<bool> noRedraw = std::nullopt);  // slot 8
  virtual HWND ControlHandle() const;                                    // slot 9
  virtual bool IsAlive();                                                // slot 10
  virtual void Invalidate();                                             // slot 11
  virtual LRESULT SendToControl(UINT message, WPARAM wParam, LPARAM lParam) const;  // slot 12

 protected:
  // Not deleted through the base: the concrete classes are final.
  ~SkinControl() = default;

  HWND hwnd_ = nullptr;
};

}  // namespace quorlin::skin
