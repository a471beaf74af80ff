#include "skin/image_button.h"

#include "platform/handle_owners.h"
#include "platform/win_api.h"
#include "skin/composition.h"
#include "skin/frame_memo.h"
#include "skin/subclassing.h"
#include "skin/window_properties.h"

namespace quorlin::skin {
namespace {

DrawState StateOf(HWND handle) {
  return static_cast<DrawState>(static_cast<std::int32_t>(ReadProperty(handle, property::kDrawState)));
}

void StoreState(HWND handle, DrawState state) {
  WriteProperty(handle, property::kDrawState, static_cast<std::intptr_t>(state));
}

bool IsOverOrDown(DrawState state) { return state == DrawState::Over || state == DrawState::Down; }

// Asks for a WM_MOUSELEAVE when the pointer leaves the button.
void TrackLeave(HWND handle) {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = handle;
  track.dwHoverTime = 0;
  api::TrackMouseEvent(&track);
}

void StoreImage(HWND handle, const char* name, std::optional<SkinImage> image) {
  if (image) WriteImageProperty(handle, name, *image);
}

void StoreDecoded(HWND handle, const char* name, std::optional<ImageResource> resource) {
  if (resource) WriteImageProperty(handle, name, LoadSkinImage(*resource));
}

LRESULT PaintButton(HWND hwnd) {
  platform::PaintScope paint(hwnd);
  CaptureCache(hwnd, paint.dc());
  PaintControl(hwnd, paint.dc(), StateImage(hwnd));
  return 0;
}

}  // namespace

void SetDrawState(HWND handle, DrawState state, bool force) {
  if (StateOf(handle) != state) {
    StoreState(handle, state);
  } else if (!force) {
    return;
  }
  PaintControl(handle, nullptr, StateImage(handle));
}

void RepaintControl(HWND handle) {
  RECT rect{};
  api::GetWindowRect(handle, &rect);
  // Without a parent an InvalidateRect(NULL, ...) would repaint every window: skip that part.
  if (const HWND parent = api::GetParent(handle)) {
    POINT corner{rect.left, rect.top};
    api::ScreenToClient(parent, &corner);
    RECT under{corner.x, corner.y, corner.x + (rect.right - rect.left), corner.y + (rect.bottom - rect.top)};
    api::InvalidateRect(parent, &under, FALSE);
  }
  api::InvalidateRect(handle, nullptr, FALSE);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      WriteProperty(hwnd, property::kIsFocus, 1);
      if (StateOf(hwnd) == DrawState::Down) SetDrawState(hwnd, DrawState::Over, true);
      return 0;
    case WM_KILLFOCUS:
      WriteProperty(hwnd, property::kIsFocus, 0);
      if (StateOf(hwnd) == DrawState::Over) SetDrawState(hwnd, DrawState::Normal, true);
      return 0;
    case WM_ENABLE: {
      const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
      SetDrawState(hwnd, wParam != 0 ? DrawState::Normal : DrawState::Disabled, true);
      return result;
    }
    case WM_PAINT:
      return PaintButton(hwnd);
    case WM_ERASEBKGND:
      return 1;
    case WM_NCPAINT:
      return 0;
    case BM_SETSTATE: {
      const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
      DrawState state = DrawState::Normal;
      if (wParam == 1) {
        state = DrawState::Down;
      } else if (ReadProperty(hwnd, property::kIsFocus) != 0) {
        state = DrawState::Over;
      }
      SetDrawState(hwnd, state, true);
      return result;
    }
    case WM_MOUSEMOVE: {
      const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
      if (!IsOverOrDown(StateOf(hwnd))) {
        TrackLeave(hwnd);
        SetDrawState(hwnd, DrawState::Over, true);
      }
      return result;
    }
    case WM_LBUTTONDOWN: {
      const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
      SetDrawState(hwnd, DrawState::Down, true);
      return result;
    }
    case WM_LBUTTONUP: {
      // The system button has reset its pushed state (BM_SETSTATE 0) by now, so a click on an
      // ordinary window ends in Normal until the pointer moves again.
      const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
      SetDrawState(hwnd, StateOf(hwnd) == DrawState::Down ? DrawState::Over : DrawState::Normal, true);
      return result;
    }
    case WM_MOUSELEAVE: {
      const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
      SetDrawState(hwnd, DrawState::Normal, true);
      return result;
    }
    default:
      return CallPrevious(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK ButtonChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, property::kChildWndProc));
  std::optional<DrawState> state;
  switch (message) {
    case WM_ENABLE:
      state = wParam != 0 ? DrawState::Normal : DrawState::Disabled;
      break;
    case WM_MOUSEMOVE:
      if (!IsOverOrDown(StateOf(hwnd))) {
        TrackLeave(hwnd);
        state = DrawState::Over;
      }
      break;
    case WM_LBUTTONDOWN:
      state = DrawState::Down;
      break;
    case WM_LBUTTONUP:
      // Examined before the system button runs, so a click on a layered form ends in Over.
      state = StateOf(hwnd) == DrawState::Down ? DrawState::Over : DrawState::Normal;
      break;
    case WM_MOUSELEAVE:
      state = DrawState::Normal;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // The composition draws a focus ring around the focused button once the keyboard has been
      // used (the form's focus cues are shown); the look of the button itself does not change, so
      // a click, which focuses the button too, composes nothing more for a mouse user.
      WriteProperty(hwnd, property::kIsFocus, message == WM_SETFOCUS ? 1 : 0);
      if (FocusCuesShown(api::GetParent(hwnd))) ComposeForm(api::GetParent(hwnd));
      break;
    default:
      break;
  }
  if (state) {
    StoreState(hwnd, *state);
    ComposeForm(api::GetParent(hwnd));
  }
  const LRESULT result = CallProcedure(previous, hwnd, message, wParam, lParam);
  // The focus cues have just been shown or hidden (the form told its children): the focused button
  // gains or loses its ring.
  if (message == WM_UPDATEUISTATE && ReadProperty(hwnd, property::kIsFocus) != 0) {
    NoteChange();
    ComposeForm(api::GetParent(hwnd));
  }
  return result;
}

HWND ImageButton::CreateButton(HWND parent, int x, int y, int width, int height, const char* text) {
  const HWND handle = api::CreateWindowExA(WS_EX_TRANSPARENT, "Button", text, WS_CHILD | WS_VISIBLE, x, y, width,
                                           height, parent, nullptr, nullptr, nullptr);
  AttachButton(handle);
  return handle;
}

bool ImageButton::AttachButton(HWND handle, std::optional<SkinImage> normal) {
  if (!Attach(handle)) return false;
  WriteProperty(handle, property::kType, static_cast<std::intptr_t>(ControlType::ImageButton));
  if (normal && *normal != nullptr) WriteImageProperty(handle, property::kNormalImage, *normal);
  // A radio keeps its type, the role a screen reader reports, and its checked state with it (an
  // owner-drawn button has none); on a layered form the system's drawing of it is never seen.
  const LONG style = api::GetWindowLongA(handle, GWL_STYLE);
  const LONG type = style & BS_TYPEMASK;
  if (type != BS_RADIOBUTTON && type != BS_AUTORADIOBUTTON) api::SetWindowLongA(handle, GWL_STYLE, style | BS_OWNERDRAW);
  Subclass(handle, ButtonProc);
  RepaintControl(handle);
  return true;
}

void ImageButton::SetStateImages(std::optional<SkinImage> normal, std::optional<SkinImage> over,
                                 std::optional<SkinImage> down, std::optional<SkinImage> disabled) {
  StoreImage(hwnd_, property::kNormalImage, normal);
  StoreImage(hwnd_, property::kOverImage, over);
  StoreImage(hwnd_, property::kDownImage, down);
  StoreImage(hwnd_, property::kDisableImage, disabled);
}

void ImageButton::SetStateImagesFromResources(std::optional<ImageResource> normal,
                                              std::optional<ImageResource> over,
                                              std::optional<ImageResource> down,
                                              std::optional<ImageResource> disabled) {
  StoreDecoded(hwnd_, property::kNormalImage, normal);
  StoreDecoded(hwnd_, property::kOverImage, over);
  StoreDecoded(hwnd_, property::kDownImage, down);
  StoreDecoded(hwnd_, property::kDisableImage, disabled);
}

void ImageButton::SetBackType(int value) { WriteProperty(hwnd_, property::kBackType, value); }

}  // namespace quorlin::skin
