#include "skin/load_dialog.h"

#include <cstdint>

#include "platform/win_api.h"
#include "skin/control_properties.h"

namespace quorlin::skin {

LRESULT CALLBACK LoadDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    // The caller handed this window its loader thread, image and memory; they go with it. The
    // caller sets these properties itself, so they are read from the window.
    if (HANDLE thread = api::GetPropA(hwnd, property::kThread)) {
      api::TerminateThread(thread, 0);
      api::CloseHandle(thread);
    }
    if (auto image = static_cast<SkinImage>(api::GetPropA(hwnd, property::kImage))) DisposeSkinImage(image);
    if (HANDLE memory = api::GetPropA(hwnd, property::kStream)) api::GlobalFree(memory);
    return api::DefWindowProcA(hwnd, message, wParam, lParam);
  }
  if (message == WM_LBUTTONDOWN) {
    const LRESULT result = api::DefWindowProcA(hwnd, message, wParam, lParam);
    if (reinterpret_cast<std::intptr_t>(api::GetPropA(hwnd, property::kHitMove)) == 1) {
      // Starts the system's move loop as if the caption had been pressed.
      api::ReleaseCapture();
      api::SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    }
    return result;
  }
  return api::DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterLoadDialogClass() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_VREDRAW | CS_HREDRAW;
  windowClass.lpfnWndProc = LoadDialogProc;
  windowClass.hInstance = api::GetModuleHandleA(nullptr);
  windowClass.hCursor = api::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kLoadDialogClass;
  api::RegisterClassExA(&windowClass);
}

}  // namespace quorlin::skin
