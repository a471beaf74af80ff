// The animation box: a child window that draws picture objects, layer by layer, over a plain
// background and animates them from a 5 ms timer. The timer runs only while a tick has something
// to do, so an idle box costs nothing. Window thread only: another thread hands its calls over
// (RunOnWindowThread).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/logic/cartoon_objects.h"
#include "platform/logic/gif_decoder.h"
#include "platform/window_binding.h"

namespace quorlin::platform {

// BackColor value that stands for the system's button-face colour.
inline constexpr std::uint32_t kButtonFaceBackColor = 0xFF000000u;

class CartoonBox : public BoundWindow<CartoonBox> {
 public:
  static constexpr const wchar_t* kClassName = L"QuorlinCartoonBox";
  static void DescribeClass(WNDCLASSEXW& windowClass);

  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  ObjectId CreateObject(const CartoonTemplate* design, int x, int y, bool visible = true,
                        std::string tag = {});
  // Absent or undecodable bytes leave the object without a picture. Either way it stops playing.
  void SetObjectPicture(ObjectId id, std::optional<std::span<const std::uint8_t>> bytes,
                        std::int32_t colourKey = kColourKeyNone);
  void ShowObject(ObjectId id, bool visible = true);
  void PlayAnimation(ObjectId id, int plays, bool destroyWhenFinished = false, int extraDelay = 0,
                     int interval = 0);

  void SetBackColor(std::uint32_t colour);
  std::uint32_t BackColor() const { return backColor_; }
  void SetFinishedHandler(std::function<void(ObjectId)> handler) { onFinished_ = std::move(handler); }

  const CartoonScene& Scene() const { return scene_; }

  void OnTimer();  // one tick; stops the timer when it leaves nothing to do

 private:
  // Every change of the scene: made-up ticks first, then the change, its repaint and the timer.
  void ChangeScene(const std::function<void()>& change);
  void InvalidateQueued();
  // Starts the timer when ticks are needed, rests it while the box is hidden and its ticks would
  // only loop animations nobody sees, and (`mayStop`) stops it when no tick is needed.
  void UpdateTimer(bool mayStop);
  void StopTimer();
  // An object needs ticks, or a paint is pending that a tick's forced repaint would carry out.
  bool TicksNeeded() const;
  // Hidden (its own visibility: a box shown again is told) with nothing but endless loops to tick.
  bool CanRest() const;
  // Makes up the ticks left out while the box rested, before anything else changes the scene.
  void CatchUp();
  void VisibilityChanged();
  void BackgroundChanged();
  void Paint(HDC dc, const RECT& area);

  bool ticking_ = false;
  bool resting_ = false;       // ticks left out since restingSince_ (the last tick made)
  std::uint32_t restingSince_ = 0;
  std::uint32_t lastTick_ = 0;
  CartoonScene scene_;
  std::uint32_t backColor_ = kButtonFaceBackColor;
  BoxBackground background_;  // empty: rebuild before the next paint
  std::vector<std::uint32_t> work_;
  std::function<void(ObjectId)> onFinished_;
};

HWND CreateCartoonBox(HWND parent, int controlId, int x, int y, int width, int height, bool visible);
// The box of a window made by CreateCartoonBox (null for any other window). It lives as long as
// the window.
inline CartoonBox* CartoonBoxFromHandle(HWND hwnd) { return CartoonBox::FromHandle(hwnd); }

// Decodes PNG and the other formats GDI+ reads into one frame (transparency = 255 - alpha).
std::optional<FrameSet> DecodeWithGdiplus(std::span<const std::uint8_t> bytes);

}  // namespace quorlin::platform
