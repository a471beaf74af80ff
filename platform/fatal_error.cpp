#include "platform/fatal_error.h"

#include <atomic>
#include <string>

#include "platform/text.h"
#include "platform/win_api.h"

namespace quorlin::platform {

namespace {
std::atomic<bool> failing{false};
}

void FatalError(std::string_view reason) {
  // A second failure while the first is being reported (for example the message box itself cannot be
  // found) must not recurse: end at once with the same exit code.
  if (failing.exchange(true)) ::ExitProcess(static_cast<UINT>(-1));
  std::wstring text = L"运行时出错!\n\n错误信息：" + Widen(reason) + L"\n";
  api::MessageBoxW(nullptr, text.c_str(), L"错误", MB_OK | MB_ICONERROR);
  api::ExitProcess(static_cast<UINT>(-1));
  ::ExitProcess(static_cast<UINT>(-1));  // only reached when a test replaced ExitProcess
}

}  // namespace quorlin::platform
