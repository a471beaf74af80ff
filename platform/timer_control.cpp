#include "platform/timer_control.h"

#include "platform/win_api.h"

namespace quorlin::platform {

namespace {

constexpr wchar_t kTimerClass[] = L"QuorlinTimer";

struct TimerState {
  std::int32_t period = 0;
  bool running = false;
  EventHandler onTick = nullptr;
};

TimerState* StateOf(HWND timer) {
  return reinterpret_cast<TimerState*>(api::GetWindowLongPtrA(timer, GWLP_USERDATA));
}

void Start(HWND hwnd, TimerState& state) {
  api::SetTimer(hwnd, kTimerPlatformId, static_cast<UINT>(state.period), nullptr);
  state.running = true;
}

LRESULT CALLBACK TimerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      auto* state = new TimerState(*static_cast<const TimerState*>(create->lpCreateParams));
      api::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
      break;
    }
    case WM_CREATE:
      if (TimerState* state = StateOf(hwnd); state && state->period > 0) Start(hwnd, *state);
      return 0;
    case WM_TIMER:
      if (wParam == kTimerPlatformId) {
        if (TimerState* state = StateOf(hwnd); state && state->onTick) state->onTick();
        return 0;
      }
      break;
    case WM_DESTROY:
      if (TimerState* state = StateOf(hwnd); state && state->running) {
        api::KillTimer(hwnd, kTimerPlatformId);
        state->running = false;
      }
      break;
    case WM_NCDESTROY:
      delete StateOf(hwnd);
      api::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return api::DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterTimerClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = TimerProc;
  windowClass.hInstance = api::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kTimerClass;
  registered = api::RegisterClassExW(&windowClass) != 0;
}

}  // namespace

HWND CreateTimerControl(HWND parent, int controlId, int left, int top, int width, int height,
                        std::int32_t period, EventHandler onTick) {
  RegisterTimerClass();
  TimerState initial;
  initial.period = period < 0 ? 0 : period;
  initial.onTick = onTick;
  return api::CreateWindowExW(0, kTimerClass, L"", WS_CHILD, left, top, width, height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                              api::GetModuleHandleW(nullptr), &initial);
}

void SetTimerPeriod(HWND timer, std::int32_t period) {
  TimerState* state = StateOf(timer);
  if (state == nullptr) return;
  PeriodChange change = ChangePeriod(state->period, state->running, period);
  if (!change.changed) return;
  state->period = change.period;
  if (change.stop) {
    api::KillTimer(timer, kTimerPlatformId);
    state->running = false;
  }
  if (change.start) Start(timer, *state);
}

std::int32_t TimerPeriod(HWND timer) {
  const TimerState* state = StateOf(timer);
  return state ? state->period : 0;
}

}  // namespace quorlin::platform
