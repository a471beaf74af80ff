// The animation-box operations, addressed like every other control by ControlRef.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/logic/cartoon_objects.h"
#include "platform/logic/window_template.h"

namespace quorlin::platform {

// BackColor of an animation box; 0xFF000000 means the system's button-face colour.
constexpr int kPropBoxBackColor = 9;

// Creates an object in the box, taking the design values of a design-time object when one is given.
ObjectId CreateObject(ControlRef box, std::optional<ControlRef> design, int x, int y, bool visible = true,
                      std::string tag = {});
// Replaces the object's picture (GIF, PNG or any picture the system decodes); a colour key of -1 means
// none, -2 each frame's top-left pixel.
void SetObjectPicture(ControlRef box, ObjectId id, std::optional<std::span<const std::uint8_t>> picture,
                      std::int32_t colourKey = -1);
void ShowObject(ControlRef box, ObjectId id, bool visible = true);
void PlayAnimation(ControlRef box, ObjectId id, int plays, bool destroyWhenFinished = false, int extraFrameDelay = 0,
                   int playInterval = 0);

}  // namespace quorlin::platform
