// Start-up of the tool, its two windows, and the handlers that keep the overlay on the main window.
#include <windows.h>

#include "app/apply_state.h"
#include "app/logic/tool_ids.h"
#include "app/logic/tool_templates.h"
#include "app/scaling_marks.h"
#include "app/tool_handlers.h"
#include "app/tool_state.h"
#include "platform/fatal_error.h"
#include "platform/logic/timer_rules.h"
#include "platform/logic/trans_label_model.h"
#include "platform/session.h"
#include "platform/win_api.h"
#include "platform/window_service.h"
#include "platform/window_thread.h"

namespace quorlin::app {

using namespace platform;

namespace {

constexpr std::uint32_t kOverlayKeyColor = ColorFromRgb(120, 120, 120);

ToolHandlers BoundHandlers() {
  ToolHandlers handlers;
  handlers.onMainCreated = OnMainCreated;
  handlers.onMainMoved = OnMainMoved;
  handlers.onOverlayCreated = OnOverlayCreated;
  handlers.onSelect100 = OnSelect100;
  handlers.onSelect125 = OnSelect125;
  handlers.onSelect150 = OnSelect150;
  handlers.onSelect200 = OnSelect200;
  handlers.onSelect250 = OnSelect250;
  handlers.onApply = OnApplyClick;
  handlers.onLogOff = OnLogOffClick;
  handlers.onClose = OnClose;
  handlers.onRefreshTick = OnRefreshTick;
  return handlers;
}

}  // namespace

void OnMainCreated() {
  // Opening the overlay while it is open keeps the one overlay there is.
  LoadWindow(OverlayWindow, MainWindow, false);
  SetControlProperty(RefreshTimer, kPropTimerPeriod, 1000);
  DressMainWindow();
  if (state().applied) {
    // After Apply a restore keeps the done state: the Log off button stays usable and the notice
    // stays up, or the user would be left with no way to log off.
    if (IsWindowLoaded(OverlayWindow)) {
      SetControlProperty(NoticeLabel, kPropVisible, true);
      SetControlProperty(NoticeLabel, kPropCaption, kNoticeText);
    }
    return;
  }
  SetControlProperty(LogOffButton, kPropDisabled, true);
  if (!IsWindowLoaded(OverlayWindow)) return;
  if (state().otherUser) {
    // Nothing may be written for a user who is not the one signed in: say why Apply is unusable.
    SetControlProperty(ApplyButton, kPropDisabled, true);
    SetControlProperty(NoticeLabel, kPropVisible, true);
    SetControlProperty(NoticeLabel, kPropCaption, kOtherUserText);
    return;
  }
  SetControlProperty(NoticeLabel, kPropVisible, false);
  ShowFitWarning();
}

// Runs before the overlay is first shown: it appears keyed and in its place, never as a grey box.
void OnOverlayCreated() {
  SetControlProperty(OverlayWindow, kPropWindowBackColor, kOverlayKeyColor);
  HWND overlay = WindowHandle(OverlayWindow);
  LONG exStyle = api::GetWindowLongA(overlay, GWL_EXSTYLE);
  if ((exStyle & WS_EX_LAYERED) == 0) api::SetWindowLongA(overlay, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
  // Only the colour key is used: every pixel of exactly that grey is transparent, also for the mouse.
  api::SetLayeredWindowAttributes(overlay, kOverlayKeyColor, 200, LWA_COLORKEY);
  // It lies exactly on the main window, which the user may have dragged before it (re)opened.
  if (IsWindowLoaded(MainWindow))
    PlaceWindow(OverlayWindow, GetControlProperty(MainWindow, kPropLeft).Number(),
                GetControlProperty(MainWindow, kPropTop).Number());
}

void OnMainMoved() {
  if (state().wasMinimized) OnMainCreated();
  state().wasMinimized = GetControlProperty(MainWindow, kPropWindowState).Number() == kWindowStateMinimized;
  if (IsWindowLoaded(OverlayWindow)) {
    int left = GetControlProperty(MainWindow, kPropLeft).Number();
    int top = GetControlProperty(MainWindow, kPropTop).Number();
    PlaceWindow(OverlayWindow, left, top);
  }
}

void OnClose() { CloseWindow(MainWindow, false); }

void OpenTool() {
  BindWindowThread();
  PrepareSkin();
  ToolHandlers handlers = BoundHandlers();
  RegisterWindowTemplate(MainWindowTemplate(handlers));
  RegisterWindowTemplate(OverlayWindowTemplate(handlers));
  state().otherUser = CompareWithShellUser() == SessionUser::Different;
  if (!LoadWindow(MainWindow)) FatalError("载入启动窗口失败");
}

void StartTool() {
  RestrictDllSearch();  // skipped where the system lacks it
  OpenTool();
}

int RunTool() {
  StartTool();
  return RunMessageLoop();
}

}  // namespace quorlin::app
