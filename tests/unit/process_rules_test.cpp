#include "platform/logic/process_rules.h"

#include <gtest/gtest.h>

namespace quorlin::platform {
namespace {

TEST(ShowMode, EachModeMapsToItsShowCommand) {
  EXPECT_EQ(ShowCommandFor(1), 0) << "SW_HIDE";
  EXPECT_EQ(ShowCommandFor(2), 1) << "SW_SHOWNORMAL";
  EXPECT_EQ(ShowCommandFor(3), 2) << "SW_SHOWMINIMIZED";
  EXPECT_EQ(ShowCommandFor(4), 3) << "SW_SHOWMAXIMIZED";
  EXPECT_EQ(ShowCommandFor(5), 4) << "SW_SHOWNOACTIVATE";
  EXPECT_EQ(ShowCommandFor(6), 6) << "SW_MINIMIZE, not SW_SHOW (5)";
  EXPECT_EQ(ShowCommandFor(kShowModeNormal), 1);
  EXPECT_EQ(ShowCommandFor(kShowModeHidden), 0);
}

TEST(ShowMode, OutOfRangeModesAreClampedToTheEnds) {
  for (ShowMode low : {0, -1, -5, INT32_MIN}) {
    EXPECT_EQ(ClampShowMode(low), 1) << low;
    EXPECT_EQ(ShowCommandFor(low), 0) << low << " hides like 1";
  }
  for (ShowMode high : {7, 8, 100, INT32_MAX}) {
    EXPECT_EQ(ClampShowMode(high), 6) << high;
    EXPECT_EQ(ShowCommandFor(high), 6) << high << " minimises like 6";
  }
  for (ShowMode inRange = 1; inRange <= 6; ++inRange) EXPECT_EQ(ClampShowMode(inRange), inRange);
}

ExitSessionPlan Windows(std::uint32_t flags) { return {SessionCall::ExitWindows, flags, false, false}; }
ExitSessionPlan Power(bool suspend, bool force) { return {SessionCall::SetPowerState, 0, suspend, force}; }
const ExitSessionPlan kNothing{};

TEST(ExitSessionPlan, KindsOutsideOneToFiveAskNothing) {
  for (ExitKind kind : {0, 6, -1, 100, INT32_MIN, INT32_MAX}) {
    for (bool force : {false, true}) {
      for (bool nt : {false, true}) {
        EXPECT_EQ(PlanExitSession(kind, force, nt), kNothing) << kind << " " << force << " " << nt;
      }
    }
  }
}

TEST(ExitSessionPlan, ShutDownPowersOffOnNtAndShutsDownElsewhere) {
  EXPECT_EQ(PlanExitSession(kExitShutDown, false, true), Windows(8));
  EXPECT_EQ(PlanExitSession(kExitShutDown, true, true), Windows(12));
  EXPECT_EQ(PlanExitSession(kExitShutDown, false, false), Windows(1));
  EXPECT_EQ(PlanExitSession(kExitShutDown, true, false), Windows(5));
}

TEST(ExitSessionPlan, RestartAndLogOffIgnoreThePlatformFamily) {
  for (bool nt : {false, true}) {
    EXPECT_EQ(PlanExitSession(kExitRestart, false, nt), Windows(2));
    EXPECT_EQ(PlanExitSession(kExitRestart, true, nt), Windows(6));
    EXPECT_EQ(PlanExitSession(kExitLogOff, false, nt), Windows(0));
    EXPECT_EQ(PlanExitSession(kExitLogOff, true, nt), Windows(4)) << "the tool's forced log-off";
  }
}

TEST(ExitSessionPlan, SuspendAndHibernateSetThePowerStateWithTheForceFlag) {
  for (bool nt : {false, true}) {
    EXPECT_EQ(PlanExitSession(kExitSuspend, false, nt), Power(true, false));
    EXPECT_EQ(PlanExitSession(kExitSuspend, true, nt), Power(true, true));
    EXPECT_EQ(PlanExitSession(kExitHibernate, false, nt), Power(false, false));
    EXPECT_EQ(PlanExitSession(kExitHibernate, true, nt), Power(false, true));
  }
}

}  // namespace
}  // namespace quorlin::platform
