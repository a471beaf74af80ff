#include "app/levels.h"

#include "app/logic/tool_ids.h"
#include "app/scaling_marks.h"
#include "app/skin_objects.h"
#include "app/tool_handlers.h"
#include "app/tool_state.h"
#include "platform/win_api.h"
#include "platform/window_service.h"
#include "resources/image_resources.h"

namespace quorlin::app {

namespace {

HWND RadioWindow(const DpiLevelInfo& info) { return platform::WindowHandle({kMainWindowId, info.radioControlId}); }

// The radio's checked state, which a screen reader reports, follows its picture.
void SetChecked(HWND radio, bool checked) {
  platform::api::SendMessageW(radio, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Radio-on for the selected level, radio-off for the others, in table order.
void ShowSelection(DpiLevel selected) {
  SkinObjects& skin = skinObjects();
  const DpiLevelInfo& chosen = InfoOf(selected);
  skin.radio.AttachButton(RadioWindow(chosen));
  skin.radio.SetStateImages(Picture(resources::RadioOn()));
  SetChecked(RadioWindow(chosen), true);
  for (const DpiLevelInfo& info : DpiLevels()) {
    if (info.level == selected) continue;
    skin.radio.AttachButton(RadioWindow(info));
    skin.radio.SetStateImages(Picture(resources::RadioOff()));
    SetChecked(RadioWindow(info), false);
  }
}

}  // namespace

void SelectLevel(DpiLevel level) {
  if (state().levelFlags[static_cast<std::size_t>(level)] == 1) return;
  state().levelFlags = FlagsSelecting(level);
  ShowSelection(level);
  skinObjects().form.RefreshForm();
  ShowFitWarning();
}

void ShowStartupSelection() {
  state().levelFlags = FlagsSelecting(DpiLevel::Percent100);
  ShowSelection(DpiLevel::Percent100);
}

void OnSelect100() { SelectLevel(DpiLevel::Percent100); }
void OnSelect125() { SelectLevel(DpiLevel::Percent125); }
void OnSelect150() { SelectLevel(DpiLevel::Percent150); }
void OnSelect200() { SelectLevel(DpiLevel::Percent200); }
void OnSelect250() { SelectLevel(DpiLevel::Percent250); }

}  // namespace quorlin::app
