// Pictures for the animation-object tests.
#pragma once

#include <memory>
#include <vector>

#include "platform/logic/cartoon_objects.h"

namespace quorlin::platform::test {

// A picture of `delays.size()` frames, frame i filled with blue = i + 1.
inline std::shared_ptr<const FrameSet> Picture(int width, int height, std::vector<int> delays) {
  auto set = std::make_shared<FrameSet>();
  set->width = width;
  set->height = height;
  for (std::size_t i = 0; i < delays.size(); ++i) {
    const std::uint32_t fill = MakePixel(static_cast<std::uint8_t>(i + 1), 0, 0);
    set->frames.push_back(Frame{kNoColourKey, delays[i],
                                std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), fill)});
  }
  return set;
}

}  // namespace quorlin::platform::test
