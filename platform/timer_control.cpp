#include "platform/timer_control.h"

#include <memory>

#include "platform/window_binding.h"

namespace quorlin::platform {

namespace {

class TimerControl : public BoundWindow<TimerControl> {
 public:
  static constexpr const wchar_t* kClassName = L"QuorlinTimer";
  static void DescribeClass(WNDCLASSEXW&) {}

  TimerControl(std::int32_t period, EventHandler onTick) : period_(period < 0 ? 0 : period), onTick_(onTick) {}

  // The platform timer runs exactly while the period is above 0.
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
      case WM_CREATE:
        if (period_ > 0) api::SetTimer(hwnd_, kTimerPlatformId, static_cast<UINT>(period_), nullptr);
        return 0;
      case WM_TIMER:
        if (wParam != kTimerPlatformId) return std::nullopt;
        if (onTick_) onTick_();
        return 0;
      case WM_DESTROY:
        if (period_ > 0) api::KillTimer(hwnd_, kTimerPlatformId);
        return std::nullopt;
      default:
        return std::nullopt;
    }
  }

  std::int32_t Period() const { return period_; }

  void SetPeriod(std::int32_t period) {
    const PeriodChange change = ChangePeriod(period_, period_ > 0, period);
    if (!change.changed) return;
    period_ = change.period;
    if (change.stop) api::KillTimer(hwnd_, kTimerPlatformId);
    if (change.start) api::SetTimer(hwnd_, kTimerPlatformId, static_cast<UINT>(period_), nullptr);
  }

 private:
  std::int32_t period_;
  EventHandler onTick_;
};

}  // namespace

HWND CreateTimerControl(HWND parent, const ControlTemplate& design) {
  return TimerControl::Create(std::make_unique<TimerControl>(design.timerPeriod, design.onTick), 0, L"", WS_CHILD,
                              design.left, design.top, design.width, design.height, parent, design.id);
}

void SetTimerProperty(HWND timer, int index, const PropertyValue& value) {
  if (TimerControl* control = TimerControl::FromHandle(timer); control && index == kPropTimerPeriod)
    control->SetPeriod(value.Number());
}

PropertyValue GetTimerProperty(HWND timer, int index) {
  const TimerControl* control = TimerControl::FromHandle(timer);
  return control && index == kPropTimerPeriod ? control->Period() : PropertyValue();
}

}  // namespace quorlin::platform
