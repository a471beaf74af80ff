// What a change of a timer's period does to its platform timer.
#pragma once

#include <cstdint>

namespace quorlin::platform {

constexpr std::uintptr_t kTimerPlatformId = 1000;
constexpr int kPropTimerPeriod = 8;

struct PeriodChange {
  std::int32_t period = 0;  // the period to store (never negative)
  bool changed = false;     // false: the timer is left exactly as it was
  bool stop = false;        // stop the running platform timer first
  bool start = false;       // then start it with `period`
};

constexpr PeriodChange ChangePeriod(std::int32_t stored, bool running, std::int32_t requested) {
  PeriodChange change;
  change.period = requested < 0 ? 0 : requested;
  if (change.period == stored) {
    change.period = stored;
    return change;
  }
  change.changed = true;
  change.stop = running;
  change.start = change.period > 0;
  return change;
}

}  // namespace quorlin::platform
