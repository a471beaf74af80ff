#include "skin/picture_box.h"

#include "platform/handle_owners.h"
#include "platform/win_api.h"
#include "skin/composition.h"
#include "skin/image_button.h"
#include "skin/subclassing.h"

namespace quorlin::skin {

LRESULT CALLBACK PictureBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      platform::PaintScope paint(hwnd);
      CaptureCache(hwnd, paint.dc());
      PaintControl(hwnd, paint.dc(), ReadImageProperty(hwnd, property::kBackImage));
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    default:
      return CallPrevious(hwnd, message, wParam, lParam);
  }
}

HWND PictureBox::CreatePicture(HWND parent, int left, int top, int width, int height) {
  // AttachPicture gives it its text, in UTF-16.
  const HWND hwnd = api::CreateWindowExA(WS_EX_TRANSPARENT, "Static", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, left,
                                         top, width, height, parent, nullptr, nullptr, nullptr);
  AttachPicture(hwnd);
  return hwnd;
}

bool PictureBox::AttachPicture(HWND hwnd, std::optional<SkinImage> picture) {
  if (!Attach(hwnd)) return false;
  WriteProperty(hwnd, property::kType, static_cast<std::intptr_t>(ControlType::PictureBox));
  // Stored by the default handler directly, in UTF-16. Once PictureBoxProc (an ANSI procedure,
  // installed with SetWindowLongA) is in the chain, a WM_SETTEXT even from SetWindowTextW is
  // converted to the ANSI code page, and the Chinese text would turn into '?' under code pages like
  // 1252 when a box is attached again.
  api::DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPictureBoxText));
  Subclass(hwnd, PictureBoxProc);
  if (picture) SetPicture(*picture);
  return true;
}

void PictureBox::SetPicture(SkinImage picture) {
  WriteImageProperty(hwnd_, property::kBackImage, picture);
  RepaintControl(hwnd_);
}

void PictureBox::LoadPicture(ImageResource resource) { SetPicture(LoadSkinImage(resource)); }

void PictureBox::SetBackType(int value) { WriteProperty(hwnd_, property::kBackType, value); }

}  // namespace quorlin::skin
