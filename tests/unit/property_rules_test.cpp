#include "platform/logic/property_rules.h"

#include <gtest/gtest.h>

#include "platform/logic/property_value.h"
#include "platform/logic/timer_rules.h"
#include "platform/logic/window_template.h"

namespace quorlin::platform {
namespace {

TEST(PropertyRules, PositionsAndSizesAreClamped) {
  EXPECT_EQ(ClampPosition(40000), 32627);
  EXPECT_EQ(ClampPosition(-40000), -32627);
  EXPECT_EQ(ClampPosition(-5), -5);
  EXPECT_EQ(ClampSize(-10), 0);
  EXPECT_EQ(ClampSize(40000), 32627);
  EXPECT_EQ(ClampSize(800), 800);
}

TEST(PropertyRules, AMousePointerIsASystemCursorIdOrTheClassCursor) {
  struct Case {
    std::int32_t pointer, cursor;
  };
  const Case cases[] = {{0, 0},         {32512, 32512}, {32513, 32513}, {32649, 32649}, {32651, 32651},
                        {32641, 0},     {32647, 0},     {32652, 0},     {1, 0},         {-32512, 0}};
  for (const Case& c : cases) EXPECT_EQ(SystemCursorFor(c.pointer), c.cursor) << c.pointer;
}

TEST(PropertyRules, ColorFromRgbPutsRedInTheLowByte) {
  EXPECT_EQ(ColorFromRgb(246, 246, 246), 0xF6F6F6u);
  EXPECT_EQ(ColorFromRgb(120, 120, 120), 0x787878u);
  EXPECT_EQ(ColorFromRgb(1, 2, 3), 0x030201u);
}

TEST(PropertyRules, CentredOriginTruncates) {
  EXPECT_EQ(CentredOrigin(1280, 800), 240);
  EXPECT_EQ(CentredOrigin(800, 540), 130);
  EXPECT_EQ(CentredOrigin(1365, 800), 282);
  EXPECT_EQ(CentredOrigin(700, 800), -50);
}

TEST(PropertyValue, NumbersAndTextsReadBackAsTheyWereGiven) {
  EXPECT_EQ(PropertyValue(true).Number(), 1);
  EXPECT_EQ(PropertyValue(0xFF000000u).Number(), static_cast<std::int32_t>(0xFF000000u));
  EXPECT_EQ(PropertyValue("注销").Text(), "注销");
  EXPECT_EQ(PropertyValue(-12).Text(), "-12");
  EXPECT_EQ(PropertyValue("7").Number(), 0) << "a text is not parsed as a number";
}

TEST(TimerRules, APeriodChangeStopsAndStartsThePlatformTimerOnlyAsNeeded) {
  struct Case {
    const char* what;
    std::int32_t stored;
    bool running;
    std::int32_t requested;
    PeriodChange expected;  // period, changed, stop, start
  };
  const Case cases[] = {
      {"the same period leaves the timer alone", 1000, true, 1000, {1000, false, false, false}},
      {"a new period restarts a running timer", 1000, true, 10, {10, true, true, true}},
      {"a negative period stops the timer and reads as 0", 1000, true, -5, {0, true, true, false}},
      {"-5 is 0, which is already stored", 0, false, -5, {0, false, false, false}},
      {"a stopped timer starts without a stop", 0, false, 1000, {1000, true, false, true}},
  };
  for (const Case& c : cases) EXPECT_EQ(ChangePeriod(c.stored, c.running, c.requested), c.expected) << c.what;
}

}  // namespace
}  // namespace quorlin::platform
