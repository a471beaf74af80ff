// quorlin-bench: what one frame of the main window costs against the floor of presenting a ready
// picture, what an idle refresh tick costs, how much CPU the tool takes while nothing changes, how
// fast it starts, and whether clicking and idling make it grow. Every figure is measured in several
// repetitions and printed as one "name: median (min..max, n runs)" line, so that one run of the
// benchmark can be trusted on a machine shared with other work. Run it under the same display and
// Wine prefix as the tool.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/logic/tool_ids.h"
#include "app/skin_objects.h"
#include "app/tool_handlers.h"
#include "platform/handle_owners.h"
#include "platform/logic/timer_rules.h"
#include "platform/win_api.h"
#include "platform/window_service.h"
#include "skin/composition.h"
#include "tools/bench/bench_probes.h"

namespace quorlin::bench {
namespace {

constexpr int kFormWidth = 800;
constexpr int kFormHeight = 540;
constexpr int kApplyPeriodMs = 10;
constexpr int kIdlePeriodMs = 1000;
constexpr char kStartupProbeFlag[] = "--startup-probe";

struct Options {
  int repeats = 5;           // repetitions of every figure but the start-up (one per child start)
  int frames = 100;          // full compositions, and as many floor presentations, per repetition
  int ticks = 100;           // idle refresh ticks per repetition
  double cpuSeconds = 6;     // wall time of each CPU window
  int startups = 7;          // child starts
  int clicks = 10000;        // radio clicks between the memory readings, over all repetitions
  double soakSeconds = 60;   // idle time at 10 ms between the memory readings, over all repetitions
};

void Print(const char* name, double value, const char* format = "%.3f") {
  std::printf("%s: ", name);
  std::printf(format, value);
  std::printf("\n");
  std::fflush(stdout);
}

// A figure measured in several repetitions: the median, with the smallest and largest beside it.
void PrintSeries(const char* name, const std::vector<double>& values, const char* format = "%.3f") {
  if (values.empty()) {
    std::printf("%s: -1 (no run)\n", name);
    std::fflush(stdout);
    return;
  }
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  std::printf("%s: ", name);
  std::printf(format, Median(values));
  std::printf(" (");
  std::printf(format, *low);
  std::printf("..");
  std::printf(format, *high);
  std::printf(", %u runs)\n", static_cast<unsigned>(values.size()));
  std::fflush(stdout);
}

void PrintText(const char* name, const char* value) {
  std::printf("%s: %s\n", name, value);
  std::fflush(stdout);
}

void Usage() {
  std::printf(
      "usage: quorlin-bench [--quick] [--repeats N] [--frames N] [--ticks N] [--cpu-seconds S]\n"
      "                     [--startups N] [--clicks N] [--soak-seconds S]\n"
      "  --quick   a smoke run: 3 repetitions of 30 frames, 30 ticks and 1 s CPU windows, 3 starts,\n"
      "            300 clicks, 3 s soak\n");
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--quick") {
      options = Options{3, 30, 30, 1, 3, 300, 3};
    } else if (arg == "--repeats" && hasValue) {
      options.repeats = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--frames" && hasValue) {
      options.frames = std::atoi(argv[++i]);
    } else if (arg == "--ticks" && hasValue) {
      options.ticks = std::atoi(argv[++i]);
    } else if (arg == "--cpu-seconds" && hasValue) {
      options.cpuSeconds = std::atof(argv[++i]);
    } else if (arg == "--startups" && hasValue) {
      options.startups = std::atoi(argv[++i]);
    } else if (arg == "--clicks" && hasValue) {
      options.clicks = std::atoi(argv[++i]);
    } else if (arg == "--soak-seconds" && hasValue) {
      options.soakSeconds = std::atof(argv[++i]);
    } else {
      Usage();
      return false;
    }
  }
  return true;
}

// --- Start-up, measured in a child instance of this program --------------------------------------

// In the child: the moment the main window is on screen with its first presented picture.
struct StartupProbe {
  static inline api::ScopedOverride<api::types::UpdateLayeredWindow_t>* override = nullptr;
  static inline double shownMs = -1;  // first presentation while the window was visible
  static inline int presentations = 0;

  static BOOL WINAPI Present(HWND hwnd, HDC dst, POINT* dstPoint, SIZE* size, HDC src, POINT* srcPoint,
                             COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    const BOOL result = override->Previous()(hwnd, dst, dstPoint, size, src, srcPoint, key, blend, flags);
    ++presentations;
    if (shownMs < 0 && IsWindowVisible(hwnd)) shownMs = MillisecondsSinceProcessStart();
    return result;
  }
};

[[noreturn]] void RunStartupProbe() {
  api::ScopedOverride<api::types::UpdateLayeredWindow_t> present(api::UpdateLayeredWindow, &StartupProbe::Present);
  StartupProbe::override = &present;
  app::OpenTool();
  // A picture presented before the window was shown appears when it is shown, which has happened
  // by the time the tool's start-up returns to its message loop.
  double shown = StartupProbe::shownMs;
  if (shown < 0 && StartupProbe::presentations > 0 && IsWindowVisible(platform::WindowHandle(app::MainWindow)))
    shown = MillisecondsSinceProcessStart();
  Print("startup_ms", shown, "%.1f");
  ExitProcess(0);
}

// Starts this program with the probe flag and reads the figure it prints; negative on failure.
double RunStartupChild() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(path) + L"\" --startup-probe";
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
  platform::UniqueHandle reader(readEnd);
  platform::UniqueHandle writer(writeEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
    return -1;
  platform::UniqueHandle process(info.hProcess);
  platform::UniqueHandle thread(info.hThread);
  writer.Reset();  // the child holds the only write end now: reading ends when it exits
  std::string output;
  char buffer[256];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) output.append(buffer, got);
  WaitForSingleObject(info.hProcess, 30000);
  const std::size_t at = output.find("startup_ms: ");
  return at == std::string::npos ? -1 : std::atof(output.c_str() + at + std::strlen("startup_ms: "));
}

// --- The floor: presenting a ready picture ---------------------------------------------------------

class FloorWindow {
 public:
  FloorWindow() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuorlinBenchFloor";
    RegisterClassExW(&windowClass);
    hwnd_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"QuorlinBenchFloor", L"floor", WS_POPUP, 0, 0,
                            kFormWidth, kFormHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
    windowDc_ = GetWindowDC(hwnd_);
    memory_ = CreateCompatibleDC(windowDc_);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kFormWidth;
    info.bmiHeader.biHeight = kFormHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    surface_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < kFormHeight; ++y) {
      for (int x = 0; x < kFormWidth; ++x)  // opaque, like the tool's backgrounds
        pixels[y * kFormWidth + x] = 0xFF000000u | static_cast<std::uint32_t>((x & 0xFF) << 16 | (y & 0xFF) << 8 | 0x40);
    }
    previous_ = SelectObject(memory_, surface_);
    Present();
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  }
  ~FloorWindow() {
    SelectObject(memory_, previous_);
    DeleteObject(surface_);
    DeleteDC(memory_);
    ReleaseDC(hwnd_, windowDc_);
    DestroyWindow(hwnd_);
  }
  FloorWindow(const FloorWindow&) = delete;
  FloorWindow& operator=(const FloorWindow&) = delete;

  void Present() {
    SIZE size{kFormWidth, kFormHeight};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(hwnd_, windowDc_, nullptr, &size, memory_, &origin, 0, &blend, ULW_ALPHA);
  }

 private:
  HWND hwnd_ = nullptr;
  HDC windowDc_ = nullptr;
  HDC memory_ = nullptr;
  HBITMAP surface_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// --- The figures -----------------------------------------------------------------------------------

// Where a full frame's time goes: the time spent in each drawing and presenting call, per frame.
struct FrameProfile {
  static constexpr int kParts = 12;
  static inline double spent[kParts] = {};
  static constexpr const char* kNames[kParts] = {
      "frame_part_new_bitmap_ms",       "frame_part_draw_image_rect_i_ms", "frame_part_draw_image_rect_ms",
      "frame_part_draw_image_crop_ms",  "frame_part_lock_bits_ms",         "frame_part_new_surface_ms",
      "frame_part_update_layered_window_ms", "frame_part_dispose_image_ms", "frame_part_new_graphics_ms",
      "frame_part_delete_graphics_ms",  "frame_part_property_reads_ms",    "frame_part_window_steps_ms"};
};

template <int kIndex, typename Fn>
struct TimedCall;

template <int kIndex, typename R, typename... A>
struct TimedCall<kIndex, R(WINAPI*)(A...)> {
  static inline R(WINAPI* previous)(A...) = nullptr;
  static R WINAPI Call(A... args) {
    const double start = NowSeconds();
    R result = previous(args...);
    FrameProfile::spent[kIndex] += (NowSeconds() - start) * 1000.0;
    return result;
  }
};

#define QUORLIN_TIMED(name, index)                                                                       \
  using Timed_##name = TimedCall<index, api::types::name##_t>;                                             \
  api::ScopedOverride<api::types::name##_t> timed_##name(api::name, &Timed_##name::Call);                 \
  Timed_##name::previous = timed_##name.Previous();

void MeasureFrameParts(int frames) {
  const HWND main = platform::WindowHandle(app::MainWindow);
  for (double& part : FrameProfile::spent) part = 0;
  {
    QUORLIN_TIMED(GdipCreateBitmapFromScan0, 0)
    QUORLIN_TIMED(GdipDrawImageRectI, 1)
    QUORLIN_TIMED(GdipDrawImageRect, 2)
    QUORLIN_TIMED(GdipDrawImageRectRect, 3)
    QUORLIN_TIMED(GdipBitmapLockBits, 4)
    QUORLIN_TIMED(CreateDIBSection, 5)
    QUORLIN_TIMED(UpdateLayeredWindow, 6)
    QUORLIN_TIMED(GdipDisposeImage, 7)
    QUORLIN_TIMED(GdipGetImageGraphicsContext, 8)
    QUORLIN_TIMED(GdipDeleteGraphics, 9)
    QUORLIN_TIMED(GetPropA, 10)
    QUORLIN_TIMED(GetWindow, 11)
    for (int i = 0; i < frames; ++i) skin::ComposeForm(main);
  }
  for (int i = 0; i < FrameProfile::kParts; ++i) Print(FrameProfile::kNames[i], FrameProfile::spent[i] / frames);
}

#undef QUORLIN_TIMED

void MeasureFrames(const Options& options) {
  const HWND main = platform::WindowHandle(app::MainWindow);
  FloorWindow floor;
  PumpFor(0.3);
  // Each repetition gives the median frame, the median floor and their ratio.
  std::vector<double> frameMedians;
  std::vector<double> floorMedians;
  std::vector<double> ratios;
  for (int round = 0; round < options.repeats; ++round) {
    std::vector<double> frames;
    std::vector<double> floors;
    for (int i = 0; i < options.frames; ++i) {
      double start = NowSeconds();
      skin::ComposeForm(main);  // always a full composition and presentation
      frames.push_back((NowSeconds() - start) * 1000.0);
      start = NowSeconds();
      floor.Present();
      floors.push_back((NowSeconds() - start) * 1000.0);
      PumpPending();
    }
    frameMedians.push_back(Median(frames));
    floorMedians.push_back(Median(floors));
    ratios.push_back(floorMedians.back() > 0 ? frameMedians.back() / floorMedians.back() : 0);
  }
  PrintSeries("frame_ms", frameMedians);
  PrintSeries("floor_ms", floorMedians);
  PrintSeries("frame_over_floor", ratios);
  MeasureFrameParts(options.frames / 2 + 1);
}

// Under Wine every property read and every step of a walk over child windows is a round trip to the
// window server: how many one idle tick makes.
struct CallCounter {
  static inline api::ScopedOverride<api::types::GetPropA_t>* props = nullptr;
  static inline api::ScopedOverride<api::types::GetWindow_t>* walk = nullptr;
  static inline int propReads = 0;
  static inline int walkSteps = 0;

  static HANDLE WINAPI GetProp(HWND hwnd, LPCSTR name) {
    ++propReads;
    return props->Previous()(hwnd, name);
  }
  static HWND WINAPI GetWindow(HWND hwnd, UINT relation) {
    ++walkSteps;
    return walk->Previous()(hwnd, relation);
  }
};

// The round trips of one refresh with nothing changed, by the given refresh.
void MeasureTickCalls(const char* name, void (*refresh)()) {
  api::ScopedOverride<api::types::GetPropA_t> props(api::GetPropA, &CallCounter::GetProp);
  api::ScopedOverride<api::types::GetWindow_t> walk(api::GetWindow, &CallCounter::GetWindow);
  CallCounter::props = &props;
  CallCounter::walk = &walk;
  CallCounter::propReads = CallCounter::walkSteps = 0;
  refresh();
  std::printf("%s_property_reads: %d\n%s_window_steps: %d\n", name, CallCounter::propReads, name,
              CallCounter::walkSteps);
  std::fflush(stdout);
}

// What a refresh with nothing changed costs. The refresh timer's tick rereads the window properties
// at most every 100 ms: back to back it trusts the change counter (tick_idle); a refresh asked for
// by code rereads them every time (tick_reread), as the tick does every 100 ms.
void MeasureIdleTick(const Options& options) {
  struct Kind {
    const char* name;
    void (*refresh)();
  };
  const Kind kinds[] = {{"tick_idle", [] { app::OnRefreshTick(); }},
                        {"tick_reread", [] { app::skinObjects().form.RefreshForm(); }}};
  for (const Kind& kind : kinds) {
    kind.refresh();  // whatever was pending is on screen now
    PumpPending();
    std::vector<double> medians;
    for (int round = 0; round < options.repeats; ++round) {
      std::vector<double> ticks;
      for (int i = 0; i < options.ticks; ++i) {
        const double start = NowSeconds();
        kind.refresh();
        ticks.push_back((NowSeconds() - start) * 1e6);
        PumpPending();
      }
      medians.push_back(Median(ticks));
    }
    PrintSeries((std::string(kind.name) + "_us").c_str(), medians, "%.1f");
    MeasureTickCalls(kind.name, kind.refresh);
  }
}

// Counts the presentations made while it exists.
struct PresentationCounter {
  static inline api::ScopedOverride<api::types::UpdateLayeredWindow_t>* override = nullptr;
  static inline int count = 0;
  static BOOL WINAPI Present(HWND hwnd, HDC dst, POINT* dstPoint, SIZE* size, HDC src, POINT* srcPoint,
                             COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    ++count;
    return override->Previous()(hwnd, dst, dstPoint, size, src, srcPoint, key, blend, flags);
  }
};

struct CpuWindow {
  double percent = 0;
  int presentations = 0;
};

CpuWindow CpuAtPeriod(int periodMs, double seconds) {
  platform::SetControlProperty(app::RefreshTimer, platform::kPropTimerPeriod, periodMs);
  PumpFor(0.5);
  api::ScopedOverride<api::types::UpdateLayeredWindow_t> counting(api::UpdateLayeredWindow,
                                                                  &PresentationCounter::Present);
  PresentationCounter::override = &counting;
  PresentationCounter::count = 0;
  const double cpuStart = ProcessCpuSeconds();
  const double wallStart = NowSeconds();
  PumpFor(seconds);
  const double cpu = ProcessCpuSeconds() - cpuStart;
  const double wall = NowSeconds() - wallStart;
  return {wall > 0 ? cpu / wall * 100.0 : 0, PresentationCounter::count};
}

void MeasureCpu(const Options& options) {
  // The three windows take turns, so that a busy moment of the machine spreads over all of them.
  // With the refresh timer stopped: what the rest of the tool costs while idle (its other timers).
  std::vector<double> off;
  std::vector<double> before;
  std::vector<double> after;
  std::vector<double> presentedBefore;
  std::vector<double> presentedAfter;
  for (int round = 0; round < options.repeats; ++round) {
    off.push_back(CpuAtPeriod(0, options.cpuSeconds).percent);
    const CpuWindow idle = CpuAtPeriod(kIdlePeriodMs, options.cpuSeconds);
    const CpuWindow applied = CpuAtPeriod(kApplyPeriodMs, options.cpuSeconds);
    before.push_back(idle.percent);
    after.push_back(applied.percent);
    presentedBefore.push_back(idle.presentations);
    presentedAfter.push_back(applied.presentations);
  }
  PrintSeries("cpu_refresh_timer_off_pct", off, "%.2f");
  PrintSeries("cpu_before_apply_pct", before, "%.2f");
  PrintSeries("cpu_after_apply_pct", after, "%.2f");
  PrintSeries("presentations_before_apply", presentedBefore, "%.0f");
  PrintSeries("presentations_after_apply", presentedAfter, "%.0f");
}

void MeasureStartup(const Options& options) {
  std::vector<double> starts;
  for (int i = 0; i < options.startups; ++i) {
    const double ms = RunStartupChild();
    if (ms >= 0) starts.push_back(ms);
  }
  PrintText("startup_method", "child instance of quorlin-bench --startup-probe: process creation time to the "
                              "first UpdateLayeredWindow of the visible main window, median");
  Print("startup_runs", static_cast<double>(starts.size()), "%.0f");
  PrintSeries("startup_ms", starts, "%.1f");
}

struct Footprint {
  std::uint64_t privateBytes = 0;
  const char* privateSource = "";
  GdiCount gdi;
};

Footprint Measure() {
  PumpPending();
  const PrivateBytes memory = PrivateMemory();
  return {memory.bytes, memory.source, GdiObjects()};
}

void Clicks(int count) {
  for (int i = 0; i < count; ++i) {
    if (i % 2 == 0)
      app::OnSelect125();
    else
      app::OnSelect150();
    if (i % 50 == 0) PumpPending();
  }
}

double GrowthPct(std::uint64_t before, std::uint64_t after) {
  return before == 0 ? 0 : (static_cast<double>(after) - static_cast<double>(before)) / static_cast<double>(before) * 100.0;
}

void MeasureGrowth(const Options& options) {
  // Warm up: every picture decoded, every lazily made object made.
  Clicks(200);
  platform::SetControlProperty(app::RefreshTimer, platform::kPropTimerPeriod, kApplyPeriodMs);
  PumpFor(2);
  // Each repetition clicks and idles its share; the growth figures are those of one repetition,
  // and the totals are from the first reading to the last.
  const int clicks = std::max(1, options.clicks / options.repeats);
  const double soak = options.soakSeconds / options.repeats;
  const Footprint first = Measure();
  Footprint last = first;
  std::vector<double> clickMs;
  std::vector<double> growthClicks;
  std::vector<double> growthSoak;
  std::vector<double> growth;
  std::vector<double> gdiGrowth;
  for (int round = 0; round < options.repeats; ++round) {
    const Footprint before = Measure();
    const double clickStart = NowSeconds();
    Clicks(clicks);
    clickMs.push_back((NowSeconds() - clickStart) * 1000.0 / clicks);
    const Footprint afterClicks = Measure();
    PumpFor(soak);
    const Footprint afterSoak = Measure();
    growthClicks.push_back(GrowthPct(before.privateBytes, afterClicks.privateBytes));
    growthSoak.push_back(GrowthPct(afterClicks.privateBytes, afterSoak.privateBytes));
    growth.push_back(GrowthPct(before.privateBytes, afterSoak.privateBytes));
    gdiGrowth.push_back(static_cast<double>(afterSoak.gdi.objects) - static_cast<double>(before.gdi.objects));
    last = afterSoak;
  }
  app::OnSelect100();

  Print("clicks", clicks * options.repeats, "%.0f");
  PrintSeries("click_ms", clickMs);
  Print("soak_seconds", soak * options.repeats, "%.0f");
  PrintText("private_bytes_source", first.privateSource);
  Print("private_bytes_before", static_cast<double>(first.privateBytes), "%.0f");
  Print("private_bytes_after", static_cast<double>(last.privateBytes), "%.0f");
  PrintSeries("private_bytes_growth_clicks_pct", growthClicks);
  PrintSeries("private_bytes_growth_soak_pct", growthSoak);
  PrintSeries("private_bytes_growth_pct", growth);
  Print("private_bytes_growth_total_pct", GrowthPct(first.privateBytes, last.privateBytes));
  PrintText("gdi_objects_source", first.gdi.source);
  Print("gdi_objects_before", static_cast<double>(first.gdi.objects), "%.0f");
  Print("gdi_objects_after", static_cast<double>(last.gdi.objects), "%.0f");
  PrintSeries("gdi_objects_growth", gdiGrowth, "%.0f");
  Print("gdi_objects_growth_total",
        static_cast<double>(last.gdi.objects) - static_cast<double>(first.gdi.objects), "%.0f");
}

const char* WineVersion() {
  using Version = const char*(CDECL*)();
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto version = reinterpret_cast<Version>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
  return version != nullptr ? version() : "none";
}

int Run(const Options& options) {
  PrintText("wine", WineVersion());
  Print("pointer_bits", sizeof(void*) * 8, "%.0f");
  MeasureStartup(options);  // first, while nothing else of this process is busy
  app::OpenTool();
  PumpFor(1);
  MeasureFrames(options);
  MeasureIdleTick(options);
  MeasureCpu(options);
  MeasureGrowth(options);
  return 0;
}

}  // namespace
}  // namespace quorlin::bench

int main(int argc, char** argv) {
  using namespace quorlin::bench;
  if (argc == 2 && std::strcmp(argv[1], kStartupProbeFlag) == 0) RunStartupProbe();
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;
  const int result = Run(options);
  std::fflush(stdout);
  // The tool's windows and timers go with the process, as when the tool ends.
  ExitProcess(static_cast<UINT>(result));
}
