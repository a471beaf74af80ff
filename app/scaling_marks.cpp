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

// One badge: a picture box the layer draws into the form's picture, and a plain static at the same
// place that carries the badge's text for screen readers. The form is layered, so the static paints
// nothing on screen; without SS_NOTIFY it lets every click through.
struct BadgeWindows {
  HWND picture = nullptr;
  HWND text = nullptr;
};
BadgeWindows currentBadge;
BadgeWindows waitingBadge;

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

void ShowBadge(BadgeWindows& badge, std::optional<DpiLevel> level, skin::ImageResource picture, int width,
               const char* text) {
  const HWND form = WindowHandle(MainWindow);
  if (form == nullptr) return;
  skin::PictureBox box;
  if (!ChildOf(badge.picture, form)) {
    badge.picture = box.CreatePicture(form, 0, 0, width, kBadgeHeight);
    // Disabled, it takes no click: one on the badge goes to the radio or drags the form, as
    // beside it.
    if (badge.picture != nullptr) api::EnableWindow(badge.picture, FALSE);
  }
  if (!ChildOf(badge.text, form)) {
    badge.text = api::CreateWindowExW(0, L"Static", Widen(text).c_str(), WS_CHILD | SS_LEFT, 0, 0, width,
                                      kBadgeHeight, form, nullptr, nullptr, nullptr);
  }
  if (badge.picture == nullptr || !box.Attach(badge.picture)) return;
  if (!level) {
    box.SetPicture(nullptr);  // draws nothing
    if (badge.text != nullptr) api::ShowWindow(badge.text, SW_HIDE);
    return;
  }
  const BadgeSpot spot = BadgeSpotOf(*level);
  // Below the radios in the z-order, as made: a click on a badge inside a radio's button selects it.
  constexpr UINT kMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  api::SetWindowPos(badge.picture, nullptr, spot.left, spot.top, 0, 0, kMoveOnly);
  box.SetPicture(Picture(picture));
  if (badge.text != nullptr) {
    api::SetWindowPos(badge.text, nullptr, spot.left, spot.top, 0, 0, kMoveOnly);
    api::ShowWindow(badge.text, SW_SHOWNA);
  }
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
