#include "skin/tooltip.h"

#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <string>

#include "platform/win_api.h"
#include "skin/control_properties.h"

namespace quorlin::skin {

HWND SharedToolTip = nullptr;

namespace {

// The tool record up to and including lParam (TTTOOLINFOA_V2_SIZE, which the SDK computes with
// pointer arithmetic that is not a constant expression): 44 bytes on 32-bit Windows, 64 on 64-bit.
// Every comctl32 since 4.70 accepts it; the reserved pointer of the later layout is not sent.
constexpr UINT kToolInfoSize = static_cast<UINT>(offsetof(TTTOOLINFOA, lParam) + sizeof(LPARAM));
#ifndef _WIN64
static_assert(kToolInfoSize == 44);
#endif

// The tooltip class comes from comctl32, whose classes exist only once it has been initialised in
// this process (the program links nothing from it and may run without a Common Controls 6
// manifest).
void EnsureSharedToolTip() {
  if (SharedToolTip != nullptr) return;
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_TAB_CLASSES;  // tab and tooltip classes
  api::InitCommonControlsEx(&controls);
  SharedToolTip = api::CreateWindowExA(WS_EX_TOPMOST, kToolTipClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                       nullptr);
  if (SharedToolTip != nullptr) api::SendMessageA(SharedToolTip, TTM_SETMAXTIPWIDTH, 0, kToolTipMaxWidth);
}

TTTOOLINFOA ToolRecord(HWND control, char* text) {
  TTTOOLINFOA record{};
  record.cbSize = kToolInfoSize;
  record.hwnd = control;
  record.uId = 0;
  record.lpszText = text;
  return record;
}

}  // namespace

void SetControlToolTip(HWND control, const char* text, bool atCursor) {
  // An unbound object or a destroyed control could never carry the registration mark, so every call
  // would add one more tool for a window that does not exist.
  if (!api::IsWindow(control)) return;
  EnsureSharedToolTip();
  // Without a tooltip window nothing could be registered; marking the control now would turn the
  // next call, once the window exists, into an update of a tool that was never added.
  if (SharedToolTip == nullptr) return;

  // The tooltip control keeps its own copy of the text on TTM_ADDTOOL and TTM_UPDATETIPTEXT, so this
  // copy only has to outlive the message.
  std::optional<std::string> copy;
  if (text != nullptr) copy.emplace(text);
  char* sent = copy ? copy->data() : nullptr;

  if (ReadProperty(control, property::kToolTips) != 0) {
    // Registered: only the text changes; flags and rectangle stay as the first call chose them.
    TTTOOLINFOA record = ToolRecord(control, sent);
    api::SendMessageA(SharedToolTip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&record));
    return;
  }

  WriteProperty(control, property::kToolTips, 1);
  TTTOOLINFOA record = ToolRecord(control, sent);
  // The tooltip window watches the control's mouse messages itself: the layer relays nothing.
  record.uFlags = TTF_SUBCLASS | (atCursor ? 0u : static_cast<UINT>(TTF_CENTERTIP));
  api::GetClientRect(control, &record.rect);
  api::SendMessageA(SharedToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&record));
}

}  // namespace quorlin::skin
