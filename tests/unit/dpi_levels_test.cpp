#include "app/logic/dpi_levels.h"

#include <gtest/gtest.h>

#include "app/apply_state.h"
#include "app/logic/scaling_outcome.h"
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

// ---- What a write came to ----

TEST(ScalingOutcome, OnlyTheLevelsDotsPerInchAndScalingOneCountAsWritten) {
  const struct {
    std::optional<std::uint32_t> logPixels, win8DpiScaling;
    std::optional<DpiLevel> level;
    bool written;
  } cases[] = {
      {144, 1, DpiLevel::Percent150, true},       {240, 1, DpiLevel::Percent250, true},
      {96, 1, DpiLevel::Percent150, false},       {std::nullopt, 1, DpiLevel::Percent150, false},
      {144, 0, DpiLevel::Percent150, false},      {144, std::nullopt, DpiLevel::Percent150, false},
      {std::nullopt, std::nullopt, DpiLevel::Percent100, false},
      {std::nullopt, 1, std::nullopt, true},      // no level: no LogPixels line ran
      {std::nullopt, 2, std::nullopt, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WrittenAsAsked({c.logPixels, c.win8DpiScaling}, c.level), c.written)
        << c.logPixels.value_or(0) << " " << c.win8DpiScaling.value_or(0);
  }
}

TEST(ScalingOutcome, RegistryToolsAreDisabledByOneAndTwoOnly) {
  EXPECT_TRUE(RegistryToolsDisabled(1u));
  EXPECT_TRUE(RegistryToolsDisabled(2u));
  for (std::optional<std::uint32_t> allowed : {std::optional<std::uint32_t>{}, std::optional<std::uint32_t>{0u},
                                               std::optional<std::uint32_t>{3u},
                                               std::optional<std::uint32_t>{0xFFFFFFFFu}}) {
    EXPECT_FALSE(RegistryToolsDisabled(allowed)) << allowed.value_or(12345);
  }
}

TEST(ScalingOutcome, EachFailureHasItsNotice) {
  EXPECT_STREQ(FailureNoticeFor(WriteOutcome::Failed), kFailureText);
  EXPECT_STREQ(FailureNoticeFor(WriteOutcome::BlockedByPolicy), kPolicyBlockedText);
  EXPECT_STREQ(kPolicyBlockedText, "管理员已禁止修改注册表");
}

// Characters of UTF-8 text: every byte that does not continue a sequence starts one.
std::size_t CharacterCount(const char* text) {
  std::size_t count = 0;
  for (const char* c = text; *c != '\0'; ++c) count += (static_cast<unsigned char>(*c) & 0xC0) != 0x80;
  return count;
}

TEST(ScalingOutcome, FailureNoticesFitTheNoticeLabel) {
  for (const char* text : {kFailureText, kPolicyBlockedText, kOtherUserText}) {
    EXPECT_LE(CharacterCount(text), 16u) << text;
    EXPECT_GT(CharacterCount(text), 0u);
  }
  EXPECT_EQ(CharacterCount(kPolicyBlockedText), 11u) << "counted as characters, not bytes";
}

}  // namespace
}  // namespace quorlin::app
