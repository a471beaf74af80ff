// quorlin-bench: what one frame of the main window costs against the floor of presenting a ready
// picture, what an idle refresh tick costs, how much CPU the tool takes while nothing changes, how
// fast it starts, and whether clicking and idling make it grow. Prints one "name: value" line per
// figure. Run it under the same display and Wine prefix as the tool.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/logic/tool_ids.h"
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
  int frames = 200;          // full compositions, and as many floor presentations, side by side
  int ticks = 200;           // idle refresh ticks
  double cpuSeconds = 10;    // wall time of each CPU window
  int startups = 5;          // child starts
  int clicks = 10000;        // radio clicks between the memory readings
  double soakSeconds = 60;   // idle time at 10 ms between the memory readings
};

void Print(const char* name, double value, const char* format = "%.3f") {
  std::printf("%s: ", name);
  std::printf(format, value);
  std::printf("\n");
  std::fflush(stdout);
}

void PrintText(const char* name, const char* value) {
  std::printf("%s: %s\n", name, value);
  std::fflush(stdout);
}

void Usage() {
  std::printf(
      "usage: quorlin-bench [--quick] [--frames N] [--ticks N] [--cpu-seconds S] [--startups N]\n"
      "                     [--clicks N] [--soak-seconds S]\n"
      "  --quick   a smoke run: 30 frames, 30 ticks, 2 s CPU windows, 2 starts, 300 clicks, 5 s soak\n");
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--quick") {
      options = Options{30, 30, 2, 2, 300, 5};
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
  const double frame = Median(frames);
  const double floorMs = Median(floors);
  Print("frame_ms", frame);
  Print("floor_ms", floorMs);
  Print("frame_over_floor", floorMs > 0 ? frame / floorMs : 0);
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

void MeasureTickCalls() {
  api::ScopedOverride<api::types::GetPropA_t> props(api::GetPropA, &CallCounter::GetProp);
  api::ScopedOverride<api::types::GetWindow_t> walk(api::GetWindow, &CallCounter::GetWindow);
  CallCounter::props = &props;
  CallCounter::walk = &walk;
  CallCounter::propReads = CallCounter::walkSteps = 0;
  app::OnRefreshTick();
  Print("tick_idle_property_reads", CallCounter::propReads, "%.0f");
  Print("tick_idle_window_steps", CallCounter::walkSteps, "%.0f");
}

void MeasureIdleTick(const Options& options) {
  app::OnRefreshTick();  // whatever was pending is on screen now
  PumpPending();
  std::vector<double> ticks;
  for (int i = 0; i < options.ticks; ++i) {
    const double start = NowSeconds();
    app::OnRefreshTick();
    ticks.push_back((NowSeconds() - start) * 1e6);
    PumpPending();
  }
  Print("tick_idle_us", Median(ticks), "%.1f");
  MeasureTickCalls();
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
  // The refresh timer stopped: what the rest of the tool costs while idle (its other timers).
  const CpuWindow off = CpuAtPeriod(0, options.cpuSeconds);
  const CpuWindow before = CpuAtPeriod(kIdlePeriodMs, options.cpuSeconds);
  const CpuWindow after = CpuAtPeriod(kApplyPeriodMs, options.cpuSeconds);
  Print("cpu_refresh_timer_off_pct", off.percent, "%.2f");
  Print("cpu_before_apply_pct", before.percent, "%.2f");
  Print("cpu_after_apply_pct", after.percent, "%.2f");
  Print("presentations_before_apply", before.presentations, "%.0f");
  Print("presentations_after_apply", after.presentations, "%.0f");
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
  Print("startup_ms", starts.empty() ? -1 : Median(starts), "%.1f");
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
  const Footprint before = Measure();
  const double clickStart = NowSeconds();
  Clicks(options.clicks);
  const double clickSeconds = NowSeconds() - clickStart;
  const Footprint afterClicks = Measure();
  PumpFor(options.soakSeconds);
  const Footprint afterSoak = Measure();
  app::OnSelect100();

  Print("clicks", options.clicks, "%.0f");
  Print("click_ms", options.clicks > 0 ? clickSeconds * 1000.0 / options.clicks : 0);
  Print("soak_seconds", options.soakSeconds, "%.0f");
  PrintText("private_bytes_source", before.privateSource);
  Print("private_bytes_before", static_cast<double>(before.privateBytes), "%.0f");
  Print("private_bytes_after_clicks", static_cast<double>(afterClicks.privateBytes), "%.0f");
  Print("private_bytes_after_soak", static_cast<double>(afterSoak.privateBytes), "%.0f");
  Print("private_bytes_growth_clicks_pct", GrowthPct(before.privateBytes, afterClicks.privateBytes));
  Print("private_bytes_growth_soak_pct", GrowthPct(afterClicks.privateBytes, afterSoak.privateBytes));
  Print("private_bytes_growth_pct", GrowthPct(before.privateBytes, afterSoak.privateBytes));
  PrintText("gdi_objects_source", before.gdi.source);
  Print("gdi_objects_before", static_cast<double>(before.gdi.objects), "%.0f");
  Print("gdi_objects_after_clicks", static_cast<double>(afterClicks.gdi.objects), "%.0f");
  Print("gdi_objects_after_soak", static_cast<double>(afterSoak.gdi.objects), "%.0f");
  Print("gdi_objects_growth",
        static_cast<double>(afterSoak.gdi.objects) - static_cast<double>(before.gdi.objects), "%.0f");
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
