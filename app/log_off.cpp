// Log off: the new scaling takes effect at the next sign-in, so the session ends at once, forcing
// other programs to close (the notice asked the user to save first), and the tool closes.
#include "app/logic/tool_ids.h"
#include "app/tool_handlers.h"
#include "platform/session.h"
#include "platform/window_service.h"

namespace quorlin::app {

void OnLogOffClick() {
  platform::ExitSession(platform::kExitLogOff, true);
  // Whatever the answer, the tool closes; an accepted log-off proceeds on its own.
  platform::CloseWindow(MainWindow, false);
}

}  // namespace quorlin::app
