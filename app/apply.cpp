// Apply: writes the selected scaling with the system's reg.exe on a worker thread while the strip
// runs, then turns the main window into its done state with the Log off button.
#include <windows.h>

#include "app/apply_state.h"
#include "app/logic/dpi_levels.h"
#include "app/logic/tool_ids.h"
#include "app/skin_objects.h"
#include "app/tool_handlers.h"
#include "app/tool_state.h"
#include "platform/animation_service.h"
#include "platform/logic/trans_label_model.h"
#include "platform/logic/timer_rules.h"
#include "platform/process.h"
#include "platform/win_api.h"
#include "platform/window_service.h"
#include "platform/window_thread.h"
#include "resources/image_resources.h"
#include "skin/logic/image_resource.h"

namespace quorlin::app {

using namespace platform;

namespace {

constexpr int kApplyPeriodMs = 10;
constexpr int kIdlePeriodMs = 1000;
constexpr int kPauseMs = 2000;
constexpr std::uint32_t kBoxBackColor = ColorFromRgb(246, 246, 246);

// Every step that touches windows, pictures, the timer or the composition runs on the window thread;
// the worker waits for each, so the steps take effect in order and never during a composition.
// A step finds nothing to change once the user has closed the tool while reg.exe or the pause ran.
void OnWindowThread(const std::function<void()>& step) {
  RunOnWindowThread([&step] {
    if (IsWindowLoaded(MainWindow)) step();
  });
}

// The strip and the notice live on the overlay: if the user closed it on its own (it can be closed
// with Esc at any time, also while Apply runs), open it again before a step uses it.
// A reopened overlay opens where its template says; it must lie exactly on the main window, which
// the user may have dragged since.
void EnsureOverlay() {
  if (IsWindowLoaded(OverlayWindow)) return;
  LoadWindow(OverlayWindow, MainWindow, false);
  if (IsWindowLoaded(OverlayWindow)) {
    PlaceWindow(OverlayWindow, GetControlProperty(MainWindow, kPropLeft).Number(),
                GetControlProperty(MainWindow, kPropTop).Number());
  }
}

// A step on the overlay's controls, after making sure the overlay is open.
void OnOverlay(const std::function<void()>& step) {
  OnWindowThread([&step] {
    EnsureOverlay();
    step();
  });
}

bool Succeeded(const CommandResult& result) { return result.started && result.exited && result.exitCode == 0; }

CommandResult RunRegistryCommand(const std::string& commandLine) {
  // The system's own reg.exe, never one lying next to the tool or in the current directory.
  return RunSystemCommand(kRegProgram, commandLine, kShowModeHidden);
}

void ShowFailure() {
  OnOverlay([] {
    SetControlProperty(ProgressBox, kPropVisible, false);
    SetControlProperty(RefreshTimer, kPropTimerPeriod, kIdlePeriodMs);
    SetControlProperty(NoticeLabel, kPropVisible, true);
    SetControlProperty(NoticeLabel, kPropCaption, kFailureText);
    skinObjects().form.RefreshForm();
    FinishApply();
    if (WindowHandle(ApplyButton) != nullptr) SetControlProperty(ApplyButton, kPropDisabled, false);
  });
}

void ShowDone() {
  OnWindowThread([] { ShowBackground(resources::DoneBackground()); });
  OnWindowThread([] {
    HWND apply = skinObjects().apply.ControlHandle();
    if (apply != nullptr && api::IsWindow(apply)) api::SendMessageA(apply, WM_CLOSE, 0, 0);
  });
  OnWindowThread([] {
    SetControlProperty(LogOffButton, kPropDisabled, false);
    SetControlProperty(LogOffButton, kPropTop, GetControlProperty(ApplyButton, kPropTop));
  });
  OnWindowThread([] {
    SkinObjects& skin = skinObjects();
    skin.logOff.AttachButton(WindowHandle(LogOffButton));
    skin.logOff.SetStateImages(Picture(resources::LogOffNormal()), Picture(resources::LogOffOver()),
                               Picture(resources::LogOffPressed()));
  });
  OnOverlay([] { SetControlProperty(ProgressBox, kPropVisible, false); });
  OnOverlay([] { RefreshNow(OverlayWindow); });
  OnWindowThread([] { skinObjects().form.RefreshForm(); });
  OnOverlay([] {
    SetControlProperty(NoticeLabel, kPropVisible, true);
    SetControlProperty(NoticeLabel, kPropCaption, kNoticeText);
    state().applied = true;
    FinishApply();
  });
}

void ApplySequence(std::int32_t /*unused*/) {
  OnOverlay([] {
    SetControlProperty(NoticeLabel, kPropVisible, false);  // a failure notice of an earlier try
    SetControlProperty(RefreshTimer, kPropTimerPeriod, kApplyPeriodMs);
  });
  OnOverlay([] {
    SetControlProperty(ProgressBox, kPropLeft, 0);
    SetControlProperty(ProgressBox, kPropTop, 349);
    SetControlProperty(ProgressBox, kPropWidth, 800);
    SetControlProperty(ProgressBox, kPropHeight, 6);
    SetControlProperty(ProgressBox, kPropVisible, true);
  });
  OnOverlay([] { state().progressObjectId = CreateObject(ProgressBox, ProgressTemplate, 0, 0, false); });
  OnOverlay([] { ShowObject(ProgressBox, state().progressObjectId, true); });
  OnOverlay([] { SetControlProperty(ProgressBox, kPropBoxBackColor, kBoxBackColor); });
  OnOverlay([] {
    SetObjectPicture(ProgressBox, state().progressObjectId, skin::ImageBytes(resources::ProgressStrip()));
  });
  OnOverlay([] { PlayAnimation(ProgressBox, state().progressObjectId, 0); });

  // The level is read once, here; a radio clicked from now on does not change this Apply.
  std::optional<DpiLevel> level;
  OnWindowThread([&level] { level = FirstSelected(state().levelFlags); });
  bool written = true;
  if (level) written = Succeeded(RunRegistryCommand(LogPixelsCommandLine(*level)));
  if (written) written = Succeeded(RunRegistryCommand(Win8DpiScalingCommandLine()));
  Delay(kPauseMs);

  if (written)
    ShowDone();
  else
    ShowFailure();
  RunOnWindowThread(FinishApply);  // also when the tool was closed meanwhile
}

}  // namespace

void OnApplyClick() {
  if (state().workerThread != nullptr) return;  // one Apply at a time
  SetControlProperty(ApplyButton, kPropDisabled, true);
  StartThread(ApplySequence, 0, &state().workerThread);
}

void FinishApply() {
  if (state().workerThread != nullptr) {
    api::CloseHandle(state().workerThread);
    state().workerThread = nullptr;
  }
}

}  // namespace quorlin::app
