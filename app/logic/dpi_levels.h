// The five display scaling levels, the selection among them and the command lines that write them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace quorlin::app {

enum class DpiLevel : int { Percent100 = 0, Percent125, Percent150, Percent200, Percent250 };

struct DpiLevelInfo {
  DpiLevel level;
  int percent;
  int logPixels;
  std::int32_t radioControlId;
};

// In table order: the order in which Apply tests the flags and in which the radios are redrawn.
const std::array<DpiLevelInfo, 5>& DpiLevels();
const DpiLevelInfo& InfoOf(DpiLevel level);

// One 32-bit flag per level; exactly one is 1 once the window is set up.
using LevelFlags = std::array<std::int32_t, 5>;
LevelFlags FlagsSelecting(DpiLevel level);
// The first selected level in table order, if any.
std::optional<DpiLevel> FirstSelected(const LevelFlags& flags);

// The program every command line runs and the command lines themselves, exactly as reg.exe gets them.
inline constexpr char kRegProgram[] = "reg.exe";
std::string LogPixelsCommandLine(DpiLevel level);
std::string Win8DpiScalingCommandLine();

}  // namespace quorlin::app
