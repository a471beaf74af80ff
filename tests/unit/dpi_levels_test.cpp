#include "app/logic/dpi_levels.h"

#include <gtest/gtest.h>

#include "app/logic/tool_ids.h"

namespace quorlin::app {
namespace {

TEST(DpiLevels, EachLevelWritesItsDotsPerInch) {
  EXPECT_EQ(LogPixelsCommandLine(DpiLevel::Percent100),
            "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d 96 /f");
  EXPECT_EQ(LogPixelsCommandLine(DpiLevel::Percent125),
            "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d 120 /f");
  EXPECT_EQ(LogPixelsCommandLine(DpiLevel::Percent150),
            "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d 144 /f");
  EXPECT_EQ(LogPixelsCommandLine(DpiLevel::Percent200),
            "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d 192 /f");
  EXPECT_EQ(LogPixelsCommandLine(DpiLevel::Percent250),
            "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v LogPixels /t REG_DWORD /d 240 /f");
  EXPECT_EQ(Win8DpiScalingCommandLine(),
            "reg.exe add \"HKCU\\Control Panel\\Desktop\" /v Win8DpiScaling /t REG_DWORD /d 1 /f");
}

TEST(DpiLevels, TheTableRunsFromSmallestToLargestWithItsRadios) {
  const std::int32_t radios[] = {kRadio100, kRadio125, kRadio150, kRadio200, kRadio250};
  const int percents[] = {100, 125, 150, 200, 250};
  for (std::size_t i = 0; i < DpiLevels().size(); ++i) {
    EXPECT_EQ(DpiLevels()[i].radioControlId, radios[i]);
    EXPECT_EQ(DpiLevels()[i].percent, percents[i]);
    EXPECT_EQ(static_cast<std::size_t>(DpiLevels()[i].level), i);
  }
}

TEST(DpiLevels, SelectionSetsExactlyOneFlag) {
  LevelFlags flags = FlagsSelecting(DpiLevel::Percent200);
  EXPECT_EQ(flags, (LevelFlags{0, 0, 0, 1, 0}));
  EXPECT_EQ(FirstSelected(flags), DpiLevel::Percent200);
}

TEST(DpiLevels, TheFirstSelectedLevelInTableOrderWins) {
  EXPECT_EQ(FirstSelected(LevelFlags{0, 1, 0, 1, 1}), DpiLevel::Percent125);
  EXPECT_EQ(FirstSelected(LevelFlags{}), std::nullopt) << "no flag, no LogPixels line";
}

}  // namespace
}  // namespace quorlin::app
