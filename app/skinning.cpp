// Skinning of the main window: the binding objects, the layer's start-up, and dressing the window.
#include <cstdlib>
#include <map>
#include <memory>

#include "app/logic/tool_ids.h"
#include "app/levels.h"
#include "app/scaling_marks.h"
#include "app/skin_objects.h"
#include "app/tool_handlers.h"
#include "app/tool_state.h"
#include "platform/trans_label.h"
#include "platform/win_api.h"
#include "platform/window_service.h"
#include "resources/image_resources.h"

namespace quorlin::app {

namespace {

std::unique_ptr<SkinObjects> objects;
std::map<skin::ImageResource, skin::SkinImage> decodedPictures;
HWND statusBoxWindow = nullptr;

void ReleaseSkinObjects() {
  platform::SetLabelBackdrop(nullptr);
  objects.reset();
  skin::ReleaseSkinLayer();
}

// The overlay's labels draw their text over what the screen shows beneath the overlay: the main
// window's picture. The overlay lies exactly on the main window (it is moved with it), so an area of
// the overlay is the same area of the main window.
bool MainPictureBeneath(HWND window, HDC dc, const RECT& area) {
  if (!platform::IsWindowLoaded(OverlayWindow) || !platform::IsWindowLoaded(MainWindow) ||
      window != platform::WindowHandle(OverlayWindow))
    return false;
  return skin::DrawFormBackground(platform::WindowHandle(MainWindow), dc, area);
}

}  // namespace

SkinObjects& skinObjects() { return *objects; }

skin::SkinImage Picture(skin::ImageResource resource) {
  auto [it, inserted] = decodedPictures.try_emplace(resource, nullptr);
  if (inserted) it->second = skin::LoadSkinImage(resource);
  return it->second;
}

void PrepareSkin() {
  if (objects) return;  // once per process
  objects = std::make_unique<SkinObjects>();
  std::atexit(ReleaseSkinObjects);
  skin::SkinLayerStartup();
  platform::SetLabelBackdrop(MainPictureBeneath);
}

void ShowBackground(skin::ImageResource resource) {
  skinObjects().form.SetBackground(Picture(resource));
  platform::RepaintLabels();
}

void DressMainWindow() {
  SkinObjects& skin = skinObjects();
  skin.form.Attach(platform::WindowHandle(MainWindow));
  ShowBackground(state().applied ? resources::DoneBackground() : resources::IntroBackground());
  // One status picture box serves every dressing: a new one per restore would only pile up windows.
  if (statusBoxWindow == nullptr || !platform::api::IsWindow(statusBoxWindow)) {
    statusBoxWindow = skin.statusBox.CreatePicture(platform::WindowHandle(MainWindow), 53, 427, 530, 48);
    // It shows a picture only: a screen reader finds it nameless, not named with the layer's own text.
    if (statusBoxWindow != nullptr) platform::api::SetWindowTextW(statusBoxWindow, L"");
  }
  ShowStartupSelection();
  ShowLevelBadges();
  if (platform::WindowHandle(ApplyButton) != nullptr) {
    skin.apply.AttachButton(platform::WindowHandle(ApplyButton));
    skin.apply.SetStateImages(Picture(resources::ApplyNormal()), Picture(resources::ApplyOver()),
                              Picture(resources::ApplyPressed()));
  }
  skin.close.AttachButton(platform::WindowHandle(CloseButton));
  skin.close.SetStateImages(Picture(resources::CloseNormal()), Picture(resources::CloseOver()),
                            Picture(resources::ClosePressed()));
  skin.form.RefreshForm();
}

void OnRefreshTick() { skinObjects().form.RefreshOnTick(); }

}  // namespace quorlin::app
