#include "platform/window_binding.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace quorlin::platform {
namespace {

// A kind that records what reaches it and answers one message itself.
constexpr UINT kAnswered = WM_APP + 7;
std::vector<UINT> seen;
int alive = 0;

class Probe : public BoundWindow<Probe> {
 public:
  static constexpr const wchar_t* kClassName = L"QuorlinBindingProbe";
  static void DescribeClass(WNDCLASSEXW&) {}
  Probe() { ++alive; }
  ~Probe() { --alive; }
  std::optional<LRESULT> OnMessage(UINT message, WPARAM, LPARAM) {
    seen.push_back(message);
    if (message == kAnswered) return 42;
    return std::nullopt;
  }
};

TEST(WindowBinding, BindsOnCreationHandsOverMessagesAndFreesOnDestruction) {
  seen.clear();
  alive = 0;
  HWND hwnd = Probe::Create(std::make_unique<Probe>(), 0, L"", WS_POPUP, 0, 0, 10, 10, nullptr);
  ASSERT_NE(hwnd, nullptr);
  Probe* probe = Probe::FromHandle(hwnd);
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->Handle(), hwnd);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), static_cast<UINT>(WM_NCCREATE)) << "bound from the first message it can be";

  EXPECT_EQ(::SendMessageW(hwnd, kAnswered, 0, 0), 42) << "the handler's answer";
  ::SetWindowTextW(hwnd, L"kept");
  wchar_t text[8] = {};
  ::GetWindowTextW(hwnd, text, 8);
  EXPECT_STREQ(text, L"kept") << "what the handler leaves goes to DefWindowProcW";

  ::DestroyWindow(hwnd);
  EXPECT_EQ(seen.back(), static_cast<UINT>(WM_NCDESTROY)) << "the last message still reaches it";
  EXPECT_EQ(alive, 0) << "freed with its window";
  EXPECT_EQ(Probe::FromHandle(hwnd), nullptr);
}

TEST(WindowBinding, AWindowOfAnotherClassHasNoObjectWhateverItsUserData) {
  HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  Probe probe;
  ::SetWindowLongPtrW(other, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&probe));
  EXPECT_EQ(Probe::FromHandle(other), nullptr);
  EXPECT_EQ(Probe::FromHandle(nullptr), nullptr);
  ::DestroyWindow(other);
}

}  // namespace
}  // namespace quorlin::platform
