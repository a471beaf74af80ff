#include "app/logic/dpi_levels.h"

#include "app/logic/tool_ids.h"

namespace quorlin::app {

const std::array<DpiLevelInfo, 5>& DpiLevels() {
  static const std::array<DpiLevelInfo, 5> levels{{
      {DpiLevel::Percent100, 100, 96, kRadio100},
      {DpiLevel::Percent125, 125, 120, kRadio125},
      {DpiLevel::Percent150, 150, 144, kRadio150},
      {DpiLevel::Percent200, 200, 192, kRadio200},
      {DpiLevel::Percent250, 250, 240, kRadio250},
  }};
  return levels;
}

const DpiLevelInfo& InfoOf(DpiLevel level) { return DpiLevels()[static_cast<std::size_t>(level)]; }

LevelFlags FlagsSelecting(DpiLevel level) {
  LevelFlags flags{};
  flags[static_cast<std::size_t>(level)] = 1;
  return flags;
}

std::optional<DpiLevel> FirstSelected(const LevelFlags& flags) {
  for (const DpiLevelInfo& info : DpiLevels())
    if (flags[static_cast<std::size_t>(info.level)] != 0) return info.level;
  return std::nullopt;
}

std::string LogPixelsCommandLine(DpiLevel level) {
  return "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d " +
         std::to_string(InfoOf(level).logPixels) + " /f";
}

std::string Win8DpiScalingCommandLine() {
  return "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v Win8DpiScaling /t REG_DWORD /d 1 /f";
}

}  // namespace quorlin::app
