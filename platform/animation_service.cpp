#include "platform/animation_service.h"

#include "platform/cartoon_box.h"
#include "platform/fatal_error.h"
#include "platform/window_service.h"

namespace quorlin::platform {

namespace {

// The box behind a ref; naming something that is not an open animation box is the fatal error.
CartoonBox& BoxOf(ControlRef ref) {
  HWND hwnd = WindowHandle(ref);
  CartoonBox* box = hwnd != nullptr ? CartoonBoxFromHandle(hwnd) : nullptr;
  if (box == nullptr) FatalError("指定窗口或窗口组件不存在或尚未载入");
  return *box;
}

}  // namespace

ObjectId CreateObject(ControlRef box, std::optional<ControlRef> design, int x, int y, bool visible, std::string tag) {
  CartoonBox& target = BoxOf(box);
  // A design-time object lends its design values; the tool's object stores none, so the defaults apply.
  static const CartoonTemplate kDefaults;
  if (design) WindowHandle(*design);  // the fatal error when it names nothing that is open
  return target.CreateObject(design ? &kDefaults : nullptr, x, y, visible, std::move(tag));
}

void SetObjectPicture(ControlRef box, ObjectId id, std::optional<std::span<const std::uint8_t>> picture,
                      std::int32_t colourKey) {
  BoxOf(box).SetObjectPicture(id, picture, colourKey);
}

void ShowObject(ControlRef box, ObjectId id, bool visible) { BoxOf(box).ShowObject(id, visible); }

void PlayAnimation(ControlRef box, ObjectId id, int plays, bool destroyWhenFinished, int extraFrameDelay,
                   int playInterval) {
  BoxOf(box).PlayAnimation(id, plays, destroyWhenFinished, extraFrameDelay, playInterval);
}

}  // namespace quorlin::platform
