#include "tools/bench/bench_probes.h"

#include <psapi.h>

#include <algorithm>

namespace quorlin::bench {
namespace {

double FileTimeSeconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) / 1e7;  // 100 ns units
}

// Wine keeps GDI handles in one table of 64 Ki entries and accepts a handle whose upper word is 0
// for any live entry: probing every index counts what the process holds.
std::uint64_t CountGdiHandleTable() {
  std::uint64_t live = 0;
  for (std::uintptr_t index = 1; index < 0x10000; ++index) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
  }
  return live;
}

}  // namespace

double NowSeconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency;
}

double ProcessCpuSeconds() {
  FILETIME creation, exit, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
  return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

double MillisecondsSinceProcessStart() {
  FILETIME creation, exit, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  return (FileTimeSeconds(now) - FileTimeSeconds(creation)) * 1000.0;
}

PrivateBytes PrivateMemory() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof(counters));
  if (counters.PrivateUsage != 0) return {counters.PrivateUsage, "PrivateUsage"};
  // Wine fills only the basic counters; its PagefileUsage is the process's anonymous memory (resident
  // plus swapped), which is what Windows counts as private bytes too.
  return {counters.PagefileUsage, "PagefileUsage"};
}

GdiCount GdiObjects() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported != 0) return {reported, "GetGuiResources"};
  return {CountGdiHandleTable(), "handle-table-scan"};
}

double Median(std::vector<double> samples) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const std::size_t middle = samples.size() / 2;
  return samples.size() % 2 != 0 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

namespace {

// Dispatches queued messages until none is left or `deadline` has passed: with a timer whose
// handler takes longer than its period there is always another message waiting.
void PumpUntil(double deadline) {
  MSG message;
  while (NowSeconds() < deadline && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

void PumpPending() { PumpUntil(NowSeconds() + 0.2); }

// The tool's own message loop (GetMessage, translate, dispatch) until a thread timer of `seconds`
// fires, so that the processor time measured around it is what the running tool spends.
void PumpFor(double seconds) {
  const auto periodMs = static_cast<UINT>(seconds * 1000.0 + 0.5);
  const UINT_PTR deadline = SetTimer(nullptr, 0, periodMs > 0 ? periodMs : 1, nullptr);
  if (deadline == 0) return;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == deadline) break;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  KillTimer(nullptr, deadline);
}

}  // namespace quorlin::bench
