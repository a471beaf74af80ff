// Numbered properties shared by every control, and the rules that clamp their values.
#pragma once

#include <algorithm>
#include <cstdint>

namespace quorlin::platform {

// Common properties of every window and control.
enum CommonProperty : int {
  kPropLeft = 0,
  kPropTop = 1,
  kPropWidth = 2,
  kPropHeight = 3,
  kPropTag = 4,
  kPropVisible = 5,
  kPropDisabled = 6,
  kPropMousePointer = 7,
};
constexpr int kFirstKindProperty = 8;

// Values of kPropMousePointer: the id of a system cursor (IDC_ARROW 32512, IDC_IBEAM 32513, IDC_WAIT,
// IDC_CROSS, IDC_UPARROW, the four sizing arrows 32642 to 32645, IDC_SIZEALL, IDC_NO, IDC_HAND,
// IDC_APPSTARTING, IDC_HELP 32651) shows that cursor over the window or control; 0, the default, and
// any other value keep the cursor of its window class.
constexpr std::int32_t kPointerDefault = 0;
constexpr std::int32_t SystemCursorFor(std::int32_t pointer) {
  constexpr std::int32_t kSystemCursors[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                                             32644, 32645, 32646, 32648, 32649, 32650, 32651};
  for (std::int32_t id : kSystemCursors)
    if (id == pointer) return id;
  return kPointerDefault;
}

// Properties of a window itself.
constexpr int kPropWindowBackColor = 10;
constexpr int kPropWindowState = 18;
// Values of kPropWindowState.
constexpr std::int32_t kWindowStateNormal = 0;
constexpr std::int32_t kWindowStateMinimized = 2;
constexpr std::int32_t kWindowStateMaximized = 3;

constexpr std::int32_t kMaxCoordinate = 32627;

constexpr std::int32_t ClampPosition(std::int32_t value) { return std::clamp(value, -kMaxCoordinate, kMaxCoordinate); }
constexpr std::int32_t ClampSize(std::int32_t value) { return std::clamp(value, std::int32_t{0}, kMaxCoordinate); }

// r + g * 256 + b * 65536, each channel taken as given (0..255).
constexpr std::uint32_t ColorFromRgb(std::int32_t r, std::int32_t g, std::int32_t b) {
  return static_cast<std::uint32_t>(r) + static_cast<std::uint32_t>(g) * 256u +
         static_cast<std::uint32_t>(b) * 65536u;
}

}  // namespace quorlin::platform
