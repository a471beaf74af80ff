#include "skin/control_properties.h"

#include "skin/window_properties.h"

namespace quorlin::skin {

std::intptr_t ReadProperty(HWND hwnd, const char* name) {
  return reinterpret_cast<std::intptr_t>(GetLayerProp(hwnd, name));
}

bool WriteProperty(HWND hwnd, const char* name, std::intptr_t value) {
  return SetLayerProp(hwnd, name, reinterpret_cast<HANDLE>(value));
}

SkinImage ReadImageProperty(HWND hwnd, const char* name) {
  return reinterpret_cast<SkinImage>(GetLayerProp(hwnd, name));
}

bool WriteImageProperty(HWND hwnd, const char* name, SkinImage image) {
  return SetLayerProp(hwnd, name, reinterpret_cast<HANDLE>(image));
}

ControlType ControlTypeOf(HWND hwnd) {
  switch (static_cast<std::int32_t>(ReadProperty(hwnd, property::kType))) {
    case 2: return ControlType::PictureBox;
    case 3: return ControlType::ImageButton;
    case 4: return ControlType::TextBox;
    default: return ControlType::None;
  }
}

SkinImage StateImage(HWND hwnd) { return StateImageFor(hwnd, ReadProperty(hwnd, property::kDrawState)); }

SkinImage StateImageFor(HWND hwnd, std::intptr_t state) {
  const char* name = nullptr;
  switch (static_cast<std::int32_t>(state)) {
    case static_cast<int>(DrawState::Over): name = property::kOverImage; break;
    case static_cast<int>(DrawState::Down): name = property::kDownImage; break;
    case static_cast<int>(DrawState::Disabled): name = property::kDisableImage; break;
    default: break;
  }
  if (name != nullptr) {
    if (SkinImage image = ReadImageProperty(hwnd, name)) return image;
  }
  return ReadImageProperty(hwnd, property::kNormalImage);
}

}  // namespace quorlin::skin
