#include "app/logic/dpi_levels.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/apply_state.h"
#include "app/logic/level_marks.h"
#include "app/logic/scaling_outcome.h"
#include "app/logic/tool_ids.h"
#include "app/logic/tool_templates.h"

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
  for (const char* text : {kFailureText, kPolicyBlockedText, kOtherUserText, kTooLargeText}) {
    EXPECT_LE(CharacterCount(text), 16u) << text;
    EXPECT_GT(CharacterCount(text), 0u);
  }
  EXPECT_EQ(CharacterCount(kPolicyBlockedText), 11u) << "counted as characters, not bytes";
}

// ---- The level in effect, the one waiting, and whether a level fits ----

TEST(LevelMarks, TheSessionsLevelIsCurrentAndAStoredOtherLevelWaits) {
  using L = DpiLevel;
  constexpr auto none = std::nullopt;
  const struct {
    std::int64_t session;
    std::optional<std::uint32_t> stored;
    LevelBadges badges;
  } cases[] = {
      {96, none, {L::Percent100, none}},        {96, 96u, {L::Percent100, none}},
      {144, 96u, {L::Percent150, L::Percent100}}, {120, 240u, {L::Percent125, L::Percent250}},
      {96, 168u, {L::Percent100, none}},        // 175 %: none of the five
      {108, 120u, {none, L::Percent125}},       {108, 108u, {none, none}},
      {96 + (std::int64_t{1} << 32), 96u, {none, L::Percent100}},  // no wrap to 96
  };
  for (const auto& c : cases)
    EXPECT_EQ(BadgesFor(c.session, c.stored), c.badges) << c.session << " / " << c.stored.value_or(0);
}

TEST(LevelMarks, ALevelFitsWhenEveryDisplayKeepsAtLeast1024By600EffectivePixels) {
  const struct {
    std::vector<DisplaySize> displays;
    int largestFitting;  // percent; every level above it does not fit
  } cases[] = {
      {{{1366, 768}}, 125},  {{{1280, 800}}, 125},  // 125 % on 1280 x 800: exactly 1024 x 640
      {{{1279, 800}}, 100},  {{{1920, 1080}}, 150}, {{{2560, 1499}}, 200}, {{{2560, 1500}}, 250},
      {{{800, 600}}, 0},     {{{3840, 2160}, {1366, 768}}, 125},  // the smallest display decides
      {{}, 250},
  };
  for (const auto& c : cases) {
    for (const DpiLevelInfo& info : DpiLevels()) {
      EXPECT_EQ(LevelFits(info.level, c.displays), info.percent <= c.largestFitting)
          << info.percent << " % on " << c.displays.size() << " displays up to " << c.largestFitting;
    }
  }
}

// A badge, of either width, covers no caption (their ink in the background pictures), no radio
// picture or other radio, no button and no label, and stays on the options card.
TEST(LevelMarks, BadgesCoverNoCaptionRadioButtonOrLabel) {
  struct Box {
    int left, top, right, bottom;  // right and bottom exclusive
    bool Overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
  };
  const Box captions[] = {{76, 417, 203, 433}, {257, 416, 337, 432}, {404, 417, 485, 432},
                          {76, 467, 156, 482}, {256, 467, 337, 482}};
  std::vector<std::pair<Box, std::int32_t>> covered;  // and the radio whose badge may lie on it
  for (const Box& caption : captions) covered.push_back({caption, 0});
  for (const platform::WindowTemplate& window : {MainWindowTemplate({}), OverlayWindowTemplate({})}) {
    for (const platform::ControlTemplate& c : window.controls) {
      if (!c.visible || c.id == kSpareLabelId) continue;
      const Box box{c.left, c.top, c.left + c.width, c.top + c.height};
      covered.push_back({box, c.id});
      if (c.id >= kRadio100 && c.id <= kRadio250) covered.push_back({{box.left, box.top, box.left + 22, box.top + 22}, 0});
    }
  }
  covered.push_back({{552, 437, 712, 489}, 0});  // Log off in Apply's place
  for (const DpiLevelInfo& info : DpiLevels()) {
    const BadgeSpot spot = BadgeSpotOf(info.level);
    for (int width : {kCurrentBadgeWidth, kWaitingBadgeWidth}) {
      const Box badge{spot.left, spot.top, spot.left + width, spot.top + kBadgeHeight};
      for (const auto& [box, id] : covered)
        EXPECT_TRUE(id == info.radioControlId || !badge.Overlaps(box)) << info.percent << " % over " << box.left << "," << box.top;
      EXPECT_TRUE(badge.left >= 44 && badge.right <= 488 && badge.top >= 400 && badge.bottom <= 502) << info.percent;
    }
  }
}

}  // namespace
}  // namespace quorlin::app
