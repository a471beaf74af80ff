#include "platform/window_thread.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/window_binding.h"

namespace quorlin::platform {

namespace {

constexpr UINT kRunStepMessage = WM_APP + 0x51;
std::atomic<HWND> stepWindow{nullptr};
std::atomic<DWORD> windowThreadId{0};

// The message-only window that runs the steps other threads send it.
class StepWindow : public BoundWindow<StepWindow> {
 public:
  static constexpr const wchar_t* kClassName = L"QuorlinWindowThread";
  static void DescribeClass(WNDCLASSEXW&) {}

  std::optional<LRESULT> OnMessage(UINT message, WPARAM, LPARAM lParam) {
    if (message != kRunStepMessage) return std::nullopt;
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
};

}  // namespace

void BindWindowThread() {
  if (stepWindow.load() != nullptr) return;
  HWND hwnd = StepWindow::Create(std::make_unique<StepWindow>(), 0, L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
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

void CheckWindowThread(const char* service) {
  if (windowThreadId.load() == 0 || OnWindowThread()) return;
  std::fprintf(stderr, "%s called off the window thread\n", service);
  std::abort();
}

}  // namespace quorlin::platform
