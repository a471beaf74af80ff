// What the tool tells about the levels beyond the selection: which one the session runs at, which
// one waits for the next sign-in, and whether the selected one leaves every screen enough room.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "app/logic/dpi_levels.h"

namespace quorlin::app {

// The level whose dots per inch are exactly `logPixels`, if it is one of the five.
std::optional<DpiLevel> LevelOfLogPixels(std::int64_t logPixels);

// The badges beside the captions: "当前" on the level the session runs at, "待生效" on the level
// stored for the next sign-in when that differs from the one in effect. A value that is none of the
// five levels marks nothing.
struct LevelBadges {
  std::optional<DpiLevel> current;
  std::optional<DpiLevel> waiting;
  bool operator==(const LevelBadges&) const = default;
};
LevelBadges BadgesFor(std::int64_t sessionLogPixels, std::optional<std::uint32_t> storedLogPixels);

inline constexpr char kCurrentBadgeText[] = "当前";
inline constexpr char kWaitingBadgeText[] = "待生效";
// Shown in the notice label while the selected level does not fit a connected display.
inline constexpr char kTooLargeText[] = "此比例对当前屏幕过大";

// The badge pictures' sizes (tools/make_artwork.py draws them so) and where a level's badge goes
// on the main window: just below the start of its caption, inside the lower part of the radio's
// button and clear of the caption, the radio picture and the row below.
inline constexpr int kBadgeHeight = 14;
inline constexpr int kCurrentBadgeWidth = 30;
inline constexpr int kWaitingBadgeWidth = 40;
struct BadgeSpot {
  int left;
  int top;
};
BadgeSpot BadgeSpotOf(DpiLevel level);

// A display's size in device pixels.
struct DisplaySize {
  std::int64_t width;
  std::int64_t height;
};
// The smallest desktop a level may leave, in effective pixels (pixels x 96 / dots per inch), as the
// system's own display settings offer a level on a display only when it leaves at least this much.
inline constexpr std::int64_t kMinEffectiveWidth = 1024;
inline constexpr std::int64_t kMinEffectiveHeight = 600;
// Whether the level leaves every one of the displays at least the smallest desktop; true when
// there are none to judge by.
bool LevelFits(DpiLevel level, const std::vector<DisplaySize>& displays);

}  // namespace quorlin::app
