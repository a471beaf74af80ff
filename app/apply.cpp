// Apply: writes the selected scaling with the system's reg.exe on a worker thread while the strip
// runs, then turns the main window into its done state with the Log off button.
#include <windows.h>

#include "app/apply_state.h"
#include "app/logic/dpi_levels.h"
#include "app/logic/tool_ids.h"
#include "app/scaling_marks.h"
#include "app/scaling_write.h"
#include "app/skin_objects.h"
#include "app/tool_handlers.h"
#include "app/tool_state.h"
#include "platform/animation_service.h"
#include "platform/cartoon_box.h"
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
// with Esc at any time, also while Apply runs), open it again before a step uses it. It opens on the
// main window wherever that is, without taking activation from it.
void EnsureOverlay() {
  if (!IsWindowLoaded(OverlayWindow)) LoadWindow(OverlayWindow, MainWindow, false);
}

// Whether the user has not closed the tool: asked on the window thread, which owns the windows.
bool ToolOpen() {
  bool open = false;
  OnWindowThread([&open] { open = true; });
  return open;
}

// A step on the overlay's controls, after making sure the overlay is open.
void OnOverlay(const std::function<void()>& step) {
  OnWindowThread([&step] {
    EnsureOverlay();
    step();
  });
}

// The strip object of an earlier try, when the box still holds it (a reopened overlay has a new,
// empty box).
bool StripExists() {
  HWND boxWindow = WindowHandle(ProgressBox);
  CartoonBox* box = boxWindow != nullptr ? CartoonBoxFromHandle(boxWindow) : nullptr;
  return box != nullptr && state().progressObjectId > 0 && box->Scene().Find(state().progressObjectId) != nullptr;
}

// Back to the ready state with a notice: the strip goes, Apply can be pressed again. Window thread.
void ShowFailure(const char* notice) {
  EnsureOverlay();
  if (IsWindowLoaded(OverlayWindow)) {
    // Hidden with its box, so that a retry shows no strip before it is started again.
    if (StripExists()) ShowObject(ProgressBox, state().progressObjectId, false);
    SetControlProperty(ProgressBox, kPropVisible, false);
  }
  SetControlProperty(RefreshTimer, kPropTimerPeriod, kIdlePeriodMs);
  if (IsWindowLoaded(OverlayWindow)) {
    SetControlProperty(NoticeLabel, kPropVisible, true);
    SetControlProperty(NoticeLabel, kPropCaption, notice);
  }
  skinObjects().form.RefreshForm();
  // Even without the overlay (it could not be opened) the user can try again.
  if (WindowHandle(ApplyButton) != nullptr) SetControlProperty(ApplyButton, kPropDisabled, false);
}

// The done state in one step on the window thread: a restore (which dresses the window anew) comes
// either before it, and the step then turns the ready state into the done state, or after it, and
// finds the tool applied. The steps keep their order and what each shows.
void ShowDone() {
  state().applied = true;
  ShowBackground(resources::DoneBackground());
  HWND apply = skinObjects().apply.ControlHandle();
  if (apply != nullptr && api::IsWindow(apply)) api::SendMessageA(apply, WM_CLOSE, 0, 0);
  SetControlProperty(LogOffButton, kPropDisabled, false);
  SetControlProperty(LogOffButton, kPropTop, GetControlProperty(ApplyButton, kPropTop));
  SkinObjects& skin = skinObjects();
  skin.logOff.AttachButton(WindowHandle(LogOffButton));
  skin.logOff.SetStateImages(Picture(resources::LogOffNormal()), Picture(resources::LogOffOver()),
                             Picture(resources::LogOffPressed()));
  ShowLevelBadges();  // the applied level now waits for the next sign-in
  EnsureOverlay();
  if (IsWindowLoaded(OverlayWindow)) {
    SetControlProperty(ProgressBox, kPropVisible, false);
    RefreshNow(OverlayWindow);
  }
  skin.form.RefreshForm();
  if (IsWindowLoaded(OverlayWindow)) {
    SetControlProperty(NoticeLabel, kPropVisible, true);
    SetControlProperty(NoticeLabel, kPropCaption, kNoticeText);
  }
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
  // One strip object however many tries: a retry shows the object of the first, whose picture is
  // decoded already, and starts it again.
  bool newStrip = false;
  OnOverlay([&newStrip] {
    newStrip = !StripExists();
    if (newStrip) state().progressObjectId = CreateObject(ProgressBox, ProgressTemplate, 0, 0, false);
  });
  OnOverlay([] { ShowObject(ProgressBox, state().progressObjectId, true); });
  OnOverlay([] { SetControlProperty(ProgressBox, kPropBoxBackColor, kBoxBackColor); });
  if (newStrip) {
    OnOverlay([] {
      SetObjectPicture(ProgressBox, state().progressObjectId, skin::ImageBytes(resources::ProgressStrip()));
    });
  }
  OnOverlay([] { PlayAnimation(ProgressBox, state().progressObjectId, 0); });

  // The level is read once, here; a radio clicked from now on does not change this Apply. Once the
  // tool has been closed no further command runs: nothing is read, and nothing written.
  std::optional<DpiLevel> level;
  OnWindowThread([&level] { level = FirstSelected(state().levelFlags); });
  if (level) {
    const WriteOutcome outcome = WriteScaling(*level, ToolOpen);
    Delay(kPauseMs);
    if (outcome == WriteOutcome::Written)
      OnWindowThread(ShowDone);
    else
      OnWindowThread([outcome] { ShowFailure(FailureNoticeFor(outcome)); });
  }
  // The worker's last step, also when the tool was closed meanwhile: from now on Apply may start
  // another worker.
  RunOnWindowThread([] { state().applying = false; });
}

}  // namespace

void OnApplyClick() {
  if (state().applying || state().otherUser) return;  // one Apply at a time, and only for the session's user
  SetControlProperty(ApplyButton, kPropDisabled, true);
  state().applying = true;
  HANDLE thread = nullptr;
  if (!StartThread(ApplySequence, 0, &thread)) {
    // No worker: say so and let the user try again, rather than leave Apply disabled for good.
    state().applying = false;
    ShowFailure(kFailureText);
    return;
  }
  // The previous worker, if any, has ended: its last step cleared the mark.
  state().workerThread.Reset(thread);
}

}  // namespace quorlin::app
