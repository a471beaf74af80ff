#include "skin/logic/pixel_rows.h"

namespace quorlin::skin {

bool CopyOpaqueOrClearRow(const std::uint32_t* argb, std::uint32_t* out, int width) {
  for (int x = 0; x < width; ++x) {
    const std::uint32_t pixel = argb[x];
    const std::uint32_t alpha = pixel >> 24;
    if (alpha == 0xFF) {
      out[x] = pixel;
    } else if (alpha == 0) {
      out[x] = 0;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace quorlin::skin
