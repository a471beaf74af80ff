#include "skin/child_list_watch.h"

#include <windows.h>

#include <atomic>

#include "platform/win_api.h"

namespace quorlin::skin {
namespace {

std::atomic<std::uint64_t> generation{1};

// Runs before the window procedure of every message sent to a window of the watched thread. A
// change of z-order or parent always ends in a WM_WINDOWPOSCHANGED without SWP_NOZORDER (the
// system moves a reparented window to the top of its new siblings).
LRESULT CALLBACK WatchMessages(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && lParam != 0) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent->message == WM_WINDOWPOSCHANGED) {
      const auto* place = reinterpret_cast<const WINDOWPOS*>(sent->lParam);
      // Shown or hidden as well: a reparented visible window is hidden and shown again, and its
      // move to the top of its new siblings may not count as a z-order change.
      if (place == nullptr || (place->flags & SWP_NOZORDER) == 0 ||
          (place->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) != 0) {
        NoteChildListChange();
      }
    } else if (sent->message == WM_DESTROY) {
      NoteChildListChange();
    }
  }
  return api::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::uint64_t ChildListGeneration() { return generation.load(std::memory_order_acquire); }

void NoteChildListChange() { generation.fetch_add(1, std::memory_order_acq_rel); }

bool WatchThisThread() {
  // The hook goes with the thread when it ends.
  thread_local const bool watched =
      api::SetWindowsHookExA(WH_CALLWNDPROC, WatchMessages, nullptr, api::GetCurrentThreadId()) != nullptr;
  return watched;
}

}  // namespace quorlin::skin
