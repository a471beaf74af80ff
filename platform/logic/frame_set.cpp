#include "platform/logic/frame_set.h"

#include <algorithm>
#include <cstddef>

namespace quorlin::platform {

bool FrameSet::Usable() const {
  const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  return width > 0 && height > 0 && !frames.empty() &&
         std::all_of(frames.begin(), frames.end(), [count](const Frame& f) { return f.pixels.size() == count; });
}

std::uint32_t ResolveColourKey(const Frame& frame, std::int32_t requestedKey) {
  if (requestedKey == kColourKeyNone) return kNoColourKey;
  if (requestedKey == kColourKeyTopLeft) {
    return frame.pixels.empty() ? kNoColourKey : PixelColourRef(frame.pixels.front());
  }
  return static_cast<std::uint32_t>(requestedKey);
}

void ApplyColourKey(FrameSet& picture, std::int32_t requestedKey) {
  for (Frame& frame : picture.frames) frame.colourKey = ResolveColourKey(frame, requestedKey);
}

}  // namespace quorlin::platform
