#include "app/logic/level_marks.h"

namespace quorlin::app {

std::optional<DpiLevel> LevelOfLogPixels(std::int64_t logPixels) {
  for (const DpiLevelInfo& info : DpiLevels())
    if (info.logPixels == logPixels) return info.level;
  return std::nullopt;
}

LevelBadges BadgesFor(std::int64_t sessionLogPixels, std::optional<std::uint32_t> storedLogPixels) {
  LevelBadges badges;
  badges.current = LevelOfLogPixels(sessionLogPixels);
  if (storedLogPixels && static_cast<std::int64_t>(*storedLogPixels) != sessionLogPixels)
    badges.waiting = LevelOfLogPixels(*storedLogPixels);
  return badges;
}

BadgeSpot BadgeSpotOf(DpiLevel level) {
  // Left edge of each caption in the background pictures; the first row's captions end at y 432,
  // the second row's at y 481.
  switch (level) {
    case DpiLevel::Percent100: return {76, 434};
    case DpiLevel::Percent125: return {257, 434};
    case DpiLevel::Percent150: return {404, 434};
    case DpiLevel::Percent200: return {76, 484};
    case DpiLevel::Percent250: return {256, 484};
  }
  return {0, 0};
}

bool LevelFits(DpiLevel level, const std::vector<DisplaySize>& displays) {
  const std::int64_t dpi = InfoOf(level).logPixels;
  for (const DisplaySize& display : displays) {
    // Effective pixels truncated, as the system counts them: w x 96 / dpi >= 1024 and the same for h.
    if (display.width * 96 / dpi < kMinEffectiveWidth || display.height * 96 / dpi < kMinEffectiveHeight)
      return false;
  }
  return true;
}

}  // namespace quorlin::app
