#include "app/scaling_marks.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "app/logic/level_marks.h"
#include "app/logic/tool_ids.h"
#include "app/scaling_write.h"
#include "app/skin_objects.h"
#include "app/tool_state.h"
#include "platform/handle_owners.h"
#include "platform/logic/property_rules.h"
#include "platform/logic/trans_label_model.h"
#include "platform/text.h"
#include "platform/win_api.h"
#include "platform/window_service.h"
#include "resources/image_resources.h"

namespace quorlin::app {

using namespace platform;

namespace {

// The picture box of each badge, which the layer draws into the form's picture. Its window text is
// the badge's text, what a screen reader reads for it (empty while it shows no badge).
HWND currentBadge = nullptr;
HWND waitingBadge = nullptr;

// A window made for an earlier main window is gone with it (a handle may even have been reused).
bool ChildOf(HWND child, HWND form) { return child != nullptr && api::IsWindow(child) && api::GetParent(child) == form; }

int SessionLogPixels() {
  // The tool is DPI-aware: the screen reports the dots per inch the session really runs at.
  const WindowDc screen = WindowDc::ForClient(nullptr);
  return screen ? api::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
}

BOOL CALLBACK AddDisplay(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (api::GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<DisplaySize>*>(data)->push_back(
        {info.rcMonitor.right - info.rcMonitor.left, info.rcMonitor.bottom - info.rcMonitor.top});
  }
  return TRUE;
}

// Every connected display in device pixels; the primary screen when they cannot be listed.
std::vector<DisplaySize> ConnectedDisplays() {
  std::vector<DisplaySize> displays;
  api::EnumDisplayMonitors(nullptr, nullptr, AddDisplay, reinterpret_cast<LPARAM>(&displays));
  if (displays.empty()) {
    const int width = api::GetSystemMetrics(SM_CXSCREEN);
    const int height = api::GetSystemMetrics(SM_CYSCREEN);
    if (width > 0 && height > 0) displays.push_back({width, height});
  }
  return displays;
}

void ShowBadge(HWND& badge, std::optional<DpiLevel> level, skin::ImageResource picture, int width,
               const char* text) {
  const HWND form = WindowHandle(MainWindow);
  if (form == nullptr) return;
  skin::PictureBox box;
  if (!ChildOf(badge, form)) {
    badge = box.CreatePicture(form, 0, 0, width, kBadgeHeight);
    // Disabled, it takes no click: one on the badge goes to the radio or drags the form, as
    // beside it.
    if (badge != nullptr) api::EnableWindow(badge, FALSE);
  }
  if (badge == nullptr || !box.Attach(badge)) return;
  if (!level) {
    box.SetPicture(nullptr);  // draws nothing
    api::SetWindowTextW(badge, L"");
    return;
  }
  const BadgeSpot spot = BadgeSpotOf(*level);
  // Below the radios in the z-order, as made: a click on a badge inside a radio's button selects it.
  api::SetWindowPos(badge, nullptr, spot.left, spot.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  box.SetPicture(Picture(picture));
  api::SetWindowTextW(badge, Widen(text).c_str());
}

}  // namespace

void ShowLevelBadges() {
  const LevelBadges badges = BadgesFor(SessionLogPixels(), StoredLogPixels());
  ShowBadge(currentBadge, badges.current, resources::BadgeCurrent(), kCurrentBadgeWidth, kCurrentBadgeText);
  ShowBadge(waitingBadge, badges.waiting, resources::BadgeWaiting(), kWaitingBadgeWidth, kWaitingBadgeText);
}

void ShowFitWarning() {
  if (state().applying || state().applied || state().otherUser || !IsWindowLoaded(OverlayWindow)) return;
  const bool noticeShown = GetControlProperty(NoticeLabel, kPropVisible).Flag();
  // A failure notice stays until Apply runs again.
  if (noticeShown && GetControlProperty(NoticeLabel, kPropCaption).Text() != kTooLargeText) return;
  const std::optional<DpiLevel> selected = FirstSelected(state().levelFlags);
  if (!selected || LevelFits(*selected, ConnectedDisplays())) {
    if (noticeShown) SetControlProperty(NoticeLabel, kPropVisible, false);
    return;
  }
  if (noticeShown) return;  // the warning stands already
  SetControlProperty(NoticeLabel, kPropVisible, true);
  SetControlProperty(NoticeLabel, kPropCaption, kTooLargeText);
}

}  // namespace quorlin::app
