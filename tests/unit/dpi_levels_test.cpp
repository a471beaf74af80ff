#include "app/logic/dpi_levels.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  constexpr auto none = std::nullopt;
  const struct {
    std::int64_t session;
    std::optional<std::uint32_t> stored;
    std::optional<DpiLevel> current, waiting;
  } cases[] = {
      {96, none, DpiLevel::Percent100, none},                      // nothing stored
      {96, 96u, DpiLevel::Percent100, none},                       // stored and in effect alike
      {144, 96u, DpiLevel::Percent150, DpiLevel::Percent100},      // back to 100 % at the next sign-in
      {96, 240u, DpiLevel::Percent100, DpiLevel::Percent250},
      {120, 192u, DpiLevel::Percent125, DpiLevel::Percent200},
      {96, 168u, DpiLevel::Percent100, none},                      // 175 %: none of the five
      {96, 0u, DpiLevel::Percent100, none},
      {108, 120u, none, DpiLevel::Percent125},                     // a session at a level of its own
      {108, 108u, none, none},
      {0, none, none, none},                                       // no value read from the screen
      {96 + (std::int64_t{1} << 32), 96u, none, DpiLevel::Percent100},  // no wrap to 96
  };
  for (const auto& c : cases) {
    const LevelBadges badges = BadgesFor(c.session, c.stored);
    EXPECT_EQ(badges.current, c.current) << c.session << " / " << c.stored.value_or(0);
    EXPECT_EQ(badges.waiting, c.waiting) << c.session << " / " << c.stored.value_or(0);
  }
}

TEST(LevelMarks, EveryLevelIsFoundByItsDotsPerInchOnly) {
  for (const DpiLevelInfo& info : DpiLevels()) EXPECT_EQ(LevelOfLogPixels(info.logPixels), info.level);
  for (std::int64_t other : {0, 95, 97, 100, 125, 168, 241, -96}) EXPECT_EQ(LevelOfLogPixels(other), std::nullopt) << other;
}

TEST(LevelMarks, ALevelFitsWhenEveryDisplayKeepsAtLeast1024By600EffectivePixels) {
  using L = DpiLevel;
  const struct {
    std::vector<DisplaySize> displays;
    std::vector<L> fitting;  // all others do not fit
  } cases[] = {
      {{{1366, 768}}, {L::Percent100, L::Percent125}},
      {{{1280, 800}}, {L::Percent100, L::Percent125}},  // 125 %: exactly 1024 x 640
      {{{1920, 1080}}, {L::Percent100, L::Percent125, L::Percent150}},
      {{{1920, 1200}}, {L::Percent100, L::Percent125, L::Percent150}},  // 200 %: 960 wide
      {{{2560, 1440}}, {L::Percent100, L::Percent125, L::Percent150, L::Percent200}},
      {{{3840, 2160}}, {L::Percent100, L::Percent125, L::Percent150, L::Percent200, L::Percent250}},
      {{{2560, 1500}}, {L::Percent100, L::Percent125, L::Percent150, L::Percent200, L::Percent250}},  // 600 high
      {{{2560, 1499}}, {L::Percent100, L::Percent125, L::Percent150, L::Percent200}},  // 599.6 high
      {{{1279, 800}}, {L::Percent100}},                 // 125 %: 1023.2 wide
      {{{1024, 600}}, {L::Percent100}},
      {{{1023, 768}}, {}},
      {{{800, 600}}, {}},
      {{{3840, 2160}, {1366, 768}}, {L::Percent100, L::Percent125}},  // the smallest display decides
      {{{1366, 768}, {3840, 2160}}, {L::Percent100, L::Percent125}},
      {{}, {L::Percent100, L::Percent125, L::Percent150, L::Percent200, L::Percent250}},
  };
  for (const auto& c : cases) {
    for (const DpiLevelInfo& info : DpiLevels()) {
      const bool expected =
          std::find(c.fitting.begin(), c.fitting.end(), info.level) != c.fitting.end();
      EXPECT_EQ(LevelFits(info.level, c.displays), expected)
          << info.percent << " % on " << c.displays.size() << " displays, first "
          << (c.displays.empty() ? 0 : c.displays[0].width) << " x " << (c.displays.empty() ? 0 : c.displays[0].height);
    }
  }
}

struct Box {
  int left, top, right, bottom;  // right and bottom exclusive
};
bool Overlap(const Box& a, const Box& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A badge covers no caption (their ink boxes in the background pictures), no radio picture, no
// button and no label, overlaps no other level's badge or radio, and stays on the options card.
TEST(LevelMarks, BadgesCoverNoCaptionRadioButtonOrLabel) {
  const Box captions[] = {{76, 417, 203, 433}, {257, 416, 337, 432}, {404, 417, 485, 432},
                          {76, 467, 156, 482}, {256, 467, 337, 482}};
  const Box card{36, 400, 497, 507};
  std::vector<Box> covered(std::begin(captions), std::end(captions));
  std::vector<Box> radios;
  const platform::WindowTemplate main = MainWindowTemplate({});
  for (const platform::ControlTemplate& control : main.controls) {
    if (!control.visible) continue;
    const Box box{control.left, control.top, control.left + control.width, control.top + control.height};
    const bool radio = control.id >= kRadio100 && control.id <= kRadio250;
    if (radio) {
      radios.push_back(box);
      covered.push_back({box.left, box.top, box.left + 22, box.top + 22});  // the radio picture
    } else {
      covered.push_back(box);  // Apply, Log off (in Apply's place, too), close
    }
  }
  covered.push_back({552, 437, 712, 489});  // where Log off stands after Apply
  for (const platform::ControlTemplate& label : OverlayWindowTemplate({}).controls)
    if (label.id == kNoticeLabelId || label.id == kVersionLabelId)
      covered.push_back({label.left, label.top, label.left + label.width, label.top + label.height});
  ASSERT_EQ(radios.size(), 5u);

  std::vector<Box> badges;
  for (const DpiLevelInfo& info : DpiLevels()) {
    const BadgeSpot spot = BadgeSpotOf(info.level);
    for (int width : {kCurrentBadgeWidth, kWaitingBadgeWidth}) {
      const Box badge{spot.left, spot.top, spot.left + width, spot.top + kBadgeHeight};
      for (const Box& other : covered)
        EXPECT_FALSE(Overlap(badge, other)) << info.percent << " % badge over " << other.left << "," << other.top;
      for (std::size_t r = 0; r < radios.size(); ++r) {
        if (r != static_cast<std::size_t>(info.level))
          EXPECT_FALSE(Overlap(badge, radios[r])) << info.percent << " % badge over radio " << r;
      }
      EXPECT_TRUE(badge.left >= card.left + 8 && badge.right <= card.right - 8 && badge.top >= card.top &&
                  badge.bottom <= card.bottom - 4)
          << info.percent << " % badge off the card";
      // Below its own caption, close to it: read as that level's.
      const Box& caption = captions[static_cast<std::size_t>(info.level)];
      EXPECT_EQ(badge.left, caption.left) << info.percent;
      EXPECT_GE(badge.top, caption.bottom);
      EXPECT_LE(badge.top, caption.bottom + 3);
      badges.push_back(badge);
    }
  }
  for (std::size_t i = 0; i < badges.size(); ++i)
    for (std::size_t j = i + 1; j < badges.size(); ++j)
      if (i / 2 != j / 2) EXPECT_FALSE(Overlap(badges[i], badges[j])) << i << " and " << j;
}

}  // namespace
}  // namespace quorlin::app
