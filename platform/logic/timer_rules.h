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
  bool operator==(const PeriodChange&) const = default;
};

// A negative period becomes 0; the stored one again changes nothing.
constexpr PeriodChange ChangePeriod(std::int32_t stored, bool running, std::int32_t requested) {
  const std::int32_t period = requested < 0 ? 0 : requested;
  if (period == stored) return {stored};
  return {period, true, running, period > 0};
}

}  // namespace quorlin::platform
