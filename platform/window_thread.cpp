#include "platform/window_thread.h"

#include <atomic>

#include "platform/win_api.h"

namespace quorlin::platform {

namespace {

constexpr UINT kRunStepMessage = WM_APP + 0x51;
std::atomic<HWND> stepWindow{nullptr};
std::atomic<DWORD> windowThreadId{0};

LRESULT CALLBACK StepWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunStepMessage) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
  return api::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

void BindWindowThread() {
  if (stepWindow.load() != nullptr) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = StepWindowProc;
  windowClass.hInstance = api::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QuorlinWindowThread";
  api::RegisterClassExW(&windowClass);
  HWND hwnd = api::CreateWindowExW(0, L"QuorlinWindowThread", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
  windowThreadId = api::GetCurrentThreadId();
  stepWindow = hwnd;
}

bool OnWindowThread() { return api::GetCurrentThreadId() == windowThreadId.load(); }

void RunOnWindowThread(const std::function<void()>& step) {
  HWND hwnd = stepWindow.load();
  if (hwnd == nullptr || OnWindowThread()) {
    step();
    return;
  }
  api::SendMessageW(hwnd, kRunStepMessage, 0, reinterpret_cast<LPARAM>(&step));
}

}  // namespace quorlin::platform
