// Ids of the tool's two windows and their controls, as their templates define them.
#pragma once

#include "platform/logic/window_template.h"

namespace quorlin::app {

enum WindowId : std::int32_t { kMainWindowId = 1, kOverlayWindowId = 2 };

enum ControlId : std::int32_t {
  // MainWindow
  kMainWindowSelf = 100,
  kRadio100 = 101,
  kRadio125 = 102,
  kRadio150 = 103,
  kRadio200 = 104,
  kRadio250 = 105,
  kApplyButtonId = 106,
  kLogOffButtonId = 107,
  kCloseButtonId = 108,
  kRefreshTimerId = 109,
  // OverlayWindow
  kOverlayWindowSelf = 200,
  kNoticeLabelId = 201,
  kVersionLabelId = 202,
  kSpareLabelId = 203,
  kProgressBoxId = 204,
  kProgressTemplateId = 205,
};

using platform::ControlRef;

inline constexpr ControlRef MainWindow{kMainWindowId, kMainWindowSelf};
inline constexpr ControlRef OverlayWindow{kOverlayWindowId, kOverlayWindowSelf};
inline constexpr ControlRef ApplyButton{kMainWindowId, kApplyButtonId};
inline constexpr ControlRef LogOffButton{kMainWindowId, kLogOffButtonId};
inline constexpr ControlRef CloseButton{kMainWindowId, kCloseButtonId};
inline constexpr ControlRef RefreshTimer{kMainWindowId, kRefreshTimerId};
inline constexpr ControlRef NoticeLabel{kOverlayWindowId, kNoticeLabelId};
inline constexpr ControlRef VersionLabel{kOverlayWindowId, kVersionLabelId};
inline constexpr ControlRef SpareLabel{kOverlayWindowId, kSpareLabelId};
inline constexpr ControlRef ProgressBox{kOverlayWindowId, kProgressBoxId};
inline constexpr ControlRef ProgressTemplate{kOverlayWindowId, kProgressTemplateId};

}  // namespace quorlin::app
