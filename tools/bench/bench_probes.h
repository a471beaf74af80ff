// What the benchmark reads from its own process: a steady clock, CPU time, memory and GDI objects,
// and the median of a series of samples.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quorlin::bench {

// Seconds since an arbitrary start, from the performance counter.
double NowSeconds();

// User plus kernel time of this process so far, in seconds (GetProcessTimes).
double ProcessCpuSeconds();

// Milliseconds from this process's creation (GetProcessTimes) to now.
double MillisecondsSinceProcessStart();

// Private bytes of this process (GetProcessMemoryInfo: PrivateUsage, or PagefileUsage where the
// system leaves PrivateUsage 0).
struct PrivateBytes {
  std::uint64_t bytes = 0;
  const char* source = "";
};
PrivateBytes PrivateMemory();

// GDI objects of this process. GetGuiResources(GR_GDIOBJECTS) where the system answers it; under a
// system that reports 0 for it (Wine), the live entries of the GDI handle table are counted instead.
struct GdiCount {
  std::uint64_t objects = 0;
  const char* source = "";
};
GdiCount GdiObjects();

double Median(std::vector<double> samples);

// Dispatches this thread's messages for `seconds` of wall time.
void PumpFor(double seconds);
// Dispatches what is queued now (for at most 200 ms).
void PumpPending();

}  // namespace quorlin::bench
