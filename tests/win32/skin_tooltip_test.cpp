#include "skin/tooltip.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "skin/image_button.h"
#include "skin/picture_box.h"
#include "tests/win32/skin_test_support.h"

namespace quorlin::skin {
namespace {

// Tooltip messages the layer sent, with the tool record and its text as they were at the call.
struct Sent {
  UINT message;
  LPARAM lParam;
  TTTOOLINFOA record;
  std::string text;
};
std::vector<Sent> sent;
int toolTipsCreated = 0;
bool failCreation = false;
api::ScopedOverride<api::types::SendMessageA_t>* sendBefore = nullptr;
api::ScopedOverride<api::types::CreateWindowExA_t>* createBefore = nullptr;

LRESULT WINAPI RecordSend(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message > WM_USER && message < WM_USER + 0x100) {
    Sent call{message, lParam, {}, {}};
    if (message == TTM_ADDTOOLA || message == TTM_UPDATETIPTEXTA) {
      const auto* record = reinterpret_cast<const TTTOOLINFOA*>(lParam);
      std::memcpy(&call.record, record, std::min<std::size_t>(record->cbSize, sizeof(call.record)));
      if (record->lpszText != nullptr) call.text = record->lpszText;
    }
    sent.push_back(call);
  }
  return sendBefore->Previous()(target, message, wParam, lParam);
}

HWND WINAPI RecordCreate(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                         int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
  if (HIWORD(reinterpret_cast<UINT_PTR>(className)) != 0 && std::strcmp(className, kToolTipClass) == 0) {
    if (failCreation) return nullptr;
    ++toolTipsCreated;
  }
  return createBefore->Previous()(exStyle, className, title, style, x, y, width, height, parent, menu, instance,
                                  parameter);
}

// The tool of a control as the tooltip window holds it.
std::string HeldText(HWND control, UINT* flags = nullptr) {
  char text[1024] = {};
  TTTOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.hwnd = control;
  info.lpszText = text;
  SendMessageA(SharedToolTip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info));
  if (flags != nullptr) *flags = info.uFlags & (TTF_SUBCLASS | TTF_CENTERTIP);
  info.lpszText = text;
  SendMessageA(SharedToolTip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
  return text;
}

// Each test starts without a shared tooltip window.
class ToolTipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureSkinLayer();
    DropSharedToolTip();
    sent.clear();
    toolTipsCreated = 0;
    failCreation = false;
    sendBefore = &send_;
    createBefore = &create_;
    window_ = test::CreateForm(100, 100, 300, 200);
    button_.CreateButton(window_.get(), 10, 10, 80, 30, "button");
    picture_.CreatePicture(window_.get(), 100, 10, 40, 20);
  }
  void TearDown() override { DropSharedToolTip(); }
  static void DropSharedToolTip() {
    if (SharedToolTip != nullptr) DestroyWindow(SharedToolTip);
    SharedToolTip = nullptr;
  }

  api::ScopedOverride<api::types::SendMessageA_t> send_{api::SendMessageA, &RecordSend};
  api::ScopedOverride<api::types::CreateWindowExA_t> create_{api::CreateWindowExA, &RecordCreate};
  test::TestWindow window_;
  ImageButton button_;
  PictureBox picture_;
};

TEST_F(ToolTipTest, FirstCallCreatesTheSharedWindowAndAddsATool) {
  SkinControl& button = button_;  // slot 7 of the class table
  button.SetToolTip("Apply the level");
  const HWND shared = SharedToolTip;
  ASSERT_NE(shared, nullptr);
  char className[32] = {};
  GetClassNameA(shared, className, sizeof(className));
  EXPECT_STREQ(className, "tooltips_class32");
  EXPECT_NE(GetWindowLongA(shared, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(SendMessageA(shared, TTM_GETMAXTIPWIDTH, 0, 0), 1024);

  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].message, static_cast<UINT>(TTM_SETMAXTIPWIDTH));
  EXPECT_EQ(sent[1].message, static_cast<UINT>(TTM_ADDTOOLA));
  const TTTOOLINFOA& record = sent[1].record;
  EXPECT_EQ(record.cbSize, sizeof(void*) == 4 ? 44u : 64u);
  EXPECT_EQ(record.uFlags, static_cast<UINT>(TTF_SUBCLASS));  // at the pointer unless told otherwise
  EXPECT_EQ(record.hwnd, button_.ControlHandle());
  EXPECT_EQ(record.uId, 0u);
  EXPECT_EQ(record.rect.right, 80);
  EXPECT_EQ(record.rect.bottom, 30);
  EXPECT_EQ(sent[1].text, "Apply the level");
  EXPECT_EQ(button_.GetProperty(property::kToolTips), 1);

  picture_.SetToolTip("A picture");
  EXPECT_EQ(SharedToolTip, shared);
  EXPECT_EQ(toolTipsCreated, 1);
  EXPECT_EQ(SendMessageA(shared, TTM_GETTOOLCOUNT, 0, 0), 2);
}

TEST_F(ToolTipTest, SecondCallOnlyReplacesTheTextAndKeepsTheFirstFlags) {
  char first[] = "centred below";
  picture_.SetToolTip(first, false);
  std::memset(first, 'X', sizeof(first) - 1);  // the tooltip window keeps its own copy
  UINT flags = 0;
  EXPECT_EQ(HeldText(picture_.ControlHandle(), &flags), "centred below");
  EXPECT_EQ(flags, static_cast<UINT>(TTF_SUBCLASS | TTF_CENTERTIP));

  picture_.SetToolTip("new text", true);
  ASSERT_EQ(sent.back().message, static_cast<UINT>(TTM_UPDATETIPTEXTA));
  EXPECT_EQ(sent.back().record.uFlags, 0u);
  EXPECT_EQ(sent.back().record.hwnd, picture_.ControlHandle());
  EXPECT_EQ(HeldText(picture_.ControlHandle(), &flags), "new text");
  EXPECT_EQ(flags, static_cast<UINT>(TTF_SUBCLASS | TTF_CENTERTIP));
  EXPECT_EQ(SendMessageA(SharedToolTip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(ToolTipTest, WithoutAWindowNothingIsRegisteredAndTheNextCallRetries) {
  failCreation = true;
  button_.SetToolTip("Apply the level");
  EXPECT_EQ(SharedToolTip, nullptr);
  EXPECT_EQ(button_.GetProperty(property::kToolTips), 0);
  failCreation = false;
  PictureBox unbound;
  unbound.SetToolTip("nobody");
  EXPECT_EQ(SharedToolTip, nullptr);
  EXPECT_TRUE(sent.empty());

  button_.SetToolTip("Apply the level");
  ASSERT_NE(SharedToolTip, nullptr);
  EXPECT_EQ(sent.back().message, static_cast<UINT>(TTM_ADDTOOLA));
  EXPECT_EQ(HeldText(button_.ControlHandle()), "Apply the level");
}

}  // namespace
}  // namespace quorlin::skin
